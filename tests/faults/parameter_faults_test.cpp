// Get and Send of the parameter set with the sensor's RAM as target, while
// the sensor misbehaves: each frame read either arrives or times out on its
// own, the record keeps what was not received, a send never waits, and once
// the fault is gone the next Get reads both frames cleanly.
#include <gtest/gtest.h>

#include <string>
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

constexpr uint16_t kFirstTeachA = 1111, kFirstTeachB = 1222;  // read at start-up
constexpr uint16_t kNewTeachA = 1333, kNewTeachB = 1444;      // in the sensor's RAM since

const char kReceived[] = "Parameter-frame received! - Line Ok!";
const char kTimedOut[] = "Timeout-RS-232...";
const char kDeviceLost[] = "Serial device lost - choose a port!";

// What a Get leaves in one frame of the record.
enum class Frame {
  FromSensor,  // the sensor's frame as it stands now
  Kept,        // as before the Get (the frame timed out)
  Garbled,     // some 36 bytes that were no aligned frame, repaired for showing
  Unchecked,   // taken from a late reply to the other frame (see the table)
};

struct GetCase {
  Fault fault;
  const char *finalStatus;
  Frame frame0, frame1;
  double waitSeconds;  // spent waiting on the sensor
};

std::ostream &operator<<(std::ostream &out, const GetCase &c) {
  return out << faults::FaultName(c.fault);
}

class ParameterFaults : public support::ProgramTest, public ::testing::WithParamInterface<GetCase> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(StartSensor());
    SetSensorTeach(kFirstTeachA, kFirstTeachB);
    ASSERT_EQ(0, StartProgramOnSensor());
    ASSERT_EQ(kFirstTeachA, parameter.teachA);
    ASSERT_EQ(kFirstTeachB, parameter.teachB);
    SetSensorTeach(kNewTeachA, kNewTeachB);
    faults::SettleAndClear(Sensor());
  }
  void SetSensorTeach(uint16_t a, uint16_t b) {
    kvorsim::ParamFrame frame0 = Sensor().ram(0), frame1 = Sensor().ram(1);
    frame0[2] = a;
    frame1[2] = b;
    Sensor().setRam(0, frame0);
    Sensor().setRam(1, frame1);
  }
  // Clicks the button and returns the seconds its callback took.
  double ClickGuarded(int button, double bound, const std::string &what) {
    faults::Deadline deadline(bound + 5.0, what);
    const double begin = Timer();
    testkit::Click(pHandle, button);
    return Timer() - begin;
  }
  void ExpectFrame(Frame expected, uint16_t teach, uint16_t sensorTeach, uint16_t firstTeach,
                   const char *which) {
    SCOPED_TRACE(which);
    if (expected == Frame::FromSensor) {
      EXPECT_EQ(sensorTeach, teach);
    } else if (expected == Frame::Kept) {
      EXPECT_EQ(firstTeach, teach);
    } else if (expected == Frame::Garbled) {
      EXPECT_LE(teach, ccdvirtpixel);
    }
  }
  // A record that came from garbled bytes is shown repaired, field by field.
  void ExpectRecordShownInRange() {
    const ParameterRecord &p = parameter;
    EXPECT_LE(p.a1, 1000);
    EXPECT_LE(p.b1, 1000);
    EXPECT_LE(p.thdA, 255);
    EXPECT_LE(p.thdB, 255);
    EXPECT_LE(p.c12, 1);
    EXPECT_LE(p.evalMode, 4);
    EXPECT_LE(p.c13, 2048);
    EXPECT_LE(p.hardwareMode, 4);
    EXPECT_LE(p.c11, 4);
    EXPECT_LE(p.c10, 1);
    EXPECT_LE(p.c7, 1);
    EXPECT_LE(p.tolUpper, ccdvirtpixel);
    EXPECT_LE(p.tolLower, ccdvirtpixel);
    EXPECT_EQ(std::to_string(p.teachA), testkit::Text(pHandle, MAIN_NEDITEACHA));
    EXPECT_EQ(std::to_string(p.teachB), testkit::Text(pHandle, MAIN_NEDITEACHB));
  }
};

