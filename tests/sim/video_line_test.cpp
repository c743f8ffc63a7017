// The CCD video line as the program reads it in four 64-sample blocks.
#include <cmath>
#include <numeric>
#include <set>

#include "request_builder.h"
#include "sim_fixture.h"

namespace simtest {
namespace {

using SimVideoLine = SimTest;

// Both blocks of a channel, joined into the 128-sample line.
std::vector<uint16_t> readLine(LineProbe &line, uint16_t channel) {
  std::vector<uint16_t> samples;
  for (uint16_t start : {0, 64}) {
    const Bytes block = line.exchange(request(9, start, {channel}), 128);
    EXPECT_EQ(block.size(), 128u) << "channel " << channel << " start " << start;
    for (size_t i = 0; i + 1 < block.size(); i += 2) samples.push_back(wordAt(block, i));
  }
  return samples;
}

// Where the line first falls below half of full scale, in samples.
double halfCrossing(const std::vector<uint16_t> &s, double fullScale) {
  for (size_t i = 1; i < s.size(); ++i)
    if (s[i] < fullScale / 2 && s[i - 1] >= fullScale / 2)
      return (i - 1) + (s[i - 1] - fullScale / 2) / double(s[i - 1] - s[i]);
  return -1;
}

double mean(const std::vector<uint16_t> &s, size_t from, size_t to) {
  return std::accumulate(s.begin() + from, s.begin() + to, 0.0) / double(to - from);
}

void expectBelievableLine(const std::vector<uint16_t> &s, double edge, double virt, double full) {
  ASSERT_EQ(s.size(), 128u);
  const double edgeSample = edge * 128 / virt;
  for (size_t i = 0; i < s.size(); ++i) {
    EXPECT_LT(s[i], full) << i;
    if (i + 3 < edgeSample) {
      EXPECT_GE(s[i], 0.78 * full) << i;
      EXPECT_LE(s[i], 0.92 * full) << i;
    }
    if (i > edgeSample + 3) {
      EXPECT_GE(s[i], 0.05 * full) << i;
      EXPECT_LE(s[i], 0.15 * full) << i;
    }
  }
  EXPECT_NEAR(halfCrossing(s, full), edgeSample, 1.0);
}

TEST_F(SimVideoLine, BothChannelsShowABrightLineWithTheShadowFromTheirEdge) {
  sensor->setEdges(2600, 1200);
  const std::vector<uint16_t> a = readLine(*line, 1), b = readLine(*line, 0);
  expectBelievableLine(a, 2600, 4096, 256);
  expectBelievableLine(b, 1200, 4096, 256);
  EXPECT_EQ(a, sensor->videoLine(1));
  EXPECT_EQ(b, sensor->videoLine(0));
  // Vignetting: the ends of the bright part are darker than its middle.
  EXPECT_LT(mean(a, 0, 6), mean(a, 36, 46) - 0.02 * 256);
  // Noise: not a flat line.
  EXPECT_GT(std::set<uint16_t>(a.begin() + 30, a.begin() + 60).size(), 3u);
}

TEST_F(SimVideoLine, FollowsTheIdentitysFullScaleAndVirtualPixelCount) {
  kvorsim::Identity id = sensor->identity();
  id.adcFullScale = 1024;
  id.ccdVirtPixel = 3072;
  sensor->setIdentity(id);
  sensor->setEdges(1000, 2000);
  expectBelievableLine(readLine(*line, 1), 1000, 3072, 1024);
  expectBelievableLine(readLine(*line, 0), 2000, 3072, 1024);
}

TEST_F(SimVideoLine, AMovingSensorsLineMatchesTheLastReadingInBothBlocks) {
  kvorsim::Options moving;
  moving.seed = 3;
  startSensor(moving);
  for (int pass = 0; pass < 5; ++pass) {
    const Values v = values(line->exchange(request(8, 0), 36));
    const std::vector<uint16_t> a = readLine(*line, 1), b = readLine(*line, 0);
    EXPECT_NEAR(halfCrossing(a, 256), v.aval * 128.0 / 4096, 1.0);
    EXPECT_NEAR(halfCrossing(b, 256), v.bval * 128.0 / 4096, 1.0);
    // The halves belong to one line: read again, nothing changed in between.
    EXPECT_EQ(readLine(*line, 1), a);
  }
}

}  // namespace
}  // namespace simtest
