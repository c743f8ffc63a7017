// The event loop: nested callbacks, quitting from inside them, and one pass
// of event processing.
#include <unistd.h>

#include <chrono>

#include "runtime/layer_fixture.h"

using namespace layer_test;

namespace {

const int kQuitCode = 7;
const int kFailsafeCode = -99;

}  // namespace

TEST_F(LayerTest, QuitFromACallbackNestedInALongLoopEndsRunUserInterface) {
  ASSERT_EQ(UIE_NO_ERROR, DisplayPanel(controls));
  static bool stop;
  stop = false;
  static int passes;
  passes = 0;
  // The nesting button runs a polling loop, as a run mode does, until a flag
  // set by another callback ends it.
  NestAction() = [] {
    while (!stop) {
      ++passes;
      ProcessSystemEvents();
      usleep(1000);
    }
  };
  testkit::RunLater(0.02, [this] { testkit::Click(controls, kNest); });
  // Inside the loop: the operator uses another button, then closes the window,
  // whose callback stops the loop and quits.
  testkit::RunLater(0.08, [this] { testkit::Click(controls, kGo); });
  CloseAction() = [] {
    stop = true;
    QuitUserInterface(kQuitCode);
  };
  testkit::RunLater(0.12, [this] { testkit::ClosePanelWindow(controls); });
  static bool finished;
  finished = false;
  testkit::RunLater(5.0, [] {
    if (!finished) QuitUserInterface(kFailsafeCode);
  });

  const auto started = std::chrono::steady_clock::now();
  int code = RunUserInterface();
  finished = true;
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

  EXPECT_EQ(kQuitCode, code);
  EXPECT_LT(seconds, 2.0);
  EXPECT_GT(passes, 10);
  // The Go button's events came while the nesting callback was still running.
  ASSERT_EQ((std::vector<int>{EVENT_LEFT_CLICK, EVENT_COMMIT}), EventsOf(kGo));
  for (const Event &e : ControlEvents()) {
    if (e.control == kGo) {
      EXPECT_EQ(1, e.depth);
    }
  }
  ASSERT_EQ(1u, PanelEvents().size());
  EXPECT_EQ(1, PanelEvents()[0].depth);
}

TEST_F(LayerTest, ProcessSystemEventsRunsWhatIsDueAndReturnsAtOnce) {
  bool posted = false, timed = false;
  testkit::RunLater(0, [&posted] { posted = true; });
  testkit::RunLater(0.02, [&timed] { timed = true; });
  ASSERT_EQ(UIE_NO_ERROR, ProcessSystemEvents());
  EXPECT_TRUE(posted);
  EXPECT_FALSE(timed);
  usleep(30000);
  ASSERT_EQ(UIE_NO_ERROR, ProcessSystemEvents());
  EXPECT_TRUE(timed);

  // A loop that polls without sleeping does not spin: with nothing to do, a
  // call waits for the next event, which is handled the moment it comes.
  bool due = false;
  testkit::RunLater(0.1, [&due] { due = true; });
  const auto started = std::chrono::steady_clock::now();
  int calls = 0;
  while (!due && calls < 1000000) {
    ProcessSystemEvents();
    ++calls;
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  EXPECT_TRUE(due);
  EXPECT_LT(calls, 500) << "a spinning loop makes tens of thousands of calls";
  EXPECT_LT(seconds, 0.1 + 0.08);
}

TEST_F(LayerTest, QuitAskedBeforeTheLoopRunsIsNotLost) {
  ASSERT_EQ(UIE_NO_ERROR, QuitUserInterface(3));
  EXPECT_EQ(3, RunUserInterface());
  // And only once: the next loop runs until it is told again.
  testkit::RunLater(0.05, [] { QuitUserInterface(4); });
  EXPECT_EQ(4, RunUserInterface());
}

TEST_F(LayerTest, DiscardingAPanelFromItsOwnCallbackIsSafe) {
  ASSERT_EQ(UIE_NO_ERROR, DisplayPanel(controls));
  static int panel;
  panel = controls;
  NestAction() = [] { DiscardPanel(panel); };
  ASSERT_EQ(UIE_NO_ERROR, testkit::Click(controls, kNest));
  testkit::Pump(0.02);
  EXPECT_EQ(UIE_BAD_PANEL, DisplayPanel(controls));
  EXPECT_FALSE(testkit::IsPanelVisible(controls));
}
