// Recordings against the simulated sensor, the file read back line by line.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "app/controls.h"
#include "app/globals.h"
#include "support/file_size_limit.h"
#include "support/program_fixture.h"
#include "runtime/testkit/testkit.h"
#include "runtime/userint/userint.h"
#include "runtime/utility/utility.h"

namespace {

std::vector<std::string> Lines(const std::string &path) { return FileLines(path); }

std::string ReadFile(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

const char kSampleLine[] = "1200\t2300\t1200\t-1234\t1\t2";

class Recorder : public support::ProgramTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(StartSensor());
    kvorsim::Measurement m;
    m.aval = 1200, m.bval = 2300, m.mvalue = 1200, m.umValue = -1234;
    m.tolup = 40, m.tollo = 30, m.edcntA = 1, m.edcntB = 2, m.tValA = 1190, m.tValB = 2290;
    Sensor().setMeasurement(m);
    ASSERT_EQ(0, StartProgramOnSensor());
    testkit::Click(pHandle, MAIN_TOGGBTN_RECORDER);
    path = TempPath("record.dat");
    ChooseFile(path);
  }
  void ChooseFile(const std::string &file) {
    testkit::QueueFileSelectAnswer(VAL_NEW_FILE_SELECTED, file);
    testkit::Click(panelPopUp, REC_RECORDFILENAMEBTN);
  }
  void Configure(int samples, int interval) {
    testkit::TypeValue(panelPopUp, REC_NEDITRECSAMPLES, std::to_string(samples));
    testkit::TypeValue(panelPopUp, REC_NEDITRECTIME, std::to_string(interval));
  }
  std::string StateText() {
    char text[64] = "";
    GetTextBoxLine(panelPopUp, REC_STATE_BOX, 0, text, sizeof text);
    return text;
  }
  int StateBackground() {
    int colour = 0;
    GetCtrlAttribute(panelPopUp, REC_STATE_BOX, ATTR_TEXT_BGCOLOR, &colour);
    return colour;
  }
  int Counter() {
    unsigned short n = 0;
    GetCtrlVal(panelPopUp, REC_SAMPLE_COUNTER, &n);
    return n;
  }
  void ExpectHeader(const std::vector<std::string> &lines, int interval) {
    ASSERT_GE(lines.size(), 2u);
    const std::regex first("\\d\\d-\\d\\d-\\d{4} \\d\\d:\\d\\d:\\d\\d  K-VOR-RECORDER-FILE: "
                           "Time-Interval\\[s\\]: " + std::to_string(interval));
    EXPECT_TRUE(std::regex_match(lines[0], first)) << lines[0];
    EXPECT_EQ("SETPOINT-VALUE [\xB5m]: " + std::to_string(parameter.setpointUm), lines[1]);
  }
  std::string path;
};

