// Start values, and the program as a whole process.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "app/controls.h"
#include "app/globals.h"
#include "support/program_fixture.h"
#include "ui/testkit/testkit.h"
#include "ui/userint.h"

namespace {

using StartValues = support::ProgramTest;

TEST_F(StartValues, AfterStartUpWithoutSensor) {
  ASSERT_EQ(0, StartOffline());
  for (int i = 0; i < VIDEO_SAMPLES; ++i) {
    ASSERT_EQ(50 * 256 / 100, thdArrayA[i]);
    ASSERT_EQ(50 * 256 / 100, thdArrayB[i]);
  }
  int recorderToggle = -1;
  GetCtrlVal(pHandle, MAIN_TOGGBTN_RECORDER, &recorderToggle);
  EXPECT_EQ(0, recorderToggle);
  char line[300] = "";
  GetTextBoxLine(panelPopUp, REC_FILE_BOX, 0, line, sizeof line);
  EXPECT_EQ(std::string(proj_dir) + "/KVorRecord.dat", line);
  EXPECT_EQ(std::string(recfile_name), line);
  EXPECT_EQ(1, com);
  EXPECT_EQ(1, target);
  EXPECT_EQ(1, stop_flag);
  EXPECT_EQ(0x55, parameter.start);
  EXPECT_EQ(4096u, parameter.calib);
  EXPECT_EQ(37000u, parameter.setpointUm);
  EXPECT_EQ(512, parameter.teachA);
  EXPECT_EQ(0, parameter.c14);
  EXPECT_STREQ("K-VOR-NE-Duvev", szSoftName);
  EXPECT_STREQ("Version 3.01", szSoftVersion);
  // The bar graphs start with the set-point cursors and no measured marker.
  const testkit::Cursor c = testkit::GraphCursor(pHandle, MAIN_BAR_A, CURSOR_SETPOINT);
  EXPECT_EQ(1.0, c.y);
  EXPECT_EQ(VAL_NO_POINT, testkit::GraphCursor(pHandle, MAIN_BAR_B, CURSOR_MEASURED).pointStyle);
}

int RunProgramIn(const std::string &folder, const std::string &program) {
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(folder.c_str()) != 0) _exit(100);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    execl(program.c_str(), program.c_str(), "--port", "1=/dev/kvor-none", static_cast<char *>(nullptr));
    _exit(101);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1000;
}

TEST_F(StartValues, WithoutItsResourceFileTheProgramEndsWithMinusOne) {
  const std::string copy = TempPath("K-VOR-NE-ZevevU301");
  const std::string command = std::string("cp '") + KVOR_PROGRAM_PATH + "' '" + copy + "'";
  ASSERT_EQ(0, std::system(command.c_str()));
  EXPECT_EQ(255, RunProgramIn(TempDir(), copy));  // -1 as an exit status

  // A damaged resource file is no better.
  const std::string damaged = "echo garbage > '" + TempPath("K-VOR-NE-ZevevU301.uir") + "'";
  ASSERT_EQ(0, std::system(damaged.c_str()));
  EXPECT_EQ(255, RunProgramIn(TempDir(), copy));
}

}  // namespace
