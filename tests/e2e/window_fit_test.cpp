// The main window and the recorder on the screens operators use: small
// laptops, scaled displays, large monitors. Each case sets up a screen of its
// own before the program starts, so it needs a process of its own (as CTest
// runs every case).
#include <gtest/gtest.h>

#include <QByteArray>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "app/controls.h"
#include "app/globals.h"
#include "support/program_fixture.h"
#include "runtime/testkit/testkit.h"
#include "runtime/userint/userint.h"

namespace testkit {
std::ostream &operator<<(std::ostream &out, const Rect &r) {
  return out << r.width << "x" << r.height << "+" << r.x << "+" << r.y;
}
}  // namespace testkit

namespace {

using testkit::Rect;

struct Screen {
  int width, height;  // device pixels
  double scale;       // Qt scale factor
};

std::ostream &operator<<(std::ostream &out, const Screen &s) {
  return out << s.width << "x" << s.height << "@" << s.scale;
}


// The size below which the window may scroll; from here up everything shows at once.
const int kComfortableWidth = 1280, kComfortableHeight = 720;

// The window lies on its screen's available area. Logical coordinates of a
// screen at a fractional scale factor are rounded, by a pixel at most.
bool OnScreenArea(const testkit::WindowView &w, const Screen &screen) {
  const int slack = screen.scale == static_cast<int>(screen.scale) ? 0 : 1;
  const Rect area{w.screenArea.x - slack, w.screenArea.y - slack, w.screenArea.width + 2 * slack,
                  w.screenArea.height + 2 * slack};
  return area.contains(w.frame);
}

struct Placed {
  std::string name;
  Rect rect;
};

class WindowFit : public support::ProgramTest {
 protected:
  ~WindowFit() override { std::remove(configFile_.c_str()); }
  std::string configFile_;
  // Gives the process a screen of its own, then starts the program offline:
  // the panels and their start values, at once.
  int StartOn(const Screen &screen) {
    if (testkit::UserInterfaceStarted()) return -2;
#ifdef _WIN32
    // The panels' sizes follow the system's fonts and style, and Wine's
    // stand-ins for Windows' are wider (the graphs there take 1054 pixels of
    // a 1024-pixel screen): the fit is checked on Linux.
    return -3;
#endif
    // The platform's arguments are separated by ':', so its path may hold
    // none: where the temporary folder's does (Windows' C:\...), the file
    // lies in the current folder, under a name of this test's own.
    std::string config = TempPath("screen.json");
    if (config.find(':') != std::string::npos)
      config = "kvor-screen-" + std::filesystem::path(TempDir()).filename().string() + ".json";
    configFile_ = config;
    FILE *f = std::fopen(config.c_str(), "w");
    if (!f) return -3;
    std::fprintf(f,
                 "{\"screens\": [{\"name\": \"screen\", \"x\": 0, \"y\": 0, \"width\": %d, "
                 "\"height\": %d, \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1}]}\n",
                 screen.width, screen.height);
    std::fclose(f);
    qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString("offscreen:configfile=" + config));
    qputenv("QT_SCALE_FACTOR", QByteArray::fromStdString(std::to_string(screen.scale)));
    return StartOffline();
  }

  // The controls an operator can see on the panel (and on the child panel
  // shown in it), with where they lie in the window's panel. The band's own
  // content (band, logo, the texts written onto it) is left out: its places
  // are fixed coordinates, not layout.
  static std::vector<Placed> ShownControls(int panel, const std::string &prefix) {
    std::vector<Placed> out;
    for (int id : testkit::ControlIds(panel)) {
      if (!testkit::IsShown(panel, id) || testkit::IsCreatedTextMessage(panel, id)) continue;
      if (panel == pHandle && (id == MAIN_BRAND_BAND || id == MAIN_LOGO)) continue;
      out.push_back({prefix + std::to_string(id), testkit::ControlRect(panel, id)});
    }
    return out;
  }

