// The main window as the operator uses it: child panels, the port selector
// and the adapters it lists as they come and go, the close boxes, a sensor
// that vanishes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/controls.h"
#include "app/globals.h"
#include "support/program_fixture.h"
#include "runtime/rs232/rs232.h"
#include "runtime/testkit/testkit.h"
#include "runtime/userint/userint.h"

namespace {

using MainWindow = support::ProgramTest;

int ToggleValue(int control) {
  int on = -1;
  GetCtrlVal(pHandle, control, &on);
  return on;
}

std::vector<bool> ShownChildren() {
  return {testkit::IsPanelVisible(pPara1), testkit::IsPanelVisible(pPara2),
          testkit::IsPanelVisible(pCalib)};
}

TEST_F(MainWindow, ChildPanelButtonsShowOnePanelAndReleaseTheOthers) {
  ASSERT_EQ(0, Start());
  EXPECT_EQ((std::vector<bool>{true, false, false}), ShownChildren());

  testkit::Click(pHandle, MAIN_TOGGBTN_CALIB);
  EXPECT_EQ((std::vector<bool>{false, false, true}), ShownChildren());
  EXPECT_EQ(0, ToggleValue(MAIN_TOGGBTN_PARA1));
  EXPECT_EQ(1, ToggleValue(MAIN_TOGGBTN_CALIB));

  testkit::Click(pHandle, MAIN_TOGGBTN_PARA2);
  EXPECT_EQ((std::vector<bool>{false, true, false}), ShownChildren());
  EXPECT_EQ(0, ToggleValue(MAIN_TOGGBTN_CALIB));

  testkit::Click(pHandle, MAIN_TOGGBTN_PARA1);
  EXPECT_EQ((std::vector<bool>{true, false, false}), ShownChildren());
  EXPECT_EQ(0, ToggleValue(MAIN_TOGGBTN_PARA2));
  EXPECT_EQ(1, ToggleValue(MAIN_TOGGBTN_PARA1));

  // The button of the panel already shown: the panel stays, the button itself
  // toggles as any toggle button does.
  testkit::Click(pHandle, MAIN_TOGGBTN_PARA1);
  EXPECT_EQ((std::vector<bool>{true, false, false}), ShownChildren());
  EXPECT_EQ(0, ToggleValue(MAIN_TOGGBTN_PARA1));
}

TEST_F(MainWindow, ChildPanelsShareOnePlaceClearOfTheBrandingBand) {
  ASSERT_EQ(0, Start());
  for (int child : {pPara1, pPara2, pCalib}) {
    int left = -1, top = -1;
    GetPanelAttribute(child, ATTR_LEFT, &left);
    GetPanelAttribute(child, ATTR_TOP, &top);
    EXPECT_EQ(8, left);
    EXPECT_EQ(98, top);
  }
}

TEST_F(MainWindow, HardwareAndEvaluationModesOfTheSensorSetTheDimming) {
  ASSERT_TRUE(StartSensor());
  kvorsim::ParamFrame frame0 = Sensor().ram(0);
  frame0[8] = 3;  // hardware mode: tolerances locked
  frame0[9] = 2;  // evaluation mode A + B
  Sensor().setRam(0, frame0);
  ASSERT_EQ(0, StartProgramOnSensor());
  EXPECT_TRUE(testkit::IsDimmed(pPara1, PARA1_TOL_UPPER));
  EXPECT_TRUE(testkit::IsDimmed(pPara1, PARA1_TOL_LOWER));
  EXPECT_FALSE(testkit::IsDimmed(pHandle, MAIN_NEDITEACHA));
  EXPECT_FALSE(testkit::IsDimmed(pHandle, MAIN_NEDITEACHB));
  EXPECT_EQ(2 * 4096, yaxisMAX);
  EXPECT_EQ(VAL_NO_POINT, testkit::GraphCursor(pHandle, MAIN_BAR_A, CURSOR_MEASURED).pointStyle);
  EXPECT_EQ(VAL_NO_POINT, testkit::GraphCursor(pHandle, MAIN_BAR_B, CURSOR_MEASURED).pointStyle);
}

TEST_F(MainWindow, HardwareModeTwoLeavesTheTolerancesUsable) {
  ASSERT_TRUE(StartSensor());
  kvorsim::ParamFrame frame0 = Sensor().ram(0);
  frame0[8] = 2;
  frame0[9] = 0;
  Sensor().setRam(0, frame0);
  ASSERT_EQ(0, StartProgramOnSensor());
  EXPECT_FALSE(testkit::IsDimmed(pPara1, PARA1_TOL_UPPER));
  EXPECT_FALSE(testkit::IsDimmed(pPara1, PARA1_TOL_LOWER));
  EXPECT_TRUE(testkit::IsDimmed(pHandle, MAIN_NEDITEACHA));
  EXPECT_FALSE(testkit::IsDimmed(pHandle, MAIN_NEDITEACHB));
  EXPECT_EQ(4096, yaxisMAX);
}

TEST_F(MainWindow, ChangingThePortRunsTheWholeStartUpAgain) {
  extraArgs = {"--port", "2=/dev/kvor-no-such-device"};
  ASSERT_EQ(0, Start());
  Sensor().clearReceived();

  testkit::SelectRingValue(pHandle, MAIN_DROPDCOM, 2);
  EXPECT_EQ(2, com);
  EXPECT_EQ("No serial port found", Status());
  EXPECT_TRUE(Frames().empty());

  testkit::StartTextLog();
  testkit::SelectRingValue(pHandle, MAIN_DROPDCOM, 1);
  testkit::StopTextLog();
  EXPECT_EQ(1, com);
  EXPECT_EQ((std::vector<int>{5, 10, 2, 2, 7}), Commands());
  EXPECT_EQ("K-VOR firmware V3.01 (simulated)", Status());
  const std::vector<std::string> shown = testkit::TextLog(pHandle, MAIN_STATUS);
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ("Init COM-Port ...", shown.front());
  EXPECT_EQ("Echo Check - Line Ok!", shown.at(1));

  // The port already shown, chosen again: the whole start-up once more, both
  // parameter frames from RAM included.
  Sensor().clearReceived();
  testkit::StartTextLog();
  testkit::SelectRingValue(pHandle, MAIN_DROPDCOM, 1);
  testkit::StopTextLog();
  EXPECT_EQ(1, com);
  EXPECT_EQ("Init COM-Port ...", testkit::TextLog(pHandle, MAIN_STATUS).at(0));
  ASSERT_EQ((std::vector<int>{5, 10, 2, 2, 7}), Commands());
  EXPECT_EQ(0, Frames()[2].argument());
  EXPECT_EQ(1, Frames()[3].argument());
  EXPECT_EQ("K-VOR firmware V3.01 (simulated)", Status());
}

TEST_F(MainWindow, AWheelTurnOrArrowKeyOverTheClosedPortSelectorLeavesRunModeAlone) {
  extraArgs = {"--port", "2=/dev/kvor-no-such-device"};
  ASSERT_EQ(0, Start());
  Sensor().clearReceived();
  size_t framesBefore = 0, framesAfter = 0;
  testkit::RunLater(0.4, [&] {
    framesBefore = Frames().size();
    testkit::WheelStep(pHandle, MAIN_DROPDCOM, -1);
    testkit::StepValue(pHandle, MAIN_DROPDCOM, -1);
  });
  testkit::RunLater(0.9, [&] {
    framesAfter = Frames().size();
    testkit::Click(pHandle, MAIN_BTNSTOP);
  });
  testkit::Click(pHandle, MAIN_BTNRUN);  // returns when run mode has ended

  EXPECT_EQ(1, com);
  int shown = 0;
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlVal(pHandle, MAIN_DROPDCOM, &shown));
  EXPECT_EQ(1, shown);
  // Run mode went on asking for raw values, and nothing started the line
  // afresh.
  EXPECT_GT(framesBefore, 3u);
  EXPECT_GT(framesAfter, framesBefore + 3);
  for (int command : Commands()) ASSERT_EQ(8, command);
}

