// Loading panels from the resource file, panel handles, child panels, and the
// close box.
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "runtime/layer_fixture.h"

using namespace layer_test;

namespace {

std::string ReadAll(const char *path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string &path, const std::string &bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

}  // namespace

TEST_F(LayerTest, LoadRefusesMissingDamagedAndUnknownResources) {
  EXPECT_EQ(UIE_RESOURCE_FILE, LoadPanel(0, "no-such-file.uir", 1));
  EXPECT_EQ(UIE_RESOURCE_FILE, LoadPanel(0, "", 1));
  EXPECT_EQ(UIE_RESOURCE_FILE, LoadPanel(0, nullptr, 1));

  WriteAll("garbage.uir", "this is not a resource file at all, just text\n");
  EXPECT_EQ(UIE_RESOURCE_FILE, LoadPanel(0, "garbage.uir", 1));

  // A copy cut short: its header points past its end.
  std::string whole = ReadAll(kResourceFile);
  ASSERT_GT(whole.size(), 1000u);
  WriteAll("truncated.uir", whole.substr(0, whole.size() / 2));
  EXPECT_EQ(UIE_RESOURCE_FILE, LoadPanel(0, "truncated.uir", 1));
  std::remove("garbage.uir");
  std::remove("truncated.uir");

  EXPECT_EQ(UIE_RESOURCE_ID, LoadPanel(0, kResourceFile, 9));
  EXPECT_EQ(UIE_RESOURCE_ID, LoadPanel(0, kResourceFile, 0));
  EXPECT_EQ(UIE_RESOURCE_ID, LoadPanel(0, kResourceFile, -1));
  EXPECT_EQ(UIE_BAD_PANEL, LoadPanel(12345, kResourceFile, kChildPanel));
  EXPECT_EQ(UIE_BAD_PANEL, LoadPanel(-3, kResourceFile, kChildPanel));
}

TEST_F(LayerTest, LoadRefusesPanelsTheLayerCannotBuild) {
  EXPECT_EQ(UIE_BAD_CALLBACK, Load(kUnknownCallbackPanel));
  EXPECT_EQ(UIE_BAD_WIDGET, Load(kUnknownClassPanel));
  EXPECT_EQ(UIE_RESOURCE_FILE, Load(kDuplicateIdsPanel));
  EXPECT_EQ(UIE_RESOURCE_FILE, Load(kBadDataTypePanel));
  EXPECT_EQ(UIE_RESOURCE_FILE, Load(kBrokenXmlPanel));
  // The failures left the good panels loadable.
  EXPECT_GT(Load(kChildPanel, controls), 0);
}

TEST_F(LayerTest, ResourceFileIsFoundBesideTheProgramFromAnyWorkingDirectory) {
  char here[4096];
  ASSERT_NE(nullptr, getcwd(here, sizeof here));
  ASSERT_EQ(0, chdir("/"));
  int handle = Load(kChildPanel);
  ASSERT_EQ(0, chdir(here));
  EXPECT_GT(handle, 0);
}

TEST_F(LayerTest, HandlesAreNeverReusedAndDiscardedOnesAreRefused) {
  int first = Load(kChildPanel);
  ASSERT_GT(first, controls);
  ASSERT_EQ(UIE_NO_ERROR, DiscardPanel(first));
  int second = Load(kChildPanel);
  EXPECT_GT(second, first);

  unsigned short value = 0;
  EXPECT_EQ(UIE_BAD_PANEL, DiscardPanel(first));
  EXPECT_EQ(UIE_BAD_PANEL, DisplayPanel(first));
  EXPECT_EQ(UIE_BAD_PANEL, HidePanel(first));
  EXPECT_EQ(UIE_BAD_PANEL, SetCtrlVal(first, 2, 5));
  EXPECT_EQ(UIE_BAD_PANEL, GetCtrlVal(first, 2, &value));
  EXPECT_EQ(UIE_BAD_PANEL, SetPanelAttribute(first, ATTR_LEFT, 8));
  EXPECT_EQ(UIE_BAD_PANEL, SetCtrlAttribute(first, 2, ATTR_DIMMED, 1));
  EXPECT_EQ(UIE_BAD_PANEL, NewCtrl(first, CTRL_TEXT_MSG, "x", 0, 0));
  EXPECT_EQ(UIE_BAD_PANEL, SetCtrlVal(0, 2, 5));
  EXPECT_EQ(UIE_BAD_PANEL, SetCtrlVal(-1, 2, 5));
  // The new panel under its own handle works.
  EXPECT_EQ(UIE_NO_ERROR, SetCtrlVal(second, 2, 5));
}

TEST_F(LayerTest, ChildPanelsArePlacedShownAndDiscardedWithTheirParent) {
  int child = Load(kChildPanel, controls);
  ASSERT_GT(child, 0);
  EXPECT_FALSE(testkit::IsPanelVisible(child));  // hidden until displayed

  ASSERT_EQ(UIE_NO_ERROR, SetPanelAttribute(child, ATTR_LEFT, 8));
  ASSERT_EQ(UIE_NO_ERROR, SetPanelAttribute(child, ATTR_TOP, 98));
  int left = -1, top = -1, visible = -1;
  ASSERT_EQ(UIE_NO_ERROR, GetPanelAttribute(child, ATTR_LEFT, &left));
  ASSERT_EQ(UIE_NO_ERROR, GetPanelAttribute(child, ATTR_TOP, &top));
  EXPECT_EQ(8, left);
  EXPECT_EQ(98, top);

  ASSERT_EQ(UIE_NO_ERROR, DisplayPanel(controls));
  EXPECT_TRUE(testkit::IsPanelVisible(controls));
  EXPECT_FALSE(testkit::IsPanelVisible(child));  // showing the parent does not show it
  ASSERT_EQ(UIE_NO_ERROR, DisplayPanel(child));
  EXPECT_TRUE(testkit::IsPanelVisible(child));
  ASSERT_EQ(UIE_NO_ERROR, GetPanelAttribute(child, ATTR_VISIBLE, &visible));
  EXPECT_EQ(1, visible);

  // A child panel's controls take the operator's clicks.
  ASSERT_EQ(UIE_NO_ERROR, testkit::Click(child, 3));
  EXPECT_EQ((std::vector<Event>{{child, 3, EVENT_LEFT_CLICK, 0}, {child, 3, EVENT_COMMIT, 0}}),
            ControlEvents());

  ASSERT_EQ(UIE_NO_ERROR, HidePanel(child));
  EXPECT_FALSE(testkit::IsPanelVisible(child));
  EXPECT_EQ(UIE_BAD_ATTRIBUTE, SetPanelAttribute(child, 4242, 1));
  EXPECT_EQ(UIE_BAD_VALUE, GetPanelAttribute(child, ATTR_LEFT, nullptr));

  ASSERT_EQ(UIE_NO_ERROR, DiscardPanel(controls));
  EXPECT_EQ(UIE_BAD_PANEL, DisplayPanel(child));
  EXPECT_EQ(UIE_BAD_PANEL, SetCtrlVal(child, 2, 1));
}

TEST_F(LayerTest, CloseBoxIsRefusedAndDeliveredAsCloseEvent) {
  ASSERT_EQ(UIE_NO_ERROR, DisplayPanel(controls));
  ASSERT_EQ(UIE_NO_ERROR, testkit::ClosePanelWindow(controls));
  ASSERT_EQ(1u, PanelEvents().size());
  EXPECT_EQ(controls, PanelEvents()[0].panel);
  EXPECT_EQ(EVENT_CLOSE, PanelEvents()[0].event);
  testkit::Pump(0.05);
  EXPECT_TRUE(testkit::IsPanelVisible(controls));  // the callback decides, and it did nothing

  // A panel without a callback stays open too.
  int child = Load(kChildPanel);
  ASSERT_EQ(UIE_NO_ERROR, DisplayPanel(child));
  ASSERT_EQ(UIE_NO_ERROR, testkit::ClosePanelWindow(child));
  EXPECT_TRUE(testkit::IsPanelVisible(child));
  EXPECT_EQ(1u, PanelEvents().size());
}

TEST_F(LayerTest, InitialisingTwiceIsHarmless) {
  static char program[] = "test_ui";
  static char *argv[] = {program, nullptr};
  EXPECT_EQ(0, InitCVIRTE(1, argv));
  EXPECT_EQ(UIE_NO_ERROR, DisplayPanel(controls));
}

TEST_F(LayerTest, CallbackNamesMustBeUsable) {
  EXPECT_EQ(UIE_BAD_VALUE, RegisterCtrlCallback(nullptr, [](int, int, int, void *, int, int) { return 0; }));
  EXPECT_EQ(UIE_BAD_VALUE, RegisterCtrlCallback("", [](int, int, int, void *, int, int) { return 0; }));
  EXPECT_EQ(UIE_BAD_VALUE, RegisterCtrlCallback("LayerTest_Null", nullptr));
  EXPECT_EQ(UIE_BAD_VALUE, RegisterPanelCallback("LayerTest_Null", nullptr));
}