  // Everything shown lies inside the window's panel, can be brought into
  // view, shows without scrolling on a comfortable screen, and nothing
  // overlaps anything else.
  static void ExpectUsable(int panel, const std::vector<Placed> &controls, bool comfortable,
                           const std::string &state) {
    SCOPED_TRACE(state);
    const testkit::WindowView window = testkit::Window(panel);
    const Rect whole{0, 0, window.panelWidth, window.panelHeight};
    if (comfortable) EXPECT_FALSE(window.scrollBars);
    for (const Placed &c : controls) {
      EXPECT_TRUE(whole.contains(c.rect)) << c.name << " " << c.rect << " cut off " << whole;
      if (comfortable) {
        EXPECT_TRUE(window.shown.contains(c.rect)) << c.name << " " << c.rect << " not in view";
      }
    }
    for (size_t i = 0; i < controls.size(); ++i)
      for (size_t j = i + 1; j < controls.size(); ++j)
        EXPECT_FALSE(controls[i].rect.overlaps(controls[j].rect))
            << controls[i].name << " " << controls[i].rect << " overlaps " << controls[j].name
            << " " << controls[j].rect;
  }

  // Every control of the panel comes into view when scrolled to.
  static void ExpectReachable(int panel, const std::string &state) {
    SCOPED_TRACE(state);
    for (int id : testkit::ControlIds(panel)) {
      if (!testkit::IsShown(panel, id) || testkit::IsCreatedTextMessage(panel, id)) continue;
      if (panel == pHandle && (id == MAIN_BRAND_BAND || id == MAIN_STATUS)) continue;
      testkit::ScrollTo(panel, id);
      EXPECT_TRUE(testkit::Window(panel).shown.contains(testkit::ControlRect(panel, id)))
          << id << " " << testkit::ControlRect(panel, id) << " out of view "
          << testkit::Window(panel).shown;
    }
    // The status box is wider than a small screen: its start, where the
    // message begins, comes into view.
    if (panel == pHandle) {
      testkit::ScrollTo(pHandle, MAIN_STATUS);
      const Rect status = testkit::ControlRect(pHandle, MAIN_STATUS);
      const Rect shown = testkit::Window(pHandle).shown;
      EXPECT_TRUE(shown.contains(Rect{status.x, status.y, 1, status.height})) << status << shown;
    }
  }

  // The main panel's controls and the child panel shown among them, then
  // the child panel's own controls, each inside the child panel.
  static void ExpectUsableWithChild(int child, bool comfortable, const std::string &state) {
    std::vector<Placed> main = ShownControls(pHandle, "main ");
    const Rect place = testkit::PanelRect(child);
    main.push_back({"child panel", place});
    ExpectUsable(pHandle, main, comfortable, state);
    const std::vector<Placed> own = ShownControls(child, "child ");
    ExpectUsable(pHandle, own, comfortable, state);
    for (const Placed &c : own)
      EXPECT_TRUE(place.contains(c.rect)) << state << ": " << c.name << " " << c.rect
                                          << " cut off the child panel " << place;
  }
};

class OnScreen : public WindowFit, public ::testing::WithParamInterface<Screen> {};