// An adapter's life: the sensor on a USB adapter (a pseudo-terminal the
// program takes for one), a second adapter plugged in, the first pulled and
// plugged in again under another device name.
class PortsThatComeAndGo : public support::ProgramTest {
 protected:
  static SerialDevice Adapter(const std::string &name, const kvorsim::SensorSim &sensor,
                              const std::string &serial) {
    return SerialDevice{name, sensor.devicePath(), "USB serial adapter", serial};
  }
  std::string Label(const kvorsim::SensorSim &sensor, const std::string &serial) {
    return sensor.devicePath() + " \xE2\x80\x94 USB serial adapter (" + serial + ")";
  }
  std::vector<std::string> Entries() {
    std::vector<std::string> texts;
    for (const testkit::RingItem &item : testkit::RingItems(pHandle, MAIN_DROPDCOM))
      texts.push_back(item.text);
    return texts;
  }
  static std::vector<int> CommandsOf(const kvorsim::SensorSim &sensor) {
    std::vector<int> commands;
    for (const auto &f : sensor.received()) commands.push_back(f.command());
    return commands;
  }
};

TEST_F(PortsThatComeAndGo, AnAdapterPluggedInLaterAppearsWithTheNextNumberAndTheOpenPortGoesOn) {
  ASSERT_TRUE(StartSensor());
  FakeMachineDevices({Adapter("ttyUSB0", Sensor(), "A10KX3"), {"ttyS0", "/dev/kvor-test-ttyS0", "", ""}});
  ASSERT_EQ(0, StartProgramOnMachineDevices());
  EXPECT_EQ(1, com);
  EXPECT_EQ("K-VOR firmware V3.01 (simulated)", Status());
  const std::vector<std::string> atStart = {"1: " + Label(Sensor(), "A10KX3"), "2: /dev/kvor-test-ttyS0"};
  EXPECT_EQ(atStart, Entries());

  kvorsim::SensorSim second(sensorOptions);
  ASSERT_TRUE(StartAnotherSensor(second));
  MachineDevices().push_back(Adapter("ttyUSB1", second, "B20"));
  testkit::OpenRingList(pHandle, MAIN_DROPDCOM);
  std::vector<std::string> expected = atStart;
  expected.push_back("3: " + Label(second, "B20"));
  EXPECT_EQ(expected, Entries());
  EXPECT_EQ(atStart[0], testkit::Text(pHandle, MAIN_DROPDCOM));

  // The port in use was left alone by the look at the machine.
  Sensor().clearReceived();
  testkit::Click(pHandle, MAIN_BTNGET);
  EXPECT_EQ((std::vector<int>{2, 2}), Commands());
  EXPECT_TRUE(second.received().empty());

  testkit::SelectRingValue(pHandle, MAIN_DROPDCOM, 3);
  EXPECT_EQ(3, com);
  EXPECT_EQ((std::vector<int>{5, 10, 2, 2, 7}), CommandsOf(second));
  EXPECT_EQ(second.identity().firmwareText, Status());
}

