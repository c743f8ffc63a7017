#include "runtime/graph/control.h"

#include <QVariant>

#include <algorithm>
#include <cmath>

#include "runtime/graph/redraw_pacer.h"
#include "runtime/graph/save_menu.h"
#include "runtime/userint/colors.h"
#include "runtime/userint/userint.h"

namespace uilayer {
namespace {

const char kCursorLayer[] = "cursors";
const int kMarkerHalfSize = 6;

bool ReadDoubleProperty(const QObject *object, const char *name, double *value) {
  QVariant v = object->property(name);
  if (!v.isValid()) return true;  // not given: keep the default
  bool ok = false;
  double d = v.toDouble(&ok);
  if (!ok || !std::isfinite(d)) return false;
  *value = d;
  return true;
}

Qt::PenStyle PenStyleOf(int lineStyle) {
  switch (lineStyle) {
    case 1: return Qt::DashLine;
    case 2: return Qt::DotLine;
    case 3: return Qt::DashDotLine;
    case 4: return Qt::DashDotDotLine;
    default: return Qt::SolidLine;
  }
}

QCPScatterStyle ScatterOf(int pointStyle, const QColor &color) {
  switch (pointStyle) {
    case VAL_NO_POINT: return QCPScatterStyle(QCPScatterStyle::ssNone);
    case VAL_SMALL_SOLID_SQUARE: return QCPScatterStyle(QCPScatterStyle::ssSquare, color, color, 3);
    default: return QCPScatterStyle(QCPScatterStyle::ssDisc, color, color, 5);
  }
}

bool RangeIsUsable(double min, double max) {
  return std::isfinite(min) && std::isfinite(max) && min < max;
}

}  // namespace

CursorMarkerItem::CursorMarkerItem(QCustomPlot *plot)
    : QCPAbstractItem(plot), position(createPosition(QStringLiteral("position"))) {
  // The marker sits on the cursor's line, which may be at the very edge.
  setClipToAxisRect(false);
}

void CursorMarkerItem::draw(QCPPainter *painter) {
  QPointF c = position->pixelPosition();
  const double h = kMarkerHalfSize;
  QPolygonF diamond;
  diamond << QPointF(c.x(), c.y() - h) << QPointF(c.x() + h, c.y()) << QPointF(c.x(), c.y() + h)
          << QPointF(c.x() - h, c.y());
  painter->setPen(QPen(Qt::white, 1.5));
  painter->setBrush(QColor(0, 0, 160));
  painter->drawPolygon(diamond);
}

GraphControl::GraphControl(QWidget *parent)
    : QCustomPlot(parent), pacer_(new RedrawPacer(this, [this] { draw(); })) {
  InstallSaveMenu(this);
  addLayer(QLatin1String(kCursorLayer), layer(QStringLiteral("main")), QCustomPlot::limAbove);
  xAxis->setRange(0, 100);
  yAxis->setRange(0, 100);
  yAxis2->setRange(0, 100);
  setNoAntialiasingOnDrag(true);
  // One paint buffer instead of two: nothing is drawn on the overlay, and
  // each buffer is cleared and blended on every redraw.
  layer(QStringLiteral("overlay"))->setMode(QCPLayer::lmLogical);
  // The plot fills its whole rectangle: the panel behind need not be drawn.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

int GraphControl::redraws() const { return pacer_->draws(); }

bool GraphControl::configureFromProperties() {
  double xMin = xAxis->range().lower, xMax = xAxis->range().upper;
  double yMin = yAxis->range().lower, yMax = yAxis->range().upper;
  if (!ReadDoubleProperty(this, "xMin", &xMin) || !ReadDoubleProperty(this, "xMax", &xMax) ||
      !ReadDoubleProperty(this, "yMin", &yMin) || !ReadDoubleProperty(this, "yMax", &yMax))
    return false;
  if (!RangeIsUsable(xMin, xMax) || !RangeIsUsable(yMin, yMax)) return false;
  xAxis->setRange(xMin, xMax);
  yAxis->setRange(yMin, yMax);
  yAxis2->setRange(yMin, yMax);

  int cursorCount = 0;
  QVariant cursors = property("cursors");
  if (cursors.isValid()) {
    bool ok = false;
    cursorCount = cursors.toInt(&ok);
    if (!ok || cursorCount < 0 || cursorCount > kMaxCursors) return false;
  }
  for (int i = 0; i < cursorCount; ++i) {
    GraphCursorRecord cursor;
    cursor.pointStyle = VAL_CURSOR_MARKER;
    cursor.line = new QCPItemStraightLine(this);
    cursor.line->setLayer(QLatin1String(kCursorLayer));
    cursor.line->setPen(QPen(QColor(40, 40, 40), 1));
    cursor.marker = new CursorMarkerItem(this);
    cursor.marker->setLayer(QLatin1String(kCursorLayer));
    cursors_.append(cursor);
    setCursor(i + 1, 0, 0);
  }

  dataX_ = property("dataX").toString();

  QVariant showY = property("showYAxis");
  if (showY.isValid()) yAxis->setVisible(showY.toBool());

  // A title names what the graph shows, above its plot area, so it comes and
  // goes with the graph.
  const QString title = property("title").toString();
  if (!title.isEmpty()) {
    plotLayout()->insertRow(0);
    QFont bold = font();
    bold.setBold(true);
    title_ = new QCPTextElement(this, title, bold);
    title_->setTextFlags(Qt::AlignLeft | Qt::AlignVCenter);
    title_->setMargins(QMargins(6, 2, 6, 0));
    plotLayout()->addElement(0, 0, title_);
  }
  pacer_->request();
  return true;
}

int GraphControl::plotXY(const QVector<double> &x, const QVector<double> &y, int plotStyle,
                         int pointStyle, int lineStyle, int pointFrequency, int color) {
  if (x.size() != y.size() || x.isEmpty() || pointFrequency < 1) return UIE_BAD_VALUE;
  GraphPlotRecord record;
  record.handle = nextHandle_++;
  record.x = x;
  record.y = y;
  record.color = color & 0xFFFFFF;
  record.plotStyle = plotStyle;
  record.pointStyle = pointStyle;
  record.lineStyle = lineStyle;
  record.pointFrequency = pointFrequency;

  QColor qcolor = ToQColor(record.color);
  if (plotStyle == VAL_VERTICAL_BAR) {
    // A histogram's bins: each bar as wide as the step between x values.
    if (x.size() < 2) return UIE_BAD_VALUE;
    auto *bars = new QCPBars(xAxis, yAxis);
    bars->setWidth(std::fabs(x[1] - x[0]));
    bars->setPen(QPen(qcolor.darker(160), 1));
    bars->setBrush(qcolor);
    bars->setData(x, y);
    record.plottable = bars;
    plots_.append(record);
    pacer_->request();
    return record.handle;
  }
  // A curve rather than a graph: x values need not be sorted.
  auto *curve = new QCPCurve(xAxis, yAxis);
  curve->setPen(QPen(qcolor, 1, PenStyleOf(lineStyle)));
  curve->setLineStyle(QCPCurve::lsLine);
  curve->setScatterStyle(plotStyle == VAL_CONNECTED_POINTS ? ScatterOf(pointStyle, qcolor)
                                                           : QCPScatterStyle(QCPScatterStyle::ssNone));
  curve->setScatterSkip(pointFrequency - 1);
  QVector<double> order(x.size());
  for (int i = 0; i < x.size(); ++i) order[i] = i;
  curve->setData(order, x, y, true);
  record.plottable = curve;
  plots_.append(record);
  pacer_->request();
  return record.handle;
}

int GraphControl::plotRectangle(double x1, double y1, double x2, double y2, int color,
                                int fillColor) {
  if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2))
    return UIE_BAD_VALUE;
  GraphPlotRecord record;
  record.handle = nextHandle_++;
  record.isRectangle = true;
  record.x1 = x1;
  record.y1 = y1;
  record.x2 = x2;
  record.y2 = y2;
  record.color = color & 0xFFFFFF;
  record.fillColor = fillColor & 0xFFFFFF;
  auto *rect = new QCPItemRect(this);
  rect->setLayer(QStringLiteral("main"));
  rect->topLeft->setCoords(std::min(x1, x2), std::max(y1, y2));
  rect->bottomRight->setCoords(std::max(x1, x2), std::min(y1, y2));
  rect->setPen(QPen(ToQColor(record.color)));
  rect->setBrush(QBrush(ToQColor(record.fillColor)));
  record.rect = rect;
  plots_.append(record);
  pacer_->request();
  return record.handle;
}

