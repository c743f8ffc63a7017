#include "display/statistics.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

const double kCalibToMillimetres = 16384000.0;  // calib scale times micrometres per mm
const double kMicrometresPerMillimetre = 1000.0;
const int kLimitDecimals = 4;
const int kMeanDecimals = 4;
const int kExtremeDecimals = 3;
const int kCapabilityDecimals = 2;
const size_t kLimitTextMax = 40;

double RoundTo(double value, int decimals) {
  const double scale = std::pow(10.0, decimals);
  return std::round(value * scale) / scale;
}

// printf's decimal mark is the locale's; the texts always use '.'.
void FormatFixed(char *out, size_t size, double value, int decimals) {
  if (size == 0) return;
  // A figure beyond any measurement (a ratio over a vanishing s) in
  // exponent form, so it fits.
  if (std::fabs(value) >= 1e15)
    std::snprintf(out, size, "%.3e", value);
  else
    std::snprintf(out, size, "%.*f", decimals, value);
  const char *mark = std::localeconv()->decimal_point;
  const char localMark = mark != nullptr && mark[0] != '\0' ? mark[0] : '.';
  for (char *c = out; *c != '\0'; ++c)
    if (*c == localMark) *c = '.';
  // "-0.0000" for a value that rounds to zero: no sign.
  if (out[0] == '-') {
    bool zero = true;
    for (const char *c = out + 1; *c != '\0'; ++c)
      if (*c != '0' && *c != '.') zero = false;
    if (zero) std::memmove(out, out + 1, std::strlen(out));
  }
}

void FormatFigure(char *out, size_t size, int defined, double value, int decimals,
                  const char *undefinedText) {
  if (defined)
    FormatFixed(out, size, value, decimals);
  else
    std::snprintf(out, size, "%s", undefinedText);
}

void FormatCount(char *out, size_t size, int defined, uint64_t value, const char *undefinedText) {
  if (defined)
    std::snprintf(out, size, "%llu", static_cast<unsigned long long>(value));
  else
    std::snprintf(out, size, "%s", undefinedText);
}

// The ratio when it is a finite number; inf or NaN leave it absent.
void SetRatio(int *has, double *out, double numerator, double denominator) {
  const double ratio = numerator / denominator;
  *has = std::isfinite(ratio) ? 1 : 0;
  *out = *has ? ratio : 0.0;
}

}  // namespace

void ClearStatsMoments(StatsMoments *m) {
  m->count = 0;
  m->mean = m->m2 = m->min = m->max = 0.0;
}

void AddStatsValue(StatsMoments *m, double valueMm) {
  if (!std::isfinite(valueMm)) return;
  ++m->count;
  if (m->count == 1) {
    m->mean = m->min = m->max = valueMm;
    m->m2 = 0.0;
    return;
  }
  const double delta = valueMm - m->mean;
  m->mean += delta / static_cast<double>(m->count);
  m->m2 += delta * (valueMm - m->mean);
  if (valueMm < m->min) m->min = valueMm;
  if (valueMm > m->max) m->max = valueMm;
}

int IsBelowLimits(const StatsLimits *limits, double valueMm) {
  return limits->hasLower && valueMm < limits->lower ? 1 : 0;
}

int IsAboveLimits(const StatsLimits *limits, double valueMm) {
  return limits->hasUpper && valueMm > limits->upper ? 1 : 0;
}

void ComputeStatsFigures(const StatsMoments *m, uint64_t below, uint64_t above,
                         const StatsLimits *limits, StatsFigures *out) {
  std::memset(out, 0, sizeof *out);
  const uint64_t n = m->count;
  out->samples = n;
  if (n >= 1) {
    out->hasMean = 1;
    out->mean = m->mean;
    out->hasExtremes = 1;
    out->min = m->min;
    out->max = m->max;
    out->range = m->max - m->min;
  }
  if (n >= 2) {
    // m2 never falls below zero: each step adds a product of two numbers of
    // the same sign.
    out->hasSd = 1;
    out->sd = std::sqrt(m->m2 / static_cast<double>(n - 1));
  }
  out->hasBelow = limits->hasLower;
  out->below = limits->hasLower ? below : 0;
  out->hasAbove = limits->hasUpper;
  out->above = limits->hasUpper ? above : 0;
  if (n >= 1 && (limits->hasLower || limits->hasUpper)) {
    out->within = n - out->below - out->above;
    out->hasWithin = 1;
    out->withinPct = 100.0 * static_cast<double>(out->within) / static_cast<double>(n);
  }
  if (!out->hasSd || !(out->sd > 0.0)) return;
  const double s = out->sd;
  if (limits->hasLower && limits->hasUpper)
    SetRatio(&out->hasCp, &out->cp, limits->upper - limits->lower, 6.0 * s);
  if (limits->hasLower && limits->hasUpper) {
    const double nearest = std::fmin(limits->upper - m->mean, m->mean - limits->lower);
    SetRatio(&out->hasCpk, &out->cpk, nearest, 3.0 * s);
  } else if (limits->hasUpper) {
    SetRatio(&out->hasCpk, &out->cpk, limits->upper - m->mean, 3.0 * s);
  } else if (limits->hasLower) {
    SetRatio(&out->hasCpk, &out->cpk, m->mean - limits->lower, 3.0 * s);
  }
}

void StatsOfValues(const double *valuesMm, size_t n, const StatsLimits *limits,
                   StatsFigures *out) {
  StatsMoments m;
  ClearStatsMoments(&m);
  uint64_t below = 0, above = 0;
  for (size_t i = 0; i < n; ++i) {
    if (!std::isfinite(valuesMm[i])) continue;
    AddStatsValue(&m, valuesMm[i]);
    below += IsBelowLimits(limits, valuesMm[i]);
    above += IsAboveLimits(limits, valuesMm[i]);
  }
  ComputeStatsFigures(&m, below, above, limits, out);
}

