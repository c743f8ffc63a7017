#include "runtime/layer_fixture.h"

namespace layer_test {
namespace {

int g_depth = 0;
std::vector<int> g_loaded;

int RecordControl(int panel, int control, int event, void *, int, int) {
  ControlEvents().push_back({panel, control, event, g_depth});
  return 0;
}

int RecordPanel(int panel, int event, void *, int, int) {
  PanelEvents().push_back({panel, 0, event, g_depth});
  if (event == EVENT_CLOSE && CloseAction()) CloseAction()();
  return 0;
}

int RunNestAction(int panel, int control, int event, void *, int, int) {
  ControlEvents().push_back({panel, control, event, g_depth});
  if (event == EVENT_COMMIT && NestAction()) {
    ++g_depth;
    NestAction()();
    --g_depth;
  }
  return 0;
}

}  // namespace

std::vector<Event> &ControlEvents() {
  static std::vector<Event> events;
  return events;
}

std::vector<Event> &PanelEvents() {
  static std::vector<Event> events;
  return events;
}

std::function<void()> &NestAction() {
  static std::function<void()> action;
  return action;
}

std::function<void()> &CloseAction() {
  static std::function<void()> action;
  return action;
}

int CallbackDepth() { return g_depth; }

std::vector<int> EventsOf(int control) {
  std::vector<int> out;
  for (const Event &e : ControlEvents())
    if (e.control == control) out.push_back(e.event);
  return out;
}

void LayerTest::SetUpTestSuite() {
  static char program[] = "test_ui";
  static char *argv[] = {program, nullptr};
  ASSERT_EQ(0, InitCVIRTE(1, argv));
  ASSERT_EQ(UIE_NO_ERROR, RegisterCtrlCallback("LayerTest_Control", RecordControl));
  ASSERT_EQ(UIE_NO_ERROR, RegisterCtrlCallback("LayerTest_Nest", RunNestAction));
  ASSERT_EQ(UIE_NO_ERROR, RegisterPanelCallback("LayerTest_Panel", RecordPanel));
}

void LayerTest::SetUp() {
  ControlEvents().clear();
  PanelEvents().clear();
  NestAction() = nullptr;
  CloseAction() = nullptr;
  controls = Load(kControlsPanel);
  ASSERT_GT(controls, 0);
}

void LayerTest::TearDown() {
  for (int handle : g_loaded) DiscardPanel(handle);  // already discarded ones just refuse
  g_loaded.clear();
  ProcessSystemEvents();
}

int LayerTest::Load(int resourceId, int parent) {
  int handle = LoadPanel(parent, kResourceFile, resourceId);
  if (handle > 0) g_loaded.push_back(handle);
  return handle;
}

}  // namespace layer_test
