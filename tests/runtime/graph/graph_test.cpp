// Graph controls: curves, rectangles, deletion, cursors and axis scaling, as
// read back from the graph.
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_dir.h"
#include "runtime/utility/utility.h"
#include "runtime/layer_fixture.h"

using namespace layer_test;

class LayerGraphTest : public LayerTest {
 protected:
  void SetUp() override {
    LayerTest::SetUp();
    graphs = Load(kGraphsPanel);
    ASSERT_GT(graphs, 0);
    ASSERT_EQ(UIE_NO_ERROR, DisplayPanel(graphs));
  }
  int graphs = 0;
};

// A polling loop's sleep does the drawing that falls due meanwhile, so it
// does not lengthen the loop's pass; no event is processed during it.
TEST_F(LayerGraphTest, ASleepDrawsTheGraphFramesDueMeanwhileAndRunsNoEvents) {
  testkit::Pump(0.1);  // what loading asked for is drawn
  const int before = testkit::GraphRedraws(graphs, kVideoGraph);
  ASSERT_GE(before, 0);
  bool ran = false;
  testkit::RunLater(0, [&ran] { ran = true; });
  double x[2] = {0, 1};
  double y[2] = {5, 6};
  ASSERT_GT(PlotXY(graphs, kVideoGraph, x, y, 2, VAL_DOUBLE, VAL_DOUBLE, VAL_CONNECTED_POINTS,
                   VAL_NO_POINT, VAL_SOLID, 1, VAL_RED), 0);
  // Another thread's sleep is only a sleep: widgets belong to this thread.
  std::thread([] { Sleep(60); }).join();
  EXPECT_EQ(before, testkit::GraphRedraws(graphs, kVideoGraph));
  Sleep(60);
  EXPECT_EQ(before + 1, testkit::GraphRedraws(graphs, kVideoGraph));
  EXPECT_FALSE(ran);
  testkit::Pump(0.1);
  EXPECT_TRUE(ran);
  EXPECT_EQ(before + 1, testkit::GraphRedraws(graphs, kVideoGraph));  // nothing was left to draw
}

// Save picture in the real file dialog: a name typed without extension is
// the .png file the dialog asks about before it is replaced, never one
// replaced without a question.
TEST_F(LayerGraphTest, SavePictureAsksBeforeItReplacesTheFileItWrites) {
  TempDir temp;
  ASSERT_TRUE(temp.ok());
  double x[2] = {0, 1};
  double y[2] = {5, 6};
  ASSERT_GT(PlotXY(graphs, kVideoGraph, x, y, 2, VAL_DOUBLE, VAL_DOUBLE, VAL_CONNECTED_POINTS, VAL_NO_POINT,
                   VAL_SOLID, 1, VAL_RED), 0);
  const std::string picture = temp.File("graph.png");
  ASSERT_TRUE(WriteBytes(picture, "earlier picture"));
  testkit::ClearFileSelectCalls();
  testkit::ShowFileDialogs(true);
  for (const std::string answer : {"No", "Yes"}) {
    ASSERT_EQ(2u, testkit::OpenGraphMenu(graphs, kVideoGraph).size());
    testkit::ChooseGraphMenuEntry(graphs, kVideoGraph, "Save picture\u2026");
    ASSERT_TRUE(testkit::IsFileDialogOpen());
    std::string question;
    testkit::RunLater(0.2, [&] { question = testkit::AnswerQuestion(answer); });
    ASSERT_TRUE(testkit::AnswerFileDialog(temp.File("graph")));
    testkit::PumpUntil([&] { return !question.empty(); }, 2.0);
    EXPECT_NE(std::string::npos, question.find("graph.png already exists")) << answer << ": " << question;
    if (answer == "No") {
      EXPECT_TRUE(testkit::IsFileDialogOpen()) << "the operator may give another name";
      EXPECT_TRUE(testkit::CancelFileDialog());
      EXPECT_TRUE(ReadBytes(picture) == "earlier picture") << "replaced without a question";
    }
  }
  testkit::ShowFileDialogs(false);
  EXPECT_FALSE(testkit::IsFileDialogOpen());
  EXPECT_EQ(0u, ReadBytes(picture).find("\x89PNG"));
  EXPECT_FALSE(std::filesystem::exists(temp.File("graph")));
  ASSERT_EQ(2u, testkit::FileSelectCalls().size());
  EXPECT_EQ("png", testkit::FileSelectCalls()[0].defaultSuffix);

  // A queued answer stands for the name typed: the dialog's suffix is added.
  testkit::OpenGraphMenu(graphs, kVideoGraph);
  testkit::QueueFileSelectAnswer(VAL_NEW_FILE_SELECTED, temp.File("data"));
  testkit::ChooseGraphMenuEntry(graphs, kVideoGraph, "Save data\u2026");
  EXPECT_EQ("csv", testkit::FileSelectCalls().back().defaultSuffix);
  EXPECT_EQ(0u, ReadBytes(temp.File("data.csv")).find("sample,"));
}