void ClearStatsWindow(StatsWindow *w) {
  w->next = 0;
  w->count = 0;
}

void PushStatsWindow(StatsWindow *w, double valueMm) {
  if (!std::isfinite(valueMm)) return;
  w->values[w->next] = valueMm;
  w->next = (w->next + 1) % STATS_WINDOW_VALUES;
  if (w->count < STATS_WINDOW_VALUES) ++w->count;
}

int StatsWindowValues(const StatsWindow *w, double *out) {
  const int first = (w->next - w->count + STATS_WINDOW_VALUES) % STATS_WINDOW_VALUES;
  for (int i = 0; i < w->count; ++i) out[i] = w->values[(first + i) % STATS_WINDOW_VALUES];
  return w->count;
}

void StatsOfWindow(const StatsWindow *w, const StatsLimits *limits, StatsFigures *out) {
  double values[STATS_WINDOW_VALUES];
  const int n = StatsWindowValues(w, values);
  StatsOfValues(values, static_cast<size_t>(n), limits, out);
}

void StatsLimitsFromSetpoint(uint32_t setpointUm, uint32_t calib, uint16_t tollo, uint16_t tolup,
                             StatsLimits *out) {
  const double setpoint = setpointUm / kMicrometresPerMillimetre;
  const double lowerTol = RoundTo(static_cast<double>(calib) * tollo / kCalibToMillimetres, kLimitDecimals);
  const double upperTol = RoundTo(static_cast<double>(calib) * tolup / kCalibToMillimetres, kLimitDecimals);
  out->hasLower = 1;
  out->hasUpper = 1;
  out->lower = RoundTo(setpoint - lowerTol, kLimitDecimals);
  out->upper = RoundTo(setpoint + upperTol, kLimitDecimals);
}

int ParseStatsLimit(const char *text, int *hasLimit, double *valueMm) {
  size_t begin = 0, end = std::strlen(text);
  while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
  while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
  if (begin == end) {
    *hasLimit = 0;
    *valueMm = 0.0;
    return 1;
  }
  // Digits with at most one decimal mark, after an optional sign; the
  // number read with '.' whatever the locale.
  char number[kLimitTextMax];
  size_t length = 0;
  bool negative = false, mark = false, digits = false;
  size_t i = begin;
  if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
  for (; i < end; ++i) {
    const char c = text[i];
    if (length + 1 >= sizeof number) return 0;
    if (c >= '0' && c <= '9') {
      digits = true;
      number[length++] = c;
    } else if ((c == '.' || c == ',') && !mark) {
      mark = true;
      number[length++] = '.';
    } else {
      return 0;
    }
  }
  if (!digits) return 0;
  double value = 0.0;
  const std::from_chars_result r = std::from_chars(number, number + length, value);
  if (r.ec != std::errc() || r.ptr != number + length || !std::isfinite(value)) return 0;
  *hasLimit = 1;
  *valueMm = RoundTo(negative ? -value : value, kLimitDecimals);
  return 1;
}

void FormatStatsPercent(char *out, size_t size, uint64_t part, uint64_t whole,
                        const char *undefinedText) {
  if (whole == 0 || part > whole) {
    std::snprintf(out, size, "%s", undefinedText);
    return;
  }
  double pct = RoundTo(100.0 * static_cast<double>(part) / static_cast<double>(whole), 2);
  // Rounding must not make a value outside look as if none were, nor the
  // other way round.
  if (part < whole && pct >= 100.0) pct = 99.99;
  if (part > 0 && pct <= 0.0) pct = 0.01;
  FormatFixed(out, size, pct, 2);
}

void FormatStatsLimit(char *out, size_t size, int hasLimit, double valueMm) {
  FormatFigure(out, size, hasLimit, valueMm, kLimitDecimals, "");
}

void FormatStatsTexts(const StatsFigures *f, const StatsLimits *limits, const char *undefinedText,
                      StatsTexts *out) {
  const char *u = undefinedText;
  FormatCount(out->samples, sizeof out->samples, 1, f->samples, u);
  FormatFigure(out->mean, sizeof out->mean, f->hasMean, f->mean, kMeanDecimals, u);
  FormatFigure(out->sd, sizeof out->sd, f->hasSd, f->sd, kMeanDecimals, u);
  FormatFigure(out->min, sizeof out->min, f->hasExtremes, f->min, kExtremeDecimals, u);
  FormatFigure(out->max, sizeof out->max, f->hasExtremes, f->max, kExtremeDecimals, u);
  FormatFigure(out->range, sizeof out->range, f->hasExtremes, f->range, kExtremeDecimals, u);
  FormatStatsLimit(out->lower, sizeof out->lower, limits->hasLower, limits->lower);
  FormatStatsLimit(out->upper, sizeof out->upper, limits->hasUpper, limits->upper);
  if (f->hasWithin)
    FormatStatsPercent(out->within, sizeof out->within, f->within, f->samples, u);
  else
    std::snprintf(out->within, sizeof out->within, "%s", u);
  FormatCount(out->below, sizeof out->below, f->hasBelow, f->below, u);
  FormatCount(out->above, sizeof out->above, f->hasAbove, f->above, u);
  FormatFigure(out->cp, sizeof out->cp, f->hasCp, f->cp, kCapabilityDecimals, u);
  FormatFigure(out->cpk, sizeof out->cpk, f->hasCpk, f->cpk, kCapabilityDecimals, u);
}
