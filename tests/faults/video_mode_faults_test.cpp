// Video mode while the sensor misbehaves: a raw-values request without its
// reply ends it by the time-out, a block that does not arrive whole spoils
// only its line (nothing is drawn, the loop goes on), and once the fault is
// gone the next video run draws the sensor's line again.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/controls.h"
#include "app/globals.h"
#include "faults/fault_kit.h"
#include "support/program_fixture.h"
#include "runtime/rs232/rs232.h"
#include "runtime/testkit/testkit.h"
#include "runtime/userint/userint.h"
#include "runtime/utility/utility.h"

namespace {

using faults::Fault;
using faults::kSlack;
using faults::kTimeOut;

const char kTimedOut[] = "Timeout RS232-Line!";
const char kBlockTimedOut[] = "Timeout-RS-232 while reading 64 data-words!";
const char kDeviceLost[] = "Serial device lost - choose a port!";

constexpr double kFaultAt = 0.3;  // seconds after Video was clicked
// Five exchanges a line: the raw values and four blocks.
constexpr int kExchangesPerLine = 5;

// A video line whose first sample tells which line it is.
std::vector<uint16_t> Line(uint16_t first) {
  std::vector<uint16_t> v(128);
  for (int i = 0; i < 128; ++i) v[i] = static_cast<uint16_t>(first + i);
  return v;
}

enum class End { ByTimeOut, ByStop, ByDeviceLoss };

struct VideoCase {
  Fault fault;
  bool fromStart;      // on before Video is clicked, so a whole line meets it
  End end;
  bool drawsAfter;     // the sensor's line after the fault is drawn
  double endsWithin;   // seconds after the fault, for a run that ends by itself
};

std::ostream &operator<<(std::ostream &out, const VideoCase &c) {
  return out << faults::FaultName(c.fault);
}

class VideoModeFaults : public support::ProgramTest, public ::testing::WithParamInterface<VideoCase> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(StartSensor());
    ShowLine(10);
    ASSERT_EQ(0, StartProgramOnSensor());
    repliesBefore = faults::SettleAndClear(Sensor());
    DeleteGraphPlot(pHandle, MAIN_VIDEO_A, VAL_ALL_PLOTS, VAL_IMMEDIATE_DRAW);
  }
  void ShowLine(uint16_t first) {
    Sensor().setVideoLine(1, Line(first));
    Sensor().setVideoLine(0, Line(first));
  }
  // First sample drawn on the channel-A video graph, -1 when nothing is drawn.
  static double DrawnA() {
    const auto plots = testkit::GraphPlots(pHandle, MAIN_VIDEO_A);
    return plots.empty() || plots[0].y.empty() ? -1 : plots[0].y[0];
  }
  // Clicks Video; Stop is pressed once `line` has been drawn on both graphs,
  // or at stopAt at the latest. Returns the seconds Video took.
  double VideoUntil(double line, double stopAt, double bound, const std::string &what) {
    auto running = std::make_shared<bool>(true);
    const double begin = Timer();
    auto watch = std::make_shared<std::function<void()>>();
    // The look schedules itself again: it holds itself weakly, or it would
    // never be freed.
    std::weak_ptr<std::function<void()>> self = watch;
    *watch = [running, begin, stopAt, line, self] {
      const auto again = self.lock();
      if (!again || !*running) return;
      const auto b = testkit::GraphPlots(pHandle, MAIN_VIDEO_B);
      const bool drawn = DrawnA() == line && !b.empty() && b[0].y[0] == line;
      if (drawn || Timer() - begin >= stopAt) {
        testkit::Click(pHandle, MAIN_BTNSTOP);
        return;
      }
      testkit::RunLater(0.01, *again);
    };
    testkit::RunLater(0.01, *watch);
    faults::Deadline deadline(bound + 5.0, what);
    testkit::Click(pHandle, MAIN_BTNVIDEO);
    *running = false;
    return Timer() - begin;
  }
  int repliesBefore = 0;
};

