// The two video graphs: a channel's 128 samples in red with its switching
// threshold in dark green on top, and the threshold sliders.
#include "app/controls.h"
#include "app/globals.h"
#include "display/gui.h"
#include "runtime/userint/userint.h"

namespace {

// The names head the curves' columns when the operator saves the graph's data.
void PlotVideoCurve(int graph, const uint16_t *curve, const uint16_t *threshold,
                    const double *x, const char *curveName, const char *thresholdName) {
  SetAxisScalingMode(pHandle, graph, VAL_LEFT_YAXIS, VAL_MANUAL, 0.0, YMAXADC);
  SetAxisScalingMode(pHandle, graph, VAL_RIGHT_YAXIS, VAL_MANUAL, 0.0, YMAXADC);
  DeleteGraphPlot(pHandle, graph, VAL_ALL_PLOTS, VAL_IMMEDIATE_DRAW);
  const int curvePlot = PlotXY(pHandle, graph, x, curve, MAXPOINT, VAL_DOUBLE,
                               VAL_UNSIGNED_SHORT_INTEGER, VAL_CONNECTED_POINTS,
                               VAL_SMALL_SOLID_SQUARE, VAL_SOLID, 1, VAL_RED);
  SetPlotAttribute(pHandle, graph, curvePlot, ATTR_PLOT_LG_TEXT, curveName);
  const int thresholdPlot = PlotXY(pHandle, graph, x, threshold, MAXPOINT, VAL_DOUBLE,
                                   VAL_UNSIGNED_SHORT_INTEGER, VAL_CONNECTED_POINTS,
                                   VAL_SMALL_SOLID_SQUARE, VAL_SOLID, 1, VAL_DK_GREEN);
  SetPlotAttribute(pHandle, graph, thresholdPlot, ATTR_PLOT_LG_TEXT, thresholdName);
}

// Threshold in ADC counts from a percentage of the full scale.
void FillThresholdLine(int panel, int slider, u16 *line) {
  u16 percent = 0;
  GetCtrlVal(panel, slider, &percent);
  const u16 counts = static_cast<u16>(percent * YMAXADC / 100);
  for (int i = 0; i < MAXPOINT; ++i) line[i] = counts;
}

}  // namespace

void PlotVIDEOCurveA(const uint16_t *curve, const uint16_t *threshold, const double *x) {
  PlotVideoCurve(MAIN_VIDEO_A, curve, threshold, x, "video A", "threshold A");
}

void PlotVIDEOCurveB(const uint16_t *curve, const uint16_t *threshold, const double *x) {
  PlotVideoCurve(MAIN_VIDEO_B, curve, threshold, x, "video B", "threshold B");
}

int CC_SLIDEVideoTHD_A(int panel, int control, int event, void *callbackData, int eventData1,
                       int eventData2) {
  (void)callbackData, (void)eventData1, (void)eventData2;
  if (event != EVENT_VAL_CHANGED) return 0;
  FillThresholdLine(panel, control, thdArrayA);
  PlotVIDEOCurveA(adcbufA, thdArrayA, xArray8);
  return 0;
}

int CC_SLIDEVideoTHD_B(int panel, int control, int event, void *callbackData, int eventData1,
                       int eventData2) {
  (void)callbackData, (void)eventData1, (void)eventData2;
  if (event != EVENT_VAL_CHANGED) return 0;
  FillThresholdLine(panel, control, thdArrayB);
  PlotVIDEOCurveB(adcbufB, thdArrayB, xArray8);
  return 0;
}

// The strip chart reads the zoom toggle at every update.
int CC_TOGBTN_Zoom(int panel, int control, int event, void *callbackData, int eventData1,
                   int eventData2) {
  (void)panel, (void)control, (void)event, (void)callbackData, (void)eventData1,
      (void)eventData2;
  return 0;
}
