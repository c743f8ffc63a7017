// The statistics pop-up: what the measured values of a run or a recording
// say about the process. Each value shown is taken at once (a few
// additions); the figures and the histogram are drawn at most twice a
// second, and only while the pop-up is shown, so the loops pay nothing for
// them.
//
// "Since Run" keeps its moments as the values came (the same figures kvor
// computes over a recorder file) and, for counting again when a limit
// changes and for the histogram, each distinct value in micrometres with
// its count: the memory stays the same however long the run.
#include <cmath>

#include "app/controls.h"
#include "app/globals.h"
#include "app/status.h"
#include "display/gui.h"
#include "display/statistics.h"
#include "runtime/userint/userint.h"
#include "runtime/utility/utility.h"

namespace {

const char kUndefined[] = "\x96";  // an en dash in the panels' code page
const double kRefreshSeconds = 0.5;
const double kMicrometresPerMillimetre = 1000.0;
const double kPi = 3.14159265358979323846;

enum { VALUES_SINCE_RUN = 0, VALUES_LAST_100 = 1 };

// ---- Since Run ---------------------------------------------------------------------
// Distinct values in micrometres and how often each came: open addressing
// over a table of a power of two, filled to three quarters at most.
enum {
  DISTINCT_SLOTS = 65536,
  DISTINCT_MAX = DISTINCT_SLOTS / 4 * 3,
};
int32_t distinctValue[DISTINCT_SLOTS];
uint32_t distinctCount[DISTINCT_SLOTS];  // 0: the slot is free
int distinctSlot[DISTINCT_MAX];          // the used slots, in the order first seen
int distinctUsed = 0;
uint64_t distinctLost = 0;  // values beyond the table's room: counted, not kept

StatsMoments sinceRun;
uint64_t sinceRunBelow = 0, sinceRunAbove = 0, sinceRunGreen = 0;
int sinceRunCountsKnown = 1;  // 0 once a limit changed after values were lost

// ---- Last 100 values ---------------------------------------------------------------
StatsWindow lastValues = {{0}, 0, 0};
unsigned char lastGreen[STATS_WINDOW_VALUES];  // beside lastValues, same places

StatsLimits limits = {0, 0, 0.0, 0.0};
int hasSetpoint = 0;
double setpointMm = 0.0;
int limitsDue = 0;    // filled with the next value: a run or recording has started
int popupShown = 0;
double lastShown = -1.0;

// ---- Histogram ------------------------------------------------------------------------
enum {
  HISTOGRAM_MIN_BINS = 5,
  HISTOGRAM_MAX_BINS = 40,
  HISTOGRAM_SLOTS = HISTOGRAM_MAX_BINS + 3,  // an empty bin either side, and rounding
  CURVE_POINTS = 121,
};
const int kBarColour = MakeColor(160, 180, 210);
const int kCurveColour = MakeColor(0, 0, 200);
const int kLimitColour = VAL_RED;
const int kSetpointColour = VAL_BLACK;
const int kDashed = 1;

uint32_t Hash(int32_t value) {
  return (static_cast<uint32_t>(value) * 2654435761u) >> 16;  // 16 bits: the table's size
}

void ClearDistinct(void) {
  for (int i = 0; i < distinctUsed; ++i) distinctCount[distinctSlot[i]] = 0;
  distinctUsed = 0;
  distinctLost = 0;
}

void KeepDistinct(int32_t um) {
  uint32_t slot = Hash(um) & (DISTINCT_SLOTS - 1);
  while (distinctCount[slot] != 0) {
    if (distinctValue[slot] == um) {
      ++distinctCount[slot];
      return;
    }
    slot = (slot + 1) & (DISTINCT_SLOTS - 1);
  }
  if (distinctUsed >= DISTINCT_MAX) {
    ++distinctLost;
    return;
  }
  distinctValue[slot] = um;
  distinctCount[slot] = 1;
  distinctSlot[distinctUsed++] = static_cast<int>(slot);
}

double Millimetres(int32_t um) { return um / kMicrometresPerMillimetre; }

// Since Run's counts against limits that have just changed.
void CountSinceRunAgain(void) {
  sinceRunBelow = sinceRunAbove = 0;
  for (int i = 0; i < distinctUsed; ++i) {
    const int slot = distinctSlot[i];
    const double v = Millimetres(distinctValue[slot]);
    if (IsBelowLimits(&limits, v)) sinceRunBelow += distinctCount[slot];
    if (IsAboveLimits(&limits, v)) sinceRunAbove += distinctCount[slot];
  }
  if (distinctLost > 0) sinceRunCountsKnown = 0;
}

int ShownValues(void) {
  int which = VALUES_SINCE_RUN;
  GetCtrlVal(pStats, STATS_DROPSTATSVALUES, &which);
  return which;
}

void ShowLimitField(int control, int has, double value) {
  char text[40];
  FormatStatsLimit(text, sizeof text, has, value);
  SetCtrlVal(pStats, control, text);
}

void FillLIMITS(void) {
  unsigned int setpointUm = parameter.setpointUm;
  GetCtrlVal(pCalib, CALIB_SETPOINT_UM, &setpointUm);
  StatsLimitsFromSetpoint(setpointUm, parameter.calib, tollo, tolup, &limits);
  hasSetpoint = 1;
  setpointMm = Millimetres(static_cast<int32_t>(setpointUm));
  ShowLimitField(STATS_STRSTATSLOWER, limits.hasLower, limits.lower);
  ShowLimitField(STATS_STRSTATSUPPER, limits.hasUpper, limits.upper);
}

// ---- Drawing the histogram -------------------------------------------------------------
struct Bins {
  int64_t firstUm, widthUm;
  int count;
  double counts[HISTOGRAM_SLOTS];
  double peak;
};

// Bins of whole micrometres (the values' own step, so no bin is empty by
// rounding alone), about the square root of n of them between 5 and 40,
// with an empty bin on either side.
void MakeBins(int64_t minUm, int64_t maxUm, uint64_t n, Bins *b) {
  int target = static_cast<int>(std::lround(std::sqrt(static_cast<double>(n))));
  if (target < HISTOGRAM_MIN_BINS) target = HISTOGRAM_MIN_BINS;
  if (target > HISTOGRAM_MAX_BINS) target = HISTOGRAM_MAX_BINS;
  const int64_t span = maxUm - minUm + 1;
  b->widthUm = (span + target - 1) / target;
  if (b->widthUm < 1) b->widthUm = 1;
  b->firstUm = minUm - b->widthUm;
  b->count = static_cast<int>((maxUm - minUm) / b->widthUm) + 3;
  for (int i = 0; i < HISTOGRAM_SLOTS; ++i) b->counts[i] = 0.0;
  b->peak = 0.0;
}

void AddToBin(Bins *b, int32_t um, double count) {
  const int64_t index = (static_cast<int64_t>(um) - b->firstUm) / b->widthUm;
  if (index < 0 || index >= b->count) return;
  b->counts[index] += count;
  if (b->counts[index] > b->peak) b->peak = b->counts[index];
}

double BinCentreMm(const Bins *b, int i) {
  return (static_cast<double>(b->firstUm + i * b->widthUm) + (b->widthUm - 1) / 2.0) /
         kMicrometresPerMillimetre;
}

void DrawVerticalLine(double x, double top, int colour, int lineStyle, const char *name) {
  const double xs[2] = {x, x};
  const double ys[2] = {0.0, top};
  const int plot = PlotXY(pStats, STATS_HISTOGRAM, xs, ys, 2, VAL_DOUBLE, VAL_DOUBLE,
                          VAL_CONNECTED_POINTS, VAL_NO_POINT, lineStyle, 1, colour);
  if (plot > 0) SetPlotAttribute(pStats, STATS_HISTOGRAM, plot, ATTR_PLOT_LG_TEXT, name);
}

void Widen(double x, double *low, double *high) {
  if (x < *low) *low = x;
  if (x > *high) *high = x;
}

void DrawHISTOGRAM(const Bins *b, const StatsFigures *f) {
  DeleteGraphPlot(pStats, STATS_HISTOGRAM, VAL_ALL_PLOTS, VAL_DELAYED_DRAW);
  if (f->samples == 0) return;
  const double binMm = b->widthUm / kMicrometresPerMillimetre;
  double low = BinCentreMm(b, 0) - binMm / 2, high = BinCentreMm(b, b->count - 1) + binMm / 2;
  const int curve = f->hasSd && f->sd > 0.0;
  if (limits.hasLower) Widen(limits.lower, &low, &high);
  if (limits.hasUpper) Widen(limits.upper, &low, &high);
  if (hasSetpoint) Widen(setpointMm, &low, &high);
  if (curve) {
    Widen(f->mean - 3.0 * f->sd, &low, &high);
    Widen(f->mean + 3.0 * f->sd, &low, &high);
  }
  const double margin = (high - low) * 0.03;
  low -= margin;
  high += margin;

  // The normal curve of mean and s, in counts per bin like the bars.
  double curveX[CURVE_POINTS], curveY[CURVE_POINTS], curvePeak = 0.0;
  if (curve) {
    const double scale = static_cast<double>(f->samples) * binMm / (f->sd * std::sqrt(2.0 * kPi));
    for (int i = 0; i < CURVE_POINTS; ++i) {
      const double x = low + (high - low) * i / (CURVE_POINTS - 1);
      const double z = (x - f->mean) / f->sd;
      curveX[i] = x;
      curveY[i] = scale * std::exp(-0.5 * z * z);
      if (curveY[i] > curvePeak) curvePeak = curveY[i];
    }
  }
  double top = b->peak > curvePeak ? b->peak : curvePeak;
  top = top < 1.0 ? 1.0 : top * 1.1;
  SetAxisScalingMode(pStats, STATS_HISTOGRAM, VAL_BOTTOM_XAXIS, VAL_MANUAL, low, high);
  SetAxisScalingMode(pStats, STATS_HISTOGRAM, VAL_LEFT_YAXIS, VAL_MANUAL, 0.0, top);

  double centres[HISTOGRAM_SLOTS];
  for (int i = 0; i < b->count; ++i) centres[i] = BinCentreMm(b, i);
  const int bars = PlotXY(pStats, STATS_HISTOGRAM, centres, b->counts, b->count, VAL_DOUBLE,
                          VAL_DOUBLE, VAL_VERTICAL_BAR, VAL_NO_POINT, VAL_SOLID, 1, kBarColour);
  if (bars > 0) SetPlotAttribute(pStats, STATS_HISTOGRAM, bars, ATTR_PLOT_LG_TEXT, "count");
  if (curve) {
    const int normal = PlotXY(pStats, STATS_HISTOGRAM, curveX, curveY, CURVE_POINTS, VAL_DOUBLE,
                              VAL_DOUBLE, 0, VAL_NO_POINT, VAL_SOLID, 1, kCurveColour);
    if (normal > 0) SetPlotAttribute(pStats, STATS_HISTOGRAM, normal, ATTR_PLOT_LG_TEXT, "normal curve");
  }
  if (limits.hasLower) DrawVerticalLine(limits.lower, top, kLimitColour, VAL_SOLID, "lower limit");
  if (limits.hasUpper) DrawVerticalLine(limits.upper, top, kLimitColour, VAL_SOLID, "upper limit");
  if (hasSetpoint) DrawVerticalLine(setpointMm, top, kSetpointColour, kDashed, "set-point");
}

// ---- The figures ---------------------------------------------------------------------------
void ShowFigures(const StatsFigures *f, uint64_t green) {
  StatsTexts t;
  FormatStatsTexts(f, &limits, kUndefined, &t);
  SetCtrlVal(pStats, STATS_SAMPLES, t.samples);
  SetCtrlVal(pStats, STATS_MEAN, t.mean);
  SetCtrlVal(pStats, STATS_SD, t.sd);
  SetCtrlVal(pStats, STATS_MIN, t.min);
  SetCtrlVal(pStats, STATS_MAX, t.max);
  SetCtrlVal(pStats, STATS_RANGE, t.range);
  SetCtrlVal(pStats, STATS_WITHIN, t.within);
  SetCtrlVal(pStats, STATS_BELOW, t.below);
  SetCtrlVal(pStats, STATS_ABOVE, t.above);
  SetCtrlVal(pStats, STATS_CP, t.cp);
  SetCtrlVal(pStats, STATS_CPK, t.cpk);
  char shown[16];
  FormatStatsPercent(shown, sizeof shown, green, f->samples, kUndefined);
  SetCtrlVal(pStats, STATS_GREEN, shown);
}

void ShowSinceRun(void) {
  StatsFigures f;
  ComputeStatsFigures(&sinceRun, sinceRunBelow, sinceRunAbove, &limits, &f);
  if (!sinceRunCountsKnown) f.hasWithin = f.hasBelow = f.hasAbove = 0;
  ShowFigures(&f, sinceRunGreen);
  Bins b;
  b.count = 0;
  if (f.samples > 0) {
    MakeBins(std::lround(sinceRun.min * kMicrometresPerMillimetre),
             std::lround(sinceRun.max * kMicrometresPerMillimetre), f.samples, &b);
    for (int i = 0; i < distinctUsed; ++i)
      AddToBin(&b, distinctValue[distinctSlot[i]], distinctCount[distinctSlot[i]]);
  }
  DrawHISTOGRAM(&b, &f);
}

void ShowLast100(void) {
  StatsFigures f;
  StatsOfWindow(&lastValues, &limits, &f);
  uint64_t green = 0;
  for (int i = 0; i < lastValues.count; ++i) green += lastGreen[i];
  ShowFigures(&f, green);
  Bins b;
  b.count = 0;
  if (f.samples > 0) {
    double values[STATS_WINDOW_VALUES];
    const int n = StatsWindowValues(&lastValues, values);
    MakeBins(std::lround(f.min * kMicrometresPerMillimetre),
             std::lround(f.max * kMicrometresPerMillimetre), f.samples, &b);
    for (int i = 0; i < n; ++i)
      AddToBin(&b, static_cast<int32_t>(std::lround(values[i] * kMicrometresPerMillimetre)), 1.0);
  }
  DrawHISTOGRAM(&b, &f);
}

void ShowSTATS(void) {
  lastShown = Timer();
  if (ShownValues() == VALUES_LAST_100)
    ShowLast100();
  else
    ShowSinceRun();
}

// A limit field committed: its text is the new limit, or no limit when
// empty; anything else is refused and the field shows the limit in force.
void TakeLIMIT(int control) {
  const bool lower = control == STATS_STRSTATSLOWER;
  const int hasNow = lower ? limits.hasLower : limits.hasUpper;
  const double now = lower ? limits.lower : limits.upper;
  char text[64] = "";
  GetCtrlVal(pStats, control, text, sizeof text);
  int has = 0;
  double value = 0.0;
  if (!ParseStatsLimit(text, &has, &value)) {
    SetStatus("Limit must be a number in mm - limit unchanged!");
    ShowStatus();
    ShowLimitField(control, hasNow, now);
    return;
  }
  StatsLimits wanted = limits;
  if (lower) {
    wanted.hasLower = has;
    wanted.lower = value;
  } else {
    wanted.hasUpper = has;
    wanted.upper = value;
  }
  if (wanted.hasLower && wanted.hasUpper && wanted.lower > wanted.upper) {
    SetStatus("Lower limit above upper limit - limit unchanged!");
    ShowStatus();
    ShowLimitField(control, hasNow, now);
    return;
  }
  limits = wanted;
  ShowLimitField(control, has, value);
  CountSinceRunAgain();
  if (popupShown) ShowSTATS();
}

}  // namespace

