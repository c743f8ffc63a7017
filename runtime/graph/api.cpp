// The graph and strip-chart operations of the system: arrays of the system's
// numeric types are turned into doubles and handed to the controls.
#include <QVector>

#include <cmath>
#include <cstdint>

#include "runtime/graph/control.h"
#include "runtime/graph/strip_chart.h"
#include "runtime/userint/control_binding.h"
#include "runtime/userint/panel_registry.h"
#include "runtime/userint/text_helpers.h"

using namespace uilayer;

namespace {

// Far above any real curve; refuses a count that is really garbage.
const int kMaxPoints = 10000000;

template <typename T>
void Widen(const void *array, std::int64_t start, std::int64_t stride, int count, QVector<double> *out) {
  const T *values = static_cast<const T *>(array);
  out->resize(count);
  for (int i = 0; i < count; ++i) (*out)[i] = static_cast<double>(values[start + i * stride]);
}

// Elements array[start], array[start + stride], ... as doubles.
bool ReadArray(const void *array, int dataType, std::int64_t start, std::int64_t stride, int count,
               QVector<double> *out) {
  switch (dataType) {
    case VAL_CHAR: Widen<signed char>(array, start, stride, count, out); return true;
    case VAL_INTEGER: Widen<int>(array, start, stride, count, out); return true;
    case VAL_SHORT_INTEGER: Widen<short>(array, start, stride, count, out); return true;
    case VAL_FLOAT: Widen<float>(array, start, stride, count, out); return true;
    case VAL_DOUBLE: Widen<double>(array, start, stride, count, out); return true;
    case VAL_UNSIGNED_SHORT_INTEGER: Widen<unsigned short>(array, start, stride, count, out); return true;
    case VAL_UNSIGNED_INTEGER: Widen<unsigned int>(array, start, stride, count, out); return true;
    default: return false;
  }
}

bool KnownDataType(int dataType) {
  return dataType == VAL_CHAR || dataType == VAL_INTEGER || dataType == VAL_SHORT_INTEGER ||
         dataType == VAL_FLOAT || dataType == VAL_DOUBLE ||
         dataType == VAL_UNSIGNED_SHORT_INTEGER || dataType == VAL_UNSIGNED_INTEGER;
}

template <typename Control>
Control *Lookup(int panel, int control, ControlKind kind, int *error) {
  ControlBinding *binding = FindControl(panel, control, error);
  if (!binding) return nullptr;
  if (binding->kind() != kind) {
    *error = UIE_BAD_TYPE;
    return nullptr;
  }
  return static_cast<Control *>(binding->widget());
}

GraphControl *Graph(int panel, int control, int *error) {
  return Lookup<GraphControl>(panel, control, ControlKind::Graph, error);
}

StripChartControl *StripChart(int panel, int control, int *error) {
  return Lookup<StripChartControl>(panel, control, ControlKind::StripChart, error);
}

}  // namespace

int PlotXY(int panel, int control, const void *xArray, const void *yArray, int numPoints,
           int xDataType, int yDataType, int plotStyle, int pointStyle, int lineStyle,
           int pointFrequency, int color) {
  int error;
  GraphControl *graph = Graph(panel, control, &error);
  if (!graph) return error;
  if (!xArray || !yArray || numPoints < 1 || numPoints > kMaxPoints) return UIE_BAD_VALUE;
  if (!KnownDataType(xDataType) || !KnownDataType(yDataType)) return UIE_BAD_TYPE;
  QVector<double> x, y;
  ReadArray(xArray, xDataType, 0, 1, numPoints, &x);
  ReadArray(yArray, yDataType, 0, 1, numPoints, &y);
  return graph->plotXY(x, y, plotStyle, pointStyle, lineStyle, pointFrequency, color);
}

int PlotRectangle(int panel, int control, double x1, double y1, double x2, double y2, int color,
                  int fillColor) {
  int error;
  GraphControl *graph = Graph(panel, control, &error);
  if (!graph) return error;
  return graph->plotRectangle(x1, y1, x2, y2, color, fillColor);
}

int DeleteGraphPlot(int panel, int control, int plotHandle, int refresh) {
  int error;
  GraphControl *graph = Graph(panel, control, &error);
  if (!graph) return error;
  return graph->deletePlot(plotHandle, refresh);
}

