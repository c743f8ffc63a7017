// The record's frames and the value frame through pp.
#include <gtest/gtest.h>

#include <cstring>

#include "app/globals.h"
#include "params/params.h"

namespace {

class ParameterFrames : public ::testing::Test {
 protected:
  void SetUp() override {
    parameter = ParameterRecord();
    std::memset(pp, 0, sizeof pp);
  }
};

TEST_F(ParameterFrames, FrameZeroIsTheFifteenChannelAWordsInOrder) {
  parameter.a1 = 1, parameter.thdA = 2, parameter.teachA = 3, parameter.a4 = 4, parameter.a5 = 5;
  parameter.tolUpper = 6, parameter.tolLower = 7, parameter.c7 = 8, parameter.hardwareMode = 9;
  parameter.evalMode = 10, parameter.c10 = 11, parameter.c11 = 12, parameter.c12 = 13;
  parameter.c13 = 14, parameter.c14 = 15;
  pp[15] = 0xABCD;
  CopyVarsToPP(0);
  for (int i = 0; i < 15; ++i) EXPECT_EQ(i + 1, pp[i]) << "word " << i;
  EXPECT_EQ(0xABCD, pp[15]);
}

TEST_F(ParameterFrames, ThirtyTwoBitFieldsTravelLowWordFirst) {
  parameter.calib = 65536;
  parameter.setpointUm = 37000;
  CopyVarsToPP(1);
  EXPECT_EQ(0x0000, pp[11]);
  EXPECT_EQ(0x0001, pp[12]);
  EXPECT_EQ(0x9088, pp[13]);
  EXPECT_EQ(0x0000, pp[14]);

  parameter.calib = 0;
  parameter.setpointUm = 0;
  CopyPPtoVars(1);
  EXPECT_EQ(65536u, parameter.calib);
  EXPECT_EQ(37000u, parameter.setpointUm);
}

TEST_F(ParameterFrames, AnyFrameNumberOtherThanZeroIsFrameOne) {
  parameter.b1 = 11, parameter.r10 = 99, parameter.calib = 0x12345678;
  for (uint16_t frame : {1, 2, 65535}) {
    std::memset(pp, 0, sizeof pp);
    CopyVarsToPP(frame);
    EXPECT_EQ(11, pp[0]);
    EXPECT_EQ(99, pp[10]);
    EXPECT_EQ(0x5678, pp[11]);
    EXPECT_EQ(0x1234, pp[12]);
  }
}

TEST_F(ParameterFrames, RoundTripKeepsWordsShownNowhere) {
  for (int i = 0; i < 15; ++i) pp[i] = static_cast<u16>(1000 + i);
  CopyPPtoVars(0);
  EXPECT_EQ(1014, parameter.c14);
  for (int i = 0; i < 15; ++i) pp[i] = static_cast<u16>(2000 + i);
  CopyPPtoVars(1);
  EXPECT_EQ(2005, parameter.r5);
  EXPECT_EQ(2010, parameter.r10);

  std::memset(pp, 0, sizeof pp);
  CopyVarsToPP(0);
  for (int i = 0; i < 15; ++i) EXPECT_EQ(1000 + i, pp[i]);
  CopyVarsToPP(1);
  for (int i = 0; i < 15; ++i) EXPECT_EQ(2000 + i, pp[i]);
}

TEST_F(ParameterFrames, ValuesAreStoredAsReceivedWithoutRepair) {
  ccdvirtpixel = 4096;
  pp[2] = 5000;  // teachA beyond the line
  pp[9] = 7;     // evaluation mode out of range
  CopyPPtoVars(0);
  EXPECT_EQ(5000, parameter.teachA);
  EXPECT_EQ(7, parameter.evalMode);
}

TEST_F(ParameterFrames, ValueFrameSendsMicrometresHighWordFirst) {
  for (int i = 0; i < 16; ++i) pp[i] = static_cast<u16>(100 + i);
  pp[3] = 0x0001;
  pp[4] = 0x0000;
  CopyPPtoRAWVars();
  EXPECT_EQ(100, Aval);
  EXPECT_EQ(101, Bval);
  EXPECT_EQ(102, Mvalue);
  EXPECT_EQ(65536, umValue);
  EXPECT_EQ(105, tolup);
  EXPECT_EQ(106, tollo);
  EXPECT_EQ(107, edcntA);
  EXPECT_EQ(108, edcntB);
  EXPECT_EQ(109, tValA);
  EXPECT_EQ(110, tValB);
  EXPECT_EQ(111, anaMax);
  EXPECT_EQ(112, anaMin);
  EXPECT_EQ(113, raw13);
  EXPECT_EQ(114, raw14);
  EXPECT_EQ(115, raw15);

  pp[3] = 0xFFFF;
  pp[4] = 0xFFFF;
  CopyPPtoRAWVars();
  EXPECT_EQ(-1, umValue);
  pp[3] = 0x8000;
  pp[4] = 0x0000;
  CopyPPtoRAWVars();
  EXPECT_EQ(INT32_MIN, umValue);
}

TEST_F(ParameterFrames, RepairGivesEachFieldItsOwnReplacement) {
  ccdvirtpixel = 4096;
  parameter.hardwareMode = 9;
  parameter.c11 = 9;
  parameter.c7 = 2;
  parameter.c10 = 2;
  parameter.c12 = 2;
  parameter.a1 = 1001;
  parameter.b1 = 1000;
  parameter.thdA = 300;
  parameter.thdB = 255;
  parameter.evalMode = 7;
  parameter.c13 = 2049;
  parameter.teachA = 5000;
  parameter.teachB = 4096;
  parameter.tolUpper = 4097;
  parameter.tolLower = 4096;
  RepairParameterRecord();
  EXPECT_EQ(1, parameter.hardwareMode);
  EXPECT_EQ(0, parameter.c11);
  EXPECT_EQ(0, parameter.c7);
  EXPECT_EQ(1, parameter.c10);
  EXPECT_EQ(1, parameter.c12);
  EXPECT_EQ(500, parameter.a1);
  EXPECT_EQ(1000, parameter.b1);
  EXPECT_EQ(128, parameter.thdA);
  EXPECT_EQ(255, parameter.thdB);
  EXPECT_EQ(0, parameter.evalMode);
  EXPECT_EQ(2048, parameter.c13);
  EXPECT_EQ(2048, parameter.teachA);
  EXPECT_EQ(4096, parameter.teachB);
  EXPECT_EQ(4096, parameter.tolUpper);
  EXPECT_EQ(4096, parameter.tolLower);
}

// The set as a value: every field by its record name, the 32-bit ones as
// one field over two words, and a comparison that names them.
TEST_F(ParameterFrames, FieldsByNameCoverEveryWordOnceAndCompareWhole) {
  int covered[PARAMETER_WORDS] = {};
  for (int i = 0; i < PARAMETER_FIELDS; ++i) {
    const ParameterField *f = ParameterFieldAt(i);
    ASSERT_NE(nullptr, f);
    EXPECT_EQ(f, FindParameterField(f->name));
    ++covered[f->word];
    if (f->wide) ++covered[f->word + 1];
    EXPECT_EQ(f, ParameterFieldOfWord(f->word));
  }
  for (int w = 0; w < PARAMETER_WORDS; ++w) EXPECT_EQ(1, covered[w]) << w;
  EXPECT_EQ(nullptr, ParameterFieldAt(PARAMETER_FIELDS));
  EXPECT_EQ(nullptr, FindParameterField("calibration"));
  EXPECT_STREQ("evalMode", ParameterFieldAt(9)->name);
  EXPECT_STREQ("teachB", ParameterFieldOfWord(17)->name);
  EXPECT_STREQ("setpointUm", ParameterFieldOfWord(29)->name);

  // The record and the set are one: what the record holds, frame by frame.
  parameter.calib = 65536 + 5, parameter.setpointUm = 37000, parameter.r10 = 7, parameter.c14 = 9;
  const ParameterSet set = RecordParameterSet();
  EXPECT_EQ(65541u, ParameterFieldValue(set, *FindParameterField("calib")));
  EXPECT_EQ(5, set.words[26]);
  EXPECT_EQ(1, set.words[27]);
  EXPECT_EQ(7, set.words[25]);
  EXPECT_EQ(9, set.words[14]);

  ParameterSet other = set;
  SetParameterFieldValue(&other, *FindParameterField("calib"), 65541 + 65536);  // high word only
  SetParameterFieldValue(&other, *FindParameterField("evalMode"), 3);
  int differ[PARAMETER_FIELDS];
  ASSERT_EQ(2, DiffParameterSets(set, other, differ));
  EXPECT_STREQ("evalMode", ParameterFieldAt(differ[0])->name);
  EXPECT_STREQ("calib", ParameterFieldAt(differ[1])->name);
  EXPECT_EQ(0, DiffParameterSets(set, set, differ));
  StoreParameterSet(other);
  EXPECT_EQ(131077u, parameter.calib);
  EXPECT_EQ(3, parameter.evalMode);
}

}  // namespace
