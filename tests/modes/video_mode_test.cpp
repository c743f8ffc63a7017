// Video mode against the simulated sensor: the blocks it asks for and the
// curves it draws from them.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "app/controls.h"
#include "app/globals.h"
#include "support/program_fixture.h"
#include "runtime/testkit/testkit.h"
#include "runtime/userint/userint.h"
#include "runtime/utility/utility.h"

namespace {

std::vector<uint16_t> Ramp(int first, int step) {
  std::vector<uint16_t> v(128);
  for (int i = 0; i < 128; ++i) v[i] = static_cast<uint16_t>(first + step * i);
  return v;
}

class VideoMode : public support::ProgramTest {
 protected:
  void StartWith(uint16_t virtPixel) {
    ASSERT_TRUE(StartSensor());
    kvorsim::Identity id = Sensor().identity();
    id.ccdVirtPixel = virtPixel;
    Sensor().setIdentity(id);
    Sensor().setVideoLine(1, Ramp(10, 1));
    Sensor().setVideoLine(0, Ramp(200, -1));
    ASSERT_EQ(0, StartProgramOnSensor());
    Sensor().clearReceived();
  }
  void StopAfter(double seconds) {
    testkit::RunLater(seconds, [this] {
      during.targetWasRam = target == 1;
      during.stripVisible = testkit::IsVisible(pHandle, MAIN_STRIPCHART);
      during.videoVisible = testkit::IsVisible(pHandle, MAIN_VIDEO_A) &&
                            testkit::IsVisible(pHandle, MAIN_VIDEO_B);
      during.locked = testkit::IsDimmed(pHandle, MAIN_BTNRUN) &&
                      testkit::IsDimmed(pHandle, MAIN_BTNVIDEO) &&
                      testkit::IsDimmed(pHandle, MAIN_BUTTONTEACH) &&
                      testkit::IsDimmed(panelPopUp, REC_BTNSTARTRECORD);
      during.status = Status();
      testkit::Click(pHandle, MAIN_BTNSTOP);
    });
  }
  struct {
    bool targetWasRam = false, stripVisible = true, videoVisible = false, locked = false;
    std::string status;
  } during;
};

TEST_F(VideoMode, AsksForFourBlocksPerLineAndDrawsTheSamplesReceived) {
  StartWith(4096);
  kvorsim::Measurement m;
  m.aval = 1200, m.bval = 2300, m.mvalue = 1200, m.edcntA = 1, m.edcntB = 1, m.anaMax = 77;
  Sensor().setMeasurement(m);
  testkit::Click(pHandle, MAIN_RBTEEPROM);
  // Whatever pp holds goes out with the first raw-values request.
  for (int i = 0; i < 16; ++i) pp[i] = static_cast<u16>(0xA000 + i);
  std::vector<int> ppBefore(pp, pp + 15);
  StopAfter(0.8);
  testkit::Click(pHandle, MAIN_BTNVIDEO);

  EXPECT_TRUE(during.targetWasRam);
  EXPECT_FALSE(during.stripVisible);
  EXPECT_TRUE(during.videoVisible);
  EXPECT_TRUE(during.locked);
  int ram = 0;
  GetCtrlVal(pHandle, MAIN_RBTRAM, &ram);
  EXPECT_EQ(1, ram);

  const auto frames = Frames();
  ASSERT_GE(frames.size(), 10u);
  // The raw-values requests carry pp as it stands, not parameter frame 0:
  // after the first, the value frame of the reply before.
  EXPECT_EQ(ppBefore, support::DataWords(frames[0]));
  const std::vector<int> valueWords(pp, pp + 15);
  EXPECT_EQ(1200, valueWords[0]);
  for (size_t i = 5; i < frames.size(); i += 5) EXPECT_EQ(valueWords, support::DataWords(frames[i])) << i;
  // Each line: raw values, then channel A's two halves, then channel B's.
  const int expected[5][3] = {{8, 0, -1}, {9, 0, 1}, {9, 64, 1}, {9, 0, 0}, {9, 64, 0}};
  for (size_t i = 0; i + 5 <= frames.size(); i += 5) {
    for (int k = 0; k < 5; ++k) {
      const auto &f = frames[i + k];
      ASSERT_EQ(expected[k][0], f.command()) << i + k;
      if (expected[k][0] == 9) {
        EXPECT_EQ(expected[k][1], f.argument()) << i + k;
        EXPECT_EQ(expected[k][2], f.dataWord(0)) << i + k;
        for (int w = 1; w < 15; ++w) EXPECT_EQ(0, f.dataWord(w));
      }
    }
  }

  const auto plotsA = testkit::GraphPlots(pHandle, MAIN_VIDEO_A);
  ASSERT_EQ(2u, plotsA.size());
  const std::vector<uint16_t> lineA = Ramp(10, 1);
  for (int i = 0; i < 128; ++i) ASSERT_EQ(lineA[i], plotsA[0].y[i]) << i;
  const auto plotsB = testkit::GraphPlots(pHandle, MAIN_VIDEO_B);
  ASSERT_EQ(2u, plotsB.size());
  EXPECT_EQ(200.0, plotsB[0].y[0]);
  EXPECT_EQ(73.0, plotsB[0].y[127]);
  EXPECT_EQ(1.0, testkit::GraphAxis(pHandle, MAIN_VIDEO_A, VAL_BOTTOM_XAXIS).min);
  EXPECT_EQ(4096.0, testkit::GraphAxis(pHandle, MAIN_VIDEO_B, VAL_BOTTOM_XAXIS).max);

  EXPECT_FALSE(testkit::IsDimmed(pHandle, MAIN_BTNRUN));
  EXPECT_FALSE(testkit::IsDimmed(pHandle, MAIN_BTNVIDEO));
  EXPECT_TRUE(testkit::IsVisible(pHandle, MAIN_VIDEO_A));  // stays after the end
}

TEST_F(VideoMode, ALineOfTwoThousandFortyEightRunsTheAxesThere) {
  StartWith(2048);
  StopAfter(0.5);
  testkit::Click(pHandle, MAIN_BTNVIDEO);
  EXPECT_EQ(2048.0, testkit::GraphAxis(pHandle, MAIN_VIDEO_A, VAL_BOTTOM_XAXIS).max);
  const auto plots = testkit::GraphPlots(pHandle, MAIN_VIDEO_A);
  ASSERT_FALSE(plots.empty());
  EXPECT_EQ(2032.0, plots[0].x[127]);
}

TEST_F(VideoMode, ASensorThatNeverSendsBlocksKeepsTheLoopGoingWithoutDrawing) {
  StartWith(4096);
  Sensor().setMuteCommands({9});
  DeleteGraphPlot(pHandle, MAIN_VIDEO_A, VAL_ALL_PLOTS, VAL_IMMEDIATE_DRAW);
  // Watch the status box as the operator would, every few milliseconds.
  std::set<std::string> seen;
  std::function<void()> watch = [&] {
    seen.insert(Status());
    if (stop_flag == 0) testkit::RunLater(0.004, watch);
  };
  testkit::RunLater(0.004, watch);
  StopAfter(3.4);
  testkit::Click(pHandle, MAIN_BTNVIDEO);
  EXPECT_EQ(1u, seen.count("Line Ok!"));
  EXPECT_EQ(1u, seen.count("Waiting for Data[64] Block 0 ..."));
  EXPECT_EQ(1u, seen.count("Timeout-RS-232 while reading 64 data-words!"));
  const std::vector<int> commands = Commands();
  ASSERT_GE(commands.size(), 5u);
  EXPECT_EQ((std::vector<int>{8, 9, 8, 9, 8}), std::vector<int>(commands.begin(), commands.begin() + 5));
  EXPECT_TRUE(testkit::GraphPlots(pHandle, MAIN_VIDEO_A).empty());
}

TEST_F(VideoMode, ARawValuesTimeOutEndsIt) {
  StartWith(4096);
  testkit::RunLater(0.4, [this] { Sensor().setMute(true); });
  const double begin = Timer();
  testkit::Click(pHandle, MAIN_BTNVIDEO);
  EXPECT_LT(Timer() - begin, 4.5);
  EXPECT_EQ(1, stop_flag);
  EXPECT_FALSE(testkit::IsDimmed(pHandle, MAIN_BTNVIDEO));
  // Only Stop releases the recorder's start button.
  EXPECT_TRUE(testkit::IsDimmed(panelPopUp, REC_BTNSTARTRECORD));
}

}  // namespace