TEST_P(OnScreen, EveryControlIsReachableAndNothingOverlaps) {
  const Screen screen = GetParam();
  const int started = StartOn(screen);
  if (started == -2) GTEST_SKIP() << "needs a process of its own, as under CTest";
  if (started == -3) GTEST_SKIP() << "the layout follows the system's fonts: Wine's are not Windows'";
  ASSERT_EQ(0, started);
  testkit::Pump(0.05);

  const testkit::WindowView window = testkit::Window(pHandle);
  EXPECT_TRUE(OnScreenArea(window, screen)) << window.frame << " off " << window.screenArea;
  const bool comfortable =
      window.screenArea.width >= kComfortableWidth && window.screenArea.height >= kComfortableHeight;

  const int children[] = {pPara1, pPara2, pCalib};
  const int buttons[] = {MAIN_TOGGBTN_PARA1, MAIN_TOGGBTN_PARA2, MAIN_TOGGBTN_CALIB};
  const char *names[] = {"parameters 1", "parameters 2", "calibration"};
  for (int k = 0; k < 3; ++k) {
    testkit::ScrollTo(pHandle, buttons[k]);
    testkit::Click(pHandle, buttons[k]);
    ASSERT_TRUE(testkit::IsPanelVisible(children[k]));
    ExpectUsableWithChild(children[k], comfortable, names[k]);
    ExpectReachable(children[k], names[k]);
  }
  ExpectReachable(pHandle, "run mode displays");

  // Video mode shows the video graphs where the strip chart was.
  SetCtrlAttribute(pHandle, MAIN_STRIPCHART, ATTR_VISIBLE, 0);
  SetCtrlAttribute(pHandle, MAIN_VIDEO_A, ATTR_VISIBLE, 1);
  SetCtrlAttribute(pHandle, MAIN_VIDEO_B, ATTR_VISIBLE, 1);
  testkit::Pump(0.05);
  ExpectUsableWithChild(pCalib, comfortable, "video mode displays");
  ExpectReachable(pHandle, "video mode displays");

  // The recorder opens on the same screen, beside the main window or over
  // its centre.
  testkit::ScrollTo(pHandle, MAIN_TOGGBTN_RECORDER);
  testkit::Click(pHandle, MAIN_TOGGBTN_RECORDER);
  ASSERT_TRUE(testkit::IsPanelVisible(panelPopUp));
  testkit::Pump(0.05);
  const Rect main = testkit::Window(pHandle).frame;
  const testkit::WindowView recorder = testkit::Window(panelPopUp);
  EXPECT_TRUE(OnScreenArea(recorder, screen)) << recorder.frame << " off " << recorder.screenArea;
  const bool beside = !recorder.frame.overlaps(main) && recorder.frame.y < main.bottom() &&
                      main.y < recorder.frame.bottom();
  const Rect mainCentre{main.x + main.width / 2, main.y + main.height / 2, 1, 1};
  EXPECT_TRUE(beside || recorder.frame.contains(mainCentre))
      << "recorder " << recorder.frame << ", main window " << main;
  ExpectUsable(panelPopUp, ShownControls(panelPopUp, "recorder "), true, "recorder");

  // The compare pop-up opens as the recorder does; made smaller than its
  // panel, it scrolls rather than cutting a control off.
  testkit::ClosePanelWindow(panelPopUp);
  DisplayPanel(pCompare);
  testkit::Pump(0.05);
  const testkit::WindowView compare = testkit::Window(pCompare);
  EXPECT_TRUE(OnScreenArea(compare, screen)) << compare.frame << " off " << compare.screenArea;
  const bool compareBeside = !compare.frame.overlaps(main) && compare.frame.y < main.bottom() &&
                             main.y < compare.frame.bottom();
  EXPECT_TRUE(compareBeside || compare.frame.contains(mainCentre))
      << "compare " << compare.frame << ", main window " << main;
  ExpectUsable(pCompare, ShownControls(pCompare, "compare "), true, "compare");
  testkit::ResizeWindow(pCompare, 200, 120);
  testkit::Pump(0.05);
  EXPECT_TRUE(testkit::Window(pCompare).scrollBars);
  ExpectUsable(pCompare, ShownControls(pCompare, "compare "), false, "compare, small");

  // So does the statistics pop-up, from its button; larger, its histogram
  // takes the room.
  HidePanel(pCompare);
  testkit::ScrollTo(pHandle, MAIN_TOGGBTN_STATS);
  testkit::Click(pHandle, MAIN_TOGGBTN_STATS);
  ASSERT_TRUE(testkit::IsPanelVisible(pStats));
  testkit::Pump(0.05);
  const testkit::WindowView stats = testkit::Window(pStats);
  EXPECT_TRUE(OnScreenArea(stats, screen)) << stats.frame << " off " << stats.screenArea;
  const bool statsBeside = !stats.frame.overlaps(main) && stats.frame.y < main.bottom() &&
                           main.y < stats.frame.bottom();
  EXPECT_TRUE(statsBeside || stats.frame.contains(mainCentre))
      << "statistics " << stats.frame << ", main window " << main;
  ExpectUsable(pStats, ShownControls(pStats, "statistics "), comfortable, "statistics");
  if (comfortable) {
    const Rect histogram = testkit::ControlRect(pStats, STATS_HISTOGRAM);
    testkit::ResizeWindow(pStats, stats.shown.width + 200, stats.shown.height + 150);
    testkit::Pump(0.05);
    EXPECT_GE(testkit::ControlRect(pStats, STATS_HISTOGRAM).width, histogram.width + 200);
    EXPECT_GE(testkit::ControlRect(pStats, STATS_HISTOGRAM).height, histogram.height + 150);
  }
  testkit::ResizeWindow(pStats, 200, 120);
  testkit::Pump(0.05);
  EXPECT_TRUE(testkit::Window(pStats).scrollBars);
  ExpectUsable(pStats, ShownControls(pStats, "statistics "), false, "statistics, small");
}

