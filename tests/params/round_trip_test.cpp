// Nothing changes that the operator did not change: every word of the
// parameter set goes back to the sensor, and into the file, exactly as it
// came, whatever the panels show of it. The calibration factor is shown in
// micrometres per virtual pixel but kept as an unsigned multiple of 1/16384.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "app/controls.h"
#include "app/globals.h"
#include "params/params.h"
#include "support/program_fixture.h"
#include "runtime/testkit/testkit.h"
#include "support/temp_dir.h"
#include "runtime/userint/userint.h"

namespace {

using kvorsim::ParamFrame;

// Calibration factors from one step up to the last a float keeps whole.
const uint32_t kCalibSpread[] = {1, 4097, 31918, 65541, 74565, 1000000, 16777215};
const uint32_t kSetpointSpread[] = {0, 2147483647u, 2147483648u, 4294967295u};

ParamFrame WithLong(ParamFrame frame, int lowWord, uint32_t value) {
  frame[lowWord] = static_cast<uint16_t>(value & 0xFFFFu);
  frame[lowWord + 1] = static_cast<uint16_t>(value >> 16);
  return frame;
}

std::vector<uint32_t> RandomCalibs(int count, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<uint32_t> below2To24(0, (1u << 24) - 1);
  std::vector<uint32_t> values;
  for (int i = 0; i < count; ++i) values.push_back(below2To24(random));
  return values;
}

std::vector<int> Words(const ParamFrame &frame) { return std::vector<int>(frame.begin(), frame.end()); }

class RoundTrip : public support::ProgramTest {
 protected:
  void SetUp() override { ASSERT_EQ(0, Start()); }
  // The sensor's RAM -> Get -> Send without touching a field: what the
  // sensor receives, frame 0 and frame 1.
  std::vector<std::vector<int>> GetThenSend(const ParamFrame &frame0, const ParamFrame &frame1) {
    Sensor().setRam(0, frame0);
    Sensor().setRam(1, frame1);
    testkit::Click(pHandle, MAIN_BTNGET);
    EXPECT_EQ("Parameter-frame received! - Line Ok!", Status());
    Sensor().clearReceived();
    testkit::Click(pHandle, MAIN_BTNSEND);
    if (!Sensor().waitForFrames(2, 2.0)) return {};
    // The sensor acknowledges both writes, which Send does not wait for; they
    // are on the line before the next Get empties it, as after an operator's
    // pause between two clicks (else the late one would answer that Get).
    Sensor().waitUntilAnswered(1.0);
    const auto frames = Frames();
    return {support::DataWords(frames[0]), support::DataWords(frames[1])};
  }
};

TEST_F(RoundTrip, EveryWordGoesBackToTheSensorAsItCame) {
  const ParamFrame base0 = Sensor().ram(0), base1 = Sensor().ram(1);
  for (size_t i = 0; i < std::size(kCalibSpread); ++i) {
    ParamFrame frame0 = base0, frame1 = base1;
    // The words without a range, at both ends of theirs.
    const uint16_t end = i % 2 ? 65535 : 0;
    for (int w : {3, 4, 14}) frame0[w] = end;             // a4, a5, c14
    for (int w : {3, 4, 5, 6, 7, 8, 9, 10}) frame1[w] = end;  // b4, b5, r5..r10
    frame1 = WithLong(frame1, 11, kCalibSpread[i]);
    frame1 = WithLong(frame1, 13, kSetpointSpread[(i + 1) % std::size(kSetpointSpread)]);
    const auto sent = GetThenSend(frame0, frame1);
    ASSERT_EQ(2u, sent.size()) << kCalibSpread[i];
    EXPECT_EQ(Words(frame0), sent[0]) << "calib " << kCalibSpread[i];
    EXPECT_EQ(Words(frame1), sent[1]) << "calib " << kCalibSpread[i];
  }
  // The last set-point shown whole, not clamped to a signed field.
  EXPECT_EQ("4294967295", testkit::Text(pCalib, CALIB_SETPOINT_UM));
}

TEST_F(RoundTrip, RandomCalibrationFactorsSurviveTheSensorAndTheFile) {
  const ParamFrame frame0 = Sensor().ram(0), base1 = Sensor().ram(1);
  for (uint32_t calib : RandomCalibs(20, 7)) {
    const ParamFrame frame1 = WithLong(base1, 11, calib);
    const auto sent = GetThenSend(frame0, frame1);
    ASSERT_EQ(2u, sent.size()) << calib;
    EXPECT_EQ(Words(frame1), sent[1]) << "calib " << calib;
  }

  // Panels -> file -> panels -> file: the second file is the first.
  testkit::Click(pHandle, MAIN_RBTFILE);
  const std::string first = TempPath("first.cfg"), second = TempPath("second.cfg");
  for (uint32_t calib : RandomCalibs(20, 11)) {
    parameter.calib = calib;
    SetPanelValues();
    SaveParameterFile(first);
    parameter.calib = 0;
    LoadParameterFile(first);
    EXPECT_EQ(calib, parameter.calib);
    SaveParameterFile(second);
    const std::vector<int> numbers = FileNumbers(second);
    ASSERT_EQ(30u, numbers.size());
    EXPECT_EQ(static_cast<int>(calib & 0xFFFF), numbers[26]) << calib;
    EXPECT_EQ(static_cast<int>(calib >> 16), numbers[27]) << calib;
  }

  // Many more through the field alone: shown, then read back unedited.
  for (uint32_t calib : RandomCalibs(2000, 13)) {
    ASSERT_GE(SetCtrlVal(pCalib, CALIB_FACTOR, calib / 16384.0), 0);
    parameter.calib = 0;
    GetPanelValues();
    ASSERT_EQ(calib, parameter.calib);
  }
}

TEST_F(RoundTrip, TheFileHoldsWhatTheSensorSentAndTheSensorGetsWhatTheFileHolds) {
  ParamFrame frame0 = Sensor().ram(0), frame1 = Sensor().ram(1);
  frame0[3] = 65535, frame0[14] = 0;
  frame1 = WithLong(frame1, 11, 74565);
  frame1 = WithLong(frame1, 13, 2147483648u);
  Sensor().setRam(0, frame0);
  Sensor().setRam(1, frame1);
  testkit::Click(pHandle, MAIN_BTNGET);
  testkit::Click(pHandle, MAIN_RBTFILE);
  const std::string path = TempPath("from-sensor.cfg");
  SaveParameterFile(path);
  std::vector<int> expected = Words(frame0);
  const std::vector<int> words1 = Words(frame1);
  expected.insert(expected.end(), words1.begin(), words1.end());
  EXPECT_EQ(expected, FileNumbers(path));

  // A file written by hand goes to the sensor word for word.
  std::vector<int> file = expected;
  file[26] = 31918, file[27] = 0;   // calib
  file[28] = 65535, file[29] = 65535;  // set-point 4294967295
  file[3] = 0, file[19] = 65535;   // a4, b5
  std::ofstream(TempPath("by-hand.cfg")) << [&] {
    std::ostringstream s;
    for (int n : file) s << n << "\n";
    return s.str();
  }();
  LoadParameterFile(TempPath("by-hand.cfg"));
  testkit::Click(pHandle, MAIN_RBTRAM);
  Sensor().clearReceived();
  testkit::Click(pHandle, MAIN_BTNSEND);
  ASSERT_TRUE(Sensor().waitForFrames(2, 2.0));
  std::vector<int> sent = support::DataWords(Frames()[0]);
  const std::vector<int> sent1 = support::DataWords(Frames()[1]);
  sent.insert(sent.end(), sent1.begin(), sent1.end());
  EXPECT_EQ(file, sent);
}

TEST_F(RoundTrip, AFieldWithARangeChangesOnlyByItsOwnRepair) {
  ParamFrame frame0(15, 65535), frame1 = Sensor().ram(1);
  for (int w : {0, 1, 2, 5, 6}) frame1[w] = 65535;  // b1, thdB, teachB, tolerances n/a in frame 1
  const auto sent = GetThenSend(frame0, frame1);
  ASSERT_EQ(2u, sent.size());
  const uint16_t line = ccdvirtpixel;
  // a1, thdA, teachA, a4, a5, tolUpper, tolLower, c7, hardwareMode, evalMode,
  // c10, c11, c12, c13, c14: each out-of-range field takes its own value.
  const std::vector<int> repaired0 = {500, 128, line / 2, 65535, 65535, line, line, 0, 1, 0,
                                      1,   0,   1,        2048,  65535};
  EXPECT_EQ(repaired0, sent[0]);
  std::vector<int> expected1 = Words(frame1);
  expected1[0] = 500, expected1[1] = 128, expected1[2] = line / 2;
  EXPECT_EQ(expected1, sent[1]);
}

TEST_F(RoundTrip, TheShownFactorIsScaledAndTruncatedToAnUnsignedValue) {
  const struct {
    double shown;
    uint32_t calib;
  } rows[] = {
      {0.25, 4096u},
      {2.0, 32768u},
      {0.00001, 0u},                // less than one step
      {0.000122, 1u},               // 1.998848 steps: truncated, not rounded
      {200000.0, 3276800000u},      // above 2^31: unsigned, not wrapped negative
  };
  for (const auto &row : rows) {
    ASSERT_GE(SetCtrlVal(pCalib, CALIB_FACTOR, row.shown), 0) << row.shown;
    GetPanelValues();
    EXPECT_EQ(row.calib, parameter.calib) << row.shown;
  }

  // Typed by the operator, the factor is what the field shows.
  testkit::Click(pHandle, MAIN_TOGGBTN_CALIB);
  parameter.calib = 74565;  // 4.55108642578125
  SetPanelValues();
  testkit::TypeValue(pCalib, CALIB_FACTOR, "4.551086");
  GetPanelValues();
  EXPECT_EQ(74564u, parameter.calib);  // 74564.99...: truncated

  // Shown again from the record, the large factor comes back unchanged.
  parameter.calib = 3276800000u;
  SetPanelValues();
  parameter.calib = 0;
  GetPanelValues();
  EXPECT_EQ(3276800000u, parameter.calib);
}

}  // namespace