TEST_F(Recorder, AShortRecordingWritesTheHeaderAndOneLinePerSample) {
  Configure(3, 0);
  std::string stateDuring;
  int backgroundDuring = 0;
  bool locked = false;
  testkit::RunLater(0.02, [&] {
    stateDuring = StateText();
    backgroundDuring = StateBackground();
    locked = testkit::IsDimmed(pHandle, MAIN_BTNRUN) && testkit::IsDimmed(pHandle, MAIN_BTNVIDEO) &&
             testkit::IsDimmed(pHandle, MAIN_BUTTONTEACH) &&
             testkit::IsDimmed(panelPopUp, REC_BTNSTARTRECORD);
  });
  for (int i = 0; i < 16; ++i) pp[i] = static_cast<u16>(0xC000 + i);
  Sensor().clearReceived();
  testkit::StartTextLog();
  testkit::Click(panelPopUp, REC_BTNSTARTRECORD);
  testkit::StopTextLog();

  // Every request carries parameter frame 0; the first is followed by "Line Ok!".
  const auto frames = Frames();
  ASSERT_GE(frames.size(), 3u);
  std::vector<int> frame0;
  for (int i = 0; i < 15; ++i) frame0.push_back(Sensor().ram(0)[i]);
  for (size_t i = 0; i < frames.size(); ++i) {
    EXPECT_EQ(8, frames[i].command()) << i;
    EXPECT_EQ(frame0, support::DataWords(frames[i])) << i;
  }
  EXPECT_EQ((std::vector<std::string>{"Line Ok!"}), testkit::TextLog(pHandle, MAIN_STATUS));

  const std::vector<std::string> lines = Lines(path);
  ExpectHeader(lines, 0);
  ASSERT_EQ(5u, lines.size());
  for (int i = 2; i < 5; ++i) EXPECT_EQ(kSampleLine, lines[i]);
  EXPECT_EQ('\n', ReadFile(path).back());
  EXPECT_EQ(3, Counter());

  EXPECT_EQ("DATA-RECORDER active ...", stateDuring);
  EXPECT_EQ(VAL_RED, backgroundDuring);
  EXPECT_TRUE(locked);
  EXPECT_EQ("DATA-RECORDER", StateText());
  EXPECT_EQ(MakeColor(224, 224, 224), StateBackground());
  EXPECT_FALSE(testkit::IsDimmed(pHandle, MAIN_BTNRUN));
  EXPECT_FALSE(testkit::IsDimmed(panelPopUp, REC_BTNSTARTRECORD));
  EXPECT_TRUE(testkit::IsDimmed(pHandle, MAIN_BTNVIDEO));  // until a Stop button
}

TEST_F(Recorder, SamplesKeepTheirIntervalInWholeSeconds) {
  Configure(3, 1);
  const double begin = Timer();
  testkit::Click(panelPopUp, REC_BTNSTARTRECORD);
  const double took = Timer() - begin;
  EXPECT_EQ(5u, Lines(path).size());
  EXPECT_GT(took, 2.0);
  EXPECT_LT(took, 3.6);
}

TEST_F(Recorder, StoppedAfterTwoSamplesTheFileHoldsThoseTwo) {
  Configure(100, 1);
  std::function<void()> watch = [&] {
    if (Counter() >= 2)
      testkit::Click(panelPopUp, REC_BTNSTOPRECORD);
    else
      testkit::RunLater(0.01, watch);
  };
  testkit::RunLater(0.01, watch);
  testkit::Click(panelPopUp, REC_BTNSTARTRECORD);
  const std::vector<std::string> lines = Lines(path);
  ExpectHeader(lines, 1);
  EXPECT_EQ(4u, lines.size());
  EXPECT_FALSE(testkit::IsDimmed(pHandle, MAIN_BTNVIDEO));
}

TEST_F(Recorder, ASampleLimitOfZeroWritesTheHeaderOnly) {
  Configure(0, 0);
  testkit::Click(panelPopUp, REC_BTNSTARTRECORD);
  EXPECT_EQ(2u, Lines(path).size());
}

TEST_F(Recorder, ANewRecordingOnTheSamePathReplacesTheFile) {
  Configure(3, 0);
  testkit::Click(panelPopUp, REC_BTNSTARTRECORD);
  Configure(1, 0);
  testkit::Click(panelPopUp, REC_BTNSTARTRECORD);
  EXPECT_EQ(3u, Lines(path).size());
}

TEST_F(Recorder, ASilentSensorEndsTheRecordingAndKeepsEverySampleWritten) {
  Configure(1000, 0);
  testkit::RunLater(0.5, [this] { Sensor().setMute(true); });
  testkit::Click(panelPopUp, REC_BTNSTARTRECORD);
  EXPECT_EQ("Timeout RS232-Line!", Status());
  const std::vector<std::string> lines = Lines(path);
  ASSERT_GT(lines.size(), 3u);
  for (size_t i = 2; i < lines.size(); ++i) EXPECT_EQ(kSampleLine, lines[i]) << i;
  EXPECT_EQ(static_cast<int>(lines.size()) - 2, Counter());
}

