// What the measured values say about the process: count, mean, sample
// standard deviation, extremes, the shares inside and outside two limits,
// and the capability figures Cp and Cpk from the overall standard deviation
// (the figures some shops call Pp and Ppk). All values are in millimetres.
// Pure: the window's statistics pop-up and kvor both compute through these,
// so they give the same figures, to the last digit, for the same values.
//
// A figure that is not defined (fewer than two values, s = 0, a missing
// limit) is absent: its has... flag is 0 and its value 0, never inf or NaN.
#ifndef KVOR_DISPLAY_STATISTICS_H
#define KVOR_DISPLAY_STATISTICS_H

#include <cstddef>
#include <cstdint>

enum {
  STATS_WINDOW_VALUES = 100,  // the strip chart's last 100 values
};

// The running moments of a series, the values taken in the order they came:
// count, mean and the sum of squared deviations from it (Welford's update,
// which keeps its precision where a sum of squares would cancel), extremes.
struct StatsMoments {
  uint64_t count;
  double mean, m2, min, max;
};

// The limits in mm; a side without a limit has its has... flag 0. A value
// on a limit is within it.
struct StatsLimits {
  int hasLower, hasUpper;
  double lower, upper;
};

struct StatsFigures {
  uint64_t samples;
  int hasMean;       double mean;       // one value or more
  int hasExtremes;   double min, max, range;
  int hasSd;         double sd;         // two values or more (n - 1)
  int hasBelow;      uint64_t below;    // a lower limit is given
  int hasAbove;      uint64_t above;    // an upper limit is given
  int hasWithin;     double withinPct;  // one value or more and a limit
  uint64_t within;                      // values within both limits
  int hasCp;         double cp;         // (USL - LSL) / 6s: both limits, s > 0
  int hasCpk;        double cpk;        // min(USL - mean, mean - LSL) / 3s: a limit, s > 0
};

void ClearStatsMoments(StatsMoments *m);
// Takes one value; a value that is not a finite number is left out.
void AddStatsValue(StatsMoments *m, double valueMm);

int IsBelowLimits(const StatsLimits *limits, double valueMm);
int IsAboveLimits(const StatsLimits *limits, double valueMm);

// The figures of a series from its moments and its counts below and above
// the limits.
void ComputeStatsFigures(const StatsMoments *m, uint64_t below, uint64_t above,
                         const StatsLimits *limits, StatsFigures *out);
// The figures of n values, taken in order.
void StatsOfValues(const double *valuesMm, size_t n, const StatsLimits *limits,
                   StatsFigures *out);

// ---- The last 100 values -------------------------------------------------------
struct StatsWindow {
  double values[STATS_WINDOW_VALUES];
  int next;   // where the next value goes
  int count;  // values held, at most STATS_WINDOW_VALUES
};
void ClearStatsWindow(StatsWindow *w);
// Takes one value, dropping the oldest once the window is full.
void PushStatsWindow(StatsWindow *w, double valueMm);
// The values held, oldest first, into out (room for STATS_WINDOW_VALUES);
// returns how many.
int StatsWindowValues(const StatsWindow *w, double *out);
void StatsOfWindow(const StatsWindow *w, const StatsLimits *limits, StatsFigures *out);

// ---- Limits and texts ------------------------------------------------------------
// The limits the window fills in at a start, and kvor record uses: the
// set-point minus the lower and plus the upper tolerance, with the
// tolerances in mm as the window's tolerance displays show them (calib is
// micrometres per virtual pixel times 16384, four decimals), the limits
// likewise to four decimals.
void StatsLimitsFromSetpoint(uint32_t setpointUm, uint32_t calib, uint16_t tollo, uint16_t tolup,
                             StatsLimits *out);
// A limit typed by the operator or given to kvor: blanks around it are
// ignored, '.' and ',' are both the decimal mark, and the value is taken to
// the four decimals its field shows. 1 with *hasLimit 0 for an empty text
// (no limit), 1 with the value for a number, 0 for anything else.
int ParseStatsLimit(const char *text, int *hasLimit, double *valueMm);
// The figures as the pop-up's fields and kvor's lines show them: mean, s
// and the limits to 4 decimals (tenths of a micrometre), extremes and range
// to 3 (the values are whole micrometres), the share within to 2 decimals
// (100.00 only when every value is within, 0.00 only when none is), Cp and
// Cpk to 2. An absent figure reads undefinedText, an absent limit "". A
// figure that rounds to zero shows no sign.
struct StatsTexts {
  char samples[24], mean[40], sd[40], min[40], max[40], range[40];
  char lower[40], upper[40], within[16], below[24], above[24], cp[40], cpk[40];
};
void FormatStatsTexts(const StatsFigures *f, const StatsLimits *limits, const char *undefinedText,
                      StatsTexts *out);
// A limit as its field shows it: 4 decimals, "" for none.
void FormatStatsLimit(char *out, size_t size, int hasLimit, double valueMm);
// A share in percent as the within figure shows it.
void FormatStatsPercent(char *out, size_t size, uint64_t part, uint64_t whole,
                        const char *undefinedText);

#endif
