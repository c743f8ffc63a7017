// Teach, the set-point previews, the max/min reset and the mode selectors.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/controls.h"
#include "app/globals.h"
#include "support/program_fixture.h"
#include "runtime/testkit/testkit.h"
#include "runtime/userint/userint.h"
#include "runtime/utility/utility.h"

namespace {

using support::DataWords;

class Teach : public support::ProgramTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(StartSensor());
    Sensor().setEdges(1500.0, 2600.0);
    ASSERT_EQ(0, StartProgramOnSensor());
    Sensor().clearReceived();
  }
};

TEST_F(Teach, TheSensorsNewSetPointsAreReadBackFromRamWhateverTheTarget) {
  testkit::Click(pHandle, MAIN_RBTEEPROM);
  testkit::TypeValue(pHandle, MAIN_NEDITEACHA, "700");
  testkit::Click(pHandle, MAIN_BUTTONTEACH);

  const auto frames = Frames();
  ASSERT_EQ((std::vector<int>{6, 2, 2}), Commands());
  EXPECT_EQ(0, frames[0].argument());
  EXPECT_EQ(700, frames[0].dataWord(2));  // frame 0 as the panels show it
  EXPECT_EQ(0, frames[1].argument());
  EXPECT_EQ(1, frames[2].argument());

  EXPECT_EQ(1500, parameter.teachA);
  EXPECT_EQ(2600, parameter.teachB);
  EXPECT_EQ("1500", testkit::Text(pHandle, MAIN_NEDITEACHA));
  const testkit::Cursor a = testkit::GraphCursor(pHandle, MAIN_BAR_A, CURSOR_SETPOINT);
  EXPECT_EQ(1500.0, a.x);
  EXPECT_EQ(0.75, a.y);
  EXPECT_EQ(2600.0, testkit::GraphCursor(pHandle, MAIN_BAR_B, CURSOR_SETPOINT).x);
  EXPECT_EQ("Parameter-frame received! - Line Ok!", Status());
}

TEST_F(Teach, WithoutAnAnswerItTimesOutAndStopsAnyLoop) {
  Sensor().setMute(true);
  const u16 teachA = parameter.teachA;
  std::string shownAtOnce;
  testkit::RunLater(0.3, [&] { shownAtOnce = Status(); });
  stop_flag = 0;
  const double begin = Timer();
  testkit::Click(pHandle, MAIN_BUTTONTEACH);
  EXPECT_EQ("New setpoint value teached!", shownAtOnce);
  EXPECT_EQ("Timeout RS232-Line!", Status());
  EXPECT_GT(Timer() - begin, 1.5);
  EXPECT_EQ(1, stop_flag);
  EXPECT_EQ((std::vector<int>{6}), Commands());
  EXPECT_EQ(teachA, testkit::GraphCursor(pHandle, MAIN_BAR_A, CURSOR_SETPOINT).x);
}

TEST_F(Teach, ATypedSetPointIsPreviewedButNotStored) {
  const u16 stored = parameter.teachA;
  testkit::TypeValue(pHandle, MAIN_NEDITEACHA, "5000");
  const testkit::Cursor c = testkit::GraphCursor(pHandle, MAIN_BAR_A, CURSOR_MEASURED);
  EXPECT_EQ(5000.0, c.x);
  EXPECT_EQ(1.0, c.y);
  EXPECT_EQ(stored, parameter.teachA);
  testkit::Click(pHandle, MAIN_BTNSEND);
  ASSERT_TRUE(Sensor().waitForFrames(1, 1.0));
  EXPECT_EQ(5000, Frames()[0].dataWord(2));  // sent unrepaired
}

TEST_F(Teach, ResetOfMaxMinIsAnsweredOrTimesOut) {
  testkit::Click(pHandle, MAIN_BUTTONRESET);
  EXPECT_EQ((std::vector<int>{11}), Commands());
  EXPECT_EQ("Reset Max/Min OK!", Status());

  Sensor().setMute(true);
  const double begin = Timer();
  testkit::Click(pHandle, MAIN_BUTTONRESET);
  EXPECT_EQ("Timeout-RS-232...", Status());
  EXPECT_GT(Timer() - begin, 1.4);
}

TEST_F(Teach, TeachDuringRunModeLetsRunModeCarryOn) {
  testkit::RunLater(0.4, [] { testkit::Click(pHandle, MAIN_BUTTONTEACH); });
  testkit::RunLater(1.2, [] { testkit::Click(pHandle, MAIN_BTNSTOP); });
  testkit::Click(pHandle, MAIN_BTNRUN);
  const std::vector<int> commands = Commands();
  bool teachSeen = false;
  int rawAfterTeach = 0;
  for (int c : commands) {
    if (c == 6) teachSeen = true;
    if (teachSeen && c == 8) ++rawAfterTeach;
  }
  EXPECT_TRUE(teachSeen);
  EXPECT_GT(rawAfterTeach, 3);
}

class ModeSelectors : public support::ProgramTest {
 protected:
  void SetUp() override { ASSERT_EQ(0, StartOffline()); }
};

TEST_F(ModeSelectors, EvaluationModeSetsInputsMarkersAndRange) {
  testkit::SelectRingValue(pPara1, PARA1_DROPEVALMODE, 3);
  EXPECT_TRUE(testkit::IsDimmed(pHandle, MAIN_NEDITEACHA));
  EXPECT_TRUE(testkit::IsDimmed(pHandle, MAIN_NEDITEACHB));
  EXPECT_EQ(8192, yaxisMAX);
  SetCursorAttribute(pHandle, MAIN_BAR_A, CURSOR_MEASURED, ATTR_CURSOR_POINT_STYLE,
                     VAL_CURSOR_MARKER);
  testkit::SelectRingValue(pPara1, PARA1_DROPEVALMODE, 4);
  EXPECT_EQ(VAL_CURSOR_MARKER,
            testkit::GraphCursor(pHandle, MAIN_BAR_A, CURSOR_MEASURED).pointStyle);
  testkit::SelectRingValue(pPara1, PARA1_DROPEVALMODE, 1);
  EXPECT_FALSE(testkit::IsDimmed(pHandle, MAIN_NEDITEACHA));
  EXPECT_TRUE(testkit::IsDimmed(pHandle, MAIN_NEDITEACHB));
  EXPECT_EQ(4096, yaxisMAX);
  EXPECT_EQ(VAL_NO_POINT, testkit::GraphCursor(pHandle, MAIN_BAR_A, CURSOR_MEASURED).pointStyle);
  testkit::SelectRingValue(pPara1, PARA1_DROPEVALMODE, 0);
  EXPECT_TRUE(testkit::IsDimmed(pHandle, MAIN_NEDITEACHA));
  EXPECT_FALSE(testkit::IsDimmed(pHandle, MAIN_NEDITEACHB));
  // The record takes the mode only with the next reading of the panels.
  EXPECT_EQ(1, parameter.evalMode);
}

TEST_F(ModeSelectors, HardwareModesOneAndThreeLockTheTolerances) {
  for (int mode : {0, 1, 2, 3, 4}) {
    testkit::SelectRingValue(pPara1, PARA1_DROPHARDWAREMODE, mode);
    const bool locked = mode == 1 || mode == 3;
    EXPECT_EQ(locked, testkit::IsDimmed(pPara1, PARA1_TOL_UPPER)) << mode;
    EXPECT_EQ(locked, testkit::IsDimmed(pPara1, PARA1_TOL_LOWER)) << mode;
  }
}

}  // namespace
