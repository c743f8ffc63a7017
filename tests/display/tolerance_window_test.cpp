// The green tolerance windows, read back from the bar graphs.
#include <gtest/gtest.h>

#include <vector>

#include "app/controls.h"
#include "app/globals.h"
#include "display/gui.h"
#include "support/program_fixture.h"
#include "runtime/testkit/testkit.h"
#include "runtime/userint/userint.h"

namespace {

struct Window {
  double lower, upper;
  bool operator==(const Window &o) const { return lower == o.lower && upper == o.upper; }
};
std::ostream &operator<<(std::ostream &os, const Window &w) {
  return os << "[" << w.lower << ", " << w.upper << "]";
}

class ToleranceWindow : public support::ProgramTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(0, StartOffline());
    ccdvirtpixel = 4096;
    tolup = 40;
    tollo = 30;
    tValA = 1000;
    tValB = 2000;
    edcntA = edcntB = 1;
  }
  std::vector<Window> Windows(int graph) {
    std::vector<Window> out;
    for (const testkit::Plot &p : testkit::GraphPlots(pHandle, graph)) {
      EXPECT_EQ(testkit::Plot::Rectangle, p.kind);
      EXPECT_EQ(VAL_GREEN, p.color);
      EXPECT_EQ(VAL_GREEN, p.fillColor);
      EXPECT_EQ(0.0, p.y1);
      EXPECT_EQ(0.35, p.y2);
      out.push_back({p.x1, p.x2});
    }
    return out;
  }
  void Draw(uint16_t mode, uint16_t refA, uint16_t refB) {
    DeleteGraphPlot(pHandle, MAIN_BAR_A, VAL_ALL_PLOTS, VAL_IMMEDIATE_DRAW);
    DeleteGraphPlot(pHandle, MAIN_BAR_B, VAL_ALL_PLOTS, VAL_IMMEDIATE_DRAW);
    PlotTOLWindow(mode, refA, refB);
  }
};

TEST_F(ToleranceWindow, ModesZeroAndOneDrawOnTheirChannelOnly) {
  Draw(0, 0, 0);
  EXPECT_TRUE(Windows(MAIN_BAR_A).empty());
  EXPECT_EQ((std::vector<Window>{{1970, 2040}}), Windows(MAIN_BAR_B));
  Draw(1, 0, 0);
  EXPECT_EQ((std::vector<Window>{{970, 1040}}), Windows(MAIN_BAR_A));
  EXPECT_TRUE(Windows(MAIN_BAR_B).empty());
}

TEST_F(ToleranceWindow, ModeTwoMovesBothCentresByHalfTheDifference) {
  Draw(2, 1000, 2000);  // references equal to the set-points
  EXPECT_EQ((std::vector<Window>{{985, 1020}}), Windows(MAIN_BAR_A));
  EXPECT_EQ((std::vector<Window>{{1985, 2020}}), Windows(MAIN_BAR_B));
  Draw(2, 1001, 2002);  // difference -3: each centre moves by -1
  EXPECT_EQ((std::vector<Window>{{985, 1020}}), Windows(MAIN_BAR_A));
  EXPECT_EQ((std::vector<Window>{{1986, 2021}}), Windows(MAIN_BAR_B));
}

TEST_F(ToleranceWindow, ModeTwoWithoutAnEdgeCentresOnTheSetPoints) {
  edcntB = 0;
  Draw(2, 1500, 1500);
  EXPECT_EQ((std::vector<Window>{{985, 1020}}), Windows(MAIN_BAR_A));
  EXPECT_EQ((std::vector<Window>{{1985, 2020}}), Windows(MAIN_BAR_B));
}

TEST_F(ToleranceWindow, CentredModesRunFromTheLeftEndToTheDeviation) {
  for (uint16_t mode : {3, 4}) {
    Draw(mode, 0, 0);
    EXPECT_EQ((std::vector<Window>{{1, 40}}), Windows(MAIN_BAR_A));
    EXPECT_EQ((std::vector<Window>{{1, 30}}), Windows(MAIN_BAR_B));
  }
  tolup = 0;
  Draw(3, 0, 0);
  EXPECT_EQ((std::vector<Window>{{1, 0}}), Windows(MAIN_BAR_A));
}

TEST_F(ToleranceWindow, OtherModesDrawNothing) {
  Draw(5, 0, 0);
  Draw(65535, 0, 0);
  EXPECT_TRUE(Windows(MAIN_BAR_A).empty());
  EXPECT_TRUE(Windows(MAIN_BAR_B).empty());
}

TEST_F(ToleranceWindow, BoundsAreKeptOnTheLine) {
  tValA = 25;  // lower bound -5
  tValB = 4096;
  tolup = 7;   // upper bound of B 4103
  Draw(1, 0, 0);
  EXPECT_EQ((std::vector<Window>{{1, 32}}), Windows(MAIN_BAR_A));
  Draw(0, 0, 0);
  EXPECT_EQ((std::vector<Window>{{4066, 4096}}), Windows(MAIN_BAR_B));
  tValA = 30;  // a lower bound of exactly 0 stays 0
  Draw(1, 0, 0);
  EXPECT_EQ((std::vector<Window>{{0, 37}}), Windows(MAIN_BAR_A));

  // Mode 2 keeps both windows on the line too, with and without edges.
  tValA = 10, tValB = 4090, tollo = 30, tolup = 40;
  for (uint16_t edges : {1, 0}) {
    edcntB = edges;
    Draw(2, tValA, tValB);
    EXPECT_EQ((std::vector<Window>{{1, 30}}), Windows(MAIN_BAR_A)) << edges;      // -5 .. 30
    EXPECT_EQ((std::vector<Window>{{4075, 4096}}), Windows(MAIN_BAR_B)) << edges;  // .. 4110
  }
  tValA = 15;  // exactly 0 stays 0 in mode 2 as well
  Draw(2, tValA, tValB);
  EXPECT_EQ(0.0, Windows(MAIN_BAR_A).at(0).lower);
}

}  // namespace