INSTANTIATE_TEST_SUITE_P(Screens, OnScreen,
                         ::testing::Values(Screen{1024, 600, 1}, Screen{1280, 720, 1},
                                           Screen{1920, 1080, 1}, Screen{1366, 768, 1.25},
                                           Screen{1920, 1080, 1.5}, Screen{2560, 1440, 2},
                                           Screen{2048, 1200, 2}),
                         [](const ::testing::TestParamInfo<Screen> &info) {
                           std::ostringstream name;
                           name << info.param.width << "x" << info.param.height << "_scale"
                                << static_cast<int>(info.param.scale * 100);
                           return name.str();
                         });

TEST_F(WindowFit, OnALargeScreenTheGraphsTakeTheRoomAndTheControlsKeepTheirSize) {
  const int started = StartOn(Screen{1920, 1080, 1});
  if (started == -2) GTEST_SKIP() << "needs a process of its own, as under CTest";
  if (started == -3) GTEST_SKIP() << "the layout follows the system's fonts: Wine's are not Windows'";
  ASSERT_EQ(0, started);
  testkit::Pump(0.05);
  const testkit::WindowView opened = testkit::Window(pHandle);
  // It opens larger than the panel needs, and fits the screen.
  EXPECT_GT(opened.frame.width, 1400);
  EXPECT_GT(opened.frame.height, 800);
  EXPECT_TRUE(opened.screenArea.contains(opened.frame));

  const int graphs[] = {MAIN_BAR_A, MAIN_BAR_B, MAIN_STRIPCHART};
  const int fixedOnes[] = {MAIN_BTNRUN, MAIN_TOGGBTN_PARA1, MAIN_DROPDCOM, MAIN_VALUE_MM,
                           MAIN_NEDITEACHA};
  std::vector<Rect> large;
  for (int id : graphs) large.push_back(testkit::ControlRect(pHandle, id));
  std::vector<Rect> fixedLarge;
  for (int id : fixedOnes) fixedLarge.push_back(testkit::ControlRect(pHandle, id));

  testkit::ResizeWindow(pHandle, 1000, 500);  // smaller than the panel: it scrolls
  const testkit::WindowView small = testkit::Window(pHandle);
  EXPECT_TRUE(small.scrollBars);
  for (size_t i = 0; i < 3; ++i) {
    const Rect r = testkit::ControlRect(pHandle, graphs[i]);
    EXPECT_GT(large[i].width, r.width + 300) << graphs[i];
    if (graphs[i] == MAIN_STRIPCHART) EXPECT_GT(large[i].height, r.height + 150);
  }
  for (size_t i = 0; i < 5; ++i) {
    const Rect r = testkit::ControlRect(pHandle, fixedOnes[i]);
    EXPECT_EQ(fixedLarge[i].width, r.width) << fixedOnes[i];
    EXPECT_EQ(fixedLarge[i].height, r.height) << fixedOnes[i];
  }
  // The child panels keep the place the program gives them, inside the room
  // the layout keeps free for them.
  for (int child : {pPara1, pPara2, pCalib}) {
    const Rect place = testkit::PanelRect(child);
    EXPECT_EQ(8, place.x);
    EXPECT_EQ(98, place.y);
  }
}

}  // namespace