int SetAxisScalingMode(int panel, int control, int axis, int mode, double min, double max) {
  int error;
  ControlBinding *binding = FindControl(panel, control, &error);
  if (!binding) return error;
  if (binding->kind() == ControlKind::Graph)
    return static_cast<GraphControl *>(binding->widget())->setAxisScaling(axis, mode, min, max);
  if (binding->kind() == ControlKind::StripChart) {
    // The strip chart's x axis is its points per screen.
    if (axis != VAL_LEFT_YAXIS) return UIE_BAD_VALUE;
    return static_cast<StripChartControl *>(binding->widget())->setValueAxis(mode, min, max);
  }
  return UIE_BAD_TYPE;
}

int SetGraphCursor(int panel, int control, int cursorNumber, double x, double y) {
  int error;
  GraphControl *graph = Graph(panel, control, &error);
  if (!graph) return error;
  return graph->setCursor(cursorNumber, x, y);
}

int SetCursorAttribute(int panel, int control, int cursorNumber, int attribute, int value) {
  int error;
  GraphControl *graph = Graph(panel, control, &error);
  if (!graph) return error;
  if (attribute != ATTR_CURSOR_POINT_STYLE) return UIE_BAD_ATTRIBUTE;
  return graph->setCursorPointStyle(cursorNumber, value);
}

int PlotStripChart(int panel, int control, const void *array, int numPoints, int start, int skip,
                   int dataType) {
  int error;
  StripChartControl *chart = StripChart(panel, control, &error);
  if (!chart) return error;
  if (!array || numPoints < 1 || numPoints > kMaxPoints || start < 0 || skip < 0)
    return UIE_BAD_VALUE;
  if (!KnownDataType(dataType)) return UIE_BAD_TYPE;
  if (numPoints % chart->numTraces() != 0) return UIE_BAD_VALUE;
  QVector<double> values;
  ReadArray(array, dataType, start, static_cast<std::int64_t>(skip) + 1, numPoints, &values);
  return chart->appendValues(values);
}

int ClearStripChart(int panel, int control) {
  int error;
  StripChartControl *chart = StripChart(panel, control, &error);
  if (!chart) return error;
  chart->clear();
  return UIE_NO_ERROR;
}

int SetTraceAttribute(int panel, int control, int trace, int attribute, int value) {
  int error;
  StripChartControl *chart = StripChart(panel, control, &error);
  if (!chart) return error;
  switch (attribute) {
    case ATTR_TRACE_COLOR: return chart->setTraceColor(trace, value);
    case ATTR_TRACE_REFERENCE: return chart->setTraceReference(trace, value != 0);
    default: return UIE_BAD_ATTRIBUTE;
  }
}

int SetTraceAttribute(int panel, int control, int trace, int attribute, const char *value) {
  int error;
  StripChartControl *chart = StripChart(panel, control, &error);
  if (!chart) return error;
  if (attribute != ATTR_TRACE_LG_TEXT) return UIE_BAD_ATTRIBUTE;
  if (!value) return UIE_BAD_VALUE;
  return chart->setTraceName(trace, DecodeText(value));
}

int SetPlotAttribute(int panel, int control, int plotHandle, int attribute, const char *value) {
  int error;
  GraphControl *graph = Graph(panel, control, &error);
  if (!graph) return error;
  if (attribute != ATTR_PLOT_LG_TEXT) return UIE_BAD_ATTRIBUTE;
  if (!value) return UIE_BAD_VALUE;
  return graph->setPlotName(plotHandle, DecodeText(value));
}

int SetGraphReading(int panel, int control, const char *name, double value) {
  int error;
  GraphControl *graph = Graph(panel, control, &error);
  if (!graph) return error;
  if (!name || !name[0] || !std::isfinite(value)) return UIE_BAD_VALUE;
  graph->setReading(DecodeText(name), value);
  return UIE_NO_ERROR;
}

int ClearGraphReadings(int panel, int control) {
  int error;
  GraphControl *graph = Graph(panel, control, &error);
  if (!graph) return error;
  graph->clearReadings();
  return UIE_NO_ERROR;
}