int shownGreen = 0;

void StartSTATS(void) {
  ClearStatsMoments(&sinceRun);
  ClearDistinct();
  sinceRunBelow = sinceRunAbove = sinceRunGreen = 0;
  sinceRunCountsKnown = 1;
  limitsDue = 1;
  if (popupShown) ShowSTATS();
}

void AddSTATSValue(int32_t umValue, int green) {
  if (limitsDue) {
    FillLIMITS();
    limitsDue = 0;
  }
  const double v = Millimetres(umValue);
  AddStatsValue(&sinceRun, v);
  sinceRunBelow += IsBelowLimits(&limits, v);
  sinceRunAbove += IsAboveLimits(&limits, v);
  sinceRunGreen += green ? 1 : 0;
  KeepDistinct(umValue);
  lastGreen[lastValues.next] = green ? 1 : 0;
  PushStatsWindow(&lastValues, v);
  if (popupShown && Timer() - lastShown >= kRefreshSeconds) ShowSTATS();
}

void EndSTATS(void) {
  if (popupShown) ShowSTATS();
}

int CC_TOGGBTN_Stats(int panel, int control, int event, void *callbackData, int eventData1,
                     int eventData2) {
  (void)callbackData, (void)eventData1, (void)eventData2;
  if (event != EVENT_VAL_CHANGED) return 0;
  int on = 0;
  GetCtrlVal(panel, control, &on);
  popupShown = on;
  if (on) {
    ShowSTATS();
    DisplayPanel(pStats);
  } else {
    HidePanel(pStats);
  }
  return 0;
}

