// One measurement on the main panel: the numeric displays, the tolerance
// colour of the measured value, and the two bar graphs with their cursors.
#include "app/controls.h"
#include "app/globals.h"
#include "display/centred_value.h"
#include "display/gui.h"
#include "runtime/userint/userint.h"

namespace {

const double kCursorY = 0.75;
const double kBarBottom = 0.25, kBarTop = 1.0;
const double kMicrometresPerMillimetre = 1000.0;
const double kCalibToMillimetres = 16384000.0;  // calib scale times micrometres per mm

uint16_t ClampCursor(uint16_t position) {
  if (position < 1) return 1;
  if (position > ccdvirtpixel) return ccdvirtpixel;
  return position;
}

void ShowNumbers(void) {
  SetCtrlVal(pHandle, MAIN_EDGE_B, static_cast<int>(Bval));
  SetCtrlVal(pHandle, MAIN_EDGE_A, static_cast<int>(Aval));
  // Mode 4 shows the signed deviation from the centre of the line.
  const int shown = parameter.evalMode == 4 ? static_cast<int>(Mvalue) - ccdvirtpixel
                                            : static_cast<int>(Mvalue);
  SetCtrlVal(pHandle, MAIN_VALUE_VPX, shown);
  SetCtrlVal(pHandle, MAIN_NEDITEACHA, static_cast<int>(parameter.teachA));
  SetCtrlVal(pHandle, MAIN_NEDITEACHB, static_cast<int>(parameter.teachB));
  SetCtrlVal(pHandle, MAIN_ANA_MAX, static_cast<int>(anaMax));
  SetCtrlVal(pHandle, MAIN_ANA_MIN, static_cast<int>(anaMin));
}

// Both limits belong to the window. They are computed as signed numbers so a
// lower tolerance larger than the set-point does not wrap round and turn
// every value red.
void ShowToleranceColour(void) {
  const int upper = static_cast<int>(tVal) + tolup;
  const int lower = static_cast<int>(tVal) - tollo;
  const bool outside = Mvalue > upper || Mvalue < lower;
  shownGreen = outside ? 0 : 1;
  SetCtrlAttribute(pHandle, MAIN_VALUE_MM, ATTR_TEXT_BGCOLOR, outside ? VAL_RED : VAL_DK_GREEN);
}

void ShowMillimetres(void) {
  SetCtrlVal(pHandle, MAIN_VALUE_MM, umValue / kMicrometresPerMillimetre);
  const double calib = static_cast<double>(parameter.calib);
  SetCtrlVal(pHandle, MAIN_TOL_UPPER_MM, calib * tolup / kCalibToMillimetres);
  SetCtrlVal(pHandle, MAIN_TOL_LOWER_MM, calib * tollo / kCalibToMillimetres);
}

void DrawBar(int graph, uint16_t edges, uint16_t position) {
  if (edges == 0) return;
  PlotRectangle(pHandle, graph, position, kBarBottom, ccdvirtpixel, kBarTop, VAL_RED, VAL_RED);
}

// Centred modes: graph A shows deviations above the centre, graph B those
// below it, both measured from the left end of the axis.
void PlaceCentredMarker(void) {
  if (Mvalue > ccdvirtpixel) {
    SetCursorAttribute(pHandle, MAIN_BAR_B, CURSOR_MEASURED, ATTR_CURSOR_POINT_STYLE,
                       VAL_NO_POINT);
    SetCursorAttribute(pHandle, MAIN_BAR_A, CURSOR_MEASURED, ATTR_CURSOR_POINT_STYLE,
                       VAL_CURSOR_MARKER);
    Mvalue = ShownMvalue(Mvalue, parameter.evalMode, ccdvirtpixel);
    SetGraphCursor(pHandle, MAIN_BAR_A, CURSOR_MEASURED, Mvalue - ccdvirtpixel, kCursorY);
  } else if (Mvalue < ccdvirtpixel) {
    SetCursorAttribute(pHandle, MAIN_BAR_A, CURSOR_MEASURED, ATTR_CURSOR_POINT_STYLE,
                       VAL_NO_POINT);
    SetCursorAttribute(pHandle, MAIN_BAR_B, CURSOR_MEASURED, ATTR_CURSOR_POINT_STYLE,
                       VAL_CURSOR_MARKER);
    SetGraphCursor(pHandle, MAIN_BAR_B, CURSOR_MEASURED, ccdvirtpixel - Mvalue, kCursorY);
  } else {
    SetCursorAttribute(pHandle, MAIN_BAR_A, CURSOR_MEASURED, ATTR_CURSOR_POINT_STYLE,
                       VAL_NO_POINT);
    SetCursorAttribute(pHandle, MAIN_BAR_B, CURSOR_MEASURED, ATTR_CURSOR_POINT_STYLE,
                       VAL_NO_POINT);
  }
}

}  // namespace

uint16_t SetpointForMode(uint16_t mode, uint16_t setpointA, uint16_t setpointB,
                         uint16_t current) {
  switch (mode) {
    case 0: return setpointB;
    case 1: return setpointA;
    case 2: return static_cast<uint16_t>(setpointA + setpointB);
    case 3:
    case 4: return ccdvirtpixel;
    default: return current;
  }
}

void PlotVIDEOBarGraph(void) {
  ShowNumbers();
  tVal = SetpointForMode(parameter.evalMode, parameter.teachA, parameter.teachB, tVal);
  ShowToleranceColour();
  ShowMillimetres();

  curposA = ClampCursor(Aval);
  curposB = ClampCursor(Bval);
  SetAxisScalingMode(pHandle, MAIN_BAR_A, VAL_BOTTOM_XAXIS, VAL_MANUAL, 0.0, ccdvirtpixel);
  SetAxisScalingMode(pHandle, MAIN_BAR_B, VAL_BOTTOM_XAXIS, VAL_MANUAL, 0.0, ccdvirtpixel);
  DeleteGraphPlot(pHandle, MAIN_BAR_A, VAL_ALL_PLOTS, VAL_DELAYED_DRAW);
  DeleteGraphPlot(pHandle, MAIN_BAR_B, VAL_ALL_PLOTS, VAL_DELAYED_DRAW);
  SetGraphCursor(pHandle, MAIN_BAR_A, CURSOR_SETPOINT, curposA, kCursorY);
  SetGraphCursor(pHandle, MAIN_BAR_B, CURSOR_SETPOINT, curposB, kCursorY);
  SetGraphCursor(pHandle, MAIN_BAR_A, CURSOR_MEASURED, curposA, kCursorY);
  SetGraphCursor(pHandle, MAIN_BAR_B, CURSOR_MEASURED, curposB, kCursorY);

  // The bar starts at the edge as measured, even beyond the clamped cursor.
  DrawBar(MAIN_BAR_A, edcntA, Aval);
  DrawBar(MAIN_BAR_B, edcntB, Bval);

  if (IsCentredMode(parameter.evalMode)) PlaceCentredMarker();
  PlotTOLWindow(parameter.evalMode, curposA, curposB);
  // After the window: it starts the graphs' readings afresh.
  SetGraphReading(pHandle, MAIN_BAR_A, "edge position", Aval);
  SetGraphReading(pHandle, MAIN_BAR_B, "edge position", Bval);
}
