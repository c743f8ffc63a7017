// The operator's actions become the system's events, in the system's order;
// the layer's own changes raise none.
#include "runtime/layer_fixture.h"

#include "runtime/rs232/port_table.h"

using namespace layer_test;

namespace {

std::vector<int> Ints(std::initializer_list<int> list) { return std::vector<int>(list); }

}  // namespace

class LayerEventsTest : public LayerTest {
 protected:
  void SetUp() override {
    LayerTest::SetUp();
    ASSERT_EQ(UIE_NO_ERROR, DisplayPanel(controls));
  }
};

TEST_F(LayerEventsTest, ButtonsRaiseTheirEventsInOrder) {
  ASSERT_EQ(UIE_NO_ERROR, testkit::Click(controls, kGo));
  EXPECT_EQ(Ints({EVENT_LEFT_CLICK, EVENT_COMMIT}), EventsOf(kGo));

  int on = -1;
  ASSERT_EQ(UIE_NO_ERROR, testkit::Click(controls, kToggle));
  EXPECT_EQ(Ints({EVENT_LEFT_CLICK, EVENT_VAL_CHANGED, EVENT_COMMIT}), EventsOf(kToggle));
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlVal(controls, kToggle, &on));
  EXPECT_EQ(1, on);
  ASSERT_EQ(UIE_NO_ERROR, testkit::Click(controls, kToggle));
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlVal(controls, kToggle, &on));
  EXPECT_EQ(0, on);
  EXPECT_EQ(6u, EventsOf(kToggle).size());
  // Every event names its panel.
  for (const Event &e : ControlEvents()) EXPECT_EQ(controls, e.panel);
}

TEST_F(LayerEventsTest, RadioButtonsAreIndependentToggles) {
  int a = -1, b = -1;
  ASSERT_EQ(UIE_NO_ERROR, testkit::Click(controls, kRadioA));
  EXPECT_EQ(Ints({EVENT_VAL_CHANGED, EVENT_COMMIT}), EventsOf(kRadioA));
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlVal(controls, kRadioA, &a));
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlVal(controls, kRadioB, &b));
  EXPECT_EQ(1, a);
  EXPECT_EQ(1, b);  // not switched off behind the system's back
  EXPECT_TRUE(EventsOf(kRadioB).empty());

  // Clicking the one that is on turns it off.
  ASSERT_EQ(UIE_NO_ERROR, testkit::Click(controls, kRadioB));
  EXPECT_EQ(Ints({EVENT_VAL_CHANGED, EVENT_COMMIT}), EventsOf(kRadioB));
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlVal(controls, kRadioB, &b));
  EXPECT_EQ(0, b);
}

TEST_F(LayerEventsTest, RingChoiceRaisesChangeThenCommit) {
  unsigned short value = 0;
  ASSERT_EQ(UIE_NO_ERROR, testkit::SelectRingIndex(controls, kRing, 2));
  EXPECT_EQ(Ints({EVENT_VAL_CHANGED, EVENT_COMMIT}), EventsOf(kRing));
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlVal(controls, kRing, &value));
  EXPECT_EQ(30, value);

  ASSERT_EQ(UIE_NO_ERROR, testkit::SelectRingValue(controls, kRing, 20));
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlVal(controls, kRing, &value));
  EXPECT_EQ(20, value);
  EXPECT_EQ(4u, EventsOf(kRing).size());
  EXPECT_EQ(UIE_BAD_VALUE, testkit::SelectRingValue(controls, kRing, 25));

  // Picking the item already shown is a choice too: a commit, no change.
  ControlEvents().clear();
  ASSERT_EQ(UIE_NO_ERROR, testkit::SelectRingValue(controls, kRing, 20));
  EXPECT_EQ(Ints({EVENT_COMMIT}), EventsOf(kRing));
  // Opening the list and leaving it with Escape chooses nothing.
  ControlEvents().clear();
  ASSERT_EQ(UIE_NO_ERROR, testkit::OpenRingList(controls, kRing));
  EXPECT_TRUE(EventsOf(kRing).empty());
}

