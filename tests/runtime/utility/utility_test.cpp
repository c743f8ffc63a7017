// Time, paths, the folder for default files and the user's settings.
#include "support/temp_dir.h"
#include "runtime/utility/utility.h"
#include "runtime/utility/internal.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <QByteArray>
#include <QtGlobal>

#ifdef _WIN32
#include <process.h>
#include <stdlib.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <vector>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <string>

namespace {

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

TEST(UtilityTime, TimerDelayAndSleepAgreeWithTheSteadyClock) {
  const double t0 = Timer();
  const auto c0 = std::chrono::steady_clock::now();
  Delay(0.12);
  const double delayTimer = Timer() - t0;
  const double delayClock = Seconds(std::chrono::steady_clock::now() - c0);
  EXPECT_GE(delayClock, 0.12);
  EXPECT_LT(delayClock, 0.4);
  EXPECT_NEAR(delayTimer, delayClock, 0.01);

  const double t1 = Timer();
  Sleep(60);
  EXPECT_GE(Timer() - t1, 0.06);
  EXPECT_LT(Timer() - t1, 0.3);

  const double t2 = Timer();
  Delay(-1.0);
  Delay(std::nan(""));
  EXPECT_LT(Timer() - t2, 0.05) << "nonsense delays do not block";

  double last = Timer();
  for (int i = 0; i < 1000; ++i) {
    const double now = Timer();
    ASSERT_GE(now, last);
    last = now;
  }
}

std::string Strftime(const char *format) {
  const std::time_t now = std::time(nullptr);
  std::tm t{};
#ifdef _WIN32
  localtime_s(&t, &now);
#else
  localtime_r(&now, &t);
#endif
  char text[32];
  std::strftime(text, sizeof text, format, &t);
  return text;
}

TEST(UtilityTime, DateAndTimeTextsHaveTheirFixedForms) {
  // Taken between two readings of the clock, so a second (or midnight)
  // passing in between cannot make the test flaky.
  const std::string dateBefore = Strftime("%m-%d-%Y"), timeBefore = Strftime("%H:%M:%S");
  const std::string date = DateStr(), time = TimeStr();
  const std::string dateAfter = Strftime("%m-%d-%Y"), timeAfter = Strftime("%H:%M:%S");
  EXPECT_TRUE(date == dateBefore || date == dateAfter) << date;
  EXPECT_TRUE(time == timeBefore || time == timeAfter) << time;
  ASSERT_EQ(date.size(), 10u);
  EXPECT_EQ(date[2], '-');
  EXPECT_EQ(date[5], '-');
  ASSERT_EQ(time.size(), 8u);
  EXPECT_EQ(time[2], ':');
  EXPECT_EQ(time[5], ':');
}

TEST(UtilityPaths, MakePathnameJoinsWithinTheBufferOrLeavesItEmpty) {
#ifdef _WIN32
  const std::string joined = "/opt/kvor\\KVORpara.cfg";  // Windows' separator; it reads '/' too
  char out[32];
  ASSERT_EQ(MakePathname("C:\\kvor\\", "KVORpara.cfg", out, sizeof out), UTIL_NO_ERROR);
  EXPECT_STREQ(out, "C:\\kvor\\KVORpara.cfg") << "no doubled separator";
#else
  const std::string joined = "/opt/kvor/KVORpara.cfg";
  char out[32];
#endif
  ASSERT_EQ(MakePathname("/opt/kvor", "KVORpara.cfg", out, sizeof out), UTIL_NO_ERROR);
  EXPECT_EQ(out, joined);
  ASSERT_EQ(MakePathname("/opt/kvor/", "KVORpara.cfg", out, sizeof out), UTIL_NO_ERROR);
  EXPECT_STREQ(out, "/opt/kvor/KVORpara.cfg") << "no doubled separator";
  ASSERT_EQ(MakePathname("", "KVORpara.cfg", out, sizeof out), UTIL_NO_ERROR);
  EXPECT_STREQ(out, "KVORpara.cfg");

  // "/opt/kvor/" + 12 characters = 22 characters: fits 23 bytes, not 22.
  char exact[23];
  EXPECT_EQ(MakePathname("/opt/kvor", "KVORpara.cfg", exact, sizeof exact), UTIL_NO_ERROR);
  EXPECT_EQ(exact, joined);
  char shortBuffer[22];
  std::memset(shortBuffer, 'x', sizeof shortBuffer);
  EXPECT_EQ(MakePathname("/opt/kvor", "KVORpara.cfg", shortBuffer, sizeof shortBuffer), UTIL_TOO_LONG);
  EXPECT_STREQ(shortBuffer, "");

  const std::string longDir(300, 'd');
  std::memset(out, 'x', sizeof out);
  EXPECT_EQ(MakePathname(longDir.c_str(), "f", out, sizeof out), UTIL_TOO_LONG);
  EXPECT_STREQ(out, "");
  EXPECT_EQ(MakePathname(nullptr, "f", out, sizeof out), UTIL_BAD_ARGUMENT);
  EXPECT_EQ(MakePathname("/d", nullptr, out, sizeof out), UTIL_BAD_ARGUMENT);
  EXPECT_EQ(MakePathname("/d", "f", nullptr, 10), UTIL_BAD_ARGUMENT);
}

std::string ExecutableDir() {
#ifdef _WIN32
  const char *path = _pgmptr;  // the C run-time's full path of the program
  if (path == nullptr) return std::string();
  return std::filesystem::path(path).parent_path().string();
#else
  return std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
#endif
}

TEST(UtilityPaths, ProjectAndDataDirAreTheProgramsFolderWhenWritable) {
  char dir[4096];
  ASSERT_EQ(GetProjectDir(dir, sizeof dir), UTIL_NO_ERROR);
  EXPECT_EQ(std::string(dir), ExecutableDir());
  const size_t length = std::strlen(dir);
  char tooSmall[8];
  if (length >= sizeof tooSmall) {
    EXPECT_EQ(GetProjectDir(tooSmall, sizeof tooSmall), UTIL_TOO_LONG);
    EXPECT_STREQ(tooSmall, "");
  }
  std::vector<char> exact(length + 1);
  EXPECT_EQ(GetProjectDir(exact.data(), exact.size()), UTIL_NO_ERROR);
  EXPECT_EQ(GetProjectDir(nullptr, 10), UTIL_BAD_ARGUMENT);

  ASSERT_TRUE(IsWritableDir(dir)) << "the test's own folder is writable";
  char data[4096];
  ASSERT_EQ(GetDataDir(data, sizeof data), UTIL_NO_ERROR);
  EXPECT_STREQ(data, dir);
}

TEST(UtilityPaths, UnwritableProgramFolderFallsBackToThePerUserFolder) {
  TempDir temp;
  ASSERT_TRUE(temp.ok());
  const std::string fallback = temp.File("user/data/kvor");
  char out[4096];
  // Nothing can be created below a file, not even by the superuser.
  const std::string file = temp.File("a-file");
  ASSERT_TRUE(WriteBytes(file, "x"));
  const char *unwritable = file.c_str();
  EXPECT_FALSE(IsWritableDir(unwritable));
  ASSERT_EQ(ChooseDataDir(unwritable, fallback.c_str(), out, sizeof out), UTIL_NO_ERROR);
  EXPECT_EQ(std::string(out), fallback);
  EXPECT_TRUE(std::filesystem::is_directory(fallback)) << "created when missing";
  EXPECT_TRUE(std::filesystem::is_empty(fallback)) << "the write probe leaves nothing behind";

  ASSERT_EQ(ChooseDataDir(temp.path().c_str(), fallback.c_str(), out, sizeof out), UTIL_NO_ERROR);
  EXPECT_EQ(std::string(out), temp.path());

  // Probes an earlier program of the same process id left behind (it ended
  // before removing them) do not make the folder unwritable.
#ifdef _WIN32
  const long pid = _getpid();
#else
  const long pid = getpid();
#endif
  const std::string leftOver = temp.File("left-over");
  ASSERT_TRUE(std::filesystem::create_directory(leftOver));
  for (int n = 1; n <= 50; ++n)
    ASSERT_TRUE(WriteBytes(leftOver + "/.kvor-write-probe-" + std::to_string(pid) + "-" + std::to_string(n), ""));
  EXPECT_TRUE(IsWritableDir(leftOver.c_str()));

  std::memset(out, 'x', 16);
  EXPECT_EQ(ChooseDataDir(unwritable, (file + "/kvor/none").c_str(), out, sizeof out), UTIL_FILE_ERROR);
  EXPECT_STREQ(out, "");
  char small[8];
  EXPECT_EQ(ChooseDataDir(unwritable, fallback.c_str(), small, sizeof small), UTIL_TOO_LONG);
  EXPECT_STREQ(small, "");

#ifndef _WIN32
  if (geteuid() != 0) {  // permission bits do not stop the superuser
    const std::string readOnly = temp.File("ro");
    ASSERT_EQ(mkdir(readOnly.c_str(), 0555), 0);
    ASSERT_EQ(ChooseDataDir(readOnly.c_str(), fallback.c_str(), out, sizeof out), UTIL_NO_ERROR);
    EXPECT_EQ(std::string(out), fallback);
  }
#endif
}

// Whatever separators the system writes ('\\' on Windows, either read).
bool SamePath(const std::string &a, const std::string &b) {
  return std::filesystem::path(a).lexically_normal() == std::filesystem::path(b).lexically_normal();
}

// The panels and logos of a build lie beside the program; those of an install
// in share/<package> beside its bin/ folder, or (the Windows installer's) in
// the program's own folder with the uninstaller. Only the latter two are
// installs.
TEST(UtilityPaths, ProgramFilesBesideTheProgramOrInItsInstalledDataFolder) {
  TempDir temp;
  ASSERT_TRUE(temp.ok());
  const std::string bin = temp.File("prefix/bin");
  const std::string data = temp.File("prefix/share/k-vor-ne-zevevu301");
  ASSERT_TRUE(std::filesystem::create_directories(bin));
  char out[4096];
  EXPECT_FALSE(IsInstalledLayout(bin.c_str()));
  EXPECT_EQ(FindProgramFileIn(bin.c_str(), "logo2.png", out, sizeof out), UTIL_FILE_ERROR);

  ASSERT_TRUE(std::filesystem::create_directories(data));
  ASSERT_TRUE(WriteBytes(data + "/logo2.png", "installed"));
  EXPECT_TRUE(IsInstalledLayout(bin.c_str()));
  ASSERT_EQ(FindProgramFileIn(bin.c_str(), "logo2.png", out, sizeof out), UTIL_NO_ERROR);
  EXPECT_TRUE(SamePath(out, data + "/logo2.png")) << out;
  EXPECT_EQ(FindProgramFileIn(bin.c_str(), "logo3.png", out, sizeof out), UTIL_FILE_ERROR);

  // A copy beside the program wins over the installed one.
  ASSERT_TRUE(WriteBytes(bin + "/logo2.png", "beside"));
  ASSERT_EQ(FindProgramFileIn(bin.c_str(), "logo2.png", out, sizeof out), UTIL_NO_ERROR);
  EXPECT_TRUE(SamePath(out, bin + "/logo2.png")) << out;
  char small[8];
  EXPECT_EQ(FindProgramFileIn(bin.c_str(), "logo2.png", small, sizeof small), UTIL_TOO_LONG);
  EXPECT_STREQ(small, "");
  EXPECT_EQ(FindProgramFileIn("", "logo2.png", out, sizeof out), UTIL_BAD_ARGUMENT);
  EXPECT_FALSE(IsInstalledLayout(""));

  const std::string folder = temp.File("K-VOR-NE-ZevevU301");
  ASSERT_TRUE(std::filesystem::create_directories(folder));
  ASSERT_TRUE(WriteBytes(folder + "/logo2.png", "beside"));
  EXPECT_FALSE(IsInstalledLayout(folder.c_str())) << "an unpacked zip";
  ASSERT_TRUE(WriteBytes(folder + "/Uninstall.exe", "MZ"));
  EXPECT_TRUE(IsInstalledLayout(folder.c_str())) << "installed by the Windows installer";
  ASSERT_EQ(FindProgramFileIn(folder.c_str(), "logo2.png", out, sizeof out), UTIL_NO_ERROR);
  EXPECT_TRUE(SamePath(out, folder + "/logo2.png")) << out;
}

TEST(UtilityPaths, DeleteFileRemovesFilesOnly) {
  TempDir temp;
  ASSERT_TRUE(temp.ok());
  const std::string file = temp.File("KVorRecord.dat");
  ASSERT_TRUE(WriteBytes(file, "x"));
  EXPECT_EQ(DeleteFile(file.c_str()), UTIL_NO_ERROR);
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_EQ(DeleteFile(file.c_str()), UTIL_NO_ERROR) << "a file that is not there is no error";

  const std::string folder = temp.File("folder");
  ASSERT_TRUE(std::filesystem::create_directory(folder));
  EXPECT_EQ(DeleteFile(folder.c_str()), UTIL_FILE_ERROR);
  EXPECT_TRUE(std::filesystem::is_directory(folder));
  EXPECT_EQ(DeleteFile(nullptr), UTIL_BAD_ARGUMENT);
  EXPECT_EQ(DeleteFile(""), UTIL_BAD_ARGUMENT);
}

// The settings are in the configuration folder as it is at each use
// ($XDG_CONFIG_HOME), so tests that give each its own folder, one after the
// other in one process, do not see each other's choices. (Windows keeps them
// in the registry, where they outlast a test unless it forgets them.)
TEST(UtilitySettings, KeptInTheConfigurationFolderOfTheMoment) {
  TempDir first, second;
  ASSERT_TRUE(first.ok() && second.ok());
  const QByteArray before = qgetenv("XDG_CONFIG_HOME");
  const bool wasSet = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
  qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(first.path()));
  ForgetUserSettings();
  EXPECT_EQ(GetUserSetting("verifyAfterSending", 7), 7) << "nothing stored yet";
  ASSERT_EQ(SetUserSetting("verifyAfterSending", 1), UTIL_NO_ERROR);
  EXPECT_EQ(GetUserSetting("verifyAfterSending", 0), 1);
#ifdef _WIN32
  const QSettings registry(QStringLiteral("HKEY_CURRENT_USER\\Software\\K-VOR\\K-VOR-NE-ZevevU301"),
                           QSettings::NativeFormat);
  EXPECT_EQ(registry.value(QStringLiteral("verifyAfterSending")).toInt(), 1);
#else
  EXPECT_TRUE(std::filesystem::exists(first.File("K-VOR/K-VOR-NE-ZevevU301.conf")));
  qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(second.path()));
  EXPECT_EQ(GetUserSetting("verifyAfterSending", 0), 0);
  ASSERT_EQ(SetUserSetting("verifyAfterSending", 2), UTIL_NO_ERROR);
  qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(first.path()));
  EXPECT_EQ(GetUserSetting("verifyAfterSending", 0), 1);
#endif
  EXPECT_EQ(GetUserSetting("", 5), 5);
  EXPECT_EQ(SetUserSetting(nullptr, 1), UTIL_BAD_ARGUMENT);
  ForgetUserSettings();
  EXPECT_EQ(GetUserSetting("verifyAfterSending", 7), 7) << "forgotten";
  if (wasSet) qputenv("XDG_CONFIG_HOME", before);
  else qunsetenv("XDG_CONFIG_HOME");
}

}  // namespace
