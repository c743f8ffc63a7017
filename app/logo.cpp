// The branding band at the top of the main panel: band colour, logo,
// vendor lines, program name and version.
#include "app/app.h"
#include "app/controls.h"
#include "app/globals.h"
#include "runtime/userint/userint.h"

namespace {

enum { INFO_POINT_SIZE = 11, NAME_POINT_SIZE = 18, VERSION_POINT_SIZE = 11, INFO_LEFT = 15 };

struct Scheme {
  int band, textBackground, text;
};
const Scheme kLight = {VAL_WHITE, VAL_WHITE, MakeColor(128, 128, 128)};
const Scheme kBlue = {MakeColor(0, 128, 255), MakeColor(0, 128, 255), VAL_WHITE};

struct Position {
  int top, left;
};

struct Branding {
  const Scheme *scheme;
  const char *logoFile;        // nullptr: no picture
  Position logo;
  const char *info[3];         // company, telephone, web; nullptr: no lines
  int infoTops[3];
  Position name, version;
};

// The vendors are fictitious; their numbers and addresses are reserved for examples.
const Branding kBrandings[] = {
    /* 0 */ {&kLight, nullptr, {0, 0}, {nullptr, nullptr, nullptr}, {0, 0, 0}, {20, 20}, {26, 200}},
    /* 1 */ {&kBlue, nullptr, {0, 0}, {nullptr, nullptr, nullptr}, {0, 0, 0}, {20, 20}, {26, 200}},
    /* 2 */ {&kBlue, "logo2.png", {8, 300},
             {"Duvev Optical Sensors (demo)", "Tel. +1 555 0100", "www.duvev.example"},
             {9, 24, 39}, {32, 300}, {38, 480}},
    /* 3 */ {&kLight, "logo3.png", {8, 470}, {nullptr, nullptr, nullptr}, {0, 0, 0}, {20, 20},
             {26, 180}},
    /* 4 */ {&kBlue, "logo4.png", {7, 470},
             {"Lumen Line Gauging (demo)", "Tel. +1 555 0142", "www.lumenline.example"},
             {7, 22, 37}, {32, 300}, {38, 480}},
    /* 5 draws nothing */ {nullptr, nullptr, {0, 0}, {nullptr, nullptr, nullptr}, {0, 0, 0},
                           {0, 0}, {0, 0}},
    /* 6 */ {&kLight, "logo6.png", {7, 470},
             {"Kantenwerk Messtechnik (demo)", "Tel. +1 555 0163", "www.kantenwerk.example"},
             {7, 22, 37}, {30, 220}, {36, 380}},
};
const int kBrandingCount = sizeof kBrandings / sizeof kBrandings[0];

}  // namespace

void ShowInfoText(int id, int backgroundColour, int textColour, const char *text, int left,
                  int top, int pointSize) {
  (void)id;
  const int control = NewCtrl(pHandle, CTRL_TEXT_MSG, "", top, left);
  if (control < 0) return;
  SetCtrlAttribute(pHandle, control, ATTR_TEXT_FONT, VAL_APP_META_FONT);
  SetCtrlAttribute(pHandle, control, ATTR_TEXT_BGCOLOR, backgroundColour);
  SetCtrlAttribute(pHandle, control, ATTR_TEXT_COLOR, textColour);
  SetCtrlAttribute(pHandle, control, ATTR_TEXT_POINT_SIZE, pointSize);
  SetCtrlVal(pHandle, control, text);
}

void ShowLogo(int branding) {
  if (branding < 0 || branding >= kBrandingCount) return;
  const Branding &b = kBrandings[branding];
  if (b.scheme == nullptr) return;
  const Scheme &s = *b.scheme;

  SetCtrlAttribute(pHandle, MAIN_BRAND_BAND, ATTR_FRAME_COLOR, s.band);
  if (b.logoFile == nullptr) {
    SetCtrlAttribute(pHandle, MAIN_LOGO, ATTR_VISIBLE, 0);
  } else {
    SetCtrlAttribute(pHandle, MAIN_LOGO, ATTR_TOP, b.logo.top);
    SetCtrlAttribute(pHandle, MAIN_LOGO, ATTR_LEFT, b.logo.left);
    DisplayImageFile(pHandle, MAIN_LOGO, b.logoFile);  // a missing file leaves it empty
  }
  if (b.info[0] != nullptr) {
    for (int line = 0; line < 3; ++line)
      ShowInfoText(0, s.textBackground, s.text, b.info[line], INFO_LEFT, b.infoTops[line],
                   INFO_POINT_SIZE);
  }
  ShowInfoText(0, s.textBackground, s.text, szSoftName, b.name.left, b.name.top,
               NAME_POINT_SIZE);
  ShowInfoText(0, s.textBackground, s.text, szSoftVersion, b.version.left, b.version.top,
               VERSION_POINT_SIZE);
}
