// The strip chart: five traces of the last 100 cycles, its zoom and clamps.
#include <gtest/gtest.h>

#include <vector>

#include "app/controls.h"
#include "app/globals.h"
#include "display/gui.h"
#include "support/program_fixture.h"
#include "runtime/testkit/testkit.h"
#include "runtime/userint/userint.h"

namespace {

enum { UPPER = 1, LOWER = 2, SETPOINT = 3, MEASURED = 4, FIFTH = 5 };

class StripChart : public support::ProgramTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(0, StartOffline());
    ccdvirtpixel = 4096;
    yaxisMAX = 4096;
    parameter.evalMode = 1;
    parameter.c11 = 0;
    tValA = 1000, tValB = 2000, tolup = 40, tollo = 30, Mvalue = 1005;
    anaMax = 1100, anaMin = 900;
  }
  std::vector<double> Trace(int trace) {
    return testkit::StripChartTrace(pHandle, MAIN_STRIPCHART, trace);
  }
  testkit::AxisRange ValueAxis() {
    return testkit::GraphAxis(pHandle, MAIN_STRIPCHART, VAL_LEFT_YAXIS);
  }
  void Zoom(int on) { SetCtrlVal(pHandle, MAIN_TOGBTN_ZOOM, on); }
};

TEST_F(StripChart, TheFirstUpdateShowsNinetyNineZerosAndOneRealPoint) {
  PlotRAWGraph();
  const std::vector<double> expected[] = {{1040}, {970}, {1000}, {1005}, {1005}};
  for (int trace = UPPER; trace <= FIFTH; ++trace) {
    const std::vector<double> points = Trace(trace);
    ASSERT_EQ(100u, points.size()) << trace;
    for (int i = 0; i < 99; ++i) ASSERT_EQ(0.0, points[i]) << trace << " " << i;
    EXPECT_EQ(expected[trace - 1][0], points[99]) << trace;
  }
  EXPECT_EQ(101, testkit::StripChartPointsPerScreen(pHandle, MAIN_STRIPCHART));
  EXPECT_EQ(VAL_DK_GREEN, testkit::StripChartTraceColor(pHandle, MAIN_STRIPCHART, UPPER));
  EXPECT_EQ(VAL_DK_GREEN, testkit::StripChartTraceColor(pHandle, MAIN_STRIPCHART, LOWER));
  EXPECT_EQ(VAL_BLACK, testkit::StripChartTraceColor(pHandle, MAIN_STRIPCHART, SETPOINT));
  EXPECT_EQ(VAL_RED, testkit::StripChartTraceColor(pHandle, MAIN_STRIPCHART, MEASURED));
  EXPECT_EQ(VAL_RED, testkit::StripChartTraceColor(pHandle, MAIN_STRIPCHART, FIFTH));
}

TEST_F(StripChart, AfterOneHundredAndFiftyUpdatesEachTraceHoldsTheLastHundredInOrder) {
  for (int update = 0; update < 150; ++update) {
    Mvalue = static_cast<u16>(1000 + update);
    PlotRAWGraph();
  }
  const std::vector<double> measured = Trace(MEASURED);
  ASSERT_EQ(100u, measured.size());
  for (int i = 0; i < 100; ++i) ASSERT_EQ(1050 + i, measured[i]) << i;
  EXPECT_EQ(100u, Trace(UPPER).size());
  EXPECT_EQ(1050.0, arrayNORM[3]);  // oldest point, measured trace
  EXPECT_EQ(1149.0, arrayNORM[5 * 99 + 3]);
}

TEST_F(StripChart, ZoomOffShowsTheWholeRange) {
  Zoom(0);
  Mvalue = 3000;
  PlotRAWGraph();
  EXPECT_EQ(0.0, ValueAxis().min);
  EXPECT_EQ(4096.0, ValueAxis().max);
}

TEST_F(StripChart, NarrowToleranceZoomsToAFixedBandWidenedForOutliers) {
  Zoom(1);
  tollo = 19;
  tolup = 500;
  Mvalue = 1005;
  PlotRAWGraph();
  EXPECT_EQ(980.0, ValueAxis().min);
  EXPECT_EQ(1020.0, ValueAxis().max);
  Mvalue = 1100;
  PlotRAWGraph();
  EXPECT_EQ(1140.0, ValueAxis().max);
  Mvalue = 900;
  PlotRAWGraph();
  EXPECT_EQ(860.0, ValueAxis().min);

  // A narrow upper tolerance alone is enough.
  tollo = 500;
  tolup = 19;
  Mvalue = 1005;
  PlotRAWGraph();
  EXPECT_EQ(980.0, ValueAxis().min);
  EXPECT_EQ(1020.0, ValueAxis().max);
}

TEST_F(StripChart, WideToleranceZoomsToTwiceTheToleranceAndClampsToTheAxis) {
  Zoom(1);
  tollo = 20;
  tolup = 25;
  Mvalue = 1000;
  PlotRAWGraph();
  EXPECT_EQ(960.0, ValueAxis().min);
  EXPECT_EQ(1050.0, ValueAxis().max);
  Mvalue = 1000 + 3 * 25;
  PlotRAWGraph();
  EXPECT_EQ(1175.0, ValueAxis().max);
  Mvalue = 4090;
  PlotRAWGraph();
  EXPECT_EQ(4095.0, ValueAxis().max);
  tValA = 10;
  Mvalue = 10;
  PlotRAWGraph();
  EXPECT_EQ(1.0, ValueAxis().min);
}

TEST_F(StripChart, ToleranceLinesAreClampedToTheAxis) {
  tValA = 10;
  tollo = 30;
  tolup = 5000;
  PlotRAWGraph();
  EXPECT_EQ(1.0, Trace(LOWER).back());
  EXPECT_EQ(4095.0, Trace(UPPER).back());
}

TEST_F(StripChart, TheFifthTraceFollowsItsSelection) {
  const struct { uint16_t selection; double value; } rows[] = {
      {0, 1005}, {1, 1100}, {2, 900}, {3, 1100}, {4, 900}, {9, 1005}};
  for (const auto &row : rows) {
    parameter.c11 = row.selection;
    PlotRAWGraph();
    EXPECT_EQ(row.value, Trace(FIFTH).back()) << row.selection;
  }
  anaMin = static_cast<u16>(yaxisMAX - 1);
  parameter.c11 = 2;
  PlotRAWGraph();
  EXPECT_EQ(1.0, Trace(FIFTH).back());
}

TEST_F(StripChart, ModeTwoUsesTheSumAndRaisesZeroTolerancesInTheRecord) {
  parameter.evalMode = 2;
  parameter.tolUpper = 0;
  parameter.tolLower = 5;
  PlotRAWGraph();
  EXPECT_EQ(3000.0, Trace(SETPOINT).back());
  EXPECT_EQ(1, parameter.tolUpper);
  EXPECT_EQ(5, parameter.tolLower);
}

}  // namespace
