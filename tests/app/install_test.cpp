// The program installed by cmake --install of the build tree.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "program_process.h"
#include "support/program_fixture.h"
#include "support/temp_dir.h"

namespace {

using apptest::RunProgramIn;
using Installed = support::ProgramTest;

// Installed under another prefix than the package's, below a DESTDIR, the
// program finds its panels and logos relative to itself, starts against the
// simulated sensor, shows its main window and ends by its close box.
TEST_F(Installed, AnywhereItFindsItsFilesStartsAndEndsByItsCloseBox) {
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

  ASSERT_TRUE(WriteBytes(resourceFile, "garbage\n"));
  EXPECT_EQ(255, RunProgramIn(TempDir(), program, closeWhenShown, home));
  ASSERT_TRUE(std::filesystem::remove(resourceFile));
  EXPECT_EQ(255, RunProgramIn(TempDir(), program, closeWhenShown, home));
}

}  // namespace
