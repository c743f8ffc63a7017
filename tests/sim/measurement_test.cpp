// The value frame: evaluation modes, micrometres, limits and the motion.
#include <algorithm>
#include <set>

#include "request_builder.h"
#include "sim_fixture.h"

namespace simtest {
namespace {

using SimMeasurement = SimTest;

// Frame 0 with the given evaluation mode, teachA 900 and tolerances 60/40;
// frame 1 with teachB 2900 and calib `calib` (low word first).
void configure(kvorsim::SensorSim &sensor, uint16_t mode, uint32_t calib = 8192) {
  sensor.setRam(0, {500, 50, 900, 1, 2048, 60, 40, 1, 1, mode, 1, 0, 1, 1, 0});
  sensor.setRam(1, {500, 50, 2900, 1, 2048, 0, 0, 0, 0, 0, 0, static_cast<uint16_t>(calib & 0xFFFF),
                    static_cast<uint16_t>(calib >> 16), 0, 0});
}

TEST_F(SimMeasurement, EachEvaluationModeGivesItsValueAndMicrometres) {
  sensor->setEdges(1000, 3000);
  struct Case {
    uint16_t mode, mvalue;
    int32_t um;
  };
  // calib 8192: 0.5 um per virtual pixel; modes 3 and 4 are centred on 4096.
  const Case cases[] = {{0, 3000, 1500}, {1, 1000, 500}, {2, 4000, 2000}, {3, 4296, 100}, {4, 4296, 100}, {7, 1000, 500}};
  for (const Case &c : cases) {
    configure(*sensor, c.mode);
    const Bytes reply = line->exchange(request(8, 0), 36);
    ASSERT_EQ(reply.size(), 36u) << "mode " << c.mode;
    const Values v = values(reply);
    EXPECT_EQ(v.aval, 1000);
    EXPECT_EQ(v.bval, 3000);
    EXPECT_EQ(v.mvalue, c.mvalue) << "mode " << c.mode;
    EXPECT_EQ(v.umValue, c.um) << "mode " << c.mode;
    EXPECT_EQ(v.tolup, 60);
    EXPECT_EQ(v.tollo, 40);
    EXPECT_EQ(v.tValA, 900);
    EXPECT_EQ(v.tValB, 2900);
    EXPECT_EQ(v.edcntA, 1);
    EXPECT_EQ(v.edcntB, 1);
  }
}

TEST_F(SimMeasurement, MicrometresTravelHighWordFirstAndCanBeNegative) {
  // Below both set-points in mode 3: 4096 - 100 - 50 = 3946, -150 x 0.5 um.
  sensor->setEdges(800, 2850);
  configure(*sensor, 3);
  Bytes reply = line->exchange(request(8, 0), 36);
  ASSERT_EQ(reply.size(), 36u);
  EXPECT_EQ(toHex(Bytes(reply.begin() + 8, reply.begin() + 14)), "0F 6A FF FF FF B5");

  // 3000 virtual pixels at 64 um each: 192000 = 0x0002EE00.
  sensor->setEdges(3000, 3000);
  configure(*sensor, 1, 0x00100000);
  reply = line->exchange(request(8, 0), 36);
  ASSERT_EQ(reply.size(), 36u);
  EXPECT_EQ(toHex(Bytes(reply.begin() + 8, reply.begin() + 14)), "0B B8 00 02 EE 00");
}

TEST_F(SimMeasurement, ValuesAreClampedToTheWordRange) {
  kvorsim::Identity id = sensor->identity();
  id.ccdVirtPixel = 60000;
  sensor->setIdentity(id);
  sensor->setEdges(40000, 40000);
  configure(*sensor, 2);
  EXPECT_EQ(values(line->exchange(request(8, 0), 36)).mvalue, 65535);

  // Far below both set-points: the centred value would be negative.
  sensor->setEdges(0, 0);
  sensor->setRam(0, {500, 50, 50000, 1, 2048, 60, 40, 1, 1, 3, 1, 0, 1, 1, 0});
  sensor->setRam(1, {500, 50, 50000, 1, 2048, 0, 0, 0, 0, 0, 0, 16384, 0, 0, 0});
  const Values v = values(line->exchange(request(8, 0), 36));
  EXPECT_EQ(v.mvalue, 0);
  EXPECT_EQ(v.umValue, -60000);
}

// Reads `count` raw-value replies in a row.
std::vector<Bytes> readings(LineProbe &line, int count) {
  std::vector<Bytes> out;
  for (int i = 0; i < count; ++i) out.push_back(line.exchange(request(8, 0), 36));
  return out;
}

TEST_F(SimMeasurement, MovingEdgesDriftJitterAndSometimesVanishReproduciblyFromTheSeed) {
  kvorsim::Options moving;
  moving.seed = 7;
  startSensor(moving);
  const kvorsim::Measurement start = sensor->measurement();
  const std::vector<Bytes> run = readings(*line, 300);

  std::set<uint16_t> positionsA;
  int withoutEdge = 0;
  uint16_t highest = 0, lowest = 65535;
  for (const Bytes &reply : run) {
    ASSERT_EQ(reply.size(), 36u);
    const Values v = values(reply);
    positionsA.insert(v.aval);
    // Within a few percent of where the object started.
    EXPECT_NEAR(v.aval, start.aval, 4096 * 0.02 + 2);
    EXPECT_NEAR(v.bval, start.bval, 4096 * 0.02 + 2);
    EXPECT_LE(v.edcntA, 2);
    EXPECT_LE(v.edcntB, 2);
    if (v.edcntA == 0 || v.edcntB == 0) ++withoutEdge;
    // Evaluation mode 1: the value is edge A; max and min are running ones.
    EXPECT_EQ(v.mvalue, v.aval);
    highest = std::max(highest, v.mvalue);
    lowest = std::min(lowest, v.mvalue);
    EXPECT_EQ(v.anaMax, highest);
    EXPECT_EQ(v.anaMin, lowest);
  }
  EXPECT_GT(positionsA.size(), 30u);
  EXPECT_GE(withoutEdge, 1);
  EXPECT_LE(withoutEdge, 20);

  // The same seed gives the same readings; another seed does not.
  startSensor(moving);
  EXPECT_EQ(readings(*line, 300), run);
  moving.seed = 8;
  startSensor(moving);
  EXPECT_NE(readings(*line, 300), run);
}

TEST_F(SimMeasurement, AStillSensorRepeatsItsReadingAndFollowsItsParameters) {
  const std::vector<Bytes> run = readings(*line, 3);
  EXPECT_EQ(run[0], run[1]);
  EXPECT_EQ(run[1], run[2]);
  // Still, but a parameter write shows in the next reading.
  const Values before = values(run[0]);
  sensor->setRam(0, {500, 50, 900, 1, 2048, 77, 66, 1, 1, 0, 1, 0, 1, 1, 0});
  const Values after = values(line->exchange(request(8, 0), 36));
  EXPECT_EQ(after.mvalue, before.bval);
  EXPECT_EQ(after.tolup, 77);
  EXPECT_EQ(after.tollo, 66);
  EXPECT_EQ(after.tValA, 900);
}

}  // namespace
}  // namespace simtest