TEST_P(ParameterFaults, GetTakesWhatArrivesSendNeverWaitsAndTheNextGetIsClean) {
  const GetCase &c = GetParam();
  faults::StatusTrail trail;
  if (c.fault == Fault::HangUp) {
    // The device vanishes while the Get waits for frame 0.
    Sensor().setReplyDelayMs(1000);
    testkit::RunLater(0.3, [this] { faults::SwitchOn(Sensor(), Fault::HangUp); });
  } else {
    faults::SwitchOn(Sensor(), c.fault);
  }

  trail.Start();
  const double getTook =
      ClickGuarded(MAIN_BTNGET, c.waitSeconds + 0.05 + kSlack, "Get with the fault " + faults::FaultName(c.fault));
  trail.Stop();
  SCOPED_TRACE(faults::Joined(trail.Texts()));
  EXPECT_GT(getTook, c.waitSeconds);
  EXPECT_LT(getTook, c.waitSeconds + 0.05 + kSlack);
  EXPECT_EQ(c.finalStatus, Status());
  if (c.fault == Fault::HangUp) {
    EXPECT_EQ(1, trail.Count(kDeviceLost));  // told once
    EXPECT_FALSE(trail.Saw(kTimedOut));
    EXPECT_EQ(1, stop_flag);
    // Frame 1 is not asked for on the closed port.
    EXPECT_EQ((std::vector<int>{2}), Commands());
  } else {
    // Both requests went out, frame 0 first, whatever became of the replies.
    const auto frames = Frames();
    ASSERT_EQ(2u, frames.size());
    EXPECT_EQ(2, frames[0].command());
    EXPECT_EQ(0, frames[0].argument());
    EXPECT_EQ(2, frames[1].command());
    EXPECT_EQ(1, frames[1].argument());
  }
  ExpectFrame(c.frame0, parameter.teachA, kNewTeachA, kFirstTeachA, "frame 0");
  ExpectFrame(c.frame1, parameter.teachB, kNewTeachB, kFirstTeachB, "frame 1");
  if (c.frame0 == Frame::Garbled) ExpectRecordShownInRange();

  // A send waits for no reply: both frames go out whatever the line does.
  const size_t framesBeforeSend = Frames().size();
  const double sendTook = ClickGuarded(MAIN_BTNSEND, 0.05 + kSlack, "Send");
  EXPECT_LT(sendTook, 0.05 + kSlack);
  if (c.fault == Fault::HangUp) {
    // Nothing is written to the closed port, and the operator is told why.
    EXPECT_EQ(kDeviceLost, Status());
    EXPECT_EQ(framesBeforeSend, Frames().size());
    return;
  }
  EXPECT_EQ("Line Ok!", Status());
  // A sensor that holds its replies back reads nothing meanwhile: what it
  // makes of the frames, and a clean Get, are for a sensor that answers.
  if (c.fault == Fault::DelayUnder || c.fault == Fault::DelayOver) return;
  ASSERT_TRUE(Sensor().waitForFrames(framesBeforeSend + 2, 1.0));
  ASSERT_TRUE(Sensor().waitUntilAnswered(1.0));  // the writes are done
  const std::vector<int> commands = Commands();
  EXPECT_EQ((std::vector<int>{1, 1}), std::vector<int>(commands.begin() + framesBeforeSend, commands.end()));
  EXPECT_EQ(parameter.teachA, Sensor().ram(0)[2]);
  EXPECT_EQ(parameter.teachB, Sensor().ram(1)[2]);

  // Stray bytes of short replies are flushed by the next exchange, once they
  // are on the line, as after an operator's pause; one still on its way
  // would land inside the next reply on a loaded machine.
  ASSERT_TRUE(Sensor().waitUntilAnswered(1.0));
  faults::SwitchOff(Sensor());
  SetSensorTeach(kNewTeachA, kNewTeachB);
  ClickGuarded(MAIN_BTNGET, 0.5 + kSlack, "Get after the fault");
  EXPECT_EQ(kReceived, Status());
  EXPECT_EQ(kNewTeachA, parameter.teachA);
  EXPECT_EQ(kNewTeachB, parameter.teachB);
}

const GetCase kGetCases[] = {
    {Fault::Mute, kTimedOut, Frame::Kept, Frame::Kept, 2 * kTimeOut},
    {Fault::WrongSync, kReceived, Frame::FromSensor, Frame::FromSensor, 0},
    {Fault::ShortBy5, kTimedOut, Frame::Kept, Frame::Kept, 2 * kTimeOut},
    {Fault::ShortBy30, kTimedOut, Frame::Kept, Frame::Kept, 2 * kTimeOut},
    {Fault::LongBy5, kReceived, Frame::FromSensor, Frame::FromSensor, 0},
    {Fault::LongBy40, kReceived, Frame::FromSensor, Frame::FromSensor, 0},
    // The first 36 bytes in the queue are taken as the frame, misaligned.
    {Fault::Garbage, kReceived, Frame::Garbled, Frame::Garbled, 0},
    {Fault::DelayUnder, kReceived, Frame::FromSensor, Frame::FromSensor, 2 * 1.3},
    // Frame 0 times out; its late reply comes while frame 1 is awaited and,
    // as replies are not matched to requests, is what frame 1 receives.
    {Fault::DelayOver, kReceived, Frame::Kept, Frame::Unchecked, 1.7},
    // Reply 2 lost: frame 1.
    {Fault::DropEvery2nd, kTimedOut, Frame::FromSensor, Frame::Kept, kTimeOut},
    // Reply 3 is the answer to the first frame of the Send, which nobody awaits.
    {Fault::DropEvery3rd, kReceived, Frame::FromSensor, Frame::FromSensor, 0},
    // The device vanishes 0.3 s into the wait for frame 0: the Get ends there.
    {Fault::HangUp, kDeviceLost, Frame::Kept, Frame::Kept, 0.3},
};

INSTANTIATE_TEST_SUITE_P(EveryFault, ParameterFaults, ::testing::ValuesIn(kGetCases),
                         [](const ::testing::TestParamInfo<GetCase> &info) {
                           return faults::FaultName(info.param.fault);
                         });

}  // namespace
