// Shared set-up of the run-time layer's panel and graph tests: the layer is
// started once per process, the test resource file's panels are loaded fresh
// for every test, and every callback the panels name records what it got.
#ifndef KVOR_TESTS_RUNTIME_LAYER_FIXTURE_H
#define KVOR_TESTS_RUNTIME_LAYER_FIXTURE_H

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "runtime/runtime.h"
#include "runtime/testkit/testkit.h"
#include "runtime/userint/userint.h"

namespace layer_test {

// The test panels packed beside the test program.
inline const char *kResourceFile = "layer-test.uir";
enum {
  kControlsPanel = 1,
  kChildPanel = 2,
  kGraphsPanel = 3,
  kUnknownCallbackPanel = 4,
  kUnknownClassPanel = 5,
  kDuplicateIdsPanel = 6,
  kBadDataTypePanel = 7,
  kBrokenXmlPanel = 8,
};

// Controls of the controls panel.
enum {
  kGo = 2,           // command button
  kToggle = 3,       // toggle button
  kRadioA = 4,       // radio, off at load
  kRadioB = 5,       // radio, on at load
  kRing = 6,         // ring u16, values 10, 20, 30
  kSetpoint = 7,     // numeric u16 0..65535, labelled "Set-point"
  kIndicator = 8,    // read-only double, 3 decimals, -1000..1000
  kSlider = 9,       // slider u16 0..255
  kStatus = 10,      // read-only string
  kTextBox = 11,
  kCaption = 12,     // text message
  kBand = 13,        // decoration
  kPortRing = 14,    // ring of the serial port table
  kSigned = 15,      // numeric i32 -100..100
  kFactor = 16,      // numeric float, 6 decimals, 0..10
  kShort = 17,       // numeric i16
  kPicture = 18,     // label for pictures
  kNameEdit = 19,    // editable string, commits on Enter
  kNest = 20,        // command button whose callback runs a nested loop
};

// Controls of the graphs panel.
enum {
  kBarGraph = 2,     // x 0..4096, y 0..1, 2 cursors, no value axis
  kVideoGraph = 3,   // x 0..128, y 0..256, no cursors
  kHistory = 4,      // strip chart, 5 traces, 101 points per screen
};

struct Event {
  int panel, control, event;
  int depth;  // how deeply callbacks were nested when it came
  bool operator==(const Event &o) const {
    return panel == o.panel && control == o.control && event == o.event;
  }
};

std::vector<Event> &ControlEvents();
std::vector<Event> &PanelEvents();
// What the nesting button's callback does on commit, and what the panel
// callback does on a close event after recording it; set by a test.
std::function<void()> &NestAction();
std::function<void()> &CloseAction();
int CallbackDepth();

// The events that came for one control, in order.
std::vector<int> EventsOf(int control);

class LayerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  void SetUp() override;
  void TearDown() override;

  int Load(int resourceId, int parent = 0);
  int controls = 0;  // the controls panel, loaded for every test
};

}  // namespace layer_test

#endif