TEST_F(LayerEventsTest, OpeningThePortRingLooksAtTheMachineKeepsThePortShownAndRaisesNothing) {
  std::vector<SerialDevice> machine = {{"ttyUSB0", "/dev/kvor-test-usb0", "USB serial adapter", "A1"},
                                       {"ttyUSB1", "/dev/kvor-test-usb1", "", ""}};
  SetSerialDeviceLister([&machine] { return machine; });
  for (int port = 1; port <= MAX_COM_PORTS; ++port) SetComPortDevice(port, "");
  RefreshPortTable();
  ASSERT_EQ(UIE_NO_ERROR, testkit::OpenRingList(controls, kPortRing));
  ASSERT_EQ(UIE_NO_ERROR, SetCtrlVal(controls, kPortRing, 2));
  ControlEvents().clear();

  machine.erase(machine.begin());
  machine.push_back({"ttyACM0", "/dev/kvor-test-acm0", "", ""});
  ASSERT_EQ(UIE_NO_ERROR, testkit::OpenRingList(controls, kPortRing));
  const std::vector<testkit::RingItem> items = testkit::RingItems(controls, kPortRing);
  SetSerialDeviceLister(nullptr);
  ASSERT_EQ(3u, items.size());
  EXPECT_EQ("1: /dev/kvor-test-usb0 \xE2\x80\x94 USB serial adapter (A1) \xE2\x80\x94 not present",
            items[0].text);
  EXPECT_NE(std::string::npos, items[0].toolTip.find("not connected")) << items[0].toolTip;
  EXPECT_EQ("2: /dev/kvor-test-usb1", items[1].text);
  EXPECT_EQ("", items[1].toolTip);
  EXPECT_EQ("3: /dev/kvor-test-acm0", items[2].text);
  int port = 0;
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlVal(controls, kPortRing, &port));
  EXPECT_EQ(2, port);
  EXPECT_EQ(items[1].text, testkit::Text(controls, kPortRing));
  EXPECT_TRUE(EventsOf(kPortRing).empty());
}

TEST_F(LayerEventsTest, WheelAndKeysOverAClosedRingChooseNothing) {
  // The port ring with a few entries, so there is somewhere to step to.
  ASSERT_EQ(0, SetComPortDevice(1, "/dev/kvor-test-a"));
  ASSERT_EQ(0, SetComPortDevice(2, "/dev/kvor-test-b"));
  ASSERT_EQ(0, SetComPortDevice(3, "/dev/kvor-test-c"));
  ASSERT_EQ(UIE_NO_ERROR, testkit::OpenRingList(controls, kPortRing));
  ASSERT_GE(testkit::RingItems(controls, kPortRing).size(), 3u);
  ASSERT_EQ(UIE_NO_ERROR, SetCtrlVal(controls, kPortRing, 2));
  ASSERT_EQ(UIE_NO_ERROR, SetCtrlVal(controls, kRing, 20));
  ControlEvents().clear();
  for (int ring : {kRing, kPortRing}) {
    const std::string shown = testkit::Text(controls, ring);
    ASSERT_EQ(UIE_NO_ERROR, testkit::WheelStep(controls, ring, -1));
    ASSERT_EQ(UIE_NO_ERROR, testkit::WheelStep(controls, ring, 1));
    ASSERT_EQ(UIE_NO_ERROR, testkit::WheelStep(controls, ring, 1));
    ASSERT_EQ(UIE_NO_ERROR, testkit::StepValue(controls, ring, -1));
    ASSERT_EQ(UIE_NO_ERROR, testkit::StepValue(controls, ring, 2));
    // Typing the start of another item, on the keys or through an input method.
    ASSERT_EQ(UIE_NO_ERROR, testkit::TypeText(controls, ring, ring == kRing ? "th" : "3"));
    ASSERT_EQ(UIE_NO_ERROR, testkit::CommitInput(controls, ring, ring == kRing ? "th" : "3"));
    ASSERT_EQ(UIE_NO_ERROR, testkit::PressKey(controls, ring, ring == kRing ? "Alt+T" : "Alt+3"));
    ASSERT_EQ(UIE_NO_ERROR, testkit::PressKey(controls, ring, "Alt+Up"));
    EXPECT_EQ(shown, testkit::Text(controls, ring)) << ring;
    EXPECT_TRUE(EventsOf(ring).empty()) << ring;
    // Alt+Down only opens the list.
    ASSERT_EQ(UIE_NO_ERROR, testkit::PressKey(controls, ring, "Alt+Down"));
    EXPECT_TRUE(testkit::IsRingListOpen(controls, ring)) << ring;
    ASSERT_EQ(UIE_NO_ERROR, testkit::OpenRingList(controls, ring));  // and Escape
    EXPECT_FALSE(testkit::IsRingListOpen(controls, ring)) << ring;
    EXPECT_EQ(shown, testkit::Text(controls, ring)) << ring;
    EXPECT_TRUE(EventsOf(ring).empty()) << ring;
  }
}

