// Control values: conversion into the control's type, exact types on read,
// rings, strings, the port ring, and refusals of bad input.
#include <cstring>
#include <string>

#include "runtime/layer_fixture.h"

using namespace layer_test;

TEST_F(LayerTest, NumbersAreConvertedToTheControlsTypeAndRange) {
  unsigned short u16 = 0;
  int i32 = 0;
  double d = 0;
  float f = 0;
  short i16 = 0;

  ASSERT_EQ(UIE_NO_ERROR, SetCtrlVal(controls, kSetpoint, 70000));
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlVal(controls, kSetpoint, &u16));
  EXPECT_EQ(65535, u16);
  ASSERT_EQ(UIE_NO_ERROR, SetCtrlVal(controls, kSetpoint, -5));
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlVal(controls, kSetpoint, &u16));
  EXPECT_EQ(0, u16);
  ASSERT_EQ(UIE_NO_ERROR, SetCtrlVal(controls, kSetpoint, 12.5));
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlVal(controls, kSetpoint, &u16));
  EXPECT_EQ(13, u16);
  ASSERT_EQ(UIE_NO_ERROR, SetCtrlVal(controls, kSetpoint, 12.4));
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlVal(controls, kSetpoint, &u16));
  EXPECT_EQ(12, u16);
  ASSERT_EQ(UIE_NO_ERROR, SetCtrlVal(controls, kSetpoint, 4000000000u));
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlVal(controls, kSetpoint, &u16));
  EXPECT_EQ(65535, u16);

  // The widget's own range limits too.
  ASSERT_EQ(UIE_NO_ERROR, SetCtrlVal(controls, kSigned, -300));
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlVal(controls, kSigned, &i32));
  EXPECT_EQ(-100, i32);
  ASSERT_EQ(UIE_NO_ERROR, SetCtrlVal(controls, kShort, -32768));
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlVal(controls, kShort, &i16));
  EXPECT_EQ(-32768, i16);

  // The field shows three decimals but gives back what the program set.
  ASSERT_EQ(UIE_NO_ERROR, SetCtrlVal(controls, kIndicator, 37.00049));
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlVal(controls, kIndicator, &d));
  EXPECT_EQ(37.00049, d);
  EXPECT_EQ("37.000", testkit::Text(controls, kIndicator));
  ASSERT_EQ(UIE_NO_ERROR, SetCtrlVal(controls, kIndicator, -12.3456));
  EXPECT_EQ("-12.346", testkit::Text(controls, kIndicator));

  ASSERT_EQ(UIE_NO_ERROR, SetCtrlVal(controls, kFactor, 0.25));
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlVal(controls, kFactor, &f));
  EXPECT_FLOAT_EQ(0.25f, f);

  ASSERT_EQ(UIE_NO_ERROR, SetCtrlVal(controls, kSlider, 300));
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlVal(controls, kSlider, &u16));
  EXPECT_EQ(255, u16);

  ASSERT_EQ(UIE_NO_ERROR, SetCtrlVal(controls, kToggle, 5));
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlVal(controls, kToggle, &i32));
  EXPECT_EQ(1, i32);
  ASSERT_EQ(UIE_NO_ERROR, SetCtrlVal(controls, kToggle, 0.0));
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlVal(controls, kToggle, &i32));
  EXPECT_EQ(0, i32);
}

TEST_F(LayerTest, ReadsInsistOnTheExactType) {
  unsigned short u16;
  short i16;
  int i32;
  unsigned int u32;
  float f;
  double d;
  char text[32];
  EXPECT_EQ(UIE_BAD_TYPE, GetCtrlVal(controls, kSetpoint, &i32));
  EXPECT_EQ(UIE_BAD_TYPE, GetCtrlVal(controls, kSetpoint, &i16));
  EXPECT_EQ(UIE_BAD_TYPE, GetCtrlVal(controls, kSetpoint, &u32));
  EXPECT_EQ(UIE_BAD_TYPE, GetCtrlVal(controls, kSetpoint, text, sizeof text));
  EXPECT_EQ(UIE_BAD_TYPE, GetCtrlVal(controls, kIndicator, &f));
  EXPECT_EQ(UIE_BAD_TYPE, GetCtrlVal(controls, kFactor, &d));
  EXPECT_EQ(UIE_BAD_TYPE, GetCtrlVal(controls, kShort, &u16));
  EXPECT_EQ(UIE_BAD_TYPE, GetCtrlVal(controls, kToggle, &u16));
  EXPECT_EQ(UIE_BAD_TYPE, GetCtrlVal(controls, kStatus, &i32));
  EXPECT_EQ(UIE_BAD_TYPE, GetCtrlVal(controls, kGo, &i32));
  EXPECT_EQ(UIE_BAD_TYPE, GetCtrlVal(controls, kBand, &i32));

  // Strings go to string controls only, numbers to numeric ones only.
  EXPECT_EQ(UIE_BAD_TYPE, SetCtrlVal(controls, kSetpoint, "12"));
  EXPECT_EQ(UIE_BAD_TYPE, SetCtrlVal(controls, kToggle, "1"));
  EXPECT_EQ(UIE_BAD_TYPE, SetCtrlVal(controls, kStatus, 5));
  EXPECT_EQ(UIE_BAD_TYPE, SetCtrlVal(controls, kTextBox, 2.5));
  EXPECT_EQ(UIE_BAD_TYPE, SetCtrlVal(controls, kGo, 1));
  EXPECT_EQ(UIE_BAD_TYPE, SetCtrlVal(controls, kBand, 1));
  EXPECT_EQ(UIE_BAD_VALUE, SetCtrlVal(controls, kSetpoint, 0.0 / 0.0));

  // Nothing was changed by the refused calls.
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlVal(controls, kSetpoint, &u16));
  EXPECT_EQ(512, u16);
}