TEST_F(PortsThatComeAndGo, APulledAdapterPluggedInAgainIsChosenUnderItsOldNumberAndRunModeWorks) {
  ASSERT_TRUE(StartSensor());
  FakeMachineDevices({Adapter("ttyUSB0", Sensor(), "A10KX3")});
  ASSERT_EQ(0, StartProgramOnMachineDevices());
  ASSERT_EQ(1, com);
  // The adapter's next device, made now so that it gets a name of its own
  // (the system hands a freed pseudo-terminal's number out again).
  kvorsim::SensorSim again(sensorOptions);
  kvorsim::Measurement m;
  m.aval = 1300, m.bval = 2400, m.mvalue = 1300, m.edcntA = 1, m.edcntB = 1;
  again.setMeasurement(m);
  ASSERT_TRUE(StartAnotherSensor(again));
  ASSERT_NE(Sensor().devicePath(), again.devicePath());

  Sensor().hangUp();
  MachineDevices().clear();
  ASSERT_TRUE(testkit::PumpUntil([] { return GetInQLen(com) == RS_PORT_NOT_OPEN; }, 3.0));
  testkit::Pump(0.2);
  EXPECT_EQ("Serial device lost - choose a port!", Status());
  testkit::OpenRingList(pHandle, MAIN_DROPDCOM);
  ASSERT_EQ(1u, Entries().size());
  EXPECT_NE(std::string::npos, Entries()[0].find("not present")) << Entries()[0];

  // Back in under another device name, known by its serial number.
  MachineDevices().push_back(Adapter("ttyUSB1", again, "A10KX3"));
  testkit::SelectRingValue(pHandle, MAIN_DROPDCOM, 1);
  EXPECT_EQ((std::vector<std::string>{"1: " + Label(again, "A10KX3")}), Entries());
  EXPECT_EQ(1, com);
  EXPECT_EQ((std::vector<int>{5, 10, 2, 2, 7}), CommandsOf(again));
  EXPECT_EQ(again.identity().firmwareText, Status());

  again.clearReceived();
  testkit::RunLater(0.6, [] { testkit::Click(pHandle, MAIN_BTNSTOP); });
  testkit::Click(pHandle, MAIN_BTNRUN);
  const std::vector<int> during = CommandsOf(again);
  ASSERT_GE(during.size(), 5u);
  for (int command : during) EXPECT_EQ(8, command);
  EXPECT_EQ("1300", testkit::Text(pHandle, MAIN_EDGE_A));
  EXPECT_EQ("2400", testkit::Text(pHandle, MAIN_EDGE_B));
  EXPECT_NE("Serial device lost - choose a port!", Status());
}