TEST_F(LayerGraphTest, CurvesKeepPointsColoursAndStylesInDrawingOrder) {
  double x[4] = {0.5, 32, 64.25, 96};
  unsigned short samples[4] = {10, 200, 65535, 0};
  unsigned short threshold[4] = {128, 128, 128, 128};
  int curve = PlotXY(graphs, kVideoGraph, x, samples, 4, VAL_DOUBLE, VAL_UNSIGNED_SHORT_INTEGER,
                     VAL_CONNECTED_POINTS, VAL_SMALL_SOLID_SQUARE, VAL_SOLID, 1, VAL_RED);
  int line = PlotXY(graphs, kVideoGraph, x, threshold, 4, VAL_DOUBLE, VAL_UNSIGNED_SHORT_INTEGER,
                    VAL_CONNECTED_POINTS, VAL_SMALL_SOLID_SQUARE, VAL_SOLID, 1, VAL_DK_GREEN);
  ASSERT_GT(curve, 0);
  ASSERT_GT(line, 0);
  EXPECT_NE(curve, line);

  std::vector<testkit::Plot> plots = testkit::GraphPlots(graphs, kVideoGraph);
  ASSERT_EQ(2u, plots.size());
  EXPECT_EQ(curve, plots[0].handle);
  EXPECT_EQ(testkit::Plot::XY, plots[0].kind);
  EXPECT_EQ(std::vector<double>({0.5, 32, 64.25, 96}), plots[0].x);
  EXPECT_EQ(std::vector<double>({10, 200, 65535, 0}), plots[0].y);
  EXPECT_EQ(VAL_RED, plots[0].color);
  EXPECT_EQ(VAL_CONNECTED_POINTS, plots[0].plotStyle);
  EXPECT_EQ(VAL_SMALL_SOLID_SQUARE, plots[0].pointStyle);
  EXPECT_EQ(VAL_SOLID, plots[0].lineStyle);
  EXPECT_EQ(1, plots[0].pointFrequency);
  EXPECT_EQ(line, plots[1].handle);  // drawn second, on top
  EXPECT_EQ(VAL_DK_GREEN, plots[1].color);

  // The other numeric types, and x values in any order.
  int xi[3] = {3, -1, 2};
  float yf[3] = {1.5f, -2.25f, 0};
  ASSERT_GT(PlotXY(graphs, kVideoGraph, xi, yf, 3, VAL_INTEGER, VAL_FLOAT, VAL_CONNECTED_POINTS,
                   VAL_NO_POINT, VAL_SOLID, 2, VAL_BLACK), 0);
  plots = testkit::GraphPlots(graphs, kVideoGraph);
  ASSERT_EQ(3u, plots.size());
  EXPECT_EQ(std::vector<double>({3, -1, 2}), plots[2].x);
  EXPECT_EQ(std::vector<double>({1.5, -2.25, 0}), plots[2].y);
  EXPECT_EQ(2, plots[2].pointFrequency);

  EXPECT_EQ(UIE_BAD_TYPE, PlotXY(graphs, kVideoGraph, x, samples, 4, VAL_DOUBLE, 99, 5, 10, 0, 1, 0));
  EXPECT_EQ(UIE_BAD_VALUE, PlotXY(graphs, kVideoGraph, x, samples, 0, VAL_DOUBLE, VAL_UNSIGNED_SHORT_INTEGER, 5, 10, 0, 1, 0));
  EXPECT_EQ(UIE_BAD_VALUE, PlotXY(graphs, kVideoGraph, x, samples, -4, VAL_DOUBLE, VAL_UNSIGNED_SHORT_INTEGER, 5, 10, 0, 1, 0));
  EXPECT_EQ(UIE_BAD_VALUE, PlotXY(graphs, kVideoGraph, nullptr, samples, 4, VAL_DOUBLE, VAL_UNSIGNED_SHORT_INTEGER, 5, 10, 0, 1, 0));
  EXPECT_EQ(UIE_BAD_VALUE, PlotXY(graphs, kVideoGraph, x, samples, 4, VAL_DOUBLE, VAL_UNSIGNED_SHORT_INTEGER, 5, 10, 0, 0, 0));
  EXPECT_EQ(UIE_BAD_TYPE, PlotXY(graphs, kHistory, x, samples, 4, VAL_DOUBLE, VAL_UNSIGNED_SHORT_INTEGER, 5, 10, 0, 1, 0));
  EXPECT_EQ(UIE_BAD_TYPE, PlotXY(controls, kSetpoint, x, samples, 4, VAL_DOUBLE, VAL_UNSIGNED_SHORT_INTEGER, 5, 10, 0, 1, 0));
  EXPECT_EQ(UIE_BAD_PANEL, PlotXY(4242, kVideoGraph, x, samples, 4, VAL_DOUBLE, VAL_UNSIGNED_SHORT_INTEGER, 5, 10, 0, 1, 0));
  EXPECT_EQ(3u, testkit::GraphPlots(graphs, kVideoGraph).size());  // refusals added nothing
}

