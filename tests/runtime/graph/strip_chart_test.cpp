// The strip chart: traces filled in rounds, a bounded history per trace, and
// its attributes.
#include <vector>

#include "runtime/layer_fixture.h"

using namespace layer_test;

class LayerStripChartTest : public LayerTest {
 protected:
  void SetUp() override {
    LayerTest::SetUp();
    graphs = Load(kGraphsPanel);
    ASSERT_GT(graphs, 0);
    ASSERT_EQ(UIE_NO_ERROR, DisplayPanel(graphs));
  }
  int graphs = 0;
};

TEST_F(LayerStripChartTest, EachTraceKeepsItsNewestPointsInOrder) {
  ASSERT_EQ(101, testkit::StripChartPointsPerScreen(graphs, kHistory));
  // A history of 100 points of 5 interleaved traces, shifted by one point and
  // handed over whole every update, as the raw-value graph does. The point
  // added in update u holds u * 10 + trace.
  double history[500] = {0};
  const int kUpdates = 150;
  for (int u = 0; u < kUpdates; ++u) {
    for (int i = 0; i < 495; ++i) history[i] = history[i + 5];
    for (int t = 0; t < 5; ++t) history[495 + t] = u * 10 + (t + 1);
    ASSERT_EQ(UIE_NO_ERROR, PlotStripChart(graphs, kHistory, history, 500, 0, 0, VAL_DOUBLE));
  }
  // What stays are the 101 newest points a trace received: the newest point of
  // the next-to-last update, then the 100 points of the last one (the points
  // added in updates 50 ... 149).
  for (int t = 1; t <= 5; ++t) {
    std::vector<double> expected;
    expected.push_back(148 * 10 + t);
    for (int u = 50; u < kUpdates; ++u) expected.push_back(u * 10 + t);
    EXPECT_EQ(expected, testkit::StripChartTrace(graphs, kHistory, t)) << "trace " << t;
  }
  EXPECT_TRUE(testkit::StripChartTrace(graphs, kHistory, 6).empty());
}

TEST_F(LayerStripChartTest, StartSkipAndTypesPickTheValues) {
  ASSERT_EQ(UIE_NO_ERROR, SetCtrlAttribute(graphs, kHistory, ATTR_NUM_TRACES, 2));
  unsigned short words[9] = {0, 11, 99, 21, 99, 12, 99, 22, 99};
  // From element 1, every second element: 11, 21, 12, 22.
  ASSERT_EQ(UIE_NO_ERROR, PlotStripChart(graphs, kHistory, words, 4, 1, 1, VAL_UNSIGNED_SHORT_INTEGER));
  EXPECT_EQ(std::vector<double>({11, 12}), testkit::StripChartTrace(graphs, kHistory, 1));
  EXPECT_EQ(std::vector<double>({21, 22}), testkit::StripChartTrace(graphs, kHistory, 2));

  int ints[2] = {-3, 4};
  ASSERT_EQ(UIE_NO_ERROR, PlotStripChart(graphs, kHistory, ints, 2, 0, 0, VAL_INTEGER));
  EXPECT_EQ(std::vector<double>({11, 12, -3}), testkit::StripChartTrace(graphs, kHistory, 1));

  // Only whole rounds, and nothing bad is read.
  EXPECT_EQ(UIE_BAD_VALUE, PlotStripChart(graphs, kHistory, ints, 1, 0, 0, VAL_INTEGER));
  EXPECT_EQ(UIE_BAD_VALUE, PlotStripChart(graphs, kHistory, ints, 2, -1, 0, VAL_INTEGER));
  EXPECT_EQ(UIE_BAD_VALUE, PlotStripChart(graphs, kHistory, ints, 2, 0, -1, VAL_INTEGER));
  EXPECT_EQ(UIE_BAD_VALUE, PlotStripChart(graphs, kHistory, nullptr, 2, 0, 0, VAL_INTEGER));
  EXPECT_EQ(UIE_BAD_TYPE, PlotStripChart(graphs, kHistory, ints, 2, 0, 0, 42));
  EXPECT_EQ(UIE_BAD_TYPE, PlotStripChart(graphs, kBarGraph, ints, 2, 0, 0, VAL_INTEGER));
  EXPECT_EQ(3u, testkit::StripChartTrace(graphs, kHistory, 1).size());

  ASSERT_EQ(UIE_NO_ERROR, ClearStripChart(graphs, kHistory));
  EXPECT_TRUE(testkit::StripChartTrace(graphs, kHistory, 1).empty());
  EXPECT_TRUE(testkit::StripChartTrace(graphs, kHistory, 2).empty());
  EXPECT_EQ(UIE_BAD_TYPE, ClearStripChart(graphs, kVideoGraph));
}

