// The serial start-up against a sensor that misbehaves from the first
// frame on: how far the start-up gets, what the status box says, how long
// the window takes to open, and that choosing the port again afterwards
// (the operator's remedy) runs the whole start-up cleanly.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/controls.h"
#include "app/globals.h"
#include "faults/fault_kit.h"
#include "support/program_fixture.h"
#include "runtime/testkit/testkit.h"
#include "runtime/utility/utility.h"

namespace {

using faults::Fault;
using faults::kSlack;
using faults::kTimeOut;

// What the sensor's identity and RAM look like, so a test can tell whether
// the hardware description and each parameter frame were taken from it.
constexpr uint16_t kSensorVirtPixel = 2048;
constexpr uint16_t kSensorTeachA = 1111;
constexpr uint16_t kSensorTeachB = 1222;
// The panels' own start value of both set-points.
constexpr uint16_t kStartTeach = 512;
// Loading the panels and the fixed pauses of the serial start-up.
constexpr double kStartUpWork = 1.5;

const std::vector<int> kWholeStartUp = {5, 10, 2, 2, 7};
const std::vector<int> kEchoOnly = {5};

enum class Text { TimeOut, NotSync, FrameReceived, Firmware };

struct StartUpCase {
  Fault fault;
  Text finalStatus;
  std::vector<int> commands;
  double waitSeconds;    // spent waiting on the sensor: time-outs, late replies
  bool identified;       // the hardware description was applied
  bool frame0, frame1;   // the parameter frame came from the sensor
};

std::ostream &operator<<(std::ostream &out, const StartUpCase &c) {
  return out << faults::FaultName(c.fault);
}

class StartUpFaults : public support::ProgramTest, public ::testing::WithParamInterface<StartUpCase> {
 protected:
  void PrepareSensor(kvorsim::SensorSim &sensor) {
    kvorsim::Identity id = sensor.identity();
    id.ccdVirtPixel = kSensorVirtPixel;
    sensor.setIdentity(id);
    kvorsim::ParamFrame frame0 = sensor.ram(0), frame1 = sensor.ram(1);
    frame0[2] = kSensorTeachA;
    frame1[2] = kSensorTeachB;
    sensor.setRam(0, frame0);
    sensor.setRam(1, frame1);
  }
  std::string Expected(Text text) {
    switch (text) {
      case Text::TimeOut: return "Timeout-RS-232...";
      case Text::NotSync: return "read error - not sync byte 0xAA!";
      case Text::FrameReceived: return "Parameter-frame received! - Line Ok!";
      case Text::Firmware: return Sensor().identity().firmwareText;
    }
    return "";
  }
  // The operator picks another port and then the sensor's port again.
  void ChoosePortAgain(int port) {
    faults::Deadline deadline(2 * kTimeOut + kStartUpWork, "choosing the port again");
    testkit::SelectRingValue(pHandle, MAIN_DROPDCOM, 2);
    testkit::SelectRingValue(pHandle, MAIN_DROPDCOM, port);
  }
};

TEST_P(StartUpFaults, GetsAsFarAsTheRepliesAllowAndRecoversOnANewPortChoice) {
  const StartUpCase &c = GetParam();
  extraArgs = {"--port", "2=/dev/kvor-no-such-device"};
  ASSERT_TRUE(StartSensor());
  PrepareSensor(Sensor());
  faults::SwitchOn(Sensor(), c.fault);

  const double bound = c.waitSeconds + kStartUpWork + kSlack;
  {
    faults::Deadline deadline(bound + 5.0, "the start-up");
    ASSERT_EQ(0, StartProgramOnSensor());
  }
  EXPECT_LT(startupSeconds, bound);
  EXPECT_GT(startupSeconds, c.waitSeconds);
  EXPECT_TRUE(testkit::IsPanelVisible(pHandle));
  EXPECT_EQ(Expected(c.finalStatus), Status());
  EXPECT_EQ(c.commands, Commands());
  EXPECT_EQ(c.identified ? kSensorVirtPixel : 4096, ccdvirtpixel);
  EXPECT_EQ(c.frame0 ? kSensorTeachA : kStartTeach, parameter.teachA);
  EXPECT_EQ(c.frame1 ? kSensorTeachB : kStartTeach, parameter.teachB);

  // Whatever a fault left in the line (stray bytes of a short reply, a late
  // reply) is flushed by the next start-up.
  testkit::Pump(0.3);
  faults::SwitchOff(Sensor());
  Sensor().clearReceived();
  ChoosePortAgain(1);
  EXPECT_EQ(kWholeStartUp, Commands());
  EXPECT_EQ(Sensor().identity().firmwareText, Status());
  EXPECT_EQ(kSensorVirtPixel, ccdvirtpixel);
  EXPECT_EQ(kSensorTeachA, parameter.teachA);
  EXPECT_EQ(kSensorTeachB, parameter.teachB);
}

// Short replies never reach the receive callback; a long one is cut to its
// first 36 bytes, so only the 72-byte firmware text is spoilt (dropped
// without an error); garbage in front shifts the echo reply's sync word.
const StartUpCase kStartUpCases[] = {
    {Fault::Mute, Text::TimeOut, kEchoOnly, kTimeOut, false, false, false},
    {Fault::WrongSync, Text::NotSync, kEchoOnly, 0, false, false, false},
    {Fault::ShortBy5, Text::TimeOut, kEchoOnly, kTimeOut, false, false, false},
    {Fault::ShortBy30, Text::TimeOut, kEchoOnly, kTimeOut, false, false, false},
    {Fault::LongBy5, Text::FrameReceived, kWholeStartUp, 0, true, true, true},
    {Fault::LongBy40, Text::FrameReceived, kWholeStartUp, 0, true, true, true},
    {Fault::Garbage, Text::NotSync, kEchoOnly, 0, false, false, false},
    {Fault::DelayUnder, Text::Firmware, kWholeStartUp, 5 * 1.3, true, true, true},
    {Fault::DelayOver, Text::TimeOut, kEchoOnly, kTimeOut, false, false, false},
    // Replies 2 and 4 lost: the hardware description and frame 1.
    {Fault::DropEvery2nd, Text::Firmware, kWholeStartUp, 2 * kTimeOut, false, true, false},
    // Reply 3 lost: frame 0.
    {Fault::DropEvery3rd, Text::Firmware, kWholeStartUp, kTimeOut, true, false, true},
};

INSTANTIATE_TEST_SUITE_P(EveryFault, StartUpFaults, ::testing::ValuesIn(kStartUpCases),
                         [](const ::testing::TestParamInfo<StartUpCase> &info) {
                           return faults::FaultName(info.param.fault);
                         });

// The sensor vanishes while the start-up waits for the reply to one of its
// requests: whatever step it was, the start-up ends after that wait with the
// device-lost message, and the operator's next port works.
struct VanishCase {
  int command;            // the request whose reply never comes
  std::vector<int> sent;  // requests the sensor received
};

std::ostream &operator<<(std::ostream &out, const VanishCase &c) { return out << c.command; }

class StartUpVanishing : public support::ProgramTest, public ::testing::WithParamInterface<VanishCase> {};

TEST_P(StartUpVanishing, EndsTheStartUpWithTheDeviceLostMessageAndTheNextPortWorks) {
  const VanishCase &c = GetParam();
  kvorsim::SensorSim second(sensorOptions);
  ASSERT_TRUE(StartAnotherSensor(second));
  extraArgs = {"--port", "2=" + second.devicePath()};
  ASSERT_TRUE(StartSensor());
  Sensor().setMuteCommands({c.command});
  std::thread unplug([this, &c] {
    if (Sensor().waitForFrames(c.sent.size(), 5.0))
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Sensor().hangUp();
  });
  {
    faults::Deadline deadline(5 * kTimeOut + kStartUpWork + 5.0, "the start-up");
    ASSERT_EQ(0, StartProgramOnSensor());
  }
  unplug.join();
  // The firmware wait runs no events: the loss is told by the event loop.
  testkit::Pump(0.2);
  EXPECT_TRUE(testkit::IsPanelVisible(pHandle));
  EXPECT_EQ("Serial device lost - choose a port!", Status());
  EXPECT_EQ(1, stop_flag);
  EXPECT_EQ(c.sent, Commands());
  // Nothing more to wait for once the port is gone than the wait in progress.
  EXPECT_LT(startupSeconds, kTimeOut + kStartUpWork + kSlack);

  {
    faults::Deadline deadline(kStartUpWork + kSlack + 5.0, "choosing the second port");
    testkit::SelectRingValue(pHandle, MAIN_DROPDCOM, 2);
  }
  EXPECT_EQ(2, com);
  std::vector<int> onSecond;
  for (const auto &f : second.received()) onSecond.push_back(f.command());
  EXPECT_EQ(kWholeStartUp, onSecond);
  EXPECT_EQ(second.identity().firmwareText, Status());
  EXPECT_EQ(second.ram(1)[2], parameter.teachB);
}

const VanishCase kVanishCases[] = {
    {5, {5}},
    {10, {5, 10}},
    {2, {5, 10, 2}},
    {7, {5, 10, 2, 2, 7}},
};

INSTANTIATE_TEST_SUITE_P(WaitingForCommand, StartUpVanishing, ::testing::ValuesIn(kVanishCases),
                         [](const ::testing::TestParamInfo<VanishCase> &info) {
                           return std::to_string(info.param.command);
                         });

}  // namespace