TEST_F(LayerGraphTest, RectanglesAndDeletionByHandle) {
  int bar = PlotRectangle(graphs, kBarGraph, 1200, 0.25, 4096, 1.0, VAL_RED, VAL_RED);
  int window = PlotRectangle(graphs, kBarGraph, 1150, 0.0, 1250, 0.35, VAL_GREEN, VAL_GREEN);
  int other = PlotRectangle(graphs, kBarGraph, 10, 0.5, 5, 0.1, VAL_BLACK, VAL_WHITE);
  ASSERT_GT(bar, 0);
  ASSERT_GT(window, bar);
  std::vector<testkit::Plot> plots = testkit::GraphPlots(graphs, kBarGraph);
  ASSERT_EQ(3u, plots.size());
  EXPECT_EQ(testkit::Plot::Rectangle, plots[1].kind);
  EXPECT_DOUBLE_EQ(1150, plots[1].x1);
  EXPECT_DOUBLE_EQ(0.0, plots[1].y1);
  EXPECT_DOUBLE_EQ(1250, plots[1].x2);
  EXPECT_DOUBLE_EQ(0.35, plots[1].y2);
  EXPECT_EQ(VAL_GREEN, plots[1].color);
  EXPECT_EQ(VAL_GREEN, plots[1].fillColor);
  EXPECT_EQ(VAL_WHITE, plots[2].fillColor);
  EXPECT_DOUBLE_EQ(10, plots[2].x1);  // corners as given, in any order

  ASSERT_EQ(UIE_NO_ERROR, DeleteGraphPlot(graphs, kBarGraph, window, VAL_DELAYED_DRAW));
  plots = testkit::GraphPlots(graphs, kBarGraph);
  ASSERT_EQ(2u, plots.size());
  EXPECT_EQ(bar, plots[0].handle);
  EXPECT_EQ(other, plots[1].handle);
  EXPECT_EQ(UIE_BAD_PLOT, DeleteGraphPlot(graphs, kBarGraph, window, VAL_DELAYED_DRAW));
  EXPECT_EQ(UIE_BAD_PLOT, DeleteGraphPlot(graphs, kBarGraph, 4242, VAL_IMMEDIATE_DRAW));
  EXPECT_EQ(UIE_BAD_VALUE, DeleteGraphPlot(graphs, kBarGraph, bar, 77));
  ASSERT_EQ(UIE_NO_ERROR, DeleteGraphPlot(graphs, kBarGraph, VAL_ALL_PLOTS, VAL_IMMEDIATE_DRAW));
  EXPECT_TRUE(testkit::GraphPlots(graphs, kBarGraph).empty());
  ASSERT_EQ(UIE_NO_ERROR, DeleteGraphPlot(graphs, kBarGraph, VAL_ALL_PLOTS, VAL_NO_DRAW));

  // Handles stay unique after deletions.
  int next = PlotRectangle(graphs, kBarGraph, 0, 0, 1, 1, 0, 0);
  EXPECT_GT(next, other);
  EXPECT_EQ(UIE_BAD_VALUE, PlotRectangle(graphs, kBarGraph, 0.0 / 0.0, 0, 1, 1, 0, 0));
}