TEST_F(LayerStripChartTest, AttributesOfChartAndTraces) {
  ASSERT_EQ(UIE_NO_ERROR, SetTraceAttribute(graphs, kHistory, 1, ATTR_TRACE_COLOR, VAL_DK_GREEN));
  ASSERT_EQ(UIE_NO_ERROR, SetTraceAttribute(graphs, kHistory, 4, ATTR_TRACE_COLOR, VAL_RED));
  ASSERT_EQ(UIE_NO_ERROR, SetTraceAttribute(graphs, kHistory, 1, ATTR_TRACE_REFERENCE, 1));
  EXPECT_EQ(VAL_DK_GREEN, testkit::StripChartTraceColor(graphs, kHistory, 1));
  EXPECT_EQ(VAL_RED, testkit::StripChartTraceColor(graphs, kHistory, 4));
  EXPECT_EQ(UIE_BAD_VALUE, SetTraceAttribute(graphs, kHistory, 6, ATTR_TRACE_COLOR, VAL_RED));
  EXPECT_EQ(UIE_BAD_VALUE, SetTraceAttribute(graphs, kHistory, 0, ATTR_TRACE_COLOR, VAL_RED));
  EXPECT_EQ(UIE_BAD_ATTRIBUTE, SetTraceAttribute(graphs, kHistory, 1, ATTR_CURSOR_POINT_STYLE, 1));

  ASSERT_EQ(UIE_NO_ERROR, SetCtrlAttribute(graphs, kHistory, ATTR_SMOOTH_UPDATE, 1));
  int value = -1;
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlAttribute(graphs, kHistory, ATTR_SMOOTH_UPDATE, &value));
  EXPECT_EQ(1, value);
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlAttribute(graphs, kHistory, ATTR_NUM_TRACES, &value));
  EXPECT_EQ(5, value);

  // Fewer points per screen drop the oldest; the chart's x axis follows.
  double round[5] = {1, 2, 3, 4, 5};
  for (int i = 0; i < 4; ++i) {
    round[0] = i;
    ASSERT_EQ(UIE_NO_ERROR, PlotStripChart(graphs, kHistory, round, 5, 0, 0, VAL_DOUBLE));
  }
  ASSERT_EQ(UIE_NO_ERROR, SetCtrlAttribute(graphs, kHistory, ATTR_POINTS_PER_SCREEN, 2));
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlAttribute(graphs, kHistory, ATTR_POINTS_PER_SCREEN, &value));
  EXPECT_EQ(2, value);
  EXPECT_EQ(std::vector<double>({2, 3}), testkit::StripChartTrace(graphs, kHistory, 1));
  EXPECT_DOUBLE_EQ(1, testkit::GraphAxis(graphs, kHistory, VAL_BOTTOM_XAXIS).max);
  EXPECT_EQ(UIE_BAD_VALUE, SetCtrlAttribute(graphs, kHistory, ATTR_POINTS_PER_SCREEN, 0));
  EXPECT_EQ(UIE_BAD_VALUE, SetCtrlAttribute(graphs, kHistory, ATTR_NUM_TRACES, 0));
  // A trace colour survives a change of the number of traces.
  ASSERT_EQ(UIE_NO_ERROR, SetCtrlAttribute(graphs, kHistory, ATTR_NUM_TRACES, 6));
  EXPECT_EQ(VAL_DK_GREEN, testkit::StripChartTraceColor(graphs, kHistory, 1));
  EXPECT_TRUE(testkit::StripChartTrace(graphs, kHistory, 6).empty());

  ASSERT_EQ(UIE_NO_ERROR, SetAxisScalingMode(graphs, kHistory, VAL_LEFT_YAXIS, VAL_MANUAL, 480, 560));
  testkit::AxisRange y = testkit::GraphAxis(graphs, kHistory, VAL_LEFT_YAXIS);
  EXPECT_DOUBLE_EQ(480, y.min);
  EXPECT_DOUBLE_EQ(560, y.max);
  EXPECT_EQ(UIE_BAD_VALUE, SetAxisScalingMode(graphs, kHistory, VAL_BOTTOM_XAXIS, VAL_MANUAL, 0, 5));
  EXPECT_EQ(UIE_BAD_VALUE, SetAxisScalingMode(graphs, kHistory, VAL_LEFT_YAXIS, VAL_MANUAL, 5, 5));
  EXPECT_EQ(UIE_BAD_ATTRIBUTE, SetCtrlAttribute(graphs, kBarGraph, ATTR_POINTS_PER_SCREEN, 5));
}
