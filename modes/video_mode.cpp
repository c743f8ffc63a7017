// Video mode: per pass one raw-values request and the four 64-sample blocks
// of both channels' video lines, drawn only when all four arrived.
#include "app/controls.h"
#include "app/globals.h"
#include "display/gui.h"
#include "link/com232.h"
#include "link/protocol.h"
#include "modes/modes.h"
#include "params/params.h"
#include "runtime/rs232/rs232.h"
#include "runtime/userint/userint.h"
#include "runtime/utility/utility.h"

namespace {

enum { CHANNEL_A = 1, CHANNEL_B = 0 };

void ShowVideoGraphs(void) {
  SetCtrlAttribute(pHandle, MAIN_STRIPCHART, ATTR_VISIBLE, 0);
  SetCtrlAttribute(pHandle, MAIN_VIDEO_A, ATTR_VISIBLE, 1);
  SetCtrlAttribute(pHandle, MAIN_VIDEO_B, ATTR_VISIBLE, 1);
}

void LockVideoControls(int locked) {
  SetCtrlAttribute(pHandle, MAIN_BTNRUN, ATTR_DIMMED, locked);
  SetCtrlAttribute(pHandle, MAIN_BTNVIDEO, ATTR_DIMMED, locked);
  SetCtrlAttribute(pHandle, MAIN_BUTTONTEACH, ATTR_DIMMED, locked);
}

// Channel A first; each block only after the one before arrived.
bool ReadVideoLines(void) {
  return ReadData64(0, CHANNEL_A) && ReadData64(DATA_BLOCK_SAMPLES, CHANNEL_A) &&
         ReadData64(0, CHANNEL_B) && ReadData64(DATA_BLOCK_SAMPLES, CHANNEL_B);
}

void DrawVideoLines(void) {
  SetAxisScalingMode(pHandle, MAIN_VIDEO_A, VAL_BOTTOM_XAXIS, VAL_MANUAL, 1.0, ccdvirtpixel);
  SetAxisScalingMode(pHandle, MAIN_VIDEO_B, VAL_BOTTOM_XAXIS, VAL_MANUAL, 1.0, ccdvirtpixel);
  PlotVIDEOCurveA(adcbufA, thdArrayA, xArray8);
  PlotVIDEOCurveB(adcbufB, thdArrayB, xArray8);
  PlotVIDEOBarGraph();
}

}  // namespace

void PushVIDEO(void) {
  ShowVideoGraphs();
  LockVideoControls(1);
  stop_flag = 0;
  do {
    if (PushGETRAW() != 1) {
      stop_flag = 1;
    } else {
      CopyPPtoRAWVars();
      // The blocks are no 36-byte frames: they must stay in the input queue.
      DetachReceiveCallback();
      FlushInQ(com);
      FlushOutQ(com);
      const bool complete = ReadVideoLines();
      AttachReceiveCallback();
      if (complete) DrawVideoLines();
    }
    Sleep(POLL_VIDEO_MS);
    ProcessSystemEvents();
  } while (stop_flag == 0);
  LockVideoControls(0);
  AttachReceiveCallback();
  FlushOutQ(com);
  FlushInQ(com);
}

int CC_BTNVideo(int panel, int control, int event, void *callbackData, int eventData1,
                int eventData2) {
  (void)panel, (void)control, (void)callbackData, (void)eventData1, (void)eventData2;
  if (event != EVENT_COMMIT || ExchangeWaiting()) return 0;
  SetCtrlAttribute(panelPopUp, REC_BTNSTARTRECORD, ATTR_DIMMED, 1);
  SelectStorageTarget(TARGET_RAM);
  PushVIDEO();
  return 0;
}
