// Video mode against the simulated sensor: the blocks it asks for and the
// curves it draws from them.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <functional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/controls.h"
#include "app/globals.h"
#include "support/program_fixture.h"
#include "support/temp_dir.h"
#include "runtime/testkit/testkit.h"
#include "runtime/userint/userint.h"
#include "runtime/utility/utility.h"

namespace {

std::vector<uint16_t> Ramp(int first, int step) {
  std::vector<uint16_t> v(128);
  for (int i = 0; i < 128; ++i) v[i] = static_cast<uint16_t>(first + step * i);
  return v;
}

bool Exists(const std::string &path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

// Width and height a picture file gives itself: the PNG's header, the SVG's
// view box, the PDF's page in points (one on-screen pixel a point); 0 x 0
// for a file that is none of its kind.
struct PictureSize {
  int width = 0, height = 0;
};
PictureSize SizeOfPicture(const std::string &bytes, const std::string &kind) {
  PictureSize size;
  std::smatch m;
  if (kind == "png" && bytes.size() > 24 && bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0) {
    auto word = [&](size_t at) {
      return (static_cast<unsigned char>(bytes[at]) << 24) | (static_cast<unsigned char>(bytes[at + 1]) << 16) |
             (static_cast<unsigned char>(bytes[at + 2]) << 8) | static_cast<unsigned char>(bytes[at + 3]);
    };
    size.width = word(16), size.height = word(20);
  } else if (kind == "svg" && bytes.find("<svg") != std::string::npos &&
             std::regex_search(bytes, m, std::regex("viewBox=\"0 0 ([0-9]+) ([0-9]+)\""))) {
    size.width = std::stoi(m[1]), size.height = std::stoi(m[2]);
  } else if (kind == "pdf" && bytes.compare(0, 5, "%PDF-") == 0 &&
             std::regex_search(bytes, m, std::regex("/MediaBox \\[0 0 ([0-9.]+) ([0-9.]+)\\]"))) {
    size.width = static_cast<int>(std::stod(m[1]) + 0.5), size.height = static_cast<int>(std::stod(m[2]) + 0.5);
  }
  return size;
}

class VideoMode : public support::ProgramTest {
 protected:
  void StartWith(uint16_t virtPixel, uint16_t adcFullScale = 256) {
    ASSERT_TRUE(StartSensor());
    kvorsim::Identity id = Sensor().identity();
    id.ccdVirtPixel = virtPixel;
    id.adcFullScale = adcFullScale;
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

// The operator's menu on a video graph, while video mode runs and after
// Stop: a picture in each format, the data as CSV whatever the locale, and
// saves that cannot be made told without leaving a file.
TEST_F(VideoMode, SavesPicturesAndDataOfTheVideoGraphFromItsMenu) {
  testkit::UseLocale("de_DE");  // as under LANG=de_DE.UTF-8: "1.000,5" there
  StartWith(4096, 1024);
  Sensor().setVideoLine(1, Ramp(1016, -7));
  const std::string during = TempPath("during.csv");
  std::vector<std::string> menuByKey;
  testkit::RunLater(0.8, [&] {
    menuByKey = testkit::OpenGraphMenu(pHandle, MAIN_VIDEO_A, true);
    testkit::QueueFileSelectAnswer(VAL_NEW_FILE_SELECTED, during);
    testkit::ChooseGraphMenuEntry(pHandle, MAIN_VIDEO_A, "Save data\u2026");
  });
  StopAfter(1.6);
  testkit::Click(pHandle, MAIN_BTNVIDEO);
  EXPECT_EQ((std::vector<std::string>{"Save picture\u2026", "Save data\u2026"}), menuByKey);
  EXPECT_TRUE(Exists(during));

  const testkit::Rect shown = testkit::ControlRect(pHandle, MAIN_VIDEO_A);
  for (const std::string kind : {"png", "svg", "pdf"}) {
    const std::string path = TempPath("video." + kind);
    ASSERT_EQ(2u, testkit::OpenGraphMenu(pHandle, MAIN_VIDEO_A).size());
    testkit::QueueFileSelectAnswer(VAL_NEW_FILE_SELECTED, path);
    testkit::ChooseGraphMenuEntry(pHandle, MAIN_VIDEO_A, "Save picture\u2026");
    EXPECT_EQ("Picture saved!", Status()) << kind;
    const PictureSize size = SizeOfPicture(ReadBytes(path), kind);
    EXPECT_GE(size.width, shown.width) << kind;
    EXPECT_GT(size.height, shown.height) << kind;  // the caption line above the graph
  }
  // The caption: program, firmware and when.
  const std::string svg = ReadBytes(TempPath("video.svg"));
  EXPECT_NE(std::string::npos, svg.find("K-VOR-NE-ZevevU301 Version 3.01 | firmware: " +
                                        Sensor().identity().firmwareText + " | " + DateStr()));

  testkit::OpenGraphMenu(pHandle, MAIN_VIDEO_A);
  testkit::QueueFileSelectAnswer(VAL_NEW_FILE_SELECTED, TempPath("video"));  // no extension: CSV
  testkit::ChooseGraphMenuEntry(pHandle, MAIN_VIDEO_A, "Save data\u2026");
  EXPECT_EQ("Data saved!", Status());
  const std::vector<std::string> rows = FileLines(TempPath("video.csv"));
  ASSERT_EQ(129u, rows.size());
  EXPECT_EQ("sample,video A,threshold A", rows[0]);
  const auto plots = testkit::GraphPlots(pHandle, MAIN_VIDEO_A);
  ASSERT_EQ(2u, plots.size());
  for (int i = 0; i < 128; ++i) {
    EXPECT_EQ(1016.0 - 7 * i, plots[0].y[i]);
    std::ostringstream row;
    row << i << ',' << plots[0].y[i] << ',' << plots[1].y[i];
    ASSERT_EQ(row.str(), rows[i + 1]) << i;
  }

  // A folder that is not there, and a picture type the program cannot write.
  const std::string nowhere = TempPath("gone/video.csv"), jpeg = TempPath("video.jpg");
  testkit::OpenGraphMenu(pHandle, MAIN_VIDEO_A);
  testkit::QueueFileSelectAnswer(VAL_NEW_FILE_SELECTED, nowhere);
  testkit::ChooseGraphMenuEntry(pHandle, MAIN_VIDEO_A, "Save data\u2026");
  EXPECT_EQ("Cannot write the file - nothing saved!", Status());
  testkit::OpenGraphMenu(pHandle, MAIN_VIDEO_A);
  testkit::QueueFileSelectAnswer(VAL_NEW_FILE_SELECTED, jpeg);
  testkit::ChooseGraphMenuEntry(pHandle, MAIN_VIDEO_A, "Save picture\u2026");
  EXPECT_EQ("Picture name must end .png, .svg or .pdf - nothing saved!", Status());
  EXPECT_FALSE(Exists(nowhere));
  EXPECT_FALSE(Exists(jpeg));
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