TEST_P(VideoModeFaults, EndsByTheRawValuesTimeOutOrGoesOnAndDrawsCleanAfterwards) {
  const VideoCase &c = GetParam();
  faults::StatusTrail trail;
  double drawnBeforeFault = -2;
  const double faultAt = c.fromStart ? 0.0 : kFaultAt;
  const auto switchOn = [&] {
    drawnBeforeFault = DrawnA();
    trail.Start();
    faults::SwitchOn(Sensor(), c.fault);
    ShowLine(20);
  };
  if (c.fromStart) {
    switchOn();
  } else {
    testkit::RunLater(kFaultAt, switchOn);
  }
  // A line takes up to five slow answers; a failed block up to a time-out.
  const double slowLine = kExchangesPerLine * faults::kDelayUnderMs / 1000.0;
  const double stopAt = faultAt + (c.fault == Fault::DelayUnder ? slowLine : 0) + kTimeOut + 0.25;
  const double bound =
      c.end == End::ByStop ? stopAt + (c.fault == Fault::DelayUnder ? slowLine : kTimeOut) + kSlack
                           : faultAt + c.endsWithin + kSlack;
  const double took = VideoUntil(20, stopAt, bound, "Video with the fault " + faults::FaultName(c.fault));
  trail.Stop();
  SCOPED_TRACE(faults::Joined(trail.Texts()));

  if (!c.fromStart) {
    EXPECT_EQ(10, drawnBeforeFault);
  }
  EXPECT_LT(took, bound);
  EXPECT_EQ(1, stop_flag);
  EXPECT_FALSE(testkit::IsDimmed(pHandle, MAIN_BTNVIDEO));
  EXPECT_FALSE(testkit::IsDimmed(pHandle, MAIN_BTNRUN));
  switch (c.end) {
    case End::ByTimeOut:
      EXPECT_GT(took, faultAt + kTimeOut - 0.1);
      EXPECT_EQ(kTimedOut, Status());
      break;
    case End::ByStop:
      EXPECT_FALSE(trail.Saw(kTimedOut));
      break;
    case End::ByDeviceLoss:
      EXPECT_EQ(1, trail.Count(kDeviceLost));  // told once
      EXPECT_EQ(RS_PORT_NOT_OPEN, GetInQLen(com));
      break;
  }
  if (c.drawsAfter) {
    EXPECT_EQ(20, DrawnA());
  } else {
    EXPECT_NE(20, DrawnA());
  }
  if (c.fromStart && !c.drawsAfter) {
    // Every line met a lost block: the loop went on without drawing.
    EXPECT_TRUE(trail.Saw(kBlockTimedOut));
    EXPECT_EQ(-1, DrawnA());
  }

  if (c.fault == Fault::HangUp) {
    trail.Start();
    const double again = VideoUntil(-5, 2 * kTimeOut, kSlack, "Video on the closed port");
    trail.Stop();
    EXPECT_LT(again, kSlack);
    EXPECT_EQ(kDeviceLost, Status());
    EXPECT_FALSE(trail.Saw("Line Ok!"));
    EXPECT_FALSE(trail.Saw(kTimedOut));
    return;
  }
  faults::SwitchOff(Sensor());
  EXPECT_TRUE(faults::LetLateRepliesPass(Sensor(), c.fault, repliesBefore));
  ShowLine(30);
  VideoUntil(30, 1.0, 1.0 + kSlack, "Video after the fault");
  EXPECT_EQ(30, DrawnA());
  EXPECT_EQ("Data[64] block received!", Status());
}

const VideoCase kVideoCases[] = {
    // A lost block first, if the fault meets one, then the raw values.
    {Fault::Mute, false, End::ByTimeOut, false, 2 * kTimeOut},
    {Fault::WrongSync, false, End::ByStop, true, 0},
    {Fault::ShortBy5, false, End::ByTimeOut, false, 2 * kTimeOut},
    {Fault::ShortBy30, false, End::ByTimeOut, false, 2 * kTimeOut},
    // A raw-values reply is cut to its frame; a block with bytes behind it
    // is no block.
    {Fault::LongBy5, false, End::ByStop, false, 0},
    {Fault::LongBy40, false, End::ByStop, false, 0},
    {Fault::Garbage, false, End::ByTimeOut, false, kTimeOut + 0.2},
    {Fault::DelayUnder, true, End::ByStop, true, 0},
    {Fault::DelayOver, false, End::ByTimeOut, false, 2 * kTimeOut + 0.2},
    // From the start every line loses one of its blocks (the 2nd or the 3rd
    // reply of each line); the raw values always arrive.
    {Fault::DropEvery2nd, true, End::ByStop, false, 0},
    {Fault::DropEvery3rd, true, End::ByStop, false, 0},
    {Fault::HangUp, false, End::ByDeviceLoss, false, kTimeOut + 0.2},
};

INSTANTIATE_TEST_SUITE_P(EveryFault, VideoModeFaults, ::testing::ValuesIn(kVideoCases),
                         [](const ::testing::TestParamInfo<VideoCase> &info) {
                           return faults::FaultName(info.param.fault);
                         });

}  // namespace