TEST_F(LayerEventsTest, NumericInputChangesOnEveryKeyAndCommitsOnEnterAndSteps) {
  ASSERT_EQ(UIE_NO_ERROR, testkit::TypeValue(controls, kSetpoint, "1234"));
  std::vector<int> events = EventsOf(kSetpoint);
  ASSERT_GE(events.size(), 2u);
  EXPECT_EQ(EVENT_COMMIT, events.back());
  // "1", "12", "123", "1234": each keystroke made a new value.
  EXPECT_EQ(std::vector<int>(4, EVENT_VAL_CHANGED), std::vector<int>(events.begin(), events.end() - 1));
  unsigned short value = 0;
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlVal(controls, kSetpoint, &value));
  EXPECT_EQ(1234, value);

  ControlEvents().clear();
  ASSERT_EQ(UIE_NO_ERROR, testkit::StepValue(controls, kSetpoint, 2));
  EXPECT_EQ(Ints({EVENT_VAL_CHANGED, EVENT_COMMIT, EVENT_VAL_CHANGED, EVENT_COMMIT}), EventsOf(kSetpoint));
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlVal(controls, kSetpoint, &value));
  EXPECT_EQ(1236, value);

  // Leaving the field after a change commits it; leaving without one does not.
  ControlEvents().clear();
  ASSERT_EQ(UIE_NO_ERROR, testkit::TypeText(controls, kSetpoint, "77"));
  EXPECT_EQ(Ints({EVENT_VAL_CHANGED, EVENT_VAL_CHANGED}), EventsOf(kSetpoint));
  ASSERT_EQ(UIE_NO_ERROR, testkit::Click(controls, kGo));
  EXPECT_EQ(Ints({EVENT_VAL_CHANGED, EVENT_VAL_CHANGED, EVENT_COMMIT}), EventsOf(kSetpoint));
  ASSERT_EQ(UIE_NO_ERROR, testkit::TypeText(controls, kSetpoint, ""));  // focus only
  ASSERT_EQ(UIE_NO_ERROR, testkit::Click(controls, kGo));
  EXPECT_EQ(3u, EventsOf(kSetpoint).size());
}

TEST_F(LayerEventsTest, IndicatorsAndReadOnlyTextTakeNoInput) {
  ASSERT_EQ(UIE_NO_ERROR, SetCtrlVal(controls, kIndicator, 1.5));
  ASSERT_EQ(UIE_NO_ERROR, testkit::TypeValue(controls, kIndicator, "9"));
  ASSERT_EQ(UIE_NO_ERROR, testkit::StepValue(controls, kIndicator, 3));
  double shown = 0;
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlVal(controls, kIndicator, &shown));
  EXPECT_DOUBLE_EQ(1.5, shown);

  ASSERT_EQ(UIE_NO_ERROR, SetCtrlVal(controls, kStatus, "Line Ok!"));
  ASSERT_EQ(UIE_NO_ERROR, testkit::TypeValue(controls, kStatus, "typed"));
  EXPECT_EQ("Line Ok!", testkit::Text(controls, kStatus));
  EXPECT_TRUE(ControlEvents().empty());
}

TEST_F(LayerEventsTest, SliderRaisesValueChangedWhileMovingAndStringCommitsOnEnter) {
  ASSERT_EQ(UIE_NO_ERROR, testkit::MoveSlider(controls, kSlider, 200));
  std::vector<int> events = EventsOf(kSlider);
  ASSERT_GE(events.size(), 2u);  // on the way, not only at the end
  EXPECT_EQ(std::vector<int>(events.size(), EVENT_VAL_CHANGED), events);
  unsigned short value = 0;
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlVal(controls, kSlider, &value));
  EXPECT_EQ(200, value);

  ASSERT_EQ(UIE_NO_ERROR, testkit::TypeValue(controls, kNameEdit, "abc"));
  EXPECT_EQ(Ints({EVENT_COMMIT}), EventsOf(kNameEdit));
  EXPECT_EQ("abc", testkit::Text(controls, kNameEdit));
}

