// Run mode against the simulated sensor: what goes on the wire, what the
// displays show, and how it ends.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/controls.h"
#include "app/globals.h"
#include "support/program_fixture.h"
#include "support/temp_dir.h"
#include "support/wire_trace.h"
#include "runtime/rs232/rs232.h"
#include "runtime/testkit/testkit.h"
#include "runtime/userint/userint.h"
#include "runtime/utility/utility.h"

namespace {

using support::DataWords;

class RunMode : public support::ProgramTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(StartSensor());
    kvorsim::Measurement m;
    m.aval = 1200, m.bval = 2300, m.mvalue = 1200, m.umValue = -1234;
    m.tolup = 40, m.tollo = 30, m.edcntA = 1, m.edcntB = 1, m.tValA = 1190, m.tValB = 2290;
    m.anaMax = 1250, m.anaMin = 1150;
    Sensor().setMeasurement(m);
    kvorsim::ParamFrame frame0 = Sensor().ram(0), frame1 = Sensor().ram(1);
    frame0[2] = 1190;  // teachA: the measured value lies in its window
    frame1[2] = 2290;
    Sensor().setRam(0, frame0);
    Sensor().setRam(1, frame1);
    ASSERT_EQ(0, StartProgramOnSensor());
    startupFrames = Frames();
    Sensor().clearReceived();
    testkit::StartWriteLog();
  }
  std::vector<kvorsim::ReceivedFrame> startupFrames;
  // Clicks Run and presses Stop after the given time; returns when run mode ended.
  double RunFor(double seconds) {
    testkit::RunLater(seconds, [this] {
      during.runDimmed = testkit::IsDimmed(pHandle, MAIN_BTNRUN);
      during.recordDimmed = testkit::IsDimmed(panelPopUp, REC_BTNSTARTRECORD);
      during.stripVisible = testkit::IsVisible(pHandle, MAIN_STRIPCHART);
      during.videoVisible = testkit::IsVisible(pHandle, MAIN_VIDEO_A);
      stopPressed = Timer();
      testkit::Click(pHandle, MAIN_BTNSTOP);
    });
    testkit::Click(pHandle, MAIN_BTNRUN);
    return Timer() - stopPressed;
  }
  struct {
    bool runDimmed = false, recordDimmed = false, stripVisible = false, videoVisible = true;
  } during;
  double stopPressed = 0;
};

TEST_F(RunMode, ShowsEveryReplyAndAsksAgainUntilStop) {
  // The first request carries pp as it stands.
  for (int i = 0; i < 16; ++i) pp[i] = static_cast<u16>(0xB000 + i);
  const std::vector<int> ppBefore(pp, pp + 15);
  const double stopToEnd = RunFor(0.8);
  EXPECT_LT(stopToEnd, 0.2);
  EXPECT_TRUE(during.runDimmed);
  EXPECT_TRUE(during.recordDimmed);
  EXPECT_TRUE(during.stripVisible);
  EXPECT_FALSE(during.videoVisible);
  EXPECT_FALSE(testkit::IsDimmed(pHandle, MAIN_BTNRUN));
  EXPECT_FALSE(testkit::IsDimmed(panelPopUp, REC_BTNSTARTRECORD));

  const auto frames = Frames();
  ASSERT_GE(frames.size(), 5u);
  for (const auto &f : frames) EXPECT_EQ(8, f.command());
  // After the first request, every request carries parameter frame 0.
  EXPECT_EQ(ppBefore, DataWords(frames[0]));
  std::vector<int> frame0;
  for (int i = 0; i < 15; ++i) frame0.push_back(Sensor().ram(0)[i]);
  for (size_t i = 1; i < frames.size(); ++i) EXPECT_EQ(frame0, DataWords(frames[i])) << i;
  // One request at a time: never two without a reply between them, and the
  // next one comes soon after the reply.
  // Measured at the program's writes: a pass sleeps 20 ms, so two requests
  // are at least that far apart.
  const std::vector<double> writes = WriteTimes();
  ASSERT_GE(writes.size(), frames.size());
  for (size_t i = 1; i < writes.size(); ++i) {
    EXPECT_GE(writes[i] - writes[i - 1], 0.02) << i;
    EXPECT_LT(writes[i] - writes[i - 1], 0.25) << i;
  }

  EXPECT_EQ("1200", testkit::Text(pHandle, MAIN_EDGE_A));
  EXPECT_EQ("2300", testkit::Text(pHandle, MAIN_EDGE_B));
  EXPECT_EQ("-1.234", testkit::Text(pHandle, MAIN_VALUE_MM));
  int colour = 0;
  GetCtrlAttribute(pHandle, MAIN_VALUE_MM, ATTR_TEXT_BGCOLOR, &colour);
  EXPECT_EQ(VAL_DK_GREEN, colour);
  const std::vector<double> measured = testkit::StripChartTrace(pHandle, MAIN_STRIPCHART, 4);
  ASSERT_EQ(100u, measured.size());
  EXPECT_EQ(1200.0, measured.back());
}