TEST_F(LayerGraphTest, CursorsPositionsAndPointStyles) {
  testkit::Cursor cursor = testkit::GraphCursor(graphs, kBarGraph, 1);
  EXPECT_TRUE(cursor.exists);
  EXPECT_EQ(VAL_CURSOR_MARKER, cursor.pointStyle);  // visible until told otherwise

  ASSERT_EQ(UIE_NO_ERROR, SetGraphCursor(graphs, kBarGraph, 1, 1200, 0.75));
  ASSERT_EQ(UIE_NO_ERROR, SetGraphCursor(graphs, kBarGraph, 2, 4096, 1.0));
  ASSERT_EQ(UIE_NO_ERROR, SetCursorAttribute(graphs, kBarGraph, 2, ATTR_CURSOR_POINT_STYLE, VAL_NO_POINT));
  cursor = testkit::GraphCursor(graphs, kBarGraph, 1);
  EXPECT_DOUBLE_EQ(1200, cursor.x);
  EXPECT_DOUBLE_EQ(0.75, cursor.y);
  EXPECT_EQ(VAL_CURSOR_MARKER, cursor.pointStyle);
  cursor = testkit::GraphCursor(graphs, kBarGraph, 2);
  EXPECT_DOUBLE_EQ(4096, cursor.x);
  EXPECT_EQ(VAL_NO_POINT, cursor.pointStyle);
  ASSERT_EQ(UIE_NO_ERROR, SetCursorAttribute(graphs, kBarGraph, 2, ATTR_CURSOR_POINT_STYLE, VAL_CURSOR_MARKER));
  EXPECT_EQ(VAL_CURSOR_MARKER, testkit::GraphCursor(graphs, kBarGraph, 2).pointStyle);

  // Cursors are not plots: deleting every plot leaves them in place.
  ASSERT_EQ(UIE_NO_ERROR, DeleteGraphPlot(graphs, kBarGraph, VAL_ALL_PLOTS, VAL_IMMEDIATE_DRAW));
  EXPECT_DOUBLE_EQ(1200, testkit::GraphCursor(graphs, kBarGraph, 1).x);

  EXPECT_FALSE(testkit::GraphCursor(graphs, kBarGraph, 3).exists);
  EXPECT_FALSE(testkit::GraphCursor(graphs, kVideoGraph, 1).exists);
  EXPECT_EQ(UIE_BAD_VALUE, SetGraphCursor(graphs, kBarGraph, 3, 1, 1));
  EXPECT_EQ(UIE_BAD_VALUE, SetGraphCursor(graphs, kBarGraph, 0, 1, 1));
  EXPECT_EQ(UIE_BAD_VALUE, SetGraphCursor(graphs, kVideoGraph, 1, 1, 1));
  EXPECT_EQ(UIE_BAD_ATTRIBUTE, SetCursorAttribute(graphs, kBarGraph, 1, ATTR_TRACE_COLOR, 1));
  EXPECT_EQ(UIE_BAD_TYPE, SetGraphCursor(controls, kSetpoint, 1, 1, 1));
}

