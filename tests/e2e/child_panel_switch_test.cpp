// Each child-panel button, pressed while each of the other panels is shown:
// its own panel comes up, the other two go, their buttons are released.
#include <gtest/gtest.h>

#include <vector>

#include "app/controls.h"
#include "app/globals.h"
#include "support/program_fixture.h"
#include "runtime/testkit/testkit.h"
#include "runtime/userint/userint.h"

namespace {

using ChildPanelSwitch = support::ProgramTest;

TEST_F(ChildPanelSwitch, EveryButtonFromEveryOtherPanel) {
  ASSERT_EQ(0, StartOffline());
  const int buttons[] = {MAIN_TOGGBTN_PARA1, MAIN_TOGGBTN_PARA2, MAIN_TOGGBTN_CALIB};
  const int panels[] = {pPara1, pPara2, pCalib};
  for (int from = 0; from < 3; ++from) {
    for (int to = 0; to < 3; ++to) {
      if (from == to) continue;
      testkit::Click(pHandle, buttons[from]);
      ASSERT_TRUE(testkit::IsPanelVisible(panels[from])) << from;
      testkit::Click(pHandle, buttons[to]);
      for (int k = 0; k < 3; ++k) {
        int on = -1;
        GetCtrlVal(pHandle, buttons[k], &on);
        EXPECT_EQ(k == to, testkit::IsPanelVisible(panels[k])) << from << "->" << to << " " << k;
        EXPECT_EQ(k == to ? 1 : 0, on) << from << "->" << to << " " << k;
      }
    }
  }
}

}  // namespace