TEST_F(Recorder, AnUnpluggedSensorEndsTheRecordingWithTheFileIntact) {
  Configure(1000, 0);
  testkit::RunLater(0.5, [this] { Sensor().hangUp(); });
  testkit::Click(panelPopUp, REC_BTNSTARTRECORD);
  const std::vector<std::string> lines = Lines(path);
  ASSERT_GT(lines.size(), 3u);
  EXPECT_EQ(kSampleLine, lines.back());
  EXPECT_EQ("DATA-RECORDER", StateText());
}

TEST_F(Recorder, AFileThatCannotBeWrittenStopsTheRecordingWithAMessage) {
  const std::string folder = TempPath("in-the-way.dat");
  std::filesystem::create_directory(folder);
  ChooseFile(folder);
  Configure(3, 0);
  testkit::Click(panelPopUp, REC_BTNSTARTRECORD);
  EXPECT_EQ("Cannot write recorder file - recording not started!", Status());
  EXPECT_EQ("DATA-RECORDER", StateText());
  EXPECT_FALSE(testkit::IsDimmed(panelPopUp, REC_BTNSTARTRECORD));

  ChooseFile(TempPath("no-such-folder/record.dat"));
  testkit::Click(panelPopUp, REC_BTNSTARTRECORD);
  EXPECT_EQ("Cannot write recorder file - recording not started!", Status());
}

TEST_F(Recorder, ADiskThatFillsUpMidLineLeavesOnlyWholeLinesAndCountsThem) {
  if (!support::FileSizeLimit::Available()) GTEST_SKIP() << "no disk that fills up for one process here";
  Configure(1000, 0);
  std::unique_ptr<support::FileSizeLimit> diskFull;
  // Room for two more lines and part of a third, some samples in.
  testkit::RunLater(0.3, [&] {
    const auto size = std::filesystem::file_size(path);
    diskFull = std::make_unique<support::FileSizeLimit>(size + 2 * (sizeof kSampleLine) + 7);
  });
  testkit::Click(panelPopUp, REC_BTNSTARTRECORD);
  diskFull.reset();
  EXPECT_EQ("Cannot write recorder file - recording stopped!", Status());
  const std::string content = ReadFile(path);
  ASSERT_FALSE(content.empty());
  EXPECT_EQ('\n', content.back());
  const std::vector<std::string> lines = Lines(path);
  ExpectHeader(lines, 0);
  ASSERT_GT(lines.size(), 4u);
  for (size_t i = 2; i < lines.size(); ++i) EXPECT_EQ(kSampleLine, lines[i]) << i;
  EXPECT_EQ(static_cast<int>(lines.size()) - 2, Counter());
  EXPECT_EQ("DATA-RECORDER", StateText());
}

TEST_F(Recorder, ChoosingTheFileShowsItAndCancelKeepsIt) {
  const auto calls = testkit::FileSelectCalls();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ("K-VOR-Series Recorder-File:", calls.back().title);
  EXPECT_EQ("KVORrecord.dat", calls.back().defaultName);
  EXPECT_EQ("*.dat", calls.back().filter);
  char line[300] = "";
  GetTextBoxLine(panelPopUp, REC_FILE_BOX, 0, line, sizeof line);
  EXPECT_EQ(path, line);
  testkit::QueueFileSelectAnswer(VAL_NO_FILE_SELECTED, "");
  testkit::Click(panelPopUp, REC_RECORDFILENAMEBTN);
  EXPECT_EQ(path, std::string(recfile_name));
  EXPECT_EQ(VAL_NO_FILE_SELECTED, ret);
}

TEST_F(Recorder, DurationDisplaysFollowTheInputs) {
  Configure(999, 100);
  const int expected[][2] = {{REC_DAYS, 1}, {REC_HOURS, 3}, {REC_MINUTES, 45}, {REC_SECONDS, 0}};
  for (const auto &row : expected) {
    unsigned short v = 99;
    GetCtrlVal(panelPopUp, row[0], &v);
    EXPECT_EQ(row[1], v) << row[0];
  }
  Configure(999, 0);
  for (const auto &row : expected) {
    unsigned short v = 99;
    GetCtrlVal(panelPopUp, row[0], &v);
    EXPECT_EQ(0, v) << row[0];
  }
}

}  // namespace
