#include "cli/stats_summary.h"

#include <QJsonValue>

namespace kvorcli {

namespace {

const char kUndefined[] = "\xE2\x80\x93";  // an en dash, as the pop-up shows it
const char *const kKeys[] = {"samples",    "mean_mm", "sd_mm", "min_mm", "max_mm", "lower_mm",
                             "upper_mm",   "within_pct", "below", "above", "cp", "cpk"};

QJsonValue Figure(int defined, double value) { return defined ? QJsonValue(value) : QJsonValue(); }

QJsonValue Count(int defined, uint64_t value) {
  return defined ? QJsonValue(static_cast<double>(value)) : QJsonValue();
}

QString Text(const char *text) { return QString::fromUtf8(text); }

QString LimitText(const char *text) { return text[0] != '\0' ? Text(text) : QStringLiteral("none"); }

}  // namespace

void AddStatsSummary(const StatsFigures &f, const StatsLimits &limits, SensorResult *result) {
  QJsonObject &d = result->data;
  d.insert("samples", static_cast<double>(f.samples));
  d.insert("mean_mm", Figure(f.hasMean, f.mean));
  d.insert("sd_mm", Figure(f.hasSd, f.sd));
  d.insert("min_mm", Figure(f.hasExtremes, f.min));
  d.insert("max_mm", Figure(f.hasExtremes, f.max));
  d.insert("lower_mm", Figure(limits.hasLower, limits.lower));
  d.insert("upper_mm", Figure(limits.hasUpper, limits.upper));
  d.insert("within_pct", Figure(f.hasWithin, f.withinPct));
  d.insert("below", Count(f.hasBelow, f.below));
  d.insert("above", Count(f.hasAbove, f.above));
  d.insert("cp", Figure(f.hasCp, f.cp));
  d.insert("cpk", Figure(f.hasCpk, f.cpk));

  StatsTexts t;
  FormatStatsTexts(&f, &limits, kUndefined, &t);
  result->details << QStringLiteral("mean %1 mm, standard deviation %2 mm").arg(Text(t.mean), Text(t.sd))
                  << QStringLiteral("minimum %1 mm, maximum %2 mm, range %3 mm")
                         .arg(Text(t.min), Text(t.max), Text(t.range))
                  << (limits.hasLower || limits.hasUpper
                          ? QStringLiteral("limits %1 to %2 mm: within %3 %, below %4, above %5")
                                .arg(LimitText(t.lower), LimitText(t.upper), Text(t.within),
                                     Text(t.below), Text(t.above))
                          : QStringLiteral("no limits given"))
                  << QStringLiteral("Cp %1, Cpk %2").arg(Text(t.cp), Text(t.cpk));
}

void AddNoStats(SensorResult *result) {
  for (const char *key : kKeys) result->data.insert(key, QJsonValue());
}

}  // namespace kvorcli