namespace {

// A number typed the way the operator's locale writes it means the same to
// the sensor: '.' and ',' are both the decimal mark, and no field takes a
// group separator, or in a whole-number field a decimal mark, as part of
// its number (a calibration ten times off, a tolerance of 405 for 40.5).
class TypedNumbers : public RoundTrip, public ::testing::WithParamInterface<const char *> {
 protected:
  void SetUp() override {
    testkit::UseLocale(GetParam());
    RoundTrip::SetUp();
  }
  void TearDown() override {
    RoundTrip::TearDown();
    testkit::UseLocale("C");
  }
};

TEST_P(TypedNumbers, MeanTheSameToTheSensorWhateverTheLocale) {
  testkit::Click(pHandle, MAIN_TOGGBTN_CALIB);
  for (const char *typed : {"4.5", "4,5"}) {
    testkit::TypeValue(pCalib, CALIB_FACTOR, "1");
    testkit::TypeValue(pCalib, CALIB_FACTOR, typed);
    GetPanelValues();
    EXPECT_EQ(73728u, parameter.calib) << typed;
  }
  // Refused whole: the field goes back to what it held.
  const std::string setpoint = testkit::Text(pCalib, CALIB_SETPOINT_UM);
  for (const char *typed : {"12.5", "12,5", "37.001", "37,001", "1 000"}) {
    testkit::TypeValue(pCalib, CALIB_SETPOINT_UM, typed);
    EXPECT_EQ(setpoint, testkit::Text(pCalib, CALIB_SETPOINT_UM)) << typed;
  }
  testkit::TypeValue(pCalib, CALIB_FACTOR, "2");
  testkit::TypeValue(pCalib, CALIB_FACTOR, "4.500.0");
  GetPanelValues();
  EXPECT_EQ(32768u, parameter.calib);
  testkit::TypeValue(pCalib, CALIB_FACTOR, "4,5");

  testkit::Click(pHandle, MAIN_TOGGBTN_PARA2);
  const std::string a5 = testkit::Text(pPara2, PARA2_A5);
  for (const char *typed : {"40.5", "40,5", "1.234", "1,234"}) {
    testkit::TypeValue(pPara2, PARA2_A5, typed);
    EXPECT_EQ(a5, testkit::Text(pPara2, PARA2_A5)) << typed;
  }
  testkit::TypeValue(pPara2, PARA2_A1, "45");

  Sensor().clearReceived();
  testkit::Click(pHandle, MAIN_BTNSEND);
  ASSERT_TRUE(Sensor().waitForFrames(2, 2.0));
  const auto frames = Frames();
  EXPECT_EQ(45, frames[0].dataWord(0));
  EXPECT_EQ(std::stoi(a5), frames[0].dataWord(4));
  EXPECT_EQ(73728 & 0xFFFF, frames[1].dataWord(11));
  EXPECT_EQ(73728 >> 16, frames[1].dataWord(12));
  EXPECT_EQ(static_cast<long>(std::stoul(setpoint)),
            frames[1].dataWord(13) + 65536L * frames[1].dataWord(14));
}

INSTANTIATE_TEST_SUITE_P(Locales, TypedNumbers, ::testing::Values("de_DE", "C"),
                         [](const ::testing::TestParamInfo<const char *> &info) {
                           return std::string(info.param) == "C" ? std::string("C") : std::string("German");
                         });

}  // namespace
