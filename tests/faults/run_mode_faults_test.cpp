// Run mode with a fault switched on while it runs: it either goes on showing
// what the sensor measures, goes on without showing anything (replies that
// are no raw-values frames), or ends by the reply time-out within 1.5 s and
// one pass; a vanished device ends it at once. Once the fault is gone the
// next run shows the sensor again.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/controls.h"
#include "app/globals.h"
#include "faults/fault_kit.h"
#include "support/program_fixture.h"
#include "runtime/rs232/rs232.h"
#include "runtime/testkit/testkit.h"
#include "runtime/utility/utility.h"

namespace {

using faults::Fault;
using faults::kSlack;
using faults::kTimeOut;

const char kTimedOut[] = "Timeout RS232-Line!";
const char kDeviceLost[] = "Serial device lost - choose a port!";

constexpr double kFaultAt = 0.25;  // seconds after Run was clicked

enum class End { ByTimeOut, ByStop, ByDeviceLoss };

struct RunCase {
  Fault fault;
  End end;
  bool showsSensor;  // what the sensor measures after the fault is shown
};

std::ostream &operator<<(std::ostream &out, const RunCase &c) {
  return out << faults::FaultName(c.fault);
}

class RunModeFaults : public support::ProgramTest, public ::testing::WithParamInterface<RunCase> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(StartSensor());
    Measure(1200);
    ASSERT_EQ(0, StartProgramOnSensor());
    repliesBefore = faults::SettleAndClear(Sensor());
  }
  void Measure(uint16_t aval) {
    kvorsim::Measurement m;
    m.aval = aval, m.bval = 2300, m.mvalue = aval, m.umValue = aval * 10;
    m.tolup = 40, m.tollo = 30, m.edcntA = 1, m.edcntB = 1, m.tValA = 1190, m.tValB = 2290;
    Sensor().setMeasurement(m);
  }
  // Clicks Run; Stop is pressed stopAt seconds later if the run is still on.
  // Returns the seconds Run took.
  double RunUntil(double stopAt, double bound, const std::string &what) {
    auto running = std::make_shared<bool>(true);
    testkit::RunLater(stopAt, [running] {
      if (*running) testkit::Click(pHandle, MAIN_BTNSTOP);
    });
    faults::Deadline deadline(bound + 5.0, what);
    const double begin = Timer();
    testkit::Click(pHandle, MAIN_BTNRUN);
    *running = false;
    return Timer() - begin;
  }
  std::string EdgeA() { return testkit::Text(pHandle, MAIN_EDGE_A); }
  int repliesBefore = 0;
};

TEST_P(RunModeFaults, EndsByTimeOutOrGoesOnAndRunsCleanAfterwards) {
  const RunCase &c = GetParam();
  faults::StatusTrail trail;
  std::string shownBeforeFault;
  size_t requestsBeforeFault = 0;
  testkit::RunLater(kFaultAt, [&] {
    shownBeforeFault = EdgeA();
    requestsBeforeFault = Frames().size();
    trail.Start();
    // A reply already on its way when the fault comes must not carry the new
    // value where none is to be shown after the fault.
    if (c.showsSensor) Measure(1300);
    faults::SwitchOn(Sensor(), c.fault);
    if (!c.showsSensor && c.fault != Fault::HangUp) Measure(1300);
  });
  // Past the time-out after the fault, and long enough for a slow sensor to
  // answer twice.
  const double stopAt = kFaultAt + (c.fault == Fault::DelayUnder ? 2 * 1.3 : kTimeOut) + 0.25;
  const double bound = c.end == End::ByStop ? stopAt + 1.3 + kSlack : kFaultAt + kTimeOut + kSlack;
  const double took = RunUntil(stopAt, bound, "Run with the fault " + faults::FaultName(c.fault));
  trail.Stop();
  SCOPED_TRACE(faults::Joined(trail.Texts()));

  EXPECT_EQ("1200", shownBeforeFault);
  EXPECT_LT(took, bound);
  EXPECT_EQ(1, stop_flag);
  EXPECT_FALSE(testkit::IsDimmed(pHandle, MAIN_BTNRUN));
  switch (c.end) {
    case End::ByTimeOut:
      EXPECT_GT(took, kFaultAt + kTimeOut - 0.1);
      EXPECT_EQ(kTimedOut, Status());
      break;
    case End::ByStop:
      EXPECT_GT(took, stopAt - 0.2);  // a timer this long may fire a little early
      EXPECT_FALSE(trail.Saw(kTimedOut));
      // Any reply frame lets the next request go: the requests went on.
      EXPECT_GE(Frames().size(), requestsBeforeFault + 2);
      break;
    case End::ByDeviceLoss:
      EXPECT_LT(took, kFaultAt + 0.3 + kSlack);
      EXPECT_EQ(kDeviceLost, Status());
      EXPECT_EQ(1, trail.Count(kDeviceLost));  // told once
      EXPECT_EQ(RS_PORT_NOT_OPEN, GetInQLen(com));
      break;
  }
  if (c.showsSensor) {
    EXPECT_EQ("1300", EdgeA());
  } else {
    // Nothing that was no raw-values reply of the sensor is shown as one.
    EXPECT_NE("1300", EdgeA());
  }

  if (c.fault == Fault::HangUp) {
    // A later run on the closed port ends at once and says why.
    trail.Start();
    const double again = RunUntil(2 * kTimeOut, kSlack, "Run on the closed port");
    trail.Stop();
    EXPECT_LT(again, kSlack);
    EXPECT_EQ(kDeviceLost, Status());
    EXPECT_FALSE(trail.Saw("Line Ok!"));
    EXPECT_FALSE(trail.Saw(kTimedOut));
    return;
  }
  faults::SwitchOff(Sensor());
  EXPECT_TRUE(faults::LetLateRepliesPass(Sensor(), c.fault, repliesBefore));
  Measure(1400);
  RunUntil(0.4, 0.4 + kSlack, "Run after the fault");
  EXPECT_EQ("Line Ok!", Status());
  EXPECT_EQ("1400", EdgeA());
}

const RunCase kRunCases[] = {
    {Fault::Mute, End::ByTimeOut, false},
    // The sync word of a reply matters to the echo check only.
    {Fault::WrongSync, End::ByStop, true},
    // Never a whole frame: the receive callback is not called.
    {Fault::ShortBy5, End::ByTimeOut, false},
    {Fault::ShortBy30, End::ByTimeOut, false},
    // The first 36 bytes are the frame; the rest is flushed.
    {Fault::LongBy5, End::ByStop, true},
    {Fault::LongBy40, End::ByStop, true},
    // Misaligned frames are replies all the same, but no raw-values replies.
    {Fault::Garbage, End::ByStop, false},
    {Fault::DelayUnder, End::ByStop, true},
    {Fault::DelayOver, End::ByTimeOut, false},
    {Fault::DropEvery2nd, End::ByTimeOut, true},
    {Fault::DropEvery3rd, End::ByTimeOut, true},
    {Fault::HangUp, End::ByDeviceLoss, false},
};

INSTANTIATE_TEST_SUITE_P(EveryFault, RunModeFaults, ::testing::ValuesIn(kRunCases),
                         [](const ::testing::TestParamInfo<RunCase> &info) {
                           return faults::FaultName(info.param.fault);
                         });

}  // namespace
