// What the operator sees of the measurement: video curves, bar graphs with
// their cursors and displays, the strip chart and the tolerance windows.
#ifndef KVOR_DISPLAY_GUI_H
#define KVOR_DISPLAY_GUI_H

#include <cstdint>

void PlotVIDEOCurveA(const uint16_t *curve, const uint16_t *threshold, const double *x);
void PlotVIDEOCurveB(const uint16_t *curve, const uint16_t *threshold, const double *x);
void PlotVIDEOBarGraph(void);
void PlotRAWGraph(void);
void PlotTOLWindow(uint16_t mode, uint16_t refA, uint16_t refB);

// The set-point of the evaluated quantity for a mode, from two channel
// set-points; other modes keep current.
uint16_t SetpointForMode(uint16_t mode, uint16_t setpointA, uint16_t setpointB,
                         uint16_t current);

int CC_SLIDEVideoTHD_A(int panel, int control, int event, void *callbackData, int eventData1,
                       int eventData2);
int CC_SLIDEVideoTHD_B(int panel, int control, int event, void *callbackData, int eventData1,
                       int eventData2);
int CC_TOGBTN_Zoom(int panel, int control, int event, void *callbackData, int eventData1,
                   int eventData2);

// ---- Statistics pop-up ----------------------------------------------------------------
// 1 when the last bar-graph update showed the measured value green.
extern int shownGreen;
// A run or a recording starts: "Since Run" begins afresh, and the limits are
// filled from the set-point and the tolerances with the first value.
void StartSTATS(void);
// One value shown (umValue, and whether it was shown green).
void AddSTATSValue(int32_t umValue, int green);
// The loop has ended: a shown pop-up shows the last figures.
void EndSTATS(void);
int CC_TOGGBTN_Stats(int panel, int control, int event, void *callbackData, int eventData1,
                     int eventData2);
int CC_DropStatsValues(int panel, int control, int event, void *callbackData, int eventData1,
                       int eventData2);
int CC_STRStatsLower(int panel, int control, int event, void *callbackData, int eventData1,
                     int eventData2);
int CC_STRStatsUpper(int panel, int control, int event, void *callbackData, int eventData1,
                     int eventData2);
int CC_STATS(int panel, int event, void *callbackData, int eventData1, int eventData2);

// ---- Array utilities ---------------------------------------------------------------
enum {
  ARRAY_BAD_SIZE = -20003,
  ARRAY_BAD_SHIFT = -20102,
};
int Copy1D(const double *input, int n, double *output);
int Shift(const double *input, int n, int shift, double *output);

#endif
