// Attributes, text messages made at run time, pictures and text boxes.
#include <malloc.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

#include "runtime/layer_fixture.h"

using namespace layer_test;

namespace {

void Put32(std::string &s, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void Put16(std::string &s, std::uint16_t v) {
  s.push_back(static_cast<char>(v & 0xFF));
  s.push_back(static_cast<char>(v >> 8));
}

// A small 24-bit bitmap, written byte by byte.
void WriteBitmap(const std::string &path, int width, int height) {
  const int rowBytes = (width * 3 + 3) / 4 * 4;
  std::string bmp = "BM";
  Put32(bmp, 54 + rowBytes * height);
  Put32(bmp, 0);
  Put32(bmp, 54);
  Put32(bmp, 40);
  Put32(bmp, width);
  Put32(bmp, height);
  Put16(bmp, 1);
  Put16(bmp, 24);
  Put32(bmp, 0);
  Put32(bmp, rowBytes * height);
  Put32(bmp, 2835);
  Put32(bmp, 2835);
  Put32(bmp, 0);
  Put32(bmp, 0);
  bmp.append(static_cast<size_t>(rowBytes * height), '\x80');
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bmp;
}

}  // namespace

TEST_F(LayerTest, ColoursAreSetAndReadBackWhereTheyFit) {
  int colour = -1;
  ASSERT_EQ(UIE_NO_ERROR, SetCtrlAttribute(controls, kBand, ATTR_FRAME_COLOR, MakeColor(0, 128, 255)));
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlAttribute(controls, kBand, ATTR_FRAME_COLOR, &colour));
  EXPECT_EQ(0x0080FF, colour);

  ASSERT_EQ(UIE_NO_ERROR, SetCtrlAttribute(controls, kIndicator, ATTR_TEXT_BGCOLOR, VAL_RED));
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlAttribute(controls, kIndicator, ATTR_TEXT_BGCOLOR, &colour));
  EXPECT_EQ(VAL_RED, colour);
  ASSERT_EQ(UIE_NO_ERROR, SetCtrlAttribute(controls, kIndicator, ATTR_TEXT_BGCOLOR, VAL_DK_GREEN));
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlAttribute(controls, kIndicator, ATTR_TEXT_BGCOLOR, &colour));
  EXPECT_EQ(VAL_DK_GREEN, colour);

  ASSERT_EQ(UIE_NO_ERROR, SetCtrlAttribute(controls, kTextBox, ATTR_TEXT_BGCOLOR, VAL_LT_GRAY));
  ASSERT_EQ(UIE_NO_ERROR, SetCtrlAttribute(controls, kTextBox, ATTR_TEXT_COLOR, VAL_WHITE));
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlAttribute(controls, kTextBox, ATTR_TEXT_BGCOLOR, &colour));
  EXPECT_EQ(VAL_LT_GRAY, colour);
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlAttribute(controls, kTextBox, ATTR_TEXT_COLOR, &colour));
  EXPECT_EQ(VAL_WHITE, colour);

  EXPECT_EQ(UIE_BAD_ATTRIBUTE, SetCtrlAttribute(controls, kGo, ATTR_FRAME_COLOR, VAL_RED));
  EXPECT_EQ(UIE_BAD_ATTRIBUTE, SetCtrlAttribute(controls, kBand, ATTR_TEXT_COLOR, VAL_RED));
  EXPECT_EQ(UIE_BAD_ATTRIBUTE, SetCtrlAttribute(controls, kSlider, ATTR_TEXT_BGCOLOR, VAL_RED));
  EXPECT_EQ(UIE_BAD_ATTRIBUTE, SetCtrlAttribute(controls, kGo, 9999, 1));
  EXPECT_EQ(UIE_BAD_ATTRIBUTE, SetCtrlAttribute(controls, kGo, 9999, "x"));
  EXPECT_EQ(UIE_BAD_TYPE, SetCtrlAttribute(controls, kGo, ATTR_DIMMED, "1"));
  EXPECT_EQ(UIE_BAD_TYPE, SetCtrlAttribute(controls, kGo, ATTR_LABEL_TEXT, 1));
  EXPECT_EQ(UIE_BAD_ATTRIBUTE, SetCtrlAttribute(controls, kGo, ATTR_POINTS_PER_SCREEN, 10));
}

