// Starting the layer where it cannot start. Each case runs in a fresh child
// process, before any application object exists.
#include <gtest/gtest.h>

#include <cstdlib>

#include "runtime/runtime.h"
#include "runtime/userint/userint.h"

namespace {

// value nullptr: the variable is removed.
void SetEnvironment(const char *name, const char *value) {
#ifdef _WIN32
  _putenv_s(name, value != nullptr ? value : "");
#else
  if (value != nullptr)
    setenv(name, value, 1);
  else
    unsetenv(name);
#endif
}

// Each exits 0 when the layer behaved, 1 when it did not.

[[noreturn]] void StartWithoutDisplay() {
  SetEnvironment("DISPLAY", nullptr);
  SetEnvironment("WAYLAND_DISPLAY", nullptr);
  SetEnvironment("QT_QPA_PLATFORM", nullptr);
  static char program[] = "test_ui";
  static char *argv[] = {program, nullptr};
  std::exit(InitCVIRTE(1, argv) < 0 ? 0 : 1);
}

[[noreturn]] void StartWithMalformedPortOption() {
  SetEnvironment("QT_QPA_PLATFORM", "offscreen");
  static char program[] = "test_ui";
  static char option[] = "--port";
  static char value[] = "not-a-port";
  static char *argv[] = {program, option, value, nullptr};
  std::exit(InitCVIRTE(3, argv) < 0 ? 0 : 1);
}

[[noreturn]] void UseWithoutStarting() {
  const bool refused = LoadPanel(0, "layer-test.uir", 1) == UIE_NOT_INITIALISED &&
                       RunUserInterface() == UIE_NOT_INITIALISED &&
                       ProcessSystemEvents() == UIE_NOT_INITIALISED &&
                       SetCtrlVal(1, 2, 3) == UIE_BAD_PANEL;
  std::exit(refused ? 0 : 1);
}

}  // namespace

class LayerStartup : public ::testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(LayerStartup, WithoutADisplayInitialisingFailsInsteadOfAborting) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows always has its display";
#endif
  EXPECT_EXIT(StartWithoutDisplay(), ::testing::ExitedWithCode(0), "");
}

TEST_F(LayerStartup, AMalformedPortOptionFailsTheStart) {
  EXPECT_EXIT(StartWithMalformedPortOption(), ::testing::ExitedWithCode(0), "");
}

TEST_F(LayerStartup, CallsBeforeInitialisingRefuseInsteadOfCrashing) {
  EXPECT_EXIT(UseWithoutStarting(), ::testing::ExitedWithCode(0), "");
}
