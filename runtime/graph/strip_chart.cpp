#include "runtime/graph/strip_chart.h"

#include <QVariant>

#include <cmath>

#include "runtime/graph/redraw_pacer.h"
#include "runtime/graph/save_menu.h"
#include "runtime/userint/colors.h"
#include "runtime/userint/userint.h"

namespace uilayer {
namespace {

// Distinct colours for traces the system has not coloured itself.
const int kDefaultTraceColors[] = {0xFF0000, 0x008000, 0x0000FF, 0x000000, 0xFF8000,
                                   0x800080, 0x008080, 0x808000};

bool ReadIntProperty(const QObject *object, const char *name, int *value) {
  QVariant v = object->property(name);
  if (!v.isValid()) return true;
  bool ok = false;
  int i = v.toInt(&ok);
  if (!ok) return false;
  *value = i;
  return true;
}

bool ReadDoubleProperty(const QObject *object, const char *name, double *value) {
  QVariant v = object->property(name);
  if (!v.isValid()) return true;
  bool ok = false;
  double d = v.toDouble(&ok);
  if (!ok || !std::isfinite(d)) return false;
  *value = d;
  return true;
}

}  // namespace

StripChartControl::StripChartControl(QWidget *parent)
    : QCustomPlot(parent), pacer_(new RedrawPacer(this, [this] { draw(); })) {
  InstallSaveMenu(this);
  yAxis->setRange(0, 100);
  setNumTraces(1);
  setPointsPerScreen(100);
  // One paint buffer instead of two: nothing is drawn on the overlay, and
  // each buffer is cleared and blended on every redraw.
  layer(QStringLiteral("overlay"))->setMode(QCPLayer::lmLogical);
  // The plot fills its whole rectangle: the panel behind need not be drawn.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

int StripChartControl::redraws() const { return pacer_->draws(); }

bool StripChartControl::configureFromProperties() {
  int traces = numTraces(), points = pointsPerScreen_;
  double yMin = yAxis->range().lower, yMax = yAxis->range().upper;
  if (!ReadIntProperty(this, "numTraces", &traces) ||
      !ReadIntProperty(this, "pointsPerScreen", &points) ||
      !ReadDoubleProperty(this, "yMin", &yMin) || !ReadDoubleProperty(this, "yMax", &yMax))
    return false;
  if (!(yMin < yMax)) return false;
  if (setNumTraces(traces) != UIE_NO_ERROR || setPointsPerScreen(points) != UIE_NO_ERROR)
    return false;
  yAxis->setRange(yMin, yMax);
  return true;
}

int StripChartControl::setNumTraces(int count) {
  if (count < 1 || count > kMaxTraces) return UIE_BAD_VALUE;
  while (numTraces() > count) {
    removeGraph(traces_.back().graph);
    traces_.pop_back();
  }
  while (numTraces() < count) {
    Trace trace;
    trace.color = kDefaultTraceColors[traces_.size() % (sizeof kDefaultTraceColors / sizeof(int))];
    trace.graph = addGraph(xAxis, yAxis);
    traces_.push_back(trace);
    applyPen(traces_.back());
  }
  pacer_->request();
  return UIE_NO_ERROR;
}

int StripChartControl::setPointsPerScreen(int count) {
  if (count < 2 || count > kMaxPointsPerScreen) return UIE_BAD_VALUE;
  if (count == pointsPerScreen_ && xAxis->range().upper == count - 1) return UIE_NO_ERROR;
  pointsPerScreen_ = count;
  xAxis->setRange(0, count - 1);
  for (Trace &trace : traces_) {
    while (static_cast<int>(trace.values.size()) > count) trace.values.pop_front();
    refreshTraceData(trace);
  }
  pacer_->request();
  return UIE_NO_ERROR;
}

int StripChartControl::appendValues(const QVector<double> &values) {
  const int traces = numTraces();
  if (values.size() % traces != 0) return UIE_BAD_VALUE;
  for (int k = 0; k < values.size(); ++k) {
    std::deque<double> &held = traces_[k % traces].values;
    held.push_back(values[k]);
    if (static_cast<int>(held.size()) > pointsPerScreen_) held.pop_front();
  }
  for (Trace &trace : traces_) refreshTraceData(trace);
  pacer_->request();
  return UIE_NO_ERROR;
}

void StripChartControl::clear() {
  for (Trace &trace : traces_) {
    trace.values.clear();
    refreshTraceData(trace);
  }
  pacer_->request();
}

void StripChartControl::refreshTraceData(Trace &trace) {
  const int count = static_cast<int>(trace.values.size());
  QVector<double> keys(count), values(count);
  const int firstX = pointsPerScreen_ - count;  // the newest point is at the right edge
  for (int i = 0; i < count; ++i) {
    keys[i] = firstX + i;
    values[i] = trace.values[i];
  }
  trace.graph->setData(keys, values, true);
}

void StripChartControl::applyPen(Trace &trace) {
  QPen pen(ToQColor(trace.color), 1, trace.reference ? Qt::DashLine : Qt::SolidLine);
  trace.graph->setPen(pen);
}

int StripChartControl::setTraceColor(int trace, int rgb) {
  if (!validTrace(trace)) return UIE_BAD_VALUE;
  Trace &t = traces_[trace - 1];
  t.color = rgb & 0xFFFFFF;
  applyPen(t);
  pacer_->request();
  return UIE_NO_ERROR;
}

int StripChartControl::setTraceReference(int trace, bool reference) {
  if (!validTrace(trace)) return UIE_BAD_VALUE;
  Trace &t = traces_[trace - 1];
  t.reference = reference;
  applyPen(t);
  pacer_->request();
  return UIE_NO_ERROR;
}

int StripChartControl::setTraceName(int trace, const QString &name) {
  if (!validTrace(trace)) return UIE_BAD_VALUE;
  traces_[trace - 1].name = name;
  return UIE_NO_ERROR;
}

QString StripChartControl::traceName(int trace) const {
  return validTrace(trace) ? traces_[trace - 1].name : QString();
}

int StripChartControl::traceColor(int trace) const {
  return validTrace(trace) ? traces_[trace - 1].color : UIE_BAD_VALUE;
}

bool StripChartControl::traceReference(int trace) const {
  return validTrace(trace) && traces_[trace - 1].reference;
}

QVector<double> StripChartControl::traceValues(int trace) const {
  QVector<double> out;
  if (!validTrace(trace)) return out;
  const std::deque<double> &held = traces_[trace - 1].values;
  out.reserve(static_cast<int>(held.size()));
  for (double v : held) out.append(v);
  return out;
}

int StripChartControl::setValueAxis(int mode, double min, double max) {
  if (mode == VAL_MANUAL) {
    if (!std::isfinite(min) || !std::isfinite(max) || !(min < max)) return UIE_BAD_VALUE;
    yAxis->setRange(min, max);
  } else if (mode != VAL_AUTOSCALE) {
    return UIE_BAD_VALUE;
  }
  valueAxisMode_ = mode;
  pacer_->request();
  return UIE_NO_ERROR;
}

GraphAxisRecord StripChartControl::valueAxis() {
  applyAutoscale();
  GraphAxisRecord record;
  record.mode = valueAxisMode_;
  record.min = yAxis->range().lower;
  record.max = yAxis->range().upper;
  return record;
}

void StripChartControl::applyAutoscale() {
  if (valueAxisMode_ != VAL_AUTOSCALE) return;
  bool found = false;
  QCPRange range;
  for (const Trace &trace : traces_) {
    bool foundHere = false;
    QCPRange r = trace.graph->getValueRange(foundHere);
    if (!foundHere) continue;
    if (!found) range = r;
    else range.expand(r);
    found = true;
  }
  if (!found) return;
  if (range.lower == range.upper) {
    range.lower -= 0.5;
    range.upper += 0.5;
  }
  yAxis->setRange(range);
}

void StripChartControl::draw() {
  applyAutoscale();
  replot(QCustomPlot::rpQueuedRefresh);
}

void StripChartControl::flushRedraw() {
  draw();  // also when hidden: a screenshot may be taken of a hidden panel
}

void StripChartControl::showEvent(QShowEvent *event) {
  QCustomPlot::showEvent(event);
  pacer_->shown();
}

}  // namespace uilayer
