// Get refreshes the panels once, after both frames: between the two
// requests the record already holds frame 0 while the panels still show the
// values from before.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/controls.h"
#include "app/globals.h"
#include "support/program_fixture.h"
#include "runtime/testkit/testkit.h"

namespace {

using GetRefresh = support::ProgramTest;

TEST_F(GetRefresh, ThePanelsFollowOnlyAfterTheSecondFrame) {
  ASSERT_EQ(0, Start());
  kvorsim::ParamFrame frame0 = Sensor().eeprom(0);
  frame0[2] = 1111;  // teachA
  Sensor().setEeprom(0, frame0);
  Sensor().setFaultCommands({4});
  Sensor().setReplyDelayMs(300);  // a wait long enough to look in between
  const std::string shownBefore = testkit::Text(pHandle, MAIN_NEDITEACHA);
  ASSERT_NE("1111", shownBefore);
  testkit::Click(pHandle, MAIN_RBTEEPROM);
  Sensor().clearReceived();

  bool looked = false;
  std::string shownBetween;
  std::function<void()> watch = [&] {
    if (parameter.teachA == 1111) {
      looked = true;
      shownBetween = testkit::Text(pHandle, MAIN_NEDITEACHA);
    } else {
      testkit::RunLater(0.01, watch);
    }
  };
  testkit::RunLater(0.01, watch);
  testkit::Click(pHandle, MAIN_BTNGET);

  ASSERT_TRUE(looked);
  EXPECT_EQ(shownBefore, shownBetween);
  EXPECT_EQ("1111", testkit::Text(pHandle, MAIN_NEDITEACHA));
  EXPECT_EQ((std::vector<int>{4, 4}), Commands());
}

}  // namespace
