// The statistics pop-up as the quality engineer uses it: a recording against
// the simulated sensor whose measured value changes while it records, the
// figures read by the fields' names as a screen reader reads them, and
// checked against the recorder file's own values.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/controls.h"
#include "app/globals.h"
#include "support/program_fixture.h"
#include "runtime/testkit/testkit.h"
#include "runtime/userint/userint.h"

namespace {

const char kDash[] = "\xE2\x80\x93";  // how an undefined figure reads: an en dash
const int kTeachA = 1843;
const int kTolerance = 40;  // virtual pixels: 0.0100 mm at 0.25 um per virtual pixel

kvorsim::Measurement Value(int um) {
  kvorsim::Measurement m;
  m.umValue = um;
  m.aval = m.mvalue = static_cast<uint16_t>(kTeachA + (um - 37000) * 4);
  m.bval = 2253;
  m.tolup = m.tollo = kTolerance;
  m.edcntA = m.edcntB = 1;
  m.tValA = kTeachA;
  m.tValB = 2253;
  return m;
}

// Goes round the values every 30 ms, from event processing, while set.
const int kCycle[] = {37000, 37008, 36985, 37004, 37015, 36996};
kvorsim::SensorSim *cycled = nullptr;
int cycleStep = 0;
void NextValue() {
  if (cycled == nullptr) return;
  cycled->setMeasurement(Value(kCycle[++cycleStep % 6]));
  testkit::RunLater(0.03, NextValue);
}

std::string Fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

class StatisticsPopup : public support::ProgramTest {
 protected:
  // The control of the pop-up that a screen reader names so.
  static int Field(const std::string &name) {
    for (int id : testkit::ControlIds(pStats))
      if (testkit::AccessibleName(pStats, id) == name) return id;
    ADD_FAILURE() << "no field named " << name;
    return -1;
  }
  static std::string Shown(const std::string &name) { return testkit::Text(pStats, Field(name)); }
  // The field shows `value` rounded to `decimals`: a value halfway between two
  // shown figures may go either way, as the program's sum and the test's
  // differ in their last bit.
  static ::testing::AssertionResult ShowsRounded(const std::string &name, double value, int decimals) {
    const std::string shown = Shown(name);
    const size_t point = shown.find('.');
    char *end = nullptr;
    const double read = std::strtod(shown.c_str(), &end);
    const double halfUnit = 0.5 * std::pow(10.0, -decimals);
    if (point == std::string::npos || shown.size() - point - 1 != static_cast<size_t>(decimals) ||
        *end != '\0' || std::fabs(read - value) > halfUnit * (1 + 1e-9))
      return ::testing::AssertionFailure() << name << " shows \"" << shown << "\", not " << Fixed(value, decimals + 3)
                                           << " to " << decimals << " decimals";
    return ::testing::AssertionSuccess();
  }
};

TEST_F(StatisticsPopup, FiguresOfARecordingTheLimitsAndTheHistogram) {
  sensorOptions.paced = true;  // replies at the line's speed, as a real sensor's
  ASSERT_TRUE(StartSensor());
  kvorsim::ParamFrame frame0 = Sensor().ram(0), frame1 = Sensor().ram(1);
  frame0[2] = kTeachA;
  frame1[11] = 4096, frame1[12] = 0;  // 0.25 um per virtual pixel
  frame1[13] = 37000 & 0xFFFF, frame1[14] = 37000 >> 16;
  Sensor().setRam(0, frame0);
  Sensor().setRam(1, frame1);
  Sensor().setMeasurement(Value(37000));
  ASSERT_EQ(0, StartProgramOnSensor());

  testkit::Click(pHandle, MAIN_TOGGBTN_STATS);
  ASSERT_TRUE(testkit::IsPanelVisible(pStats));
  EXPECT_EQ("0", Shown("Samples"));
  EXPECT_EQ(kDash, Shown("Mean [mm]"));

  // A recording of every reply; meanwhile the value goes round four values,
  // two of them outside set-point -+ 0.0100 mm (and shown red).
  testkit::Click(pHandle, MAIN_TOGGBTN_RECORDER);
  const std::string path = TempPath("stats.dat");
  testkit::QueueFileSelectAnswer(VAL_NEW_FILE_SELECTED, path);
  testkit::Click(panelPopUp, REC_RECORDFILENAMEBTN);
  testkit::TypeValue(panelPopUp, REC_NEDITRECSAMPLES, "40");
  testkit::TypeValue(panelPopUp, REC_NEDITRECTIME, "0");
  cycled = &Sensor();
  testkit::RunLater(0.03, NextValue);
  testkit::Click(panelPopUp, REC_BTNSTARTRECORD);  // returns when the 40 samples are in
  cycled = nullptr;
  testkit::Pump(0.1);  // the last change due is made

  // What was recorded, figured the plain way: two passes in long double.
  std::ifstream file(path, std::ios::binary);
  std::string line;
  std::vector<long double> mm;
  int green = 0;
  for (int n = 0; std::getline(file, line); ++n) {
    if (n < 2) continue;
    int aval, bval, mvalue, um;
    ASSERT_EQ(4, std::sscanf(line.c_str(), "%d %d %d %d", &aval, &bval, &mvalue, &um)) << line;
    mm.push_back(um / 1000.0L);
    green += std::abs(mvalue - kTeachA) <= kTolerance ? 1 : 0;
  }
  ASSERT_EQ(40u, mm.size());
  long double sum = 0, squares = 0, low = mm[0], high = mm[0];
  int below = 0, above = 0;
  for (long double v : mm) {
    sum += v;
    low = std::min(low, v);
    high = std::max(high, v);
    below += v < 36.990L ? 1 : 0;
    above += v > 37.010L ? 1 : 0;
  }
  const long double mean = sum / 40;
  for (long double v : mm) squares += (v - mean) * (v - mean);
  const double s = static_cast<double>(std::sqrt(squares / 39));
  ASSERT_GT(below, 0);
  ASSERT_GT(above, 0);

  EXPECT_EQ("36.9900", Shown("Lower limit [mm]"));  // 37.000 mm -+ 40 vpx x 0.25 um
  EXPECT_EQ("37.0100", Shown("Upper limit [mm]"));
  EXPECT_EQ("40", Shown("Samples"));
  EXPECT_TRUE(ShowsRounded("Mean [mm]", static_cast<double>(mean), 4));
  EXPECT_TRUE(ShowsRounded("Standard deviation [mm]", s, 4));
  EXPECT_EQ(Fixed(static_cast<double>(low), 3), Shown("Minimum [mm]"));
  EXPECT_EQ(Fixed(static_cast<double>(high), 3), Shown("Maximum [mm]"));
  EXPECT_EQ(Fixed(static_cast<double>(high - low), 3), Shown("Range [mm]"));
  EXPECT_EQ(std::to_string(below), Shown("Below lower limit"));
  EXPECT_EQ(std::to_string(above), Shown("Above upper limit"));
  EXPECT_TRUE(ShowsRounded("Within limits [%]", 100.0 * (40 - below - above) / 40, 2));
  EXPECT_TRUE(ShowsRounded("Shown green [%]", 100.0 * green / 40, 2));
  EXPECT_TRUE(ShowsRounded("Cp", 0.020 / (6 * s), 2));
  const double nearer = std::min(37.010 - static_cast<double>(mean), static_cast<double>(mean) - 36.990);
  EXPECT_TRUE(ShowsRounded("Cpk", nearer / (3 * s), 2));

  // The histogram: every value in a bar, the limits and the set-point as lines.
  const std::vector<testkit::Plot> plots = testkit::GraphPlots(pStats, STATS_HISTOGRAM);
  ASSERT_EQ(5u, plots.size());
  double counted = 0;
  for (double count : plots[0].y) counted += count;
  EXPECT_EQ(VAL_VERTICAL_BAR, plots[0].plotStyle);
  EXPECT_EQ(40.0, counted);
  EXPECT_EQ(36.99, plots[2].x[0]);
  EXPECT_EQ(37.01, plots[3].x[0]);
  EXPECT_EQ(37.0, plots[4].x[0]);
  // Its data: the bins as the bars show them.
  testkit::OpenGraphMenu(pStats, STATS_HISTOGRAM);
  testkit::QueueFileSelectAnswer(VAL_NEW_FILE_SELECTED, TempPath("histogram.csv"));
  testkit::ChooseGraphMenuEntry(pStats, STATS_HISTOGRAM, "Save data\u2026");
  EXPECT_EQ("Data saved!", Status());
  std::ifstream csv(TempPath("histogram.csv"));
  std::getline(csv, line);
  EXPECT_EQ("bin centre [mm],count", line);
  double rows = 0;
  for (size_t i = 0; std::getline(csv, line); ++i) {
    std::ostringstream want;
    want << plots[0].x.at(i) << ',' << plots[0].y.at(i);
    EXPECT_EQ(want.str(), line);
    rows += plots[0].y.at(i);
  }
  EXPECT_EQ(40.0, rows);

  // The upper limit typed (decimal comma, Enter), the lower one emptied and
  // left: the figures follow; no lower limit leaves Cp and "below" undefined.
  testkit::TypeValue(pStats, Field("Upper limit [mm]"), "37,02");
  EXPECT_EQ("37.0200", Shown("Upper limit [mm]"));
  testkit::PressKey(pStats, Field("Lower limit [mm]"), "Ctrl+A");
  testkit::PressKey(pStats, Field("Lower limit [mm]"), "Delete");
  testkit::Click(pStats, Field("Upper limit [mm]"));
  EXPECT_EQ("0", Shown("Above upper limit"));
  EXPECT_EQ(kDash, Shown("Below lower limit"));
  EXPECT_EQ("100.00", Shown("Within limits [%]"));
  EXPECT_EQ(kDash, Shown("Cp"));
  EXPECT_TRUE(ShowsRounded("Cpk", (37.020 - static_cast<double>(mean)) / (3 * s), 2));
  // A limit that is no number is refused and the field shows the limit in force.
  testkit::TypeValue(pStats, Field("Upper limit [mm]"), "37.0x");
  EXPECT_EQ("Limit must be a number in mm - limit unchanged!", Status());
  EXPECT_EQ("37.0200", Shown("Upper limit [mm]"));

  // Run mode with one value: Since Run is that run alone (s = 0: no Cp, no
  // Cpk), the last 100 values go on from the recording's.
  Sensor().setMeasurement(Value(37002));
  testkit::RunLater(0.6, [] { testkit::Click(pHandle, MAIN_BTNSTOP); });
  testkit::Click(pHandle, MAIN_BTNRUN);
  const int run = std::stoi(Shown("Samples"));
  ASSERT_GT(run, 2);
  EXPECT_EQ("37.0020", Shown("Mean [mm]"));
  EXPECT_EQ("0.0000", Shown("Standard deviation [mm]"));
  EXPECT_EQ(kDash, Shown("Cpk"));
  EXPECT_EQ("36.9900", Shown("Lower limit [mm]"));  // filled again at the start
  testkit::SelectRingIndex(pStats, STATS_DROPSTATSVALUES, 1);
  EXPECT_EQ(std::to_string(std::min(100, 40 + run)), Shown("Samples"));

  // Escape closes the pop-up as its close box does.
  testkit::PressKey(pStats, Field("Samples"), "Escape");
  EXPECT_FALSE(testkit::IsPanelVisible(pStats));
  int on = -1;
  GetCtrlVal(pHandle, MAIN_TOGGBTN_STATS, &on);
  EXPECT_EQ(0, on);
}

}  // namespace
