// One measurement drawn on the main panel: displays, tolerance colour, bars,
// cursors and markers, read back as the operator would see them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/controls.h"
#include "app/globals.h"
#include "display/gui.h"
#include "support/program_fixture.h"
#include "runtime/testkit/testkit.h"
#include "runtime/userint/userint.h"

namespace {

class BarGraph : public support::ProgramTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(0, StartOffline());
    ccdvirtpixel = 4096;
    parameter.evalMode = 1;
    parameter.teachA = 1000;
    parameter.teachB = 2000;
    parameter.calib = 4096;
    Aval = 1010, Bval = 2020, Mvalue = 1010, umValue = 252;
    tolup = 40, tollo = 30, edcntA = 1, edcntB = 2;
    tValA = 1000, tValB = 2000, anaMax = 1030, anaMin = 990;
  }
  int Background(int control) {
    int colour = -1;
    GetCtrlAttribute(pHandle, control, ATTR_TEXT_BGCOLOR, &colour);
    return colour;
  }
  std::vector<testkit::Plot> Rectangles(int graph, int colour) {
    std::vector<testkit::Plot> out;
    for (const auto &p : testkit::GraphPlots(pHandle, graph))
      if (p.kind == testkit::Plot::Rectangle && p.fillColor == colour) out.push_back(p);
    return out;
  }
  double Shown(int control) {
    double value = 0;
    int integer = 0;
    if (GetCtrlVal(pHandle, control, &value) >= 0) return value;
    unsigned short u = 0;
    if (GetCtrlVal(pHandle, control, &u) >= 0) return u;
    GetCtrlVal(pHandle, control, &integer);
    return integer;
  }
};

TEST_F(BarGraph, NumericDisplaysShowTheMeasurement) {
  PlotVIDEOBarGraph();
  EXPECT_EQ(2020, Shown(MAIN_EDGE_B));
  EXPECT_EQ(1010, Shown(MAIN_EDGE_A));
  EXPECT_EQ(1010, Shown(MAIN_VALUE_VPX));
  EXPECT_EQ(1000, Shown(MAIN_NEDITEACHA));
  EXPECT_EQ(2000, Shown(MAIN_NEDITEACHB));
  EXPECT_EQ(1030, Shown(MAIN_ANA_MAX));
  EXPECT_EQ(990, Shown(MAIN_ANA_MIN));
  EXPECT_DOUBLE_EQ(0.252, Shown(MAIN_VALUE_MM));
  EXPECT_DOUBLE_EQ(4096.0 * 40 / 16384000.0, Shown(MAIN_TOL_UPPER_MM));
  EXPECT_DOUBLE_EQ(4096.0 * 30 / 16384000.0, Shown(MAIN_TOL_LOWER_MM));
  EXPECT_EQ("0.252", testkit::Text(pHandle, MAIN_VALUE_MM));
}

TEST_F(BarGraph, BothLimitsBelongToTheToleranceWindow) {
  struct Row { uint16_t mvalue; int colour; };
  const Row rows[] = {{1040, VAL_DK_GREEN}, {1041, VAL_RED}, {970, VAL_DK_GREEN}, {969, VAL_RED}};
  for (const Row &row : rows) {
    Mvalue = row.mvalue;
    PlotVIDEOBarGraph();
    EXPECT_EQ(row.colour, Background(MAIN_VALUE_MM)) << row.mvalue;
  }
}

TEST_F(BarGraph, ALowerToleranceAboveTheSetPointDoesNotWrapIntoRed) {
  parameter.teachA = 20;
  tollo = 30;
  Mvalue = 5;
  PlotVIDEOBarGraph();
  EXPECT_EQ(VAL_DK_GREEN, Background(MAIN_VALUE_MM));
  Mvalue = 61;
  PlotVIDEOBarGraph();
  EXPECT_EQ(VAL_RED, Background(MAIN_VALUE_MM));
}

TEST_F(BarGraph, SetPointFollowsTheEvaluationMode) {
  const struct { uint16_t mode; uint16_t setpoint; } rows[] = {
      {0, 2000}, {1, 1000}, {2, 3000}, {3, 4096}, {4, 4096}};
  for (const auto &row : rows) {
    parameter.evalMode = row.mode;
    Mvalue = 4096;
    PlotVIDEOBarGraph();
    EXPECT_EQ(row.setpoint, tVal) << row.mode;
  }
  tVal = 1234;
  parameter.evalMode = 9;
  PlotVIDEOBarGraph();
  EXPECT_EQ(1234, tVal);
}