// The strip chart's numbers as the operator saves them: nothing before the
// first run, then one row per point shown with a column per trace; the bar
// graph's edge position and set-point.
TEST_F(RunMode, SavesTheDataOfTheStripChartAndTheBarGraphFromTheirMenus) {
  testkit::ClearFileSelectCalls();
  ASSERT_EQ(2u, testkit::OpenGraphMenu(pHandle, MAIN_STRIPCHART).size());
  testkit::ChooseGraphMenuEntry(pHandle, MAIN_STRIPCHART, "Save data\u2026");
  EXPECT_EQ("Graph not drawn yet - nothing saved!", Status());
  testkit::OpenGraphMenu(pHandle, MAIN_STRIPCHART);
  testkit::ChooseGraphMenuEntry(pHandle, MAIN_STRIPCHART, "Save picture\u2026");
  EXPECT_EQ("Graph not drawn yet - nothing saved!", Status());
  EXPECT_TRUE(testkit::FileSelectCalls().empty());  // no dialog for nothing

  Sensor().setEdges(1200, 2300);  // moving: the points differ
  Sensor().setMoving(true);
  RunFor(0.8);
  const std::string path = TempPath("strip.csv");
  testkit::OpenGraphMenu(pHandle, MAIN_STRIPCHART);
  testkit::QueueFileSelectAnswer(VAL_NEW_FILE_SELECTED, path);
  testkit::ChooseGraphMenuEntry(pHandle, MAIN_STRIPCHART, "Save data\u2026");
  EXPECT_EQ("Data saved!", Status());
  const std::vector<std::string> rows = FileLines(path);
  ASSERT_EQ(101u, rows.size());
  EXPECT_EQ("point,upper tolerance,lower tolerance,set-point,measured value,fifth: measured value", rows[0]);
  std::vector<std::vector<double>> traces;
  for (int trace = 1; trace <= 5; ++trace) traces.push_back(testkit::StripChartTrace(pHandle, MAIN_STRIPCHART, trace));
  for (int k = 0; k < 100; ++k) {
    std::ostringstream row;
    row << k + 1;  // the newest point sits at the right edge of 101
    for (const auto &values : traces) row << ',' << values.at(k);
    ASSERT_EQ(row.str(), rows[k + 1]) << k;
  }
  EXPECT_EQ(Mvalue, traces[3].back());
  EXPECT_GT(std::set<double>(traces[3].begin(), traces[3].end()).size(), 2u);  // zeros and moving values

  const std::string bar = TempPath("bar-a.csv");
  testkit::OpenGraphMenu(pHandle, MAIN_BAR_A);
  testkit::QueueFileSelectAnswer(VAL_NEW_FILE_SELECTED, bar);
  testkit::ChooseGraphMenuEntry(pHandle, MAIN_BAR_A, "Save data\u2026");
  const std::string barData = ReadBytes(bar);
  const std::string &end = kFileLineEnd;
  EXPECT_EQ(0u, barData.find("quantity,value" + end + "set-point," + std::to_string(tValA) + end)) << barData;
  EXPECT_NE(std::string::npos, barData.find(end + "edge position," + std::to_string(Aval) + end)) << barData;
}

// The program started with a wire trace.
class TracedRunMode : public RunMode {
 protected:
  void SetUp() override {
    extraArgs = {"--trace", TempPath("wire.trace")};
    RunMode::SetUp();
  }
  using Line = support::TraceLine;
  std::vector<Line> Trace() const { return support::ReadTrace(TempPath("wire.trace")); }
};

// What went over the line, byte for byte: the start-up's frames as the
// sensor received them, the replies, and garbage in front of a reply as
// unframed lines, none of it lost.
TEST_F(TracedRunMode, TheTraceHoldsEveryFrameOfTheLineAndTheBytesBetween) {
  std::vector<Line> lines = Trace();
  std::vector<std::vector<uint8_t>> sent;
  for (const Line &line : lines)
    if (line.direction == "TX") sent.push_back(line.bytes);
  ASSERT_EQ(startupFrames.size(), sent.size());
  for (size_t i = 0; i < sent.size(); ++i) EXPECT_EQ(startupFrames[i].bytes, sent[i]) << i;
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ("CMD_ECHO (5), argument 0", lines[0].summary);
  EXPECT_EQ("reply CMD_ECHO (5), argument 0, sync 0x00AA", lines[1].summary);
  EXPECT_EQ(72u, lines.back().bytes.size());
  EXPECT_EQ("reply to CMD_GET_VERSION (7): firmware text \"" + Sensor().identity().firmwareText + "\"",
            lines.back().summary);

  // 40 bytes of garbage in front of the reply to a max/min reset: the
  // receive callback takes 36 as its frame, the rest is flushed unread.
  Sensor().setGarbage(40);
  Sensor().setFaultCommands({11});
  testkit::Click(pHandle, MAIN_BUTTONRESET);
  ASSERT_TRUE(testkit::PumpUntil([this] { return Sensor().repliesSent() >= 6; }, 2.0));
  testkit::Pump(0.2);
  CloseCom(com);  // what is still waiting is traced as the port closes
  lines = Trace();
  size_t reset = 0;
  while (reset < lines.size() && lines[reset].summary.rfind("CMD_RESET_MAXMIN (11)", 0) != 0) ++reset;
  ASSERT_LT(reset, lines.size());
  size_t received = 0, unframed = 0;
  for (size_t i = reset + 1; i < lines.size(); ++i) {
    EXPECT_EQ("RX", lines[i].direction);
    received += lines[i].bytes.size();
    if (lines[i].summary.rfind("unframed bytes", 0) == 0) {
      ++unframed;
      EXPECT_LE(lines[i].bytes.size(), 36u);
    }
  }
  EXPECT_EQ(40u + 36u, received);
  EXPECT_GE(unframed, 1u);
  EXPECT_NE(std::string::npos, lines[reset + 1].summary.find("bad sync")) << lines[reset + 1].summary;
  sent.clear();
  for (const Line &line : lines)
    if (line.direction == "TX") sent.push_back(line.bytes);
  ASSERT_EQ(startupFrames.size() + 1, sent.size());
  EXPECT_EQ(Frames().at(0).bytes, sent.back());
}