TEST_F(MainWindow, ClosingTheMainWindowEndsTheEventLoopAndClosesThePort) {
  ASSERT_EQ(0, Start());
  testkit::RunLater(0.1, [] { testkit::ClosePanelWindow(pHandle); });
  RunUserInterface();
  EXPECT_EQ(1, stop_flag);
  EXPECT_EQ(RS_PORT_NOT_OPEN, GetInQLen(com));
}

TEST_F(MainWindow, ClosingTheRecorderHidesItAndReleasesItsToggle) {
  ASSERT_EQ(0, Start());
  testkit::Click(pHandle, MAIN_TOGGBTN_RECORDER);
  EXPECT_TRUE(testkit::IsPanelVisible(panelPopUp));
  EXPECT_EQ(1, ToggleValue(MAIN_TOGGBTN_RECORDER));
  stop_flag = 0;
  testkit::ClosePanelWindow(panelPopUp);
  EXPECT_FALSE(testkit::IsPanelVisible(panelPopUp));
  EXPECT_EQ(0, ToggleValue(MAIN_TOGGBTN_RECORDER));
  EXPECT_EQ(1, stop_flag);
  // Shown again, it is the same panel with its values.
  testkit::Click(pHandle, MAIN_TOGGBTN_RECORDER);
  EXPECT_TRUE(testkit::IsPanelVisible(panelPopUp));
}

TEST_F(MainWindow, AVanishedSensorIsToldOnceAndThePortCloses) {
  ASSERT_EQ(0, Start());
  Sensor().hangUp();
  ASSERT_TRUE(testkit::PumpUntil([] { return GetInQLen(com) == RS_PORT_NOT_OPEN; }, 3.0));
  testkit::Pump(0.2);
  EXPECT_EQ("Serial device lost - choose a port!", Status());
  EXPECT_EQ(1, stop_flag);
  // Later requests fail quietly instead of hanging.
  testkit::Click(pHandle, MAIN_BTNSEND);
  EXPECT_TRUE(testkit::IsPanelVisible(pHandle));
}

