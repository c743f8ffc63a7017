// The strip chart of the last 100 measurement cycles: upper and lower
// tolerance line, set-point, measured value and a selectable fifth value.
#include <algorithm>

#include "app/controls.h"
#include "app/globals.h"
#include "display/gui.h"
#include "runtime/userint/userint.h"

namespace {

enum {
  TRACES = 5,
  HISTORY_POINTS = STRIP_HISTORY_SIZE / TRACES,
  POINTS_PER_SCREEN = 101,
  NARROW_TOLERANCE = 20,    // below this the zoom uses a fixed band
  NARROW_MARGIN = 20,       // half width of that band
  NARROW_OUTLIER_MARGIN = 40,
  WIDE_OUTLIER_MARGIN = 100,
};
const int kTraceColours[TRACES] = {VAL_DK_GREEN, VAL_DK_GREEN, VAL_BLACK, VAL_RED, VAL_RED};
// The traces' names head their columns when the operator saves the chart's data.
const char *const kTraceNames[TRACES - 1] = {"upper tolerance", "lower tolerance", "set-point",
                                             "measured value"};

const char *FifthTraceName(void) {
  switch (parameter.c11) {
    case 1:
    case 3: return "fifth: analog maximum";
    case 2:
    case 4: return "fifth: analog minimum";
    default: return "fifth: measured value";
  }
}

double FifthTraceValue(void) {
  switch (parameter.c11) {
    case 1:
    case 3: return anaMax;
    case 2:
    case 4: return anaMin == yaxisMAX - 1 ? 1 : anaMin;
    default: return Mvalue;  // 0, and any selection the panel cannot offer
  }
}

struct ZoomRange {
  int bottom, top;
};

ZoomRange ComputeZoom(int setpoint) {
  ZoomRange z;
  const int measured = Mvalue;
  if (tollo < NARROW_TOLERANCE || tolup < NARROW_TOLERANCE) {
    z.bottom = setpoint - NARROW_MARGIN;
    z.top = setpoint + NARROW_MARGIN;
    if (measured > z.top) z.top = measured + NARROW_OUTLIER_MARGIN;
    if (measured < z.bottom) z.bottom = measured - NARROW_OUTLIER_MARGIN;
  } else {
    z.bottom = setpoint - 2 * tollo;
    z.top = setpoint + 2 * tolup;
    if (measured > z.top) z.top = measured + WIDE_OUTLIER_MARGIN;
    if (measured < z.bottom) z.bottom = measured - WIDE_OUTLIER_MARGIN;
  }
  z.top = std::min(z.top, yaxisMAX - 1);
  z.bottom = std::max(z.bottom, 1);
  return z;
}

void SetUpChart(void) {
  for (int trace = 1; trace <= 3; ++trace)
    SetTraceAttribute(pHandle, MAIN_STRIPCHART, trace, ATTR_TRACE_REFERENCE, 1);
  SetCtrlAttribute(pHandle, MAIN_STRIPCHART, ATTR_POINTS_PER_SCREEN, POINTS_PER_SCREEN);
  SetCtrlAttribute(pHandle, MAIN_STRIPCHART, ATTR_SMOOTH_UPDATE, 1);
}

}  // namespace

void PlotRAWGraph(void) {
  const double fifth = FifthTraceValue();
  tVal = SetpointForMode(parameter.evalMode, tValA, tValB, tVal);
  if (parameter.evalMode == 2) {
    if (parameter.tolUpper == 0) parameter.tolUpper = 1;
    if (parameter.tolLower == 0) parameter.tolLower = 1;
  }
  Shift(arrayNORM, STRIP_HISTORY_SIZE, -TRACES, arrayNORM);

  const int setpoint = tVal;
  const int upperLine = std::min(setpoint + tolup, yaxisMAX - 1);
  const int lowerLine = std::max(setpoint - tollo, 1);
  const ZoomRange zoom = ComputeZoom(setpoint);

  double *newest = arrayNORM + STRIP_HISTORY_SIZE - TRACES;
  newest[0] = upperLine;
  newest[1] = lowerLine;
  newest[2] = setpoint;
  newest[3] = Mvalue;
  newest[4] = fifth;

  SetUpChart();
  int zoomed = 0;
  GetCtrlVal(pHandle, MAIN_TOGBTN_ZOOM, &zoomed);
  if (zoomed)
    SetAxisScalingMode(pHandle, MAIN_STRIPCHART, VAL_LEFT_YAXIS, VAL_MANUAL, zoom.bottom,
                       zoom.top);
  else
    SetAxisScalingMode(pHandle, MAIN_STRIPCHART, VAL_LEFT_YAXIS, VAL_MANUAL, 0.0, yaxisMAX);
  for (int trace = 0; trace < TRACES; ++trace) {
    SetTraceAttribute(pHandle, MAIN_STRIPCHART, trace + 1, ATTR_TRACE_COLOR,
                      kTraceColours[trace]);
    SetTraceAttribute(pHandle, MAIN_STRIPCHART, trace + 1, ATTR_TRACE_LG_TEXT,
                      trace < TRACES - 1 ? kTraceNames[trace] : FifthTraceName());
  }

  // The chart shows exactly the history: 100 points per trace, oldest first.
  ClearStripChart(pHandle, MAIN_STRIPCHART);
  PlotStripChart(pHandle, MAIN_STRIPCHART, arrayNORM, HISTORY_POINTS * TRACES, 0, 0,
                 VAL_DOUBLE);
}
