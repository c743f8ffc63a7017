// A set-point typed into either teach field is previewed by the
// measured-value cursor of its own channel's bar graph, and nowhere else.
#include <gtest/gtest.h>

#include "app/controls.h"
#include "app/globals.h"
#include "modes/modes.h"
#include "support/program_fixture.h"
#include "runtime/testkit/testkit.h"
#include "runtime/userint/userint.h"

namespace {

using SetpointPreview = support::ProgramTest;

TEST_F(SetpointPreview, EachTeachFieldMovesOnlyItsOwnChannelsCursor) {
  ASSERT_EQ(0, StartOffline());
  ApplyEvalMode(2);  // both fields usable
  SetGraphCursor(pHandle, MAIN_BAR_A, CURSOR_MEASURED, 10.0, 0.75);
  SetGraphCursor(pHandle, MAIN_BAR_B, CURSOR_MEASURED, 20.0, 0.75);

  testkit::TypeValue(pHandle, MAIN_NEDITEACHB, "2222");
  testkit::Cursor b = testkit::GraphCursor(pHandle, MAIN_BAR_B, CURSOR_MEASURED);
  EXPECT_EQ(2222.0, b.x);
  EXPECT_EQ(1.0, b.y);
  EXPECT_EQ(10.0, testkit::GraphCursor(pHandle, MAIN_BAR_A, CURSOR_MEASURED).x);

  testkit::TypeValue(pHandle, MAIN_NEDITEACHA, "1111");
  EXPECT_EQ(1111.0, testkit::GraphCursor(pHandle, MAIN_BAR_A, CURSOR_MEASURED).x);
  EXPECT_EQ(2222.0, testkit::GraphCursor(pHandle, MAIN_BAR_B, CURSOR_MEASURED).x);
  // The set-point cursors and the record stay as they were.
  EXPECT_EQ(0.0, testkit::GraphCursor(pHandle, MAIN_BAR_B, CURSOR_SETPOINT).x);
  EXPECT_EQ(512, parameter.teachA);
  EXPECT_EQ(512, parameter.teachB);
}

}  // namespace