// A value display that turns red and green in turn on every update, for
// hours, must not cost memory per turn: each turn is a new palette, and what
// the style caches for a palette must not pile up.
TEST_F(LayerTest, ColourTurnsOfAShownControlKeepNoMemory) {
#ifndef __GLIBC__
  GTEST_SKIP() << "the heap's statistics are glibc's (mallinfo2)";
#else
  ASSERT_EQ(UIE_NO_ERROR, DisplayPanel(controls));
  const auto turn = [this](int i) {
    SetCtrlAttribute(controls, kIndicator, ATTR_TEXT_BGCOLOR, i % 2 ? VAL_RED : VAL_DK_GREEN);
    SetCtrlVal(controls, kIndicator, 0.001 * i);
    ProcessSystemEvents();
  };
  for (int i = 0; i < 300; ++i) turn(i);  // first paints, caches warmed
  const size_t before = mallinfo2().uordblks;
  const int turns = 3000;
  for (int i = 0; i < turns; ++i) turn(i);
  const double keptPerTurn = (static_cast<double>(mallinfo2().uordblks) - before) / turns;
  EXPECT_LT(keptPerTurn, 40.0) << "bytes of heap kept per colour turn";
#endif
}

TEST_F(LayerTest, LabelsFontsPositionsAndValueTypes) {
  ASSERT_EQ(UIE_NO_ERROR, SetCtrlAttribute(controls, kSetpoint, ATTR_LABEL_TEXT, "Target"));
  char text[64];
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlAttribute(controls, kSetpoint, ATTR_LABEL_TEXT, text, sizeof text));
  EXPECT_STREQ("Target", text);
  EXPECT_EQ("Target", testkit::AccessibleName(controls, kSetpoint));  // it was named by its label
  ASSERT_EQ(UIE_NO_ERROR, SetCtrlAttribute(controls, kGo, ATTR_LABEL_TEXT, "Run"));
  EXPECT_EQ("Run", testkit::Text(controls, kGo));
  // The status box has no label; its accessible name stays.
  EXPECT_EQ(UIE_BAD_ATTRIBUTE, SetCtrlAttribute(controls, kStatus, ATTR_LABEL_TEXT, "x"));
  EXPECT_EQ("Status", testkit::AccessibleName(controls, kStatus));
  EXPECT_EQ(UIE_BAD_ATTRIBUTE, SetCtrlAttribute(controls, kBand, ATTR_LABEL_TEXT, "x"));

  ASSERT_EQ(UIE_NO_ERROR, SetCtrlAttribute(controls, kCaption, ATTR_TEXT_FONT, VAL_APP_META_FONT));
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlAttribute(controls, kCaption, ATTR_TEXT_FONT, text, sizeof text));
  EXPECT_STREQ(VAL_APP_META_FONT, text);
  ASSERT_EQ(UIE_NO_ERROR, SetCtrlAttribute(controls, kCaption, ATTR_TEXT_POINT_SIZE, 18));
  int size = 0;
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlAttribute(controls, kCaption, ATTR_TEXT_POINT_SIZE, &size));
  EXPECT_EQ(18, size);
  EXPECT_EQ(UIE_BAD_VALUE, SetCtrlAttribute(controls, kCaption, ATTR_TEXT_POINT_SIZE, 0));
  EXPECT_EQ(UIE_BAD_VALUE, SetCtrlAttribute(controls, kCaption, ATTR_TEXT_FONT, static_cast<const char *>(nullptr)));

  ASSERT_EQ(UIE_NO_ERROR, SetCtrlAttribute(controls, kPicture, ATTR_TOP, 8));
  ASSERT_EQ(UIE_NO_ERROR, SetCtrlAttribute(controls, kPicture, ATTR_LEFT, 300));
  int left = 0, top = 0;
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlAttribute(controls, kPicture, ATTR_LEFT, &left));
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlAttribute(controls, kPicture, ATTR_TOP, &top));
  EXPECT_EQ(300, left);
  EXPECT_EQ(8, top);

  int type = -1;
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlAttribute(controls, kSetpoint, ATTR_CTRL_VAL_TYPE, &type));
  EXPECT_EQ(VAL_UNSIGNED_SHORT_INTEGER, type);
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlAttribute(controls, kIndicator, ATTR_CTRL_VAL_TYPE, &type));
  EXPECT_EQ(VAL_DOUBLE, type);
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlAttribute(controls, kShort, ATTR_CTRL_VAL_TYPE, &type));
  EXPECT_EQ(VAL_SHORT_INTEGER, type);
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlAttribute(controls, kFactor, ATTR_CTRL_VAL_TYPE, &type));
  EXPECT_EQ(VAL_FLOAT, type);
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlAttribute(controls, kStatus, ATTR_CTRL_VAL_TYPE, &type));
  EXPECT_EQ(VAL_STRING, type);
  ASSERT_EQ(UIE_NO_ERROR, GetCtrlAttribute(controls, kToggle, ATTR_CTRL_VAL_TYPE, &type));
  EXPECT_EQ(VAL_INTEGER, type);
  EXPECT_EQ(UIE_BAD_ATTRIBUTE, GetCtrlAttribute(controls, kGo, ATTR_CTRL_VAL_TYPE, &type));
  EXPECT_EQ(UIE_BAD_ATTRIBUTE, SetCtrlAttribute(controls, kSetpoint, ATTR_CTRL_VAL_TYPE, VAL_DOUBLE));
}

