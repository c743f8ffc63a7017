// The line around the sensor: the program closing and reopening its port, a
// hang-up and a new start, and the line inside the process.
#include <atomic>
#include <chrono>
#include <thread>

#include "request_builder.h"
#include "sim/in_process_line.h"
#include "sim_fixture.h"

namespace simtest {
namespace {

class SimLineLifecycle : public SimLineTest {};

const Bytes kEcho = hex("00 55 00 05 00 00 00 01") + zeros(28);
const Bytes kEchoReply = hex("00 AA 00 05 00 00 00 01") + zeros(28);

TEST_P(SimLineLifecycle, ServesAgainAfterTheProgramClosesAndReopensThePort) {
  EXPECT_EQ(toHex(line->exchange(kEcho, 36)), toHex(kEchoReply));
  line.reset();  // the program closes its port: the sensor must not lose the line
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_TRUE(sensor->running());
  line = std::make_unique<LineProbe>(sensor->devicePath());
  ASSERT_TRUE(line->isOpen());
  EXPECT_EQ(toHex(line->exchange(kEcho, 36)), toHex(kEchoReply));
}

TEST_P(SimLineLifecycle, StartsOnANewLineAfterAHangUp) {
  const std::string first = sensor->devicePath();
  sensor->hangUp();
  EXPECT_EQ(sensor->lastError(), "hung up");
  ASSERT_TRUE(startOnItsLine()) << sensor->lastError();
  EXPECT_TRUE(sensor->running());
  LineProbe again(sensor->devicePath());
  ASSERT_TRUE(again.isOpen());
  EXPECT_EQ(toHex(again.exchange(kEcho, 36)), toHex(kEchoReply));
  // A second start while serving is refused; stop ends it.
  EXPECT_FALSE(startOnItsLine());
  sensor->stop();
  EXPECT_FALSE(sensor->running());
}

KVOR_SIM_ON_BOTH_LINES(SimLineLifecycle);

// The in-process line's own contract, as the program's serial layer relies on
// it: one program end at a time, nothing kept while it is closed, a wake-up
// that comes once until re-armed (and on a hang-up), and names that are taken
// while a sensor serves them.
TEST(SimInProcessLine, OneProgramEndWakesOnceUntilRearmedAndSeesTheHangUp) {
  kvorsim::Options paced;
  paced.moving = false;
  paced.paced = true;
  const std::string name = "simulated:line-test";
  kvorsim::SensorSim sensor(paced);
  ASSERT_TRUE(sensor.startInProcess(name)) << sensor.lastError();
  EXPECT_EQ(sensor.devicePath(), name);
  const std::shared_ptr<kvorsim::InProcessLine> line = kvorsim::findInProcessLine(name);
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(line, sensor.inProcessLine());
  ASSERT_TRUE(line->open());
  EXPECT_FALSE(line->open()) << "the program end is open already";

  // A paced reply arrives byte by byte: one wake-up until the program re-arms.
  std::atomic<int> wakes{0};
  line->setWakeUp([&wakes] { ++wakes; });
  ASSERT_EQ(line->write(kEcho.data(), kEcho.size()), kEcho.size());
  ASSERT_TRUE(line->waitForInput(0, 1.5));
  while (line->delivered() < 36 && line->waitForInput(line->delivered(), 1.5)) {
  }
  Bytes reply(36);
  ASSERT_EQ(line->read(reply.data(), reply.size()), 36u);
  EXPECT_EQ(toHex(reply), toHex(kEchoReply));
  ASSERT_TRUE(sensor.waitUntilAnswered(1.5));  // every byte's wake-up is done
  EXPECT_EQ(wakes.load(), 1);
  line->rearmWakeUp();
  line->write(kEcho.data(), kEcho.size());
  ASSERT_TRUE(sensor.waitForFrames(2, 1.5));
  ASSERT_TRUE(sensor.waitUntilAnswered(1.5));
  EXPECT_EQ(wakes.load(), 2);
  line->clearInput();
  EXPECT_EQ(line->available(), 0u);

  // Closed, the end drops what the sensor answers meanwhile and calls nobody.
  line->write(kEcho.data(), kEcho.size());
  line->close();
  ASSERT_TRUE(sensor.waitForFrames(3, 1.5));
  ASSERT_TRUE(sensor.waitUntilAnswered(1.5));
  EXPECT_EQ(sensor.repliesSent(), 3);
  ASSERT_TRUE(line->open());
  EXPECT_EQ(line->available(), 0u);
  EXPECT_EQ(line->delivered(), 0u);
  EXPECT_EQ(wakes.load(), 2);

  // While it serves, the name is its own.
  kvorsim::SensorSim other(paced);
  EXPECT_FALSE(other.startInProcess(name));
  EXPECT_NE(other.lastError().find(name), std::string::npos) << other.lastError();

  // Hung up: the program is woken, its end refuses every write and every new
  // opening, and the name is free for the next sensor.
  line->setWakeUp([&wakes] { ++wakes; });
  sensor.hangUp();
  EXPECT_TRUE(line->hungUp());
  EXPECT_EQ(wakes.load(), 3);
  EXPECT_EQ(line->write(kEcho.data(), kEcho.size()), 0u);
  const double t0 = now();
  EXPECT_FALSE(line->waitForInput(0, 1.0));
  EXPECT_LT(now() - t0, 0.5) << "a wait ends at the hang-up";
  line->close();
  EXPECT_FALSE(line->open());
  ASSERT_TRUE(other.startInProcess(name)) << other.lastError();
  EXPECT_NE(kvorsim::findInProcessLine(name), line);
}

}  // namespace
}  // namespace simtest