void GraphControl::removeRecord(const GraphPlotRecord &record) {
  if (record.plottable) removePlottable(record.plottable);
  if (record.rect) removeItem(record.rect);
}

int GraphControl::deletePlot(int handle, int refresh) {
  if (refresh != VAL_IMMEDIATE_DRAW && refresh != VAL_DELAYED_DRAW && refresh != VAL_NO_DRAW)
    return UIE_BAD_VALUE;
  if (handle == VAL_ALL_PLOTS) {
    for (const GraphPlotRecord &record : plots_) removeRecord(record);
    plots_.clear();
    readings_.clear();
  } else {
    auto it = std::find_if(plots_.begin(), plots_.end(),
                           [handle](const GraphPlotRecord &r) { return r.handle == handle; });
    if (it == plots_.end()) return UIE_BAD_PLOT;
    removeRecord(*it);
    plots_.erase(it);
  }
  if (refresh == VAL_IMMEDIATE_DRAW) pacer_->drawNow();
  else if (refresh == VAL_DELAYED_DRAW) pacer_->request();
  return UIE_NO_ERROR;
}

QCPAxis *GraphControl::axisFor(int axis) const {
  switch (axis) {
    case VAL_BOTTOM_XAXIS: return xAxis;
    case VAL_LEFT_YAXIS: return yAxis;
    case VAL_RIGHT_YAXIS: return yAxis2;
    default: return nullptr;
  }
}

