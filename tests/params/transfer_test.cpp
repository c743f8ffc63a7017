// Get and Send against the simulated sensor's RAM and EEPROM, and the
// storage-target buttons.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/controls.h"
#include "app/globals.h"
#include "params/transfer_fixture.h"
#include "support/program_fixture.h"
#include "runtime/testkit/testkit.h"
#include "runtime/userint/userint.h"

namespace {

using support::DataWords;

TEST_F(Transfer, StorageTargetButtonsKeepExactlyOneOn) {
  EXPECT_EQ((std::vector<int>{1, 0, 0}), Radios());
  testkit::Click(pHandle, MAIN_RBTRAM);  // the chosen one clicked: falls back to itself
  EXPECT_EQ((std::vector<int>{1, 0, 0}), Radios());
  EXPECT_EQ(1, target);
  testkit::Click(pHandle, MAIN_RBTEEPROM);
  EXPECT_EQ((std::vector<int>{0, 1, 0}), Radios());
  EXPECT_EQ(2, target);
  testkit::Click(pHandle, MAIN_RBTFILE);
  EXPECT_EQ((std::vector<int>{0, 0, 1}), Radios());
  EXPECT_EQ(3, target);
  testkit::Click(pHandle, MAIN_RBTFILE);  // switched off: back to RAM
  EXPECT_EQ((std::vector<int>{1, 0, 0}), Radios());
  EXPECT_EQ(1, target);
  testkit::Click(pHandle, MAIN_RBTEEPROM);
  testkit::Click(pHandle, MAIN_RBTEEPROM);
  EXPECT_EQ((std::vector<int>{1, 0, 0}), Radios());
  EXPECT_EQ(1, target);
}

TEST_F(Transfer, GetFromEepromAsksForBothFramesAndShowsThem) {
  Sensor().setEeprom(0, Modified(Sensor().eeprom(0), 0, 777));   // a1
  Sensor().setEeprom(1, Modified(Sensor().eeprom(1), 4, 4321));  // b5
  testkit::Click(pHandle, MAIN_RBTEEPROM);
  testkit::Click(pHandle, MAIN_BTNGET);

  const auto frames = Frames();
  ASSERT_EQ(2u, frames.size());
  EXPECT_EQ(4, frames[0].command());
  EXPECT_EQ(0, frames[0].argument());
  EXPECT_EQ(4, frames[1].command());
  EXPECT_EQ(1, frames[1].argument());
  EXPECT_GE(WriteSpacing(), kTransferSpacing);
  EXPECT_GE(frames[1].time - frames[0].time, kTransferSpacing - kReceiptJitter);
  EXPECT_EQ("777", testkit::Text(pPara2, PARA2_A1));
  EXPECT_EQ("4321", testkit::Text(pPara2, PARA2_B5));
  EXPECT_EQ("Parameter-frame received! - Line Ok!", Status());
}

TEST_F(Transfer, SendToRamCarriesWhatThePanelsShowAtTheClick) {
  testkit::Click(pHandle, MAIN_TOGGBTN_PARA2);
  testkit::TypeValue(pPara2, PARA2_A1, "321");
  testkit::TypeValue(pPara2, PARA2_B4, "9");
  const kvorsim::ParamFrame eepromBefore = Sensor().eeprom(0);
  testkit::StartTextLog();
  testkit::Click(pHandle, MAIN_BTNSEND);
  testkit::StopTextLog();
  ASSERT_TRUE(Sensor().waitForFrames(2, 1.0));
  ASSERT_TRUE(Sensor().waitUntilAnswered(1.0));  // frames are counted as they arrive
  EXPECT_EQ((std::vector<std::string>{"Transmit...", "Sending Para-Frame 1 ...", "Line Ok!"}),
            testkit::TextLog(pHandle, MAIN_STATUS));

  const auto frames = Frames();
  ASSERT_EQ(2u, frames.size());
  EXPECT_EQ(1, frames[0].command());
  EXPECT_EQ(0, frames[0].argument());
  EXPECT_EQ(321, frames[0].dataWord(0));
  EXPECT_EQ(1, frames[1].command());
  EXPECT_EQ(1, frames[1].argument());
  EXPECT_EQ(9, frames[1].dataWord(3));
  EXPECT_GE(WriteSpacing(), kTransferSpacing);
  EXPECT_GE(frames[1].time - frames[0].time, kTransferSpacing - kReceiptJitter);
  EXPECT_EQ(321, Sensor().ram(0)[0]);
  EXPECT_EQ(9, Sensor().ram(1)[3]);
  EXPECT_EQ(eepromBefore, Sensor().eeprom(0));
  EXPECT_EQ("Line Ok!", Status());
}

TEST_F(Transfer, SendToEepromWritesTheEepromOnly) {
  testkit::Click(pHandle, MAIN_RBTEEPROM);
  testkit::Click(pHandle, MAIN_TOGGBTN_PARA2);
  testkit::TypeValue(pPara2, PARA2_A5, "1111");
  const kvorsim::ParamFrame ramBefore = Sensor().ram(0);
  testkit::Click(pHandle, MAIN_BTNSEND);
  ASSERT_TRUE(Sensor().waitForFrames(2, 1.0));
  ASSERT_TRUE(Sensor().waitUntilAnswered(1.0));
  EXPECT_EQ((std::vector<int>{3, 3}), Commands());
  EXPECT_EQ(1111, Sensor().eeprom(0)[4]);
  EXPECT_EQ(ramBefore, Sensor().ram(0));
}

TEST_F(Transfer, WordsShownNowhereGoBackToTheSensorUnchanged) {
  kvorsim::ParamFrame frame0 = Sensor().ram(0), frame1 = Sensor().ram(1);
  frame0[14] = 4242;  // c14
  for (int i = 5; i <= 10; ++i) frame1[i] = static_cast<uint16_t>(100 + i);
  frame1[11] = 5;     // calib 65541: not exact in six decimals
  frame1[12] = 1;
  Sensor().setRam(0, frame0);
  Sensor().setRam(1, frame1);
  testkit::Click(pHandle, MAIN_BTNGET);
  Sensor().clearReceived();
  testkit::Click(pHandle, MAIN_BTNSEND);
  ASSERT_TRUE(Sensor().waitForFrames(2, 1.0));
  const auto frames = Frames();
  EXPECT_EQ(Words(frame0), DataWords(frames[0]));
  EXPECT_EQ(Words(frame1), DataWords(frames[1]));
}

TEST_F(Transfer, ATimedOutFrameZeroStillAsksForFrameOne) {
  Sensor().setMute(true);
  const u16 teachBefore = parameter.teachA;
  testkit::Click(pHandle, MAIN_BTNGET);
  const auto frames = Frames();
  ASSERT_EQ(2u, frames.size());
  EXPECT_EQ(0, frames[0].argument());
  EXPECT_EQ(1, frames[1].argument());
  EXPECT_GT(WriteSpacing(), 1.5 + kTransferSpacing);
  EXPECT_GT(frames[1].time - frames[0].time, 1.5 + kTransferSpacing - kReceiptJitter);
  EXPECT_EQ("Timeout-RS-232...", Status());
  EXPECT_EQ(teachBefore, parameter.teachA);
}

TEST_F(Transfer, RepairedValuesAreShownAndKeptInTheRecord) {
  kvorsim::ParamFrame frame0 = Sensor().ram(0), frame1 = Sensor().ram(1);
  frame0[2] = 5000;  // teachA beyond the line
  frame0[1] = 300;   // thdA
  frame0[9] = 7;     // evaluation mode
  frame1[11] = 4096;  // calib 0.25
  frame1[12] = 0;
  frame0[5] = 50;    // tolUpper
  Sensor().setRam(0, frame0);
  Sensor().setRam(1, frame1);
  testkit::Click(pHandle, MAIN_BTNGET);
  EXPECT_EQ(2048, parameter.teachA);
  EXPECT_EQ("2048", testkit::Text(pHandle, MAIN_NEDITEACHA));
  EXPECT_EQ(128, parameter.thdA);
  EXPECT_EQ(0, parameter.evalMode);
  EXPECT_TRUE(testkit::IsDimmed(pHandle, MAIN_NEDITEACHA));
  EXPECT_FALSE(testkit::IsDimmed(pHandle, MAIN_NEDITEACHB));
  EXPECT_EQ(ccdvirtpixel, yaxisMAX);
  float factor = 0;
  GetCtrlVal(pCalib, CALIB_FACTOR, &factor);
  EXPECT_EQ(0.25f, factor);
  double upperMm = 0;
  GetCtrlVal(pHandle, MAIN_TOL_UPPER_MM, &upperMm);
  EXPECT_DOUBLE_EQ(0.0125, upperMm);
  // The threshold lines follow the repaired percentage, and the bars are grey.
  EXPECT_EQ(128 * YMAXADC / 100, thdArrayA[0]);
  bool grey = false;
  for (const auto &p : testkit::GraphPlots(pHandle, MAIN_BAR_A))
    grey |= p.kind == testkit::Plot::Rectangle && p.fillColor == MakeColor(160, 160, 160);
  EXPECT_TRUE(grey);
}

}  // namespace