TEST_F(BarGraph, BarsRunFromTheEdgeToTheEndOfTheLine) {
  PlotVIDEOBarGraph();
  const auto barsA = Rectangles(MAIN_BAR_A, VAL_RED);
  ASSERT_EQ(1u, barsA.size());
  EXPECT_EQ(1010, barsA[0].x1);
  EXPECT_EQ(0.25, barsA[0].y1);
  EXPECT_EQ(4096, barsA[0].x2);
  EXPECT_EQ(1.0, barsA[0].y2);
  EXPECT_EQ(VAL_RED, barsA[0].color);
  ASSERT_EQ(1u, Rectangles(MAIN_BAR_B, VAL_RED).size());
  EXPECT_EQ(2020, Rectangles(MAIN_BAR_B, VAL_RED)[0].x1);
  const testkit::AxisRange x = testkit::GraphAxis(pHandle, MAIN_BAR_A, VAL_BOTTOM_XAXIS);
  EXPECT_EQ(0.0, x.min);
  EXPECT_EQ(4096.0, x.max);
}

TEST_F(BarGraph, AChannelWithoutAnEdgeHasNoBarButItsCursors) {
  edcntA = 0;
  PlotVIDEOBarGraph();
  EXPECT_TRUE(Rectangles(MAIN_BAR_A, VAL_RED).empty());
  EXPECT_EQ(1010, testkit::GraphCursor(pHandle, MAIN_BAR_A, CURSOR_SETPOINT).x);
  EXPECT_EQ(1010, testkit::GraphCursor(pHandle, MAIN_BAR_A, CURSOR_MEASURED).x);
}

TEST_F(BarGraph, CursorsStayOnTheLineWhileTheBarStartsAtTheEdgeAsMeasured) {
  Aval = 0;
  Bval = 5000;
  PlotVIDEOBarGraph();
  EXPECT_EQ(1, curposA);
  EXPECT_EQ(4096, curposB);
  const testkit::Cursor a = testkit::GraphCursor(pHandle, MAIN_BAR_A, CURSOR_SETPOINT);
  EXPECT_EQ(1.0, a.x);
  EXPECT_EQ(0.75, a.y);
  EXPECT_EQ(4096, testkit::GraphCursor(pHandle, MAIN_BAR_B, CURSOR_MEASURED).x);
  EXPECT_EQ(0, Rectangles(MAIN_BAR_A, VAL_RED).at(0).x1);
  EXPECT_EQ(5000, Rectangles(MAIN_BAR_B, VAL_RED).at(0).x1);
}

TEST_F(BarGraph, ModeFourShowsTheSignedDeviation) {
  parameter.evalMode = 4;
  Mvalue = 4000;
  PlotVIDEOBarGraph();
  EXPECT_EQ(-96, Shown(MAIN_VALUE_VPX));
}

TEST_F(BarGraph, CentredModesMarkTheDeviationOnOneGraph) {
  parameter.evalMode = 3;
  Mvalue = 3 * 4096;
  PlotVIDEOBarGraph();
  EXPECT_EQ(2 * 4096, Mvalue);
  testkit::Cursor a = testkit::GraphCursor(pHandle, MAIN_BAR_A, CURSOR_MEASURED);
  EXPECT_EQ(4096, a.x);
  EXPECT_EQ(VAL_CURSOR_MARKER, a.pointStyle);
  EXPECT_EQ(VAL_NO_POINT, testkit::GraphCursor(pHandle, MAIN_BAR_B, CURSOR_MEASURED).pointStyle);

  Mvalue = 4000;
  PlotVIDEOBarGraph();
  const testkit::Cursor b = testkit::GraphCursor(pHandle, MAIN_BAR_B, CURSOR_MEASURED);
  EXPECT_EQ(96, b.x);
  EXPECT_EQ(VAL_CURSOR_MARKER, b.pointStyle);
  EXPECT_EQ(VAL_NO_POINT, testkit::GraphCursor(pHandle, MAIN_BAR_A, CURSOR_MEASURED).pointStyle);

  Mvalue = 4096;
  PlotVIDEOBarGraph();
  EXPECT_EQ(VAL_NO_POINT, testkit::GraphCursor(pHandle, MAIN_BAR_A, CURSOR_MEASURED).pointStyle);
  EXPECT_EQ(VAL_NO_POINT, testkit::GraphCursor(pHandle, MAIN_BAR_B, CURSOR_MEASURED).pointStyle);
}

TEST_F(BarGraph, EveryUpdateRebuildsThePlotsInsteadOfPilingThemUp) {
  for (int i = 0; i < 50; ++i) PlotVIDEOBarGraph();
  // One bar and one tolerance window on graph A in mode 1.
  EXPECT_EQ(2u, testkit::GraphPlots(pHandle, MAIN_BAR_A).size());
  EXPECT_EQ(1u, testkit::GraphPlots(pHandle, MAIN_BAR_B).size());
}

TEST_F(BarGraph, ExtremeValuesDrawWithoutOverflow) {
  Aval = Bval = Mvalue = 65535;
  tolup = tollo = 65535;
  umValue = INT32_MIN;
  anaMax = 65535;
  for (uint16_t mode = 0; mode <= 5; ++mode) {
    parameter.evalMode = mode;
    PlotVIDEOBarGraph();
  }
  EXPECT_TRUE(testkit::IsVisible(pHandle, MAIN_BAR_A));
  EXPECT_DOUBLE_EQ(INT32_MIN / 1000.0, Shown(MAIN_VALUE_MM));
}

}  // namespace