int CC_STATS(int panel, int event, void *callbackData, int eventData1, int eventData2) {
  (void)panel, (void)callbackData, (void)eventData1, (void)eventData2;
  if (event != EVENT_CLOSE) return 0;
  popupShown = 0;
  HidePanel(pStats);
  SetCtrlVal(pHandle, MAIN_TOGGBTN_STATS, 0);
  return 0;
}

int CC_DropStatsValues(int panel, int control, int event, void *callbackData, int eventData1,
                       int eventData2) {
  (void)panel, (void)control, (void)callbackData, (void)eventData1, (void)eventData2;
  if (event == EVENT_VAL_CHANGED) ShowSTATS();
  return 0;
}

int CC_STRStatsLower(int panel, int control, int event, void *callbackData, int eventData1,
                     int eventData2) {
  (void)panel, (void)control, (void)callbackData, (void)eventData1, (void)eventData2;
  if (event == EVENT_COMMIT) TakeLIMIT(STATS_STRSTATSLOWER);
  return 0;
}

int CC_STRStatsUpper(int panel, int control, int event, void *callbackData, int eventData1,
                     int eventData2) {
  (void)panel, (void)control, (void)callbackData, (void)eventData1, (void)eventData2;
  if (event == EVENT_COMMIT) TakeLIMIT(STATS_STRSTATSUPPER);
  return 0;
}