// A screen reader names every control after what it is, on every panel, and
// the name stays when the value changes; except a ring, which, as everywhere
// in Qt on Linux, is named after the entry it shows and labelled by the label
// that says what it is.
TEST_F(MainWindow, EveryControlIsNamedForWhatItIsARingForItsEntry) {
  ASSERT_EQ(0, StartOffline());
  const struct {
    int panel;
    const char *name;
  } panels[] = {{pHandle, "main"}, {pPara1, "parameters 1"}, {pPara2, "parameters 2"},
                {pCalib, "calibration"}, {panelPopUp, "recorder"}, {pCompare, "compare"},
                {pStats, "statistics"}};
  int rings = 0;
  for (const auto &p : panels) {
    for (int id : testkit::ControlIds(p.panel)) {
      const std::string kind = testkit::ControlKind(p.panel, id);
      // The band is decoration; texts written at run time are named by their text.
      if (kind == "decoration" || testkit::IsCreatedTextMessage(p.panel, id)) continue;
      SCOPED_TRACE(std::string(p.name) + " control " + std::to_string(id) + " (" + kind + ")");
      const std::string name = testkit::AccessibleName(p.panel, id);
      const std::string label = testkit::AccessibleLabel(p.panel, id);
      EXPECT_FALSE(name.empty());
      if (kind == "graph" || kind == "strip chart" || kind == "command button") continue;
      if (kind == "ring") {
        ++rings;
        EXPECT_FALSE(label.empty());
      }
      // Two different values, so at least one is a change.
      std::vector<std::string> values;
      if (kind == "string" || kind == "text box" || kind == "text message") {
        for (const char *text : {"first text", "second text"}) {
          SetCtrlVal(p.panel, id, text);
          values.push_back(testkit::Text(p.panel, id));
          EXPECT_EQ(name, testkit::AccessibleName(p.panel, id)) << "with " << text;
        }
      } else {
        for (int value : {0, 1}) {
          SetCtrlVal(p.panel, id, value);
          values.push_back(kind == "slider" ? testkit::AccessibleValue(p.panel, id)
                                            : testkit::Text(p.panel, id));
          if (kind == "ring") {
#ifdef _WIN32
            // Qt tells Windows' screen readers a ring's name (what it is)
            // and its value (the entry); elsewhere the entry is the name.
            EXPECT_EQ(name, testkit::AccessibleName(p.panel, id)) << "with " << value;
            EXPECT_EQ(testkit::Text(p.panel, id), testkit::AccessibleValue(p.panel, id));
#else
            EXPECT_EQ(testkit::Text(p.panel, id), testkit::AccessibleName(p.panel, id));
#endif
            EXPECT_EQ(label, testkit::AccessibleLabel(p.panel, id)) << "with " << value;
            EXPECT_NE(testkit::Text(p.panel, id), label);
          } else {
            EXPECT_EQ(name, testkit::AccessibleName(p.panel, id)) << "with " << value;
            EXPECT_NE(testkit::Text(p.panel, id), name);
          }
        }
      }
      // The port selector may have a single entry; every other control changed.
      if (!(p.panel == pHandle && id == MAIN_DROPDCOM) && kind != "toggle button" &&
          kind != "radio button")
        EXPECT_NE(values[0], values[1]);
    }
  }
  EXPECT_EQ(8, rings);
  // The status box's message is readable as its value.
  SetCtrlVal(pHandle, MAIN_STATUS, "Timeout RS232-Line!");
  EXPECT_EQ("Status", testkit::AccessibleName(pHandle, MAIN_STATUS));
  EXPECT_EQ("Timeout RS232-Line!", testkit::AccessibleValue(pHandle, MAIN_STATUS));
}

}  // namespace
