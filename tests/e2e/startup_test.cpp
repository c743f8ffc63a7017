// The program's start-up against the simulated sensor: what the sensor
// receives, what the operator reads in the status box and on the panels.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/controls.h"
#include "app/globals.h"
#include "link/com232.h"
#include "support/program_fixture.h"
#include "runtime/rs232/rs232.h"
#include "runtime/testkit/testkit.h"
#include "runtime/userint/userint.h"

namespace {

using support::DataWords;
using support::StartFrame0;
using support::StartFrame1;
using StartUp = support::ProgramTest;

// A line as the program keeps its texts: Windows-1252, the micro sign B5.
std::string DescriptionLine(int line) {
  char text[128] = "";
  GetTextBoxLine(pCalib, CALIB_DESCRIPTION, line, text, sizeof text);
  return text;
}

int ShownValue(int panel, int control) { return std::stoi(testkit::Text(panel, control)); }

// What the status box shows, step by step, during a whole start-up against
// the simulated sensor, the progress texts included.
std::vector<std::string> StartUpTexts() {
  return {"InitVars",
          "Echo Check - Line Ok!",
          "Waiting for parameter-frame ...",
          "Parameter-frame received! - Line Ok!",
          "Waiting for parameter-frame ...",
          "Parameter-frame received! - Line Ok!",
          "Waiting for firmware info ...",
          "K-VOR firmware V3.01 (simulated)"};
}

TEST_F(StartUp, AgainstASensorChecksIdentifiesReadsBothFramesAndShowsTheFirmware) {
  testkit::StartTextLog();
  ASSERT_EQ(0, Start());
  testkit::StopTextLog();
  // Every step tells the operator where it is, the progress texts included.
  EXPECT_EQ(StartUpTexts(), testkit::TextLog(pHandle, MAIN_STATUS));
  const auto frames = Frames();
  ASSERT_EQ((std::vector<int>{5, 10, 2, 2, 7}), Commands());

  // The echo carries parameter frame 0 as the panels hold it at start.
  EXPECT_EQ(0x0055, frames[0].sync());
  EXPECT_EQ(0, frames[0].argument());
  EXPECT_EQ(StartFrame0(), DataWords(frames[0]));
  // The reads of RAM ask for frame 0, then frame 1, with the PC's values.
  EXPECT_EQ(0, frames[2].argument());
  EXPECT_EQ(StartFrame0(), DataWords(frames[2]));
  EXPECT_EQ(1, frames[3].argument());
  EXPECT_EQ(StartFrame1(), DataWords(frames[3]));
  // Each step waits for the one before and 100 ms more, at the program's own
  // writes (the sensor's receipt times carry its reading thread's jitter).
  const std::vector<double> writes = WriteTimes();
  ASSERT_EQ(5u, writes.size());
  for (int i = 1; i < 5; ++i) EXPECT_GE(writes[i] - writes[i - 1], 0.1) << i;

  EXPECT_EQ("K-VOR firmware V3.01 (simulated)", Status());
  EXPECT_EQ("1024-pixel; 7.8\xB5m pixel-pitch", DescriptionLine(0));
  EXPECT_EQ("4096-subpixel; resolution=2\xB5m", DescriptionLine(1));
  EXPECT_EQ("working-range = 7.98mm", DescriptionLine(2));

  // The panels show the sensor's RAM, not the program's start values.
  const kvorsim::ParamFrame ram0 = Sensor().ram(0), ram1 = Sensor().ram(1);
  EXPECT_EQ(ram0[2], ShownValue(pHandle, MAIN_NEDITEACHA));
  EXPECT_EQ(ram1[2], ShownValue(pHandle, MAIN_NEDITEACHB));
  EXPECT_EQ(ram0[2], parameter.teachA);
  EXPECT_EQ(ram1[2], parameter.teachB);
  EXPECT_TRUE(testkit::IsVisible(pHandle, MAIN_STATUS));
  EXPECT_TRUE(testkit::IsPanelVisible(pHandle));
  EXPECT_TRUE(testkit::IsPanelVisible(pPara1));
  EXPECT_FALSE(testkit::IsPanelVisible(pPara2));
  EXPECT_FALSE(testkit::IsPanelVisible(pCalib));
  EXPECT_FALSE(testkit::IsPanelVisible(panelPopUp));
}

// The sensor inside the program, behind the serial layer as the device
// "simulated" (the only simulated sensor on Windows), paced at 19200 baud and
// answering late: the same start-up, step for step, as on a line.
TEST_F(StartUp, AgainstTheSensorInsideTheProgramPacedAndLateItIsTheSameStartUp) {
  peerInProcess = true;
  sensorOptions.paced = true;
  ASSERT_TRUE(StartSensor());
  EXPECT_EQ("simulated", Sensor().devicePath());
  Sensor().setReplyDelayMs(120);
  testkit::StartTextLog();
  ASSERT_EQ(0, StartProgramOnSensor());
  testkit::StopTextLog();
  EXPECT_EQ(StartUpTexts(), testkit::TextLog(pHandle, MAIN_STATUS));
  ASSERT_EQ((std::vector<int>{5, 10, 2, 2, 7}), Commands());
  const auto frames = Frames();
  EXPECT_EQ(StartFrame0(), DataWords(frames[0]));
  EXPECT_EQ(StartFrame1(), DataWords(frames[3]));
  // Each request waits for the late reply before it: 120 ms and 36 byte
  // times (19 ms) at least after the one before.
  const std::vector<double> writes = WriteTimes();
  ASSERT_EQ(5u, writes.size());
  for (int i = 1; i < 5; ++i) EXPECT_GE(writes[i] - writes[i - 1], 0.120 + 0.018) << i;
  EXPECT_EQ(Sensor().ram(1)[2], parameter.teachB);
  EXPECT_EQ(Sensor().ram(1)[2], ShownValue(pHandle, MAIN_NEDITEACHB));

  // Unplugged: the port is lost as a device is, and told once.
  Sensor().hangUp();
  ASSERT_TRUE(testkit::PumpUntil([] { return GetInQLen(com) == RS_PORT_NOT_OPEN; }, 3.0));
  testkit::Pump(0.2);
  EXPECT_EQ("Serial device lost - choose a port!", Status());
}

TEST_F(StartUp, WithNobodyOnTheLineTimesOutAfterAboutOneAndAHalfSeconds) {
  ASSERT_EQ(0, StartWithSilentLine());
  EXPECT_EQ("Timeout-RS-232...", Status());
  EXPECT_GE(startupSeconds, 1.5);
  EXPECT_LT(startupSeconds, 3.0);
  EXPECT_EQ((std::vector<int>{5}), Commands());  // nothing after the echo
  EXPECT_GE(GetInQLen(com), 0);                  // the port stays open
  EXPECT_EQ(512, ShownValue(pHandle, MAIN_NEDITEACHA));
  EXPECT_EQ(512, parameter.teachA);
  EXPECT_EQ(37000u, parameter.setpointUm);
  EXPECT_TRUE(testkit::IsPanelVisible(pHandle));
}

TEST_F(StartUp, AMissingPortIsReportedAtOnce) {
  ASSERT_EQ(0, StartOnDevice("/dev/kvor-no-such-device"));
  EXPECT_EQ("No serial port found", Status());
  EXPECT_LT(startupSeconds, 1.0);
  EXPECT_TRUE(testkit::IsPanelVisible(pHandle));
}

TEST_F(StartUp, EveryPortOpenErrorHasItsOwnMessage) {
  const struct {
    int code;
    const char *message;
  } rows[] = {
      {-1, "Unknown system error"}, {-2, "Invalid port number"}, {-3, "Port is not open"},
      {-4, "Unknown I/0 error"},    {-6, "No serial port found"}, {-7, "Cannot open port"},
      {-13, "Invalid parameter"},   {-99, "Timeout"},
      // Any other negative code.
      {-5, "RS-232 error!"},        {-8, "RS-232 error!"},        {-100, "RS-232 error!"},
  };
  for (const auto &row : rows) EXPECT_STREQ(row.message, PortErrorMessage(row.code)) << row.code;
}

TEST_F(StartUp, AWrongSyncWordStopsTheStartUpAfterTheEcho) {
  ASSERT_TRUE(StartSensor());
  Sensor().setWrongSync(true);
  ASSERT_EQ(0, StartProgramOnSensor());
  EXPECT_EQ("read error - not sync byte 0xAA!", Status());
  EXPECT_EQ((std::vector<int>{5}), Commands());
}

TEST_F(StartUp, AHardwareReplyWithAnotherEchoChangesNoDerivedValue) {
  ASSERT_TRUE(StartSensor());
  kvorsim::Identity id = Sensor().identity();
  id.ccdType = 202;
  id.ccdVirtPixel = 1024;
  id.adcFullScale = 1024;
  Sensor().setIdentity(id);
  Sensor().setFaultCommands({10});
  Sensor().setEchoOverride(3);
  const double sampleStepBefore = xArray8[1];
  const u16 fullScaleBefore = YMAXADC;
  ASSERT_EQ(0, StartProgramOnSensor());

  // The start-up goes on; the description fields are taken, nothing derived.
  EXPECT_EQ((std::vector<int>{5, 10, 2, 2, 7}), Commands());
  EXPECT_EQ(202, ccdtype);
  EXPECT_EQ(fullScaleBefore, YMAXADC);
  EXPECT_EQ("", DescriptionLine(0));
  EXPECT_EQ(sampleStepBefore, xArray8[1]);
  EXPECT_EQ("K-VOR firmware V3.01 (simulated)", Status());
}

TEST_F(StartUp, CcdTypeTwoHundredTwoWithAThousandAndTwentyFourPixels) {
  ASSERT_TRUE(StartSensor());
  kvorsim::Identity id = Sensor().identity();
  id.ccdType = 202;
  id.ccdVirtPixel = 1024;
  id.adcFullScale = 1024;
  Sensor().setIdentity(id);
  ASSERT_EQ(0, StartProgramOnSensor());

  EXPECT_EQ("256-pixel; 63.5\xB5m pixel-pitch", DescriptionLine(0));
  EXPECT_EQ("1024-subpixel; resolution=16\xB5m", DescriptionLine(1));
  EXPECT_EQ("working-range = 16.6mm", DescriptionLine(2));
  EXPECT_EQ(1024, YMAXADC);
  EXPECT_EQ(1024, ccdvirtpixel);
  for (int i = 0; i < VIDEO_SAMPLES; ++i) ASSERT_EQ(8.0 * i, xArray8[i]) << i;
  for (int graph : {MAIN_VIDEO_A, MAIN_VIDEO_B}) {
    const testkit::AxisRange x = testkit::GraphAxis(pHandle, graph, VAL_BOTTOM_XAXIS);
    EXPECT_EQ(1.0, x.min);
    EXPECT_EQ(1024.0, x.max);
  }
  // The bar graphs span the line before any run, and the grey band drawn
  // with the parameters fills them.
  for (int graph : {MAIN_BAR_A, MAIN_BAR_B}) {
    const testkit::AxisRange x = testkit::GraphAxis(pHandle, graph, VAL_BOTTOM_XAXIS);
    EXPECT_EQ(0.0, x.min);
    EXPECT_EQ(1024.0, x.max);
    const auto plots = testkit::GraphPlots(pHandle, graph);
    const testkit::Plot *band = nullptr;
    for (const testkit::Plot &plot : plots)
      if (plot.kind == testkit::Plot::Rectangle && plot.fillColor == MakeColor(160, 160, 160))
        band = &plot;
    ASSERT_NE(nullptr, band);
    EXPECT_EQ(0.0, band->x1);
    EXPECT_EQ(1023.0, band->x2);
  }
}

TEST_F(StartUp, CcdTypeTwentyWithAnotherHardwareTypeHasNoInfoButItsFullScale) {
  ASSERT_TRUE(StartSensor());
  kvorsim::Identity id = Sensor().identity();
  id.ccdType = 20;
  id.hardwareType = 79;
  id.adcFullScale = 1024;
  Sensor().setIdentity(id);
  ASSERT_EQ(0, StartProgramOnSensor());
  EXPECT_EQ("CCD-SENSOR: No Info Avialable!", DescriptionLine(0));
  EXPECT_EQ(std::string(32, ' '), DescriptionLine(1));
  EXPECT_EQ(std::string(32, ' '), DescriptionLine(2));
  EXPECT_EQ(1024, YMAXADC);
}

TEST_F(StartUp, AnUnknownLineLengthIsTreatedAsTwoThousandAndFortyEight) {
  ASSERT_TRUE(StartSensor());
  kvorsim::Identity id = Sensor().identity();
  id.ccdType = 99;
  id.ccdVirtPixel = 3072;
  id.adcFullScale = 1024;
  Sensor().setIdentity(id);
  ASSERT_EQ(0, StartProgramOnSensor());
  EXPECT_EQ(2048, ccdvirtpixel);
  EXPECT_EQ(16.0, xArray8[1]);
  EXPECT_EQ(16.0 * 127, xArray8[127]);
  EXPECT_EQ(256, YMAXADC);  // unknown CCD type
  EXPECT_EQ("CCD-SENSOR: No Info Avialable!", DescriptionLine(0));
  // The video axes were set from the length as received, the bar graphs
  // from the length the program goes on with.
  EXPECT_EQ(3072.0, testkit::GraphAxis(pHandle, MAIN_VIDEO_A, VAL_BOTTOM_XAXIS).max);
  EXPECT_EQ(2048.0, testkit::GraphAxis(pHandle, MAIN_BAR_B, VAL_BOTTOM_XAXIS).max);
}

TEST_F(StartUp, AShortFirmwareReplyEndsWithTheFirmwareError) {
  ASSERT_TRUE(StartSensor());
  Sensor().setFaultCommands({7});
  Sensor().setLengthDelta(-10);
  ASSERT_EQ(0, StartProgramOnSensor());
  EXPECT_EQ("Error reading firmware-info!", Status());
  EXPECT_GE(startupSeconds, 1.5);
  EXPECT_EQ('\0', szVersion[0]);
}

TEST_F(StartUp, ALongFirmwareReplyIsDroppedWithoutAnError) {
  ASSERT_TRUE(StartSensor());
  Sensor().setFaultCommands({7});
  Sensor().setLengthDelta(5);
  ASSERT_EQ(0, StartProgramOnSensor());
  EXPECT_EQ("Parameter-frame received! - Line Ok!", Status());
  EXPECT_EQ('\0', szVersion[0]);
}

TEST_F(StartUp, AFirmwareReplyThatNeverComesIsAnErrorAfterTheTimeOut) {
  ASSERT_TRUE(StartSensor());
  Sensor().setMuteCommands({7});
  testkit::StartTextLog();
  ASSERT_EQ(0, StartProgramOnSensor());
  testkit::StopTextLog();
  EXPECT_EQ("Error reading firmware-info!", Status());
  const std::vector<std::string> shown = testkit::TextLog(pHandle, MAIN_STATUS);
  ASSERT_GE(shown.size(), 3u);
  EXPECT_EQ((std::vector<std::string>{"Waiting for firmware info ...", "Timeout - reading firmware info!",
                                      "Error reading firmware-info!"}),
            std::vector<std::string>(shown.end() - 3, shown.end()));
  // The receive callback is back: a later exchange works.
  EXPECT_EQ(0, testkit::Click(pHandle, MAIN_BTNGET));
  EXPECT_EQ("Parameter-frame received! - Line Ok!", Status());
}

TEST_F(StartUp, ABoardOfAnotherTypeSendsSeventyTwoPlainCharacters) {
  ASSERT_TRUE(StartSensor());
  kvorsim::Identity id = Sensor().identity();
  id.pcbType = 2;
  // All 72 characters, each byte one Windows-1252 character: C3 A9 is two
  // characters, not UTF-8's one.
  id.firmwareText = std::string(30, 'F') + "\xC3\xA9" + std::string(40, 'w');
  Sensor().setIdentity(id);
  ASSERT_EQ(0, StartProgramOnSensor());
  EXPECT_EQ(std::string(30, 'F') + "\xC3\x83\xC2\xA9" + std::string(40, 'w'), Status());
  EXPECT_EQ('\0', szVersion[0]);
}

TEST_F(StartUp, ABoardOfTypeZeroTakesTheLowByteOfEachOfItsThirtySixWords) {
  ASSERT_TRUE(StartSensor());
  kvorsim::Identity id = Sensor().identity();
  id.pcbType = 0;
  id.firmwareText = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  for (int i = 0; i < 36; ++i) id.firmwareHighBytes.push_back(static_cast<uint8_t>(0x80 + 3 * i));
  Sensor().setIdentity(id);
  ASSERT_EQ(0, StartProgramOnSensor());
  EXPECT_EQ(id.firmwareText, Status());
  EXPECT_EQ(id.firmwareText, std::string(szVersion));
}

TEST_F(StartUp, ABoardOfTypeZeroCutsTheTextAtThirtySixCharacters) {
  ASSERT_TRUE(StartSensor());
  kvorsim::Identity id = Sensor().identity();
  id.pcbType = 0;
  id.firmwareText = "V1.0";
  Sensor().setIdentity(id);
  ASSERT_EQ(0, StartProgramOnSensor());
  EXPECT_EQ("V1.0", Status());
  EXPECT_STREQ("V1.0", szVersion);
}

}  // namespace
