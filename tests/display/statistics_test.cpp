// The statistics of measured values against figures worked out by hand:
// every figure, its presence, and the texts the pop-up and kvor show.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <string>
#include <vector>

#include "display/statistics.h"

namespace {

const int NONE = -1;  // a figure that must be absent

struct Expected {
  uint64_t samples;
  double mean, sd, min, max;   // NaN: absent
  int below, above;            // NONE: absent
  double withinPct, cp, cpk;   // NaN: absent
};

struct Case {
  const char *name;
  std::vector<double> values;
  StatsLimits limits;
  Expected want;
};

const double X = std::nan("");

// Within relative of the figure worked out by hand.
void ExpectFigure(const char *what, int has, double value, double want, double relative) {
  SCOPED_TRACE(what);
  if (std::isnan(want)) {
    EXPECT_EQ(0, has);
    EXPECT_EQ(0.0, value);
  } else {
    EXPECT_EQ(1, has);
    EXPECT_NEAR(want, value, relative * std::fabs(want) + 1e-15);
  }
}

void ExpectCount(const char *what, int has, uint64_t value, int want) {
  SCOPED_TRACE(what);
  EXPECT_EQ(want == NONE ? 0 : 1, has);
  EXPECT_EQ(want == NONE ? 0u : static_cast<uint64_t>(want), value);
}

void ExpectFigures(const StatsFigures &f, const Expected &w, double relative) {
  EXPECT_EQ(w.samples, f.samples);
  ExpectFigure("mean", f.hasMean, f.mean, w.mean, 1e-12);
  ExpectFigure("sd", f.hasSd, f.sd, w.sd, relative);
  ExpectFigure("min", f.hasExtremes, f.min, w.min, 0);
  ExpectFigure("max", f.hasExtremes, f.max, w.max, 0);
  ExpectFigure("range", f.hasExtremes, f.range, std::isnan(w.min) ? X : w.max - w.min, 1e-12);
  ExpectCount("below", f.hasBelow, f.below, w.below);
  ExpectCount("above", f.hasAbove, f.above, w.above);
  ExpectFigure("within %", f.hasWithin, f.withinPct, w.withinPct, 1e-12);
  ExpectFigure("cp", f.hasCp, f.cp, w.cp, relative);
  ExpectFigure("cpk", f.hasCpk, f.cpk, w.cpk, relative);
}

// 10000 +- 2^-20 mm alternately: mean 10000 and s = 2^-20 * sqrt(n / (n - 1)),
// where a sum of squares loses every digit.
std::vector<double> TightAroundTenThousand(int n) {
  std::vector<double> v(n);
  for (int i = 0; i < n; ++i) v[i] = 10000.0 + (i % 2 ? 1.0 : -1.0) * std::ldexp(1.0, -20);
  return v;
}

TEST(Statistics, FiguresWorkedOutByHand) {
  const double tight = std::ldexp(1.0, -20) * std::sqrt(1e6 / (1e6 - 1));
  const Case cases[] = {
      {"no value", {}, {1, 1, 1.0, 2.0}, {0, X, X, X, X, 0, 0, X, X, X}},
      {"one value", {5.0}, {1, 1, 4.0, 6.0}, {1, 5.0, X, 5.0, 5.0, 0, 0, 100.0, X, X}},
      {"two values", {1.0, 3.0}, {1, 1, 0.0, 4.0},
       {2, 2.0, 1.4142135623730951, 1.0, 3.0, 0, 0, 100.0, 0.4714045207910316, 0.4714045207910316}},
      {"constant: s = 0", {2.5, 2.5, 2.5, 2.5}, {1, 1, 2.0, 3.0},
       {4, 2.5, 0.0, 2.5, 2.5, 0, 0, 100.0, X, X}},
      {"no limits", {2.0, 4.0}, {0, 0, 0.0, 0.0},
       {2, 3.0, 1.4142135623730951, 2.0, 4.0, NONE, NONE, X, X, X}},
      {"upper limit only", {10, 12, 14, 16}, {0, 1, 0.0, 15.0},
       {4, 13.0, 2.581988897471611, 10.0, 16.0, NONE, 1, 75.0, X, 0.2581988897471611}},
      {"lower limit only, a value on it", {10, 12, 14, 16}, {1, 0, 12.0, 0.0},
       {4, 13.0, 2.581988897471611, 10.0, 16.0, 1, NONE, 75.0, X, 0.12909944487358055}},
      {"negative values, one on the lower limit", {-0.010, -0.020, 0.015, -0.005}, {1, 1, -0.02, 0.01},
       {4, -0.005, 0.014719601443879744, -0.020, 0.015, 0, 1, 75.0, 0.3396831102433787,
        0.3396831102433787}},
      {"mean off centre: Cpk from the nearer limit", {1.0, 2.0, 3.0}, {1, 1, 0.0, 10.0},
       {3, 2.0, 1.0, 1.0, 3.0, 0, 0, 100.0, 10.0 / 6.0, 2.0 / 3.0}},
      {"a million values about 1e4 with a spread of 1e-6", TightAroundTenThousand(1000000),
       {1, 1, 10000.0 - 3e-6, 10000.0 + 3e-6},
       {1000000, 10000.0, tight, 10000.0 - std::ldexp(1.0, -20), 10000.0 + std::ldexp(1.0, -20), 0, 0,
        100.0, 6e-6 / (6 * tight), 3e-6 / (3 * tight)}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    StatsFigures f;
    StatsOfValues(c.values.data(), c.values.size(), &c.limits, &f);
    // Hand figures to 1e-12; the million values keep s to 1e-6 of itself
    // (a sum of squares would keep no digit of it).
    ExpectFigures(f, c.want, c.values.size() > 1000 ? 1e-6 : 1e-12);
    // Taken one by one, as the window takes them, the moments are the same
    // to the last bit.
    StatsMoments m;
    ClearStatsMoments(&m);
    uint64_t below = 0, above = 0;
    for (double v : c.values) {
      AddStatsValue(&m, v);
      below += IsBelowLimits(&c.limits, v);
      above += IsAboveLimits(&c.limits, v);
    }
    StatsFigures g;
    ComputeStatsFigures(&m, below, above, &c.limits, &g);
    EXPECT_EQ(f.mean, g.mean);
    EXPECT_EQ(f.sd, g.sd);
    EXPECT_EQ(f.cpk, g.cpk);
  }
}

TEST(Statistics, TheWindowKeepsTheLastHundredOldestFirst) {
  StatsWindow w;
  ClearStatsWindow(&w);
  const StatsLimits limits = {1, 1, 60.0, 140.0};
  for (int i = 1; i <= 150; ++i) PushStatsWindow(&w, i);
  double held[STATS_WINDOW_VALUES];
  ASSERT_EQ(100, StatsWindowValues(&w, held));
  EXPECT_EQ(51.0, held[0]);
  EXPECT_EQ(150.0, held[99]);
  StatsFigures f;
  StatsOfWindow(&w, &limits, &f);
  // 51..150: mean 100.5, s^2 = 100 * 101 / 12; 9 below 60, 10 above 140.
  ExpectFigures(f, {100, 100.5, 29.011491975882016, 51.0, 150.0, 9, 10, 81.0,
                    80.0 / (6 * 29.011491975882016), 39.5 / (3 * 29.011491975882016)},
                1e-12);
  // Fewer than a hundred: what came, in order.
  ClearStatsWindow(&w);
  PushStatsWindow(&w, 7.0);
  PushStatsWindow(&w, 8.0);
  ASSERT_EQ(2, StatsWindowValues(&w, held));
  EXPECT_EQ(7.0, held[0]);
  EXPECT_EQ(8.0, held[1]);
}

TEST(Statistics, TextsLimitsAndTheirInput) {
  // The decimal mark is '.' whatever the locale says.
  const char *german = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
  const double values[] = {-0.00001, 0.00001, 0.0};
  const StatsLimits limits = {1, 0, -0.5, 0.0};
  StatsFigures f;
  StatsOfValues(values, 3, &limits, &f);
  StatsTexts t;
  FormatStatsTexts(&f, &limits, "-", &t);
  EXPECT_EQ("3", std::string(t.samples));
  EXPECT_EQ("0.0000", std::string(t.mean));  // no "-0.0000"
  EXPECT_EQ("0.0000", std::string(t.sd));
  EXPECT_EQ("0.000", std::string(t.min));
  EXPECT_EQ("-0.5000", std::string(t.lower));
  EXPECT_EQ("", std::string(t.upper));
  EXPECT_EQ("100.00", std::string(t.within));
  EXPECT_EQ("0", std::string(t.below));
  EXPECT_EQ("-", std::string(t.above));
  EXPECT_EQ("-", std::string(t.cp));
  EXPECT_EQ("16666.67", std::string(t.cpk));
  if (german != nullptr) std::setlocale(LC_NUMERIC, "C");

  char pct[16];
  FormatStatsPercent(pct, sizeof pct, 99999, 100000, "-");
  EXPECT_EQ("99.99", std::string(pct));  // one outside never reads 100.00
  FormatStatsPercent(pct, sizeof pct, 1, 100000, "-");
  EXPECT_EQ("0.01", std::string(pct));
  FormatStatsPercent(pct, sizeof pct, 2, 3, "-");
  EXPECT_EQ("66.67", std::string(pct));
  FormatStatsPercent(pct, sizeof pct, 0, 0, "-");
  EXPECT_EQ("-", std::string(pct));

  // Set-point 37000 um, 0.25 um per virtual pixel: 50 and 80 virtual pixels
  // are 0.0125 and 0.0200 mm; a factor a hair above shows the same four
  // decimals, and so gives the same limits.
  StatsLimits l;
  StatsLimitsFromSetpoint(37000, 4096, 50, 80, &l);
  EXPECT_EQ(1, l.hasLower);
  EXPECT_EQ(1, l.hasUpper);
  EXPECT_EQ(36.9875, l.lower);
  EXPECT_EQ(37.02, l.upper);
  StatsLimitsFromSetpoint(37000, 4097, 50, 80, &l);
  EXPECT_EQ(36.9875, l.lower);
  EXPECT_EQ(37.02, l.upper);

  const struct {
    const char *text;
    int ok, has;
    double value;
  } inputs[] = {{"", 1, 0, 0}, {"  ", 1, 0, 0}, {"36.95", 1, 1, 36.95}, {" 36,95 ", 1, 1, 36.95},
                {"-0.02", 1, 1, -0.02}, {"+3", 1, 1, 3}, {".5", 1, 1, 0.5}, {"abc", 0, 0, 0},
                {"1.2.3", 0, 0, 0}, {"1e3", 0, 0, 0}, {"-", 0, 0, 0}, {"3 mm", 0, 0, 0},
                {"37.01234", 1, 1, 37.0123}, {"-0.00006", 1, 1, -0.0001}};
  for (const auto &in : inputs) {
    SCOPED_TRACE(in.text);
    int has = -1;
    double value = -1;
    EXPECT_EQ(in.ok, ParseStatsLimit(in.text, &has, &value));
    if (in.ok) {
      EXPECT_EQ(in.has, has);
      EXPECT_EQ(in.value, value);
    }
  }
}

}  // namespace