TEST_F(RunMode, StopActsOnThePressItself) {
  // The button goes down and stays down: the run ends all the same.
  bool released = false;
  testkit::RunLater(0.4, [] { testkit::Press(pHandle, MAIN_BTNSTOP); });
  testkit::RunLater(3.0, [&released] {
    released = true;
    testkit::Release(pHandle, MAIN_BTNSTOP);
  });
  testkit::Click(pHandle, MAIN_BTNRUN);
  EXPECT_FALSE(released);
  EXPECT_EQ(1, stop_flag);
  EXPECT_FALSE(testkit::IsDimmed(pHandle, MAIN_BTNRUN));
  testkit::Release(pHandle, MAIN_BTNSTOP);
}

TEST_F(RunMode, ASilentSensorEndsItWithTheTimeOutMessage) {
  testkit::RunLater(0.5, [this] { Sensor().setMute(true); });
  const double begin = Timer();
  testkit::Click(pHandle, MAIN_BTNRUN);
  const double took = Timer() - begin;
  EXPECT_EQ("Timeout RS232-Line!", Status());
  EXPECT_GT(took, 0.5 + 1.5);
  EXPECT_LT(took, 0.5 + 1.5 + 0.5);
  EXPECT_EQ(1, stop_flag);
  EXPECT_FALSE(testkit::IsDimmed(pHandle, MAIN_BTNRUN));
  // Only Stop releases the recorder's start button.
  EXPECT_TRUE(testkit::IsDimmed(panelPopUp, REC_BTNSTARTRECORD));
  testkit::Click(pHandle, MAIN_BTNSTOP);
  EXPECT_FALSE(testkit::IsDimmed(panelPopUp, REC_BTNSTARTRECORD));
}

TEST_F(RunMode, RepliesWithAnotherEchoOnlyTriggerTheNextRequest) {
  Sensor().setEchoOverride(1);
  const double begin = Timer();
  testkit::Click(pHandle, MAIN_BTNRUN);
  // The first request waits for a raw-values reply in vain.
  EXPECT_EQ("Timeout RS232-Line!", Status());
  EXPECT_GT(Timer() - begin, 1.5);
  EXPECT_EQ("0", testkit::Text(pHandle, MAIN_EDGE_A));
}

TEST_F(RunMode, StopEndsItEvenWhileARequestIsOutstanding) {
  testkit::RunLater(0.4, [this] { Sensor().setReplyDelayMs(1000); });
  const double stopToEnd = RunFor(0.7);
  EXPECT_LT(stopToEnd, 0.2);
  EXPECT_FALSE(testkit::IsDimmed(pHandle, MAIN_BTNRUN));
}

TEST_F(RunMode, ClosingTheWindowDuringRunModeEndsTheProgramCleanly) {
  testkit::RunLater(0.1, [] { testkit::Click(pHandle, MAIN_BTNRUN); });
  testkit::RunLater(0.6, [] { testkit::ClosePanelWindow(pHandle); });
  const double begin = Timer();
  RunUserInterface();
  EXPECT_LT(Timer() - begin, 1.5);
  EXPECT_EQ(1, stop_flag);
  EXPECT_EQ(RS_PORT_NOT_OPEN, GetInQLen(com));
}

TEST_F(RunMode, HistoryContinuesAcrossRuns) {
  RunFor(0.4);
  const std::vector<double> first = testkit::StripChartTrace(pHandle, MAIN_STRIPCHART, 4);
  int shownBefore = 0;
  for (double v : first) shownBefore += v != 0.0;
  RunFor(0.4);
  int shownAfter = 0;
  for (double v : testkit::StripChartTrace(pHandle, MAIN_STRIPCHART, 4)) shownAfter += v != 0.0;
  EXPECT_GT(shownBefore, 0);
  EXPECT_GT(shownAfter, shownBefore);
}

}  // namespace
