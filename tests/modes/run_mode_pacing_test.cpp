// Run mode takes its pace from the sensor: any reply lets the next request
// go, only a raw-values reply is shown, a slow sensor is waited for, and the
// displays overwrite what the operator types meanwhile.
#include <gtest/gtest.h>

#include <string>

#include "app/controls.h"
#include "app/globals.h"
#include "support/program_fixture.h"
#include "runtime/testkit/testkit.h"
#include "runtime/utility/utility.h"

namespace {

class RunModePacing : public support::ProgramTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(StartSensor());
    measured.aval = 1200, measured.bval = 2300, measured.mvalue = 1200, measured.umValue = 300;
    measured.tolup = 40, measured.tollo = 30, measured.edcntA = 1, measured.edcntB = 1;
    measured.tValA = 1190, measured.tValB = 2290;
    Sensor().setMeasurement(measured);
    kvorsim::ParamFrame frame0 = Sensor().ram(0);
    frame0[2] = 1190;  // teachA
    frame0[9] = 1;     // evaluation mode 1: the teach-A field is usable
    Sensor().setRam(0, frame0);
    ASSERT_EQ(0, StartProgramOnSensor());
    Sensor().clearReceived();
  }
  // Presses Stop after the given time, noting the status box just before.
  void StopAfter(double seconds) {
    testkit::RunLater(seconds, [this] {
      statusAtStop = Status();
      stopPressed = Timer();
      testkit::Click(pHandle, MAIN_BTNSTOP);
    });
  }
  int RequestsSince(double monotonicTime) {
    int n = 0;
    for (const auto &f : Frames()) n += f.time > monotonicTime && f.command() == 8;
    return n;
  }
  kvorsim::Measurement measured;
  std::string statusAtStop;
  double stopPressed = 0;
};

TEST_F(RunModePacing, AnswersToOtherCommandsOnlyLetTheNextRequestGo) {
  double switched = 0;
  testkit::RunLater(0.4, [&] {
    // From now on the replies carry command word 1 and another measurement.
    Sensor().setEchoOverride(1);
    kvorsim::Measurement moved = measured;
    moved.aval = 1500, moved.mvalue = 1500;
    Sensor().setMeasurement(moved);
    switched = kvorsim::monotonicSeconds();
  });
  StopAfter(1.3);
  testkit::Click(pHandle, MAIN_BTNRUN);

  EXPECT_LT(Timer() - stopPressed, 0.2);
  EXPECT_EQ("Line Ok!", statusAtStop);  // no time-out: every reply counted
  EXPECT_GE(RequestsSince(switched + 0.1), 4);
  EXPECT_EQ("1200", testkit::Text(pHandle, MAIN_EDGE_A));  // nothing shown from them
  EXPECT_EQ(1200.0, testkit::StripChartTrace(pHandle, MAIN_STRIPCHART, 4).back());
}

TEST_F(RunModePacing, ASensorAnsweringWithinTheTimeOutIsWaitedForUntilStop) {
  Sensor().setReplyDelayMs(1000);
  const double begin = kvorsim::monotonicSeconds();
  StopAfter(2.4);
  testkit::Click(pHandle, MAIN_BTNRUN);

  EXPECT_LT(Timer() - stopPressed, 0.2);
  EXPECT_EQ("Line Ok!", statusAtStop);
  EXPECT_GE(RequestsSince(begin), 3);
  EXPECT_EQ("1200", testkit::Text(pHandle, MAIN_EDGE_A));
}

TEST_F(RunModePacing, ATypedSetPointGivesWayToTheRecordAtTheNextUpdate) {
  double preview = 0, cursorAfter = 0;
  std::string shownAfter;
  testkit::RunLater(0.3, [&] {
    testkit::TypeValue(pHandle, MAIN_NEDITEACHA, "3333");
    preview = testkit::GraphCursor(pHandle, MAIN_BAR_A, 2).x;
  });
  testkit::RunLater(0.7, [&] {
    shownAfter = testkit::Text(pHandle, MAIN_NEDITEACHA);
    cursorAfter = testkit::GraphCursor(pHandle, MAIN_BAR_A, 2).x;
  });
  StopAfter(0.8);
  testkit::Click(pHandle, MAIN_BTNRUN);

  EXPECT_EQ(3333.0, preview);
  EXPECT_EQ("1190", shownAfter);    // the record's teachA
  EXPECT_EQ(1200.0, cursorAfter);   // the live edge
  EXPECT_EQ(1190, parameter.teachA);
}

TEST_F(RunModePacing, AResetPressedMeanwhileHandsTheLineBackWithItsReply) {
  double resetDone = 0;
  std::string afterReset;
  testkit::RunLater(0.4, [&] {
    testkit::Click(pHandle, MAIN_BUTTONRESET);
    afterReset = Status();
    resetDone = kvorsim::monotonicSeconds();
  });
  StopAfter(1.2);
  testkit::Click(pHandle, MAIN_BTNRUN);

  EXPECT_EQ("Reset Max/Min OK!", afterReset);
  EXPECT_EQ("Reset Max/Min OK!", statusAtStop);  // run mode did not time out
  int resets = 0;
  for (const auto &f : Frames()) resets += f.command() == 11;
  EXPECT_EQ(1, resets);
  EXPECT_GE(RequestsSince(resetDone), 4);
}

}  // namespace
