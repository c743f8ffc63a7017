// The green tolerance windows on the two bar graphs.
#include "app/controls.h"
#include "app/globals.h"
#include "display/gui.h"
#include "runtime/userint/userint.h"

namespace {

const double kWindowBottom = 0.0, kWindowTop = 0.35;

// The graph's data file gives the window's bounds as numbers.
void DrawWindow(int graph, int lower, int upper) {
  PlotRectangle(pHandle, graph, lower, kWindowBottom, upper, kWindowTop, VAL_GREEN, VAL_GREEN);
  SetGraphReading(pHandle, graph, "tolerance window from", lower);
  SetGraphReading(pHandle, graph, "tolerance window to", upper);
}

// The edge-position modes keep their windows on the line.
void DrawClampedWindow(int graph, int lower, int upper) {
  if (lower < 0) lower = 1;
  if (upper > ccdvirtpixel - 1) upper = ccdvirtpixel;
  DrawWindow(graph, lower, upper);
}

}  // namespace

void PlotTOLWindow(uint16_t mode, uint16_t refA, uint16_t refB) {
  const int up = tolup, lo = tollo, a = tValA, b = tValB;
  // The numbers of the graphs' data files follow the windows drawn now; a
  // graph that gets none here has none.
  ClearGraphReadings(pHandle, MAIN_BAR_A);
  ClearGraphReadings(pHandle, MAIN_BAR_B);
  SetGraphReading(pHandle, MAIN_BAR_A, "set-point", a);
  SetGraphReading(pHandle, MAIN_BAR_B, "set-point", b);
  switch (mode) {
    case 0:
      DrawClampedWindow(MAIN_BAR_B, b - lo, b + up);
      break;
    case 1:
      DrawClampedWindow(MAIN_BAR_A, a - lo, a + up);
      break;
    case 2:
      if (edcntA > 0 && edcntB > 0) {
        // Both centres move by the same half of the set-point's difference.
        const int half = ((a + b) - (refA + refB)) / 2;
        const int centreA = refA + half, centreB = refB + half;
        DrawClampedWindow(MAIN_BAR_A, centreA - lo / 2, centreA + up / 2);
        DrawClampedWindow(MAIN_BAR_B, centreB - lo / 2, centreB + up / 2);
      } else {
        DrawClampedWindow(MAIN_BAR_A, a - lo / 2, a + up / 2);
        DrawClampedWindow(MAIN_BAR_B, b - lo / 2, b + up / 2);
      }
      break;
    case 3:
    case 4:
      DrawWindow(MAIN_BAR_A, 1, up);
      DrawWindow(MAIN_BAR_B, 1, lo);
      break;
    default:
      break;
  }
}
