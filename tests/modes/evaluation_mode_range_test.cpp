// An evaluation mode the selector does not list (a sensor may report any
// number) still leaves the panels in a usable state.
#include <gtest/gtest.h>

#include "app/controls.h"
#include "app/globals.h"
#include "modes/modes.h"
#include "support/program_fixture.h"
#include "ui/testkit/testkit.h"
#include "ui/userint.h"

namespace {

using EvaluationModeRange = support::ProgramTest;

TEST_F(EvaluationModeRange, AModeOutsideTheListUnlocksTeachAAndLeavesTheMarkers) {
  ASSERT_EQ(0, StartOffline());
  ApplyEvalMode(3);  // both teach fields locked, range doubled
  ASSERT_EQ(2 * ccdvirtpixel, yaxisMAX);
  SetCursorAttribute(pHandle, MAIN_BAR_A, CURSOR_MEASURED, ATTR_CURSOR_POINT_STYLE,
                     VAL_CURSOR_MARKER);

  for (unsigned short mode : {5, 7, 65535}) {
    ApplyEvalMode(mode);
    EXPECT_FALSE(testkit::IsDimmed(pHandle, MAIN_NEDITEACHA)) << mode;
    EXPECT_TRUE(testkit::IsDimmed(pHandle, MAIN_NEDITEACHB)) << mode;
    EXPECT_EQ(ccdvirtpixel, yaxisMAX) << mode;
    EXPECT_EQ(VAL_CURSOR_MARKER,
              testkit::GraphCursor(pHandle, MAIN_BAR_A, CURSOR_MEASURED).pointStyle)
        << mode;
    EXPECT_EQ(VAL_NO_POINT, testkit::GraphCursor(pHandle, MAIN_BAR_B, CURSOR_MEASURED).pointStyle)
        << mode;
  }
}

}  // namespace