TEST_F(LayerEventsTest, ValuesAndAttributesSetByTheSystemRaiseNothing) {
  EXPECT_EQ(UIE_NO_ERROR, SetCtrlVal(controls, kToggle, 1));
  EXPECT_EQ(UIE_NO_ERROR, SetCtrlVal(controls, kRadioA, 1));
  EXPECT_EQ(UIE_NO_ERROR, SetCtrlVal(controls, kRadioB, 0));
  EXPECT_EQ(UIE_NO_ERROR, SetCtrlVal(controls, kRing, 30));
  EXPECT_EQ(UIE_NO_ERROR, SetCtrlVal(controls, kSetpoint, 99));
  EXPECT_EQ(UIE_NO_ERROR, SetCtrlVal(controls, kSigned, -7));
  EXPECT_EQ(UIE_NO_ERROR, SetCtrlVal(controls, kSlider, 10));
  EXPECT_EQ(UIE_NO_ERROR, SetCtrlVal(controls, kNameEdit, "set"));
  EXPECT_EQ(UIE_NO_ERROR, SetCtrlAttribute(controls, kToggle, ATTR_DIMMED, 1));
  EXPECT_EQ(UIE_NO_ERROR, SetCtrlAttribute(controls, kToggle, ATTR_DIMMED, 0));
  EXPECT_EQ(UIE_NO_ERROR, SetCtrlAttribute(controls, kRing, ATTR_VISIBLE, 0));
  EXPECT_EQ(UIE_NO_ERROR, SetCtrlAttribute(controls, kGo, ATTR_LABEL_TEXT, "Run"));
  testkit::Pump(0.02);
  EXPECT_TRUE(ControlEvents().empty());
  EXPECT_TRUE(PanelEvents().empty());
}

TEST_F(LayerEventsTest, DimmedAndHiddenControlsIgnoreTheOperator) {
  ASSERT_EQ(UIE_NO_ERROR, SetCtrlAttribute(controls, kGo, ATTR_DIMMED, 1));
  ASSERT_EQ(UIE_NO_ERROR, SetCtrlAttribute(controls, kSetpoint, ATTR_DIMMED, 1));
  ASSERT_EQ(UIE_NO_ERROR, testkit::Click(controls, kGo));
  ASSERT_EQ(UIE_NO_ERROR, testkit::TypeValue(controls, kSetpoint, "5"));
  EXPECT_TRUE(ControlEvents().empty());
  EXPECT_TRUE(testkit::IsDimmed(controls, kGo));
  int dimmed = -1;
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlAttribute(controls, kGo, ATTR_DIMMED, &dimmed));
  EXPECT_EQ(1, dimmed);

  ASSERT_EQ(UIE_NO_ERROR, SetCtrlAttribute(controls, kGo, ATTR_DIMMED, 0));
  EXPECT_FALSE(testkit::IsDimmed(controls, kGo));
  ASSERT_EQ(UIE_NO_ERROR, testkit::Click(controls, kGo));
  EXPECT_EQ(Ints({EVENT_LEFT_CLICK, EVENT_COMMIT}), EventsOf(kGo));

  ASSERT_EQ(UIE_NO_ERROR, SetCtrlAttribute(controls, kRing, ATTR_VISIBLE, 0));
  EXPECT_FALSE(testkit::IsVisible(controls, kRing));
  ASSERT_EQ(UIE_NO_ERROR, testkit::SelectRingIndex(controls, kRing, 1));
  EXPECT_TRUE(EventsOf(kRing).empty());
  ASSERT_EQ(UIE_NO_ERROR, SetCtrlAttribute(controls, kRing, ATTR_VISIBLE, 1));
  EXPECT_TRUE(testkit::IsVisible(controls, kRing));
}

TEST_F(LayerEventsTest, ControlsOfAHiddenPanelKeepTheirOwnVisibilityButTakeNoInput) {
  int child = Load(kChildPanel, controls);
  EXPECT_TRUE(testkit::IsVisible(child, 2));  // its own flag: not hidden on purpose
  int visible = -1;
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlAttribute(child, 2, ATTR_VISIBLE, &visible));
  EXPECT_EQ(1, visible);

  // The operator cannot reach a panel that is not shown.
  ASSERT_EQ(UIE_NO_ERROR, testkit::Click(child, 3));
  ASSERT_EQ(UIE_NO_ERROR, testkit::TypeValue(child, 2, "7"));
  EXPECT_TRUE(ControlEvents().empty());
  ASSERT_EQ(UIE_NO_ERROR, DisplayPanel(child));
  ASSERT_EQ(UIE_NO_ERROR, testkit::Click(child, 3));
  EXPECT_EQ(2u, ControlEvents().size());
}