TEST_F(LayerTest, TextMessagesMadeAtRunTime) {
  const int before = testkit::ChildControlCount(controls);
  int id = NewCtrl(controls, CTRL_TEXT_MSG, "", 32, 300);
  ASSERT_GT(id, kNest);  // the next free id, above every id of the panel file
  int second = NewCtrl(controls, CTRL_TEXT_MSG, "v", 38, 480);
  EXPECT_EQ(id + 1, second);
  EXPECT_EQ(before + 2, testkit::ChildControlCount(controls));

  ASSERT_EQ(UIE_NO_ERROR, SetCtrlAttribute(controls, id, ATTR_TEXT_FONT, VAL_APP_META_FONT));
  ASSERT_EQ(UIE_NO_ERROR, SetCtrlAttribute(controls, id, ATTR_TEXT_BGCOLOR, MakeColor(0, 128, 255)));
  ASSERT_EQ(UIE_NO_ERROR, SetCtrlAttribute(controls, id, ATTR_TEXT_COLOR, VAL_WHITE));
  ASSERT_EQ(UIE_NO_ERROR, SetCtrlAttribute(controls, id, ATTR_TEXT_POINT_SIZE, 18));
  ASSERT_EQ(UIE_NO_ERROR, SetCtrlVal(controls, id, "K-VOR-NE-Duvev"));

  std::vector<testkit::TextMsg> made = testkit::CreatedTextMessages(controls);
  ASSERT_EQ(2u, made.size());
  EXPECT_EQ("K-VOR-NE-Duvev", made[0].text);
  EXPECT_EQ(32, made[0].top);
  EXPECT_EQ(300, made[0].left);
  EXPECT_EQ(18, made[0].pointSize);
  EXPECT_EQ(VAL_WHITE, made[0].color);
  EXPECT_EQ(0x0080FF, made[0].bgColor);
  EXPECT_EQ("v", made[1].text);

  EXPECT_EQ(UIE_BAD_VALUE, NewCtrl(controls, 999, "x", 0, 0));
  EXPECT_EQ(UIE_BAD_PANEL, NewCtrl(4242, CTRL_TEXT_MSG, "x", 0, 0));
}

