// A simulated sensor on a fresh pseudo-terminal (or a line inside the
// process) with the test's end of the line opened on it; the sensor stands
// still unless a test moves it.
#ifndef KVOR_TESTS_SIM_SIM_FIXTURE_H
#define KVOR_TESTS_SIM_SIM_FIXTURE_H

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "line_probe.h"
#include "sim/sensor_sim.h"

namespace simtest {

// Sends a request and expects no answer within `seconds`.
inline void expectSilence(LineProbe &line, const Bytes &request, double seconds = 0.3) {
  line.send(request);
  const Bytes got = line.receiveFor(seconds);
  EXPECT_TRUE(got.empty()) << "unexpected reply: " << toHex(got);
}

// Reads `count` bytes (1.5 s at most) and checks that nothing follows them.
inline Bytes receiveWhole(LineProbe &line, size_t count) {
  const Bytes got = line.receive(count, 1.5);
  const Bytes more = line.receiveFor(0.05);
  EXPECT_TRUE(more.empty()) << more.size() << " bytes beyond the " << count << " expected";
  return got;
}

class SimTest : public ::testing::Test {
 protected:
  void SetUp() override { startSensor(stillOptions()); }

  static kvorsim::Options stillOptions() {
    kvorsim::Options o;
    o.moving = false;
    return o;
  }

  void startSensor(const kvorsim::Options &options) {
    line.reset();
    sensor = std::make_unique<kvorsim::SensorSim>(options);
    ASSERT_TRUE(startOnItsLine()) << sensor->lastError();
    line = std::make_unique<LineProbe>(sensor->devicePath());
    ASSERT_TRUE(line->isOpen()) << sensor->devicePath();
  }

  // Starts the sensor (again) on a line of the test's kind.
  bool startOnItsLine() { return inProcess ? sensor->startInProcess("simulated:sim-test") : sensor->start(); }

  // The line: a pseudo-terminal, or inside the process (where there are no
  // pseudo-terminals, always).
  bool inProcess = !kvorsim::havePseudoTerminals();
  std::unique_ptr<kvorsim::SensorSim> sensor;
  std::unique_ptr<LineProbe> line;
};

// The same tests on both lines the program may meet the sensor on: a
// pseudo-terminal, and the line inside the process (Windows has no other).
enum class Line { PseudoTerminal, InProcess };

inline std::vector<Line> linesOfThisSystem() {
  if (kvorsim::havePseudoTerminals()) return {Line::PseudoTerminal, Line::InProcess};
  return {Line::InProcess};
}

class SimLineTest : public SimTest, public ::testing::WithParamInterface<Line> {
 protected:
  SimLineTest() { inProcess = GetParam() == Line::InProcess; }
};

inline std::string lineName(const ::testing::TestParamInfo<Line> &info) {
  return info.param == Line::InProcess ? "InProcess" : "PseudoTerminal";
}

#define KVOR_SIM_ON_BOTH_LINES(suite) \
  INSTANTIATE_TEST_SUITE_P(Lines, suite, ::testing::ValuesIn(linesOfThisSystem()), lineName)

}  // namespace simtest

#endif
