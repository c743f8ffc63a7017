// Start values, and the program as a whole process, built and installed.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "app/controls.h"
#include "app/globals.h"
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

// Runs the program as its own process in folder, on the offscreen platform,
// with the per-user data folders under dataHome when one is given. Returns
// its exit status; a program that has not ended after a minute is killed and
// counts as -1000, so a hang fails the test instead of blocking the suite.
int RunProgramIn(const std::string &folder, const std::string &program,
                 const std::vector<std::string> &arguments, const std::string &dataHome = "") {
  std::vector<char *> argv;
  argv.push_back(const_cast<char *>(program.c_str()));
  for (const std::string &argument : arguments) argv.push_back(const_cast<char *>(argument.c_str()));
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(folder.c_str()) != 0) _exit(100);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (!dataHome.empty()) {
      setenv("HOME", dataHome.c_str(), 1);
      setenv("XDG_DATA_HOME", (dataHome + "/data").c_str(), 1);
    }
    execv(program.c_str(), argv.data());
    _exit(101);
  }
  int status = 0;
  for (int tenths = 0; tenths < 600; ++tenths) {
    if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1000;
    usleep(100000);
  }
  kill(pid, SIGKILL);
  waitpid(pid, &status, 0);
  return -1000;
}

int RunProgramIn(const std::string &folder, const std::string &program) {
  return RunProgramIn(folder, program, {"--port", "1=/dev/kvor-none"});
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

// Installed under another prefix than the package's, below a DESTDIR, the
// program finds its panels and logos relative to itself, starts against the
// simulated sensor, shows its main window and ends by its close box.
TEST_F(StartValues, InstalledAnywhereItFindsItsFilesStartsAndEndsByItsCloseBox) {
  const std::string dest = TempPath("dest");
  const std::string prefix = "/opt/kvor-elsewhere";
  const std::string install = "DESTDIR='" + dest + "' '" KVOR_CMAKE_COMMAND "' --install '" KVOR_BUILD_DIR
                              "' --prefix '" + prefix + "' > '" + TempPath("install.log") + "' 2>&1";
  ASSERT_EQ(0, std::system(install.c_str())) << install;
  const std::string root = dest + prefix;
  const std::string program = root + "/bin/K-VOR-NE-ZevevU301";
  const std::string data = root + "/share/k-vor-ne-zevevu301/";
  const std::string resourceFile = data + "K-VOR-NE-ZevevU301.uir";
  ASSERT_TRUE(std::filesystem::is_regular_file(program));
  EXPECT_TRUE(std::filesystem::is_regular_file(root + "/bin/kvor-sensor-sim"));
  ASSERT_TRUE(std::filesystem::is_regular_file(resourceFile));
  for (const char *logo : {"logo2.png", "logo3.png", "logo4.png", "logo6.png"})
    EXPECT_TRUE(std::filesystem::is_regular_file(data + logo)) << logo;
  EXPECT_FALSE(std::filesystem::exists(root + "/bin/K-VOR-NE-ZevevU301.uir"));

  const std::string home = TempPath("home");
  const std::vector<std::string> closeWhenShown = {"--simulate", "--close-when-shown"};
  EXPECT_EQ(0, RunProgramIn(TempDir(), program, closeWhenShown, home));
  // The default files go to the per-user data folder, not among the
  // installed files, even where the install could be written to.
  EXPECT_TRUE(std::filesystem::is_directory(home + "/data/K-VOR-NE-ZevevU301"));

  const std::string damage = "echo garbage > '" + resourceFile + "'";
  ASSERT_EQ(0, std::system(damage.c_str()));
  EXPECT_EQ(255, RunProgramIn(TempDir(), program, closeWhenShown, home));
  ASSERT_TRUE(std::filesystem::remove(resourceFile));
  EXPECT_EQ(255, RunProgramIn(TempDir(), program, closeWhenShown, home));
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
  const std::string out = TempPath("out"), err = TempPath("err");
  const auto run = [&](const std::string &args) {
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '" KVOR_PROGRAM_PATH
                                "' " + args + " > '" + out + "' 2> '" + err + "' < /dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  const auto text = [](const std::string &path) {
    std::FILE *f = std::fopen(path.c_str(), "rb");
    std::string s;
    if (f == nullptr) return s;
    for (int c; (c = std::fgetc(f)) != EOF;) s += static_cast<char>(c);
    std::fclose(f);
    return s;
  };
  EXPECT_EQ(0, run("--help"));
  EXPECT_NE(std::string::npos, text(out).find("Usage: K-VOR-NE-ZevevU301"));
  EXPECT_NE(std::string::npos, text(out).find("--port N=DEVICE"));
  EXPECT_EQ("", text(err));
  EXPECT_EQ(0, run("--port 1=/dev/kvor-none --version"));
  EXPECT_EQ("K-VOR-NE-ZevevU301 3.01\n", text(out));
  EXPECT_EQ(2, run("--simulate --colour"));
  EXPECT_EQ("", text(out));
  EXPECT_NE(std::string::npos, text(err).find("unknown option '--colour'"));
  EXPECT_NE(std::string::npos, text(err).find("Usage: K-VOR-NE-ZevevU301"));
  EXPECT_EQ(2, run("stray"));
  EXPECT_EQ(2, run("--port"));
  EXPECT_EQ(2, run("--trace"));
  EXPECT_NE(std::string::npos, text(err).find("--trace needs FILE"));
  // A trace that cannot be written: the program does not start without it.
  EXPECT_EQ(2, run("--trace /kvor-no-such-folder/wire.trace"));
  EXPECT_EQ("", text(out));
  EXPECT_NE(std::string::npos,
            text(err).find("cannot write the trace file '/kvor-no-such-folder/wire.trace': No such file"));
}