TEST_F(LayerTest, BadHandlesIdsAndPointersAreRefused) {
  unsigned short u16;
  char text[8];
  EXPECT_EQ(UIE_BAD_PANEL, SetCtrlVal(9999, kSetpoint, 1));
  EXPECT_EQ(UIE_BAD_PANEL, GetCtrlVal(9999, kSetpoint, &u16));
  EXPECT_EQ(UIE_BAD_CONTROL, SetCtrlVal(controls, 999, 1));
  EXPECT_EQ(UIE_BAD_CONTROL, SetCtrlVal(controls, -2, "x"));
  EXPECT_EQ(UIE_BAD_CONTROL, GetCtrlVal(controls, 0, &u16));
  EXPECT_EQ(UIE_BAD_VALUE, GetCtrlVal(controls, kSetpoint, static_cast<unsigned short *>(nullptr)));
  EXPECT_EQ(UIE_BAD_VALUE, GetCtrlVal(controls, kStatus, static_cast<char *>(nullptr), 8));
  EXPECT_EQ(UIE_BAD_VALUE, GetCtrlVal(controls, kStatus, text, 0));
  EXPECT_EQ(UIE_BAD_VALUE, SetCtrlVal(controls, kStatus, static_cast<const char *>(nullptr)));
  EXPECT_EQ(UIE_BAD_CONTROL, SetCtrlAttribute(controls, 999, ATTR_DIMMED, 1));
  int value;
  EXPECT_EQ(UIE_BAD_VALUE, GetCtrlAttribute(controls, kGo, ATTR_DIMMED, static_cast<int *>(nullptr)));
  EXPECT_EQ(UIE_BAD_PANEL, GetCtrlAttribute(9999, kGo, ATTR_DIMMED, &value));
}

TEST_F(LayerTest, RingsSelectByItemValue) {
  unsigned short value = 0;
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlVal(controls, kRing, &value));
  EXPECT_EQ(10, value);
  ASSERT_EQ(UIE_NO_ERROR, SetCtrlVal(controls, kRing, 20));
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlVal(controls, kRing, &value));
  EXPECT_EQ(20, value);
  EXPECT_EQ("twenty", testkit::Text(controls, kRing));
  EXPECT_EQ(UIE_BAD_VALUE, SetCtrlVal(controls, kRing, 25));
  EXPECT_EQ(UIE_BAD_VALUE, SetCtrlVal(controls, kRing, 0));
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlVal(controls, kRing, &value));
  EXPECT_EQ(20, value);  // unchanged by the refusals
  ASSERT_EQ(UIE_NO_ERROR, SetCtrlVal(controls, kRing, 29.6));  // rounded to u16 first
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlVal(controls, kRing, &value));
  EXPECT_EQ(30, value);
}

TEST_F(LayerTest, StringsAreCopiedBoundedAndTerminated) {
  ASSERT_EQ(UIE_NO_ERROR, SetCtrlVal(controls, kStatus, "Echo Check - Line Ok!"));
  char whole[64];
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlVal(controls, kStatus, whole, sizeof whole));
  EXPECT_STREQ("Echo Check - Line Ok!", whole);

  char small[8];
  std::memset(small, '#', sizeof small);
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlVal(controls, kStatus, small, 5));
  EXPECT_STREQ("Echo", small);
  EXPECT_EQ('#', small[5]);  // nothing written past the size given

  // Texts are Windows-1252, a character a byte, both ways: bytes that happen
  // to form UTF-8 are two characters all the same.
  ASSERT_EQ(UIE_NO_ERROR, SetCtrlVal(controls, kStatus, "V3.01 \xB5m \xC3\xA9 \x80\x9F"));
  EXPECT_EQ("V3.01 \xC2\xB5m \xC3\x83\xC2\xA9 \xE2\x82\xAC\xC5\xB8", testkit::Text(controls, kStatus));
  char three[4];
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlVal(controls, kStatus, three, sizeof three));
  EXPECT_STREQ("V3.", three);
  char back[32];
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlVal(controls, kStatus, back, sizeof back));
  EXPECT_STREQ("V3.01 \xB5m \xC3\xA9 \x80\x9F", back);
}

TEST_F(LayerTest, PortRingListsThePortTable) {
  ASSERT_EQ(UIE_NO_ERROR, SetComPortDevice(7, "/dev/ttyKVORTEST7"));
  int panel = Load(kControlsPanel);
  ASSERT_GT(panel, 0);
  ASSERT_EQ(UIE_NO_ERROR, SetCtrlVal(panel, kPortRing, 7));
  int port = 0;
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlVal(panel, kPortRing, &port));
  EXPECT_EQ(7, port);
  char label[128];
  ASSERT_EQ(0, GetComPortLabel(7, label, sizeof label));
  EXPECT_EQ(label, testkit::Text(panel, kPortRing));
  // A port number the table does not have cannot be chosen.
  EXPECT_EQ(UIE_BAD_VALUE, SetCtrlVal(panel, kPortRing, MAX_COM_PORTS + 1));
}

TEST_F(LayerTest, PortRingStaysUsableWithAnEmptyPortTable) {
  for (int port = 1; port <= MAX_COM_PORTS; ++port) SetComPortDevice(port, "");
  ASSERT_EQ(0, GetComPortCount());
  int panel = Load(kControlsPanel);
  ASSERT_GT(panel, 0);
  int port = 0;
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlVal(panel, kPortRing, &port));
  EXPECT_EQ(1, port);
  EXPECT_EQ(UIE_NO_ERROR, SetCtrlVal(panel, kPortRing, 1));
}