TEST_F(LayerGraphTest, AxesStartFromThePanelFileAndFollowScalingModes) {
  testkit::AxisRange x = testkit::GraphAxis(graphs, kBarGraph, VAL_BOTTOM_XAXIS);
  EXPECT_DOUBLE_EQ(0, x.min);
  EXPECT_DOUBLE_EQ(4096, x.max);
  testkit::AxisRange y = testkit::GraphAxis(graphs, kVideoGraph, VAL_LEFT_YAXIS);
  EXPECT_DOUBLE_EQ(256, y.max);

  ASSERT_EQ(UIE_NO_ERROR, SetAxisScalingMode(graphs, kVideoGraph, VAL_LEFT_YAXIS, VAL_MANUAL, 0.0, 1024));
  ASSERT_EQ(UIE_NO_ERROR, SetAxisScalingMode(graphs, kVideoGraph, VAL_RIGHT_YAXIS, VAL_MANUAL, 0.0, 1024));
  EXPECT_DOUBLE_EQ(1024, testkit::GraphAxis(graphs, kVideoGraph, VAL_LEFT_YAXIS).max);
  EXPECT_DOUBLE_EQ(1024, testkit::GraphAxis(graphs, kVideoGraph, VAL_RIGHT_YAXIS).max);
  EXPECT_EQ(VAL_MANUAL, testkit::GraphAxis(graphs, kVideoGraph, VAL_LEFT_YAXIS).mode);

  // Autoscale follows the curves.
  double xs[3] = {100, 300, 200};
  double ys[3] = {-5, 40, 12};
  ASSERT_GT(PlotXY(graphs, kVideoGraph, xs, ys, 3, VAL_DOUBLE, VAL_DOUBLE, VAL_CONNECTED_POINTS,
                   VAL_SMALL_SOLID_SQUARE, VAL_SOLID, 1, VAL_RED), 0);
  ASSERT_EQ(UIE_NO_ERROR, SetAxisScalingMode(graphs, kVideoGraph, VAL_BOTTOM_XAXIS, VAL_AUTOSCALE, 0, 0));
  ASSERT_EQ(UIE_NO_ERROR, SetAxisScalingMode(graphs, kVideoGraph, VAL_LEFT_YAXIS, VAL_AUTOSCALE, 0, 0));
  x = testkit::GraphAxis(graphs, kVideoGraph, VAL_BOTTOM_XAXIS);
  y = testkit::GraphAxis(graphs, kVideoGraph, VAL_LEFT_YAXIS);
  EXPECT_EQ(VAL_AUTOSCALE, x.mode);
  EXPECT_DOUBLE_EQ(100, x.min);
  EXPECT_DOUBLE_EQ(300, x.max);
  EXPECT_DOUBLE_EQ(-5, y.min);
  EXPECT_DOUBLE_EQ(40, y.max);

  EXPECT_EQ(UIE_BAD_VALUE, SetAxisScalingMode(graphs, kVideoGraph, VAL_LEFT_YAXIS, VAL_MANUAL, 10, 10));
  EXPECT_EQ(UIE_BAD_VALUE, SetAxisScalingMode(graphs, kVideoGraph, VAL_LEFT_YAXIS, VAL_MANUAL, 10, 5));
  EXPECT_EQ(UIE_BAD_VALUE, SetAxisScalingMode(graphs, kVideoGraph, 7, VAL_MANUAL, 0, 5));
  EXPECT_EQ(UIE_BAD_VALUE, SetAxisScalingMode(graphs, kVideoGraph, VAL_LEFT_YAXIS, 9, 0, 5));
  EXPECT_EQ(UIE_BAD_TYPE, SetAxisScalingMode(controls, kSetpoint, VAL_LEFT_YAXIS, VAL_MANUAL, 0, 5));
}

TEST_F(LayerGraphTest, ScreenshotShowsTheGraphs) {
  unsigned short samples[128];
  double x[128];
  for (int i = 0; i < 128; ++i) {
    x[i] = i;
    samples[i] = static_cast<unsigned short>(i < 64 ? 200 : 30);
  }
  ASSERT_GT(PlotXY(graphs, kVideoGraph, x, samples, 128, VAL_DOUBLE, VAL_UNSIGNED_SHORT_INTEGER,
                   VAL_CONNECTED_POINTS, VAL_SMALL_SOLID_SQUARE, VAL_SOLID, 1, VAL_RED), 0);
  ASSERT_GT(PlotRectangle(graphs, kBarGraph, 1200, 0.25, 4096, 1.0, VAL_RED, VAL_RED), 0);
  ASSERT_EQ(UIE_NO_ERROR, SetGraphCursor(graphs, kBarGraph, 1, 1200, 0.75));
  EXPECT_TRUE(testkit::SaveScreenshot(graphs, "layer-test-graphs.png"));
  EXPECT_FALSE(testkit::SaveScreenshot(4242, "layer-test-none.png"));
}
