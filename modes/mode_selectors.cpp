// The evaluation-mode and hardware-mode selectors of the first parameter panel.
#include "app/controls.h"
#include "app/globals.h"
#include "modes/modes.h"
#include "params/params.h"
#include "runtime/userint/userint.h"

void ApplyEvalMode(unsigned short mode) {
  yaxisMAX = ApplyEvalModeToInputs(mode);
  // In modes 0 to 2 the measured-value cursor carries no marker; the centred
  // modes show and hide it while they draw.
  if (mode <= 2) {
    SetCursorAttribute(pHandle, MAIN_BAR_A, CURSOR_MEASURED, ATTR_CURSOR_POINT_STYLE,
                       VAL_NO_POINT);
    SetCursorAttribute(pHandle, MAIN_BAR_B, CURSOR_MEASURED, ATTR_CURSOR_POINT_STYLE,
                       VAL_NO_POINT);
  }
}

void ApplyHardwareMode(unsigned short mode) {
  const int locked = (mode == 1 || mode == 3) ? 1 : 0;
  SetCtrlAttribute(pPara1, PARA1_TOL_UPPER, ATTR_DIMMED, locked);
  SetCtrlAttribute(pPara1, PARA1_TOL_LOWER, ATTR_DIMMED, locked);
}

int CC_DropEvalMode(int panel, int control, int event, void *callbackData, int eventData1,
                    int eventData2) {
  (void)callbackData, (void)eventData1, (void)eventData2;
  if (event != EVENT_COMMIT) return 0;
  unsigned short mode = 0;
  GetCtrlVal(panel, control, &mode);
  ApplyEvalMode(mode);
  return 0;
}

int CC_DROPHardwareMode(int panel, int control, int event, void *callbackData, int eventData1,
                        int eventData2) {
  (void)callbackData, (void)eventData1, (void)eventData2;
  if (event != EVENT_COMMIT) return 0;
  unsigned short mode = 0;
  GetCtrlVal(panel, control, &mode);
  ApplyHardwareMode(mode);
  return 0;
}
