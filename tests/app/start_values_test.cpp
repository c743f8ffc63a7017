// Start values, and the program as a whole process, built and installed.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/controls.h"
#include "app/globals.h"
#include "program_process.h"
#include "support/program_fixture.h"
#include "runtime/testkit/testkit.h"
#include "runtime/userint/userint.h"

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
  EXPECT_EQ(std::filesystem::path(proj_dir) / "KVorRecord.dat", std::filesystem::path(line));
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

using apptest::RunProgram;
using apptest::RunProgramIn;

int RunProgramIn(const std::string &folder, const std::string &program) {
  return RunProgramIn(folder, program, {"--port", "1=/dev/kvor-none"});
}

TEST_F(StartValues, WithoutItsResourceFileTheProgramEndsWithMinusOne) {
  const std::string copy = TempPath(std::filesystem::path(KVOR_PROGRAM_PATH).filename().string());
  ASSERT_TRUE(std::filesystem::copy_file(KVOR_PROGRAM_PATH, copy));
  EXPECT_EQ(255, RunProgramIn(TempDir(), copy));  // -1 as an exit status

  // A damaged resource file is no better.
  ASSERT_TRUE(WriteBytes(TempPath("K-VOR-NE-ZevevU301.uir"), "garbage\n"));
  EXPECT_EQ(255, RunProgramIn(TempDir(), copy));
}

// The port "simulated" is the simulated sensor inside the program (what
// --simulate gives on Windows, where there are no pseudo-terminals): the
// program starts its own sensor, the whole start-up goes over it as over a
// line (its wire trace shows each request and its reply) and it ends as usual.
TEST_F(StartValues, ThePortSimulatedIsASensorInsideTheProgram) {
  const std::string trace = TempPath("wire.trace");
  ASSERT_EQ(0, RunProgramIn(TempDir(), KVOR_PROGRAM_PATH,
                            {"--port", "1=simulated", "--trace", trace, "--close-when-shown"}, TempPath("home")));
  std::FILE *f = std::fopen(trace.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  std::vector<int> requests;
  std::vector<std::string> replies;
  char line[1024];
  while (std::fgets(line, sizeof line, f) != nullptr) {
    const std::string text = line;
    const size_t tx = text.find(" TX 36 00 55 00 ");
    if (tx != std::string::npos) requests.push_back(std::stoi(text.substr(tx + 16, 2), nullptr, 16));
    const size_t rx = text.find(" RX ");
    if (rx != std::string::npos) replies.push_back(text.substr(rx + 4, 14));
  }
  std::fclose(f);
  EXPECT_EQ((std::vector<int>{5, 10, 2, 2, 7}), requests);
  EXPECT_EQ((std::vector<std::string>{"36 00 AA 00 05", "36 00 AA 00 0A", "36 00 AA 00 02", "36 00 AA 00 02",
                                      "72 00 4B 20 2D"}),
            replies);
}

}  // namespace

// --help and --version answer on a terminal without any display; a command
// line the program does not understand starts nothing and says so.
TEST_F(StartValues, HelpAndVersionNeedNoDisplayAndAnUnknownOptionIsAUsageError) {
  apptest::ProgramRun run;
  const auto status = [&](const std::vector<std::string> &args) {
    run = RunProgram(TempDir(), KVOR_PROGRAM_PATH, args, false);
    run.out = apptest::WithoutCarriageReturns(run.out);
    return run.status;
  };
  EXPECT_EQ(0, status({"--help"}));
  EXPECT_NE(std::string::npos, run.out.find("Usage: K-VOR-NE-ZevevU301"));
  EXPECT_NE(std::string::npos, run.out.find("--port N=DEVICE"));
  EXPECT_EQ("", run.err);
  EXPECT_EQ(0, status({"--port", "1=/dev/kvor-none", "--version"}));
  EXPECT_EQ("K-VOR-NE-ZevevU301 3.01\n", run.out);
  EXPECT_EQ(2, status({"--simulate", "--colour"}));
  EXPECT_EQ("", run.out);
  EXPECT_NE(std::string::npos, run.err.find("unknown option '--colour'"));
  EXPECT_NE(std::string::npos, run.err.find("Usage: K-VOR-NE-ZevevU301"));
  EXPECT_EQ(2, status({"stray"}));
  EXPECT_EQ(2, status({"--port"}));
  EXPECT_EQ(2, status({"--trace"}));
  EXPECT_NE(std::string::npos, run.err.find("--trace needs FILE"));
  // A trace that cannot be written: the program does not start without it.
  EXPECT_EQ(2, status({"--trace", "/kvor-no-such-folder/wire.trace"}));
  EXPECT_EQ("", run.out);
  EXPECT_NE(std::string::npos,
            run.err.find("cannot write the trace file '/kvor-no-such-folder/wire.trace': No such file"));
}
