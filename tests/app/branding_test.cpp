// The branding band drawn at start-up and the other brandings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app.h"
#include "app/controls.h"
#include "app/globals.h"
#include "support/program_fixture.h"
#include "runtime/testkit/testkit.h"
#include "runtime/userint/userint.h"

namespace {

const int kBlue = MakeColor(0, 128, 255);
const int kGrey = MakeColor(128, 128, 128);

class Branding : public support::ProgramTest {
 protected:
  void SetUp() override { ASSERT_EQ(0, StartOffline()); }
  int Band() {
    int colour = -1;
    GetCtrlAttribute(pHandle, MAIN_BRAND_BAND, ATTR_FRAME_COLOR, &colour);
    return colour;
  }
  void ExpectText(const testkit::TextMsg &t, const std::string &text, int top, int left,
                  int size, int colour, int background) {
    EXPECT_EQ(text, t.text);
    EXPECT_EQ(top, t.top) << text;
    EXPECT_EQ(left, t.left) << text;
    EXPECT_EQ(size, t.pointSize) << text;
    EXPECT_EQ(colour, t.color) << text;
    EXPECT_EQ(background, t.bgColor) << text;
  }
};

TEST_F(Branding, StartUpDrawsBrandingTwo) {
  EXPECT_EQ(kBlue, Band());
  const auto texts = testkit::CreatedTextMessages(pHandle);
  ASSERT_EQ(5u, texts.size());
  const int tops[] = {9, 24, 39};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(15, texts[i].left);
    EXPECT_EQ(tops[i], texts[i].top);
    EXPECT_EQ(11, texts[i].pointSize);
    EXPECT_EQ(VAL_WHITE, texts[i].color);
    EXPECT_FALSE(texts[i].text.empty());
  }
  ExpectText(texts[3], "K-VOR-NE-Duvev", 32, 300, 18, VAL_WHITE, kBlue);
  ExpectText(texts[4], "Version 3.01", 38, 480, 11, VAL_WHITE, kBlue);
  EXPECT_TRUE(testkit::IsVisible(pHandle, MAIN_LOGO));
  int top = 0, left = 0;
  GetCtrlAttribute(pHandle, MAIN_LOGO, ATTR_TOP, &top);
  GetCtrlAttribute(pHandle, MAIN_LOGO, ATTR_LEFT, &left);
  EXPECT_EQ(8, top);
  EXPECT_EQ(300, left);
}

TEST_F(Branding, BrandingZeroIsLightWithoutPicture) {
  const size_t before = testkit::CreatedTextMessages(pHandle).size();
  ShowLogo(0);
  EXPECT_EQ(VAL_WHITE, Band());
  EXPECT_FALSE(testkit::IsVisible(pHandle, MAIN_LOGO));
  const auto texts = testkit::CreatedTextMessages(pHandle);
  ASSERT_EQ(before + 2, texts.size());
  ExpectText(texts[before], "K-VOR-NE-Duvev", 20, 20, 18, kGrey, VAL_WHITE);
  ExpectText(texts[before + 1], "Version 3.01", 26, 200, 11, kGrey, VAL_WHITE);
}

TEST_F(Branding, BrandingsWithLinesAndPictures) {
  struct Row {
    int branding, band, lines, logoTop, logoLeft, nameTop, nameLeft, versionTop, versionLeft;
  };
  const Row rows[] = {{1, kBlue, 0, -1, -1, 20, 20, 26, 200},
                      {3, VAL_WHITE, 0, 8, 470, 20, 20, 26, 180},
                      {4, kBlue, 3, 7, 470, 32, 300, 38, 480},
                      {6, VAL_WHITE, 3, 7, 470, 30, 220, 36, 380}};
  for (const Row &row : rows) {
    const size_t before = testkit::CreatedTextMessages(pHandle).size();
    ShowLogo(row.branding);
    EXPECT_EQ(row.band, Band()) << row.branding;
    const auto texts = testkit::CreatedTextMessages(pHandle);
    ASSERT_EQ(before + row.lines + 2, texts.size()) << row.branding;
    const auto &name = texts[before + row.lines];
    EXPECT_EQ(row.nameTop, name.top) << row.branding;
    EXPECT_EQ(row.nameLeft, name.left) << row.branding;
    const auto &version = texts[before + row.lines + 1];
    EXPECT_EQ(row.versionTop, version.top) << row.branding;
    EXPECT_EQ(row.versionLeft, version.left) << row.branding;
    if (row.logoTop >= 0) {
      int top = 0, left = 0;
      GetCtrlAttribute(pHandle, MAIN_LOGO, ATTR_TOP, &top);
      GetCtrlAttribute(pHandle, MAIN_LOGO, ATTR_LEFT, &left);
      EXPECT_EQ(row.logoTop, top) << row.branding;
      EXPECT_EQ(row.logoLeft, left) << row.branding;
    }
  }
}

TEST_F(Branding, BrandingFiveAndUnknownNumbersDrawNothing) {
  const size_t before = testkit::CreatedTextMessages(pHandle).size();
  const int band = Band();
  for (int branding : {5, 9, -1}) ShowLogo(branding);
  EXPECT_EQ(before, testkit::CreatedTextMessages(pHandle).size());
  EXPECT_EQ(band, Band());
}

}  // namespace
