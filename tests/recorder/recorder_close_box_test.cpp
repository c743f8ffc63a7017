// Closing the recorder's window while it records ends the recording as a
// Stop would, and the file keeps every sample written up to then.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "app/controls.h"
#include "app/globals.h"
#include "support/program_fixture.h"
#include "runtime/testkit/testkit.h"
#include "runtime/userint/userint.h"
#include "runtime/utility/utility.h"

namespace {

std::vector<std::string> Lines(const std::string &path) { return FileLines(path); }

using RecorderCloseBox = support::ProgramTest;

TEST_F(RecorderCloseBox, ClosingThePopUpEndsTheRecordingAndKeepsTheFile) {
  ASSERT_EQ(0, Start());
  testkit::Click(pHandle, MAIN_TOGGBTN_RECORDER);
  ASSERT_TRUE(testkit::IsPanelVisible(panelPopUp));
  const std::string path = TempPath("closed.dat");
  testkit::QueueFileSelectAnswer(VAL_NEW_FILE_SELECTED, path);
  testkit::Click(panelPopUp, REC_RECORDFILENAMEBTN);
  testkit::TypeValue(panelPopUp, REC_NEDITRECSAMPLES, "1000");
  testkit::TypeValue(panelPopUp, REC_NEDITRECTIME, "0");

  double closed = 0;
  testkit::RunLater(0.5, [&] {
    closed = Timer();
    testkit::ClosePanelWindow(panelPopUp);
  });
  testkit::Click(panelPopUp, REC_BTNSTARTRECORD);

  EXPECT_LT(Timer() - closed, 0.2);
  EXPECT_FALSE(testkit::IsPanelVisible(panelPopUp));
  int toggle = -1;
  GetCtrlVal(pHandle, MAIN_TOGGBTN_RECORDER, &toggle);
  EXPECT_EQ(0, toggle);
  char state[64] = "";
  GetTextBoxLine(panelPopUp, REC_STATE_BOX, 0, state, sizeof state);
  EXPECT_STREQ("DATA-RECORDER", state);

  const std::vector<std::string> lines = Lines(path);
  ASSERT_GT(lines.size(), 3u);
  unsigned short counter = 0;
  GetCtrlVal(panelPopUp, REC_SAMPLE_COUNTER, &counter);
  EXPECT_EQ(lines.size() - 2, counter);
  const std::regex sample("-?\\d+(\\t-?\\d+){5}");
  for (size_t i = 2; i < lines.size(); ++i) EXPECT_TRUE(std::regex_match(lines[i], sample)) << i;
}

}  // namespace
