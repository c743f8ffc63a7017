// The two video graphs: a channel's 128 samples in red with its switching
// threshold in dark green on top, and the threshold sliders.
#include "app/controls.h"
#include "app/globals.h"
#include "display/gui.h"
#include "runtime/userint/userint.h"

namespace {

void PlotVideoCurve(int graph, const uint16_t *curve, const uint16_t *threshold,
                    const double *x) {
  SetAxisScalingMode(pHandle, graph, VAL_LEFT_YAXIS, VAL_MANUAL, 0.0, YMAXADC);
  SetAxisScalingMode(pHandle, graph, VAL_RIGHT_YAXIS, VAL_MANUAL, 0.0, YMAXADC);
  DeleteGraphPlot(pHandle, graph, VAL_ALL_PLOTS, VAL_IMMEDIATE_DRAW);
  PlotXY(pHandle, graph, x, curve, MAXPOINT, VAL_DOUBLE, VAL_UNSIGNED_SHORT_INTEGER,
         VAL_CONNECTED_POINTS, VAL_SMALL_SOLID_SQUARE, VAL_SOLID, 1, VAL_RED);
  PlotXY(pHandle, graph, x, threshold, MAXPOINT, VAL_DOUBLE, VAL_UNSIGNED_SHORT_INTEGER,
         VAL_CONNECTED_POINTS, VAL_SMALL_SOLID_SQUARE, VAL_SOLID, 1, VAL_DK_GREEN);
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
  PlotVideoCurve(MAIN_VIDEO_A, curve, threshold, x);
}

void PlotVIDEOCurveB(const uint16_t *curve, const uint16_t *threshold, const double *x) {
  PlotVideoCurve(MAIN_VIDEO_B, curve, threshold, x);
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