TEST_F(LayerTest, PicturesLoadFromBitmapFilesOrStayEmpty) {
  WriteBitmap("layer-test-logo.bmp", 7, 5);
  EXPECT_EQ(UIE_NO_ERROR, DisplayImageFile(controls, kPicture, "layer-test-logo.bmp"));
  EXPECT_EQ(UIE_FILE, DisplayImageFile(controls, kPicture, "no-such-logo.png"));
  std::ofstream("layer-test-not-an-image.png") << "not an image";
  EXPECT_EQ(UIE_FILE, DisplayImageFile(controls, kPicture, "layer-test-not-an-image.png"));
  EXPECT_EQ(UIE_BAD_VALUE, DisplayImageFile(controls, kPicture, nullptr));
  EXPECT_EQ(UIE_BAD_TYPE, DisplayImageFile(controls, kSetpoint, "layer-test-logo.bmp"));
  std::remove("layer-test-logo.bmp");
  std::remove("layer-test-not-an-image.png");
}

TEST_F(LayerTest, TextBoxLines) {
  int count = -1;
  ASSERT_EQ(UIE_NO_ERROR, GetNumTextBoxLines(controls, kTextBox, &count));
  EXPECT_EQ(0, count);

  // Past the end the box is padded with empty lines.
  ASSERT_EQ(UIE_NO_ERROR, ReplaceTextBoxLine(controls, kTextBox, 2, "third"));
  ASSERT_EQ(UIE_NO_ERROR, GetNumTextBoxLines(controls, kTextBox, &count));
  EXPECT_EQ(3, count);
  char line[32];
  ASSERT_EQ(UIE_NO_ERROR, GetTextBoxLine(controls, kTextBox, 0, line, sizeof line));
  EXPECT_STREQ("", line);
  ASSERT_EQ(UIE_NO_ERROR, ReplaceTextBoxLine(controls, kTextBox, 0, "/data/KVorRecord.dat"));
  ASSERT_EQ(UIE_NO_ERROR, GetTextBoxLine(controls, kTextBox, 0, line, sizeof line));
  EXPECT_STREQ("/data/KVorRecord.dat", line);
  ASSERT_EQ(UIE_NO_ERROR, GetTextBoxLine(controls, kTextBox, 2, line, sizeof line));
  EXPECT_STREQ("third", line);
  EXPECT_EQ("/data/KVorRecord.dat\n\nthird", testkit::Text(controls, kTextBox));

  EXPECT_EQ(UIE_BAD_VALUE, GetTextBoxLine(controls, kTextBox, 3, line, sizeof line));
  EXPECT_EQ(UIE_BAD_VALUE, GetTextBoxLine(controls, kTextBox, -1, line, sizeof line));
  EXPECT_EQ(UIE_BAD_VALUE, ReplaceTextBoxLine(controls, kTextBox, -1, "x"));
  EXPECT_EQ(UIE_BAD_VALUE, ReplaceTextBoxLine(controls, kTextBox, 1, nullptr));

  ASSERT_EQ(UIE_NO_ERROR, ResetTextBox(controls, kTextBox, "DATA-RECORDER"));
  ASSERT_EQ(UIE_NO_ERROR, GetNumTextBoxLines(controls, kTextBox, &count));
  EXPECT_EQ(1, count);
  ASSERT_EQ(UIE_NO_ERROR, SetCtrlVal(controls, kTextBox, "a\nb"));
  ASSERT_EQ(UIE_NO_ERROR, GetNumTextBoxLines(controls, kTextBox, &count));
  EXPECT_EQ(2, count);
  ASSERT_EQ(UIE_NO_ERROR, ResetTextBox(controls, kTextBox, ""));
  ASSERT_EQ(UIE_NO_ERROR, GetNumTextBoxLines(controls, kTextBox, &count));
  EXPECT_EQ(0, count);

  EXPECT_EQ(UIE_BAD_TYPE, ResetTextBox(controls, kStatus, "x"));
  EXPECT_EQ(UIE_BAD_TYPE, GetNumTextBoxLines(controls, kSetpoint, &count));
  EXPECT_EQ(UIE_BAD_VALUE, GetNumTextBoxLines(controls, kTextBox, nullptr));
  EXPECT_EQ(UIE_BAD_CONTROL, ReplaceTextBoxLine(controls, 999, 0, "x"));
}
