// The program against the simulated sensor, set up for transfers: Get,
// Send, Compare and Verify, and what they put on the wire.
#ifndef KVOR_TESTS_PARAMS_TRANSFER_FIXTURE_H
#define KVOR_TESTS_PARAMS_TRANSFER_FIXTURE_H

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/controls.h"
#include "app/globals.h"
#include "runtime/testkit/testkit.h"
#include "runtime/userint/userint.h"
#include "support/program_fixture.h"

// The program keeps 50 ms between the two frames of a transfer, measured at
// its own writes. The sensor notes a frame when its reading thread gets to
// it, which on a busy machine may be some milliseconds late: its receipt
// times are allowed this much.
const double kTransferSpacing = 0.05;
const double kReceiptJitter = 0.01;

inline std::vector<int> Words(const kvorsim::ParamFrame &frame) {
  return std::vector<int>(frame.begin(), frame.end());
}

class Transfer : public support::ProgramTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(StartSensor());
    ASSERT_EQ(0, StartProgramOnSensor());
    Sensor().clearReceived();
    repliesSeen_ = Sensor().repliesSent();
    testkit::StartWriteLog();
  }
  // Seconds between the program's first and second write since the set-up.
  double WriteSpacing() {
    const std::vector<double> writes = WriteTimes();
    return writes.size() == 2 ? writes[1] - writes[0] : -1.0;
  }
  int RadioValue(int control) {
    int on = -1;
    GetCtrlVal(pHandle, control, &on);
    return on;
  }
  std::vector<int> Radios() {
    return {RadioValue(MAIN_RBTRAM), RadioValue(MAIN_RBTEEPROM), RadioValue(MAIN_RBTFILE)};
  }
  kvorsim::ParamFrame Modified(kvorsim::ParamFrame frame, int word, int value) {
    frame[word] = static_cast<uint16_t>(value);
    return frame;
  }
  // The frames the sensor received since the last call, as command/frame
  // pairs, once it has answered them all and the program has taken the
  // answers off the line (a Send leaves its acknowledgements to arrive).
  std::vector<std::pair<int, int>> TakeWire() {
    testkit::PumpUntil([&] { return Sensor().repliesSent() >= repliesSeen_ + static_cast<int>(Frames().size()); }, 2.0);
    testkit::Pump(0.05);
    std::vector<std::pair<int, int>> wire;
    for (const auto &f : Frames()) wire.emplace_back(f.command(), f.argument());
    repliesSeen_ = Sensor().repliesSent();
    Sensor().clearReceived();
    return wire;
  }

 private:
  int repliesSeen_ = 0;
};

#endif
