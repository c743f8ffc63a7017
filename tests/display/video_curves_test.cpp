// The video graphs and the threshold sliders.
#include <gtest/gtest.h>

#include <vector>

#include "app/controls.h"
#include "app/globals.h"
#include "display/gui.h"
#include "support/program_fixture.h"
#include "runtime/testkit/testkit.h"
#include "runtime/userint/userint.h"

namespace {

class VideoCurves : public support::ProgramTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(0, StartOffline());
    YMAXADC = 256;
    for (int i = 0; i < VIDEO_SAMPLES; ++i) {
      xArray8[i] = 32.0 * i;
      adcbufA[i] = static_cast<u16>(200 - i);
      adcbufB[i] = static_cast<u16>(i);
    }
  }
};

TEST_F(VideoCurves, EachGraphNamesItsChannelAndDrawsTheCurveRedAndTheThresholdDarkGreenOnTop) {
  // The bar graphs have their channel's name beside them; the video graphs
  // carry it as their title.
  EXPECT_EQ("Channel A", testkit::GraphTitle(pHandle, MAIN_VIDEO_A));
  EXPECT_EQ("Channel B", testkit::GraphTitle(pHandle, MAIN_VIDEO_B));
  for (int i = 0; i < VIDEO_SAMPLES; ++i) thdArrayA[i] = 128;
  PlotVIDEOCurveA(adcbufA, thdArrayA, xArray8);
  const auto plots = testkit::GraphPlots(pHandle, MAIN_VIDEO_A);
  ASSERT_EQ(2u, plots.size());
  EXPECT_EQ(VAL_RED, plots[0].color);
  EXPECT_EQ(VAL_DK_GREEN, plots[1].color);
  ASSERT_EQ(128u, plots[0].x.size());
  EXPECT_EQ(200.0, plots[0].y[0]);
  EXPECT_EQ(73.0, plots[0].y[127]);
  EXPECT_EQ(32.0 * 127, plots[0].x[127]);
  EXPECT_EQ(128.0, plots[1].y[64]);
  EXPECT_EQ(VAL_CONNECTED_POINTS, plots[0].plotStyle);
  EXPECT_EQ(VAL_SMALL_SOLID_SQUARE, plots[0].pointStyle);
  EXPECT_EQ(1, plots[0].pointFrequency);
  for (int axis : {VAL_LEFT_YAXIS, VAL_RIGHT_YAXIS}) {
    EXPECT_EQ(0.0, testkit::GraphAxis(pHandle, MAIN_VIDEO_A, axis).min);
    EXPECT_EQ(256.0, testkit::GraphAxis(pHandle, MAIN_VIDEO_A, axis).max);
  }
  // Drawing again replaces the two plots.
  PlotVIDEOCurveA(adcbufA, thdArrayA, xArray8);
  EXPECT_EQ(2u, testkit::GraphPlots(pHandle, MAIN_VIDEO_A).size());
  EXPECT_TRUE(testkit::GraphPlots(pHandle, MAIN_VIDEO_B).size() <= 2u);
}

TEST_F(VideoCurves, SlidersRebuildTheirThresholdLineAtOnce) {
  testkit::Click(pHandle, MAIN_TOGGBTN_PARA2);
  ASSERT_TRUE(testkit::IsPanelVisible(pPara2));
  ASSERT_EQ(0, testkit::MoveSlider(pPara2, PARA2_SLIDEVIDEOTHD_A, 33));
  unsigned short percent = 0;
  GetCtrlVal(pPara2, PARA2_SLIDEVIDEOTHD_A, &percent);
  ASSERT_EQ(33, percent);
  for (int i = 0; i < VIDEO_SAMPLES; ++i) ASSERT_EQ(84, thdArrayA[i]);
  EXPECT_EQ(84.0, testkit::GraphPlots(pHandle, MAIN_VIDEO_A).at(1).y[0]);

  YMAXADC = 1024;
  testkit::MoveSlider(pPara2, PARA2_SLIDEVIDEOTHD_B, 25);
  EXPECT_EQ(256, thdArrayB[127]);
  testkit::MoveSlider(pPara2, PARA2_SLIDEVIDEOTHD_B, 100);
  EXPECT_EQ(1024, thdArrayB[0]);
  testkit::MoveSlider(pPara2, PARA2_SLIDEVIDEOTHD_B, 0);
  EXPECT_EQ(0, thdArrayB[0]);
  EXPECT_EQ(0.0, testkit::GraphPlots(pHandle, MAIN_VIDEO_B).at(1).y[0]);
  // The record keeps its threshold until the panels are read.
  EXPECT_EQ(50, parameter.thdB);
  EXPECT_EQ("0", testkit::Text(pPara2, PARA2_THD_B_LABEL));
}

TEST_F(VideoCurves, AThresholdSetByTheProgramMovesItsLabelButCallsNoCallback) {
  const u16 before = thdArrayA[0];
  SetCtrlVal(pPara2, PARA2_SLIDEVIDEOTHD_A, 77);
  EXPECT_EQ("77", testkit::Text(pPara2, PARA2_THD_A_LABEL));
  EXPECT_EQ(before, thdArrayA[0]);
}

}  // namespace