int *GraphControl::modeFor(int axis) {
  switch (axis) {
    case VAL_BOTTOM_XAXIS: return &xMode_;
    case VAL_LEFT_YAXIS: return &yMode_;
    case VAL_RIGHT_YAXIS: return &y2Mode_;
    default: return nullptr;
  }
}

int GraphControl::setAxisScaling(int axis, int mode, double min, double max) {
  QCPAxis *target = axisFor(axis);
  if (!target) return UIE_BAD_VALUE;
  if (mode == VAL_MANUAL) {
    if (!RangeIsUsable(min, max)) return UIE_BAD_VALUE;
    target->setRange(min, max);
  } else if (mode != VAL_AUTOSCALE) {
    return UIE_BAD_VALUE;
  }
  *modeFor(axis) = mode;
  pacer_->request();
  return UIE_NO_ERROR;
}

int GraphControl::setCursor(int cursor, double x, double y) {
  if (cursor < 1 || cursor > cursors_.size()) return UIE_BAD_VALUE;
  if (!std::isfinite(x) || !std::isfinite(y)) return UIE_BAD_VALUE;
  GraphCursorRecord &c = cursors_[cursor - 1];
  c.x = x;
  c.y = y;
  c.line->point1->setCoords(x, 0);
  c.line->point2->setCoords(x, 1);
  c.marker->position->setCoords(x, y);
  c.marker->setVisible(c.pointStyle != VAL_NO_POINT);
  pacer_->request();
  return UIE_NO_ERROR;
}

int GraphControl::setCursorPointStyle(int cursor, int style) {
  if (cursor < 1 || cursor > cursors_.size()) return UIE_BAD_VALUE;
  GraphCursorRecord &c = cursors_[cursor - 1];
  c.pointStyle = style;
  c.marker->setVisible(style != VAL_NO_POINT);
  pacer_->request();
  return UIE_NO_ERROR;
}

int GraphControl::setPlotName(int handle, const QString &name) {
  for (GraphPlotRecord &record : plots_) {
    if (record.handle != handle) continue;
    record.name = name;
    return UIE_NO_ERROR;
  }
  return UIE_BAD_PLOT;
}

void GraphControl::setReading(const QString &name, double value) {
  for (auto &reading : readings_) {
    if (reading.first != name) continue;
    reading.second = value;
    return;
  }
  readings_.append({name, value});
}

bool GraphControl::cursorRecord(int cursor, GraphCursorRecord *out) const {
  if (cursor < 1 || cursor > cursors_.size()) return false;
  *out = cursors_[cursor - 1];
  return true;
}

bool GraphControl::axisRecord(int axis, GraphAxisRecord *out) {
  QCPAxis *target = axisFor(axis);
  if (!target) return false;
  applyAutoscale();
  out->mode = *modeFor(axis);
  out->min = target->range().lower;
  out->max = target->range().upper;
  return true;
}

void GraphControl::applyAutoscale() {
  // Autoscaled axes follow the curves; rectangles and cursors do not widen them.
  const struct {
    QCPAxis *axis;
    int mode;
  } axes[] = {{xAxis, xMode_}, {yAxis, yMode_}, {yAxis2, y2Mode_}};
  for (const auto &a : axes) {
    // Curves are plotted against the left axis; the right one has no data.
    if (a.mode != VAL_AUTOSCALE || a.axis == yAxis2) continue;
    bool found = false;
    QCPRange range;
    for (const GraphPlotRecord &record : plots_) {
      if (!record.plottable) continue;
      bool foundHere = false;
      QCPRange r = a.axis == xAxis ? record.plottable->getKeyRange(foundHere)
                                   : record.plottable->getValueRange(foundHere);
      if (!foundHere) continue;
      if (!found) range = r;
      else range.expand(r);
      found = true;
    }
    if (!found) continue;
    if (range.lower == range.upper) {
      range.lower -= 0.5;
      range.upper += 0.5;
    }
    a.axis->setRange(range);
  }
}

void GraphControl::draw() {
  applyAutoscale();
  replot(QCustomPlot::rpQueuedRefresh);
}

void GraphControl::flushRedraw() {
  draw();  // also when hidden: a screenshot may be taken of a hidden panel
}

void GraphControl::showEvent(QShowEvent *event) {
  QCustomPlot::showEvent(event);
  pacer_->shown();
}

}  // namespace uilayer
