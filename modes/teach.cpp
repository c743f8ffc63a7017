// Teach, the set-point previews and the max/min reset.
#include "app/controls.h"
#include "app/globals.h"
#include "app/status.h"
#include "link/com232.h"
#include "link/protocol.h"
#include "modes/modes.h"
#include "params/params.h"
#include "runtime/rs232/rs232.h"
#include "runtime/userint/userint.h"
#include "runtime/utility/utility.h"

namespace {

const double kTeachCursorY = 0.75;
const double kPreviewCursorY = 1.0;

// The sensor decides the new set-points; they are read back from its RAM,
// whatever the storage target.
void ReadBackTaughtFrames(void) {
  PushGET(TARGET_RAM, 0);
  Sleep(TEACH_READBACK_MS);
  PushGET(TARGET_RAM, 1);
  Sleep(TEACH_READBACK_MS);
}

int PreviewSetpoint(int panel, int control, int event, int graph) {
  if (event != EVENT_COMMIT) return 0;
  u16 value = 0;
  GetCtrlVal(panel, control, &value);
  SetGraphCursor(pHandle, graph, CURSOR_MEASURED, value, kPreviewCursorY);
  return 0;
}

}  // namespace

int CC_ButtonTeach(int panel, int control, int event, void *callbackData, int eventData1,
                   int eventData2) {
  (void)panel, (void)control, (void)callbackData, (void)eventData1, (void)eventData2;
  // A teach would change the set-points a verify is reading back.
  if (event != EVENT_COMMIT || ExchangeWaiting()) return 0;
  if (LineLost()) {
    ShowLineLost();
    return 0;
  }
  parameter.command = CMD_TEACH;
  FlushInQ(com);
  FlushOutQ(com);
  GetPanelValues();
  CopyVarsToPP(0);
  FillTxBuf(CMD_TEACH, 0, pp);
  nBytesW = ComWrt(com, szWriteBuf, FRAME_BYTES);
  ShowText("New setpoint value teached!");

  rx_flag = 0;
  tstart = Timer();
  for (;;) {
    ProcessSystemEvents();
    if (rx_flag) {
      ReadBackTaughtFrames();
      break;
    }
    if (LineLost()) break;  // told once; nothing more to wait for
    tdiff = Timer() - tstart;
    if (tdiff > TIMEOUT) {
      ShowText("Timeout RS232-Line!");
      stop_flag = 1;
      break;
    }
    Sleep(POLL_REPLY_MS);
  }
  SetGraphCursor(pHandle, MAIN_BAR_A, CURSOR_SETPOINT, parameter.teachA, kTeachCursorY);
  SetGraphCursor(pHandle, MAIN_BAR_B, CURSOR_SETPOINT, parameter.teachB, kTeachCursorY);
  return 0;
}

int CC_NEDITeachA(int panel, int control, int event, void *callbackData, int eventData1,
                  int eventData2) {
  (void)callbackData, (void)eventData1, (void)eventData2;
  return PreviewSetpoint(panel, control, event, MAIN_BAR_A);
}

int CC_NEDITeachB(int panel, int control, int event, void *callbackData, int eventData1,
                  int eventData2) {
  (void)callbackData, (void)eventData1, (void)eventData2;
  return PreviewSetpoint(panel, control, event, MAIN_BAR_B);
}

int CC_ButtonReset(int panel, int control, int event, void *callbackData, int eventData1,
                   int eventData2) {
  (void)panel, (void)control, (void)callbackData, (void)eventData1, (void)eventData2;
  if (event == EVENT_COMMIT && !ExchangeWaiting()) ResetMaxMin();
  return 0;
}

int CC_NEDITTolLeff(int panel, int control, int event, void *callbackData, int eventData1,
                    int eventData2) {
  (void)panel, (void)control, (void)event, (void)callbackData, (void)eventData1,
      (void)eventData2;
  return 0;
}
