// Run mode: one raw-values request at a time, and after every reply the bar
// graphs and the strip chart are updated, until Stop or a reply time-out.
#include "app/controls.h"
#include "app/globals.h"
#include "app/status.h"
#include "display/gui.h"
#include "link/com232.h"
#include "link/protocol.h"
#include "modes/modes.h"
#include "params/params.h"
#include "runtime/rs232/rs232.h"
#include "runtime/userint/userint.h"
#include "runtime/utility/utility.h"

namespace {

void ShowRunGraphs(void) {
  SetCtrlAttribute(pHandle, MAIN_STRIPCHART, ATTR_VISIBLE, 1);
  SetCtrlAttribute(pHandle, MAIN_BAR_A, ATTR_VISIBLE, 1);
  SetCtrlAttribute(pHandle, MAIN_BAR_B, ATTR_VISIBLE, 1);
  SetCtrlAttribute(pHandle, MAIN_VIDEO_A, ATTR_VISIBLE, 0);
  SetCtrlAttribute(pHandle, MAIN_VIDEO_B, ATTR_VISIBLE, 0);
}

}  // namespace

void PushRUN(void) {
  ShowRunGraphs();
  SetCtrlAttribute(panelPopUp, REC_BTNSTARTRECORD, ATTR_DIMMED, 1);
  SetCtrlAttribute(pHandle, MAIN_BTNRUN, ATTR_DIMMED, 1);
  stop_flag = 0;
  graph_flag = 0;
  rx_flag = 0;
  double lastRequest = Timer();
  StartSTATS();
  PushGETRAW();

  do {
    // A reply's values are shown before the next request goes out.
    if (graph_flag == 1) {
      CopyPPtoRAWVars();
      PlotVIDEOBarGraph();
      PlotRAWGraph();
      AddSTATSValue(umValue, shownGreen);
      graph_flag = 0;
      FlushInQ(com);
      FlushOutQ(com);
    }
    // Any reply frame, whatever its echo, lets the next request go.
    if (rx_flag == 1) {
      FlushInQ(com);
      FlushOutQ(com);
      CopyVarsToPP(0);
      FillTxBuf(CMD_GET_RAW, 0, pp);
      rx_flag = 0;
      lastRequest = Timer();
      nBytesW = ComWrt(com, szWriteBuf, FRAME_BYTES);
    }
    if (Timer() - lastRequest > TIMEOUT) {
      ShowText("Timeout RS232-Line!");
      stop_flag = 1;
      break;
    }
    Sleep(RUN_PASS_MS);
    ProcessSystemEvents();
  } while (stop_flag == 0);

  rx_flag = 0;
  graph_flag = 0;
  FlushInQ(com);
  FlushOutQ(com);
  SetCtrlAttribute(pHandle, MAIN_BTNRUN, ATTR_DIMMED, 0);
  EndSTATS();
}

int CC_BTNRun(int panel, int control, int event, void *callbackData, int eventData1,
              int eventData2) {
  (void)panel, (void)control, (void)callbackData, (void)eventData1, (void)eventData2;
  // Its requests would meet the reply a comparison, a verify or a backup awaits.
  if (event == EVENT_COMMIT && !ExchangeWaiting()) PushRUN();
  return 0;
}

void ReleaseModeLocks(void) {
  SetCtrlAttribute(pHandle, MAIN_BTNVIDEO, ATTR_DIMMED, 0);
  SetCtrlAttribute(pHandle, MAIN_BTNRUN, ATTR_DIMMED, 0);
  SetCtrlAttribute(pHandle, MAIN_BUTTONTEACH, ATTR_DIMMED, 0);
  SetCtrlAttribute(pHandle, MAIN_BTNGET, ATTR_DIMMED, 0);
  SetCtrlAttribute(panelPopUp, REC_BTNSTARTRECORD, ATTR_DIMMED, 0);
}

// Acts on the press itself, so Stop takes effect at once.
int CC_BTNStop(int panel, int control, int event, void *callbackData, int eventData1,
               int eventData2) {
  (void)panel, (void)control, (void)callbackData, (void)eventData1, (void)eventData2;
  if (event != EVENT_LEFT_CLICK) return 0;
  stop_flag = 1;
  ReleaseModeLocks();
  return 0;
}
