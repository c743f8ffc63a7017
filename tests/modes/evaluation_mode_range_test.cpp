// An evaluation mode the selector does not list (a sensor may report any
// number) still leaves the panels in a usable state.
#include <gtest/gtest.h>

#include "app/controls.h"
#include "app/globals.h"
#include "modes/modes.h"
#include "support/program_fixture.h"
#include "runtime/testkit/testkit.h"
#include "runtime/userint/userint.h"

namespace {

using EvaluationModeRange = support::ProgramTest;

TEST_F(EvaluationModeRange, EachModeSetsItsInputsMarkersAndRangeWhenPicked) {
  ASSERT_EQ(0, StartOffline());
  ASSERT_EQ(4096, ccdvirtpixel);
  const struct {
    unsigned short mode;
    bool dimA, dimB, markersCleared;
    int yMax;
  } rows[] = {
      {0, true, false, true, 4096}, {2, false, false, true, 8192}, {3, true, true, false, 8192},
      {4, false, false, false, 8192}, {1, false, true, true, 4096},
  };
  testkit::Click(pHandle, MAIN_TOGGBTN_PARA1);
  for (const auto &row : rows) {
    for (int graph : {MAIN_BAR_A, MAIN_BAR_B})
      SetCursorAttribute(pHandle, graph, CURSOR_MEASURED, ATTR_CURSOR_POINT_STYLE, VAL_CURSOR_MARKER);
    testkit::SelectRingValue(pPara1, PARA1_DROPEVALMODE, row.mode);
    SCOPED_TRACE(row.mode);
    EXPECT_EQ(row.dimA, testkit::IsDimmed(pHandle, MAIN_NEDITEACHA));
    EXPECT_EQ(row.dimB, testkit::IsDimmed(pHandle, MAIN_NEDITEACHB));
    const int style = row.markersCleared ? VAL_NO_POINT : VAL_CURSOR_MARKER;
    EXPECT_EQ(style, testkit::GraphCursor(pHandle, MAIN_BAR_A, CURSOR_MEASURED).pointStyle);
    EXPECT_EQ(style, testkit::GraphCursor(pHandle, MAIN_BAR_B, CURSOR_MEASURED).pointStyle);
    EXPECT_EQ(row.yMax, yaxisMAX);
  }
}

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
