// A recording: run mode's request/reply loop, plus one line in the recorder
// file whenever the interval has passed since the last sample.
#include <cstdio>

#include "app/controls.h"
#include "app/globals.h"
#include "app/status.h"
#include "display/gui.h"
#include "link/com232.h"
#include "link/protocol.h"
#include "modes/modes.h"
#include "params/params.h"
#include "recorder/recorder.h"
#include "runtime/rs232/rs232.h"
#include "runtime/userint/userint.h"
#include "runtime/utility/utility.h"

namespace {

const int kStateActiveBackground = VAL_RED;
const int kStateActiveText = VAL_WHITE;
const int kStateIdleBackground = MakeColor(224, 224, 224);
const int kStateIdleText = VAL_BLACK;

u16 WholeSecondsNow(void) { return WholeSeconds(Timer()); }

void ShowRecordingGraphs(void) {
  SetCtrlAttribute(pHandle, MAIN_STRIPCHART, ATTR_VISIBLE, 1);
  SetCtrlAttribute(pHandle, MAIN_BAR_A, ATTR_VISIBLE, 1);
  SetCtrlAttribute(pHandle, MAIN_BAR_B, ATTR_VISIBLE, 1);
  SetCtrlAttribute(pHandle, MAIN_VIDEO_A, ATTR_VISIBLE, 0);
  SetCtrlAttribute(pHandle, MAIN_VIDEO_B, ATTR_VISIBLE, 0);
}

void ShowRecorderState(const char *text, int background, int textColour) {
  ResetTextBox(panelPopUp, REC_STATE_BOX, text);
  SetCtrlAttribute(panelPopUp, REC_STATE_BOX, ATTR_TEXT_BGCOLOR, background);
  SetCtrlAttribute(panelPopUp, REC_STATE_BOX, ATTR_TEXT_COLOR, textColour);
}

void SendRawRequest(void) {
  FlushInQ(com);
  FlushOutQ(com);
  CopyVarsToPP(0);
  FillTxBuf(CMD_GET_RAW, 0, pp);
  rx_flag = 0;
  tstart = Timer();
  nBytesW = ComWrt(com, szWriteBuf, FRAME_BYTES);
}

void FileFailure(const char *text) {
  SetStatus(text);
  ShowStatus();
  stop_flag = 1;
}

void RecordingLoop(u16 sampleLimit, u16 interval) {
  CopyVarsToPP(0);
  FlushInQ(com);
  FlushOutQ(com);
  rx_flag = 0;
  parameter.command = CMD_GET_RAW;
  FillTxBuf(parameter.command, 0, pp);
  nBytesW = ComWrt(com, szWriteBuf, FRAME_BYTES);
  if (nBytesW == FRAME_BYTES) ShowText("Line Ok!");

  tstart = Timer();
  u16 lastSample = WholeSecondsNow();
  stop_flag = 0;
  graph_flag = 0;
  u16 samples = 0;
  do {
    const u16 elapsed = WholeSecondsSince(lastSample, Timer());
    if (graph_flag == 1) {
      CopyPPtoRAWVars();
      PlotVIDEOBarGraph();
      PlotRAWGraph();
      AddSTATSValue(umValue, shownGreen);
      // The line holds the values just shown (Mvalue as the bar graph left it).
      // The counter counts the lines in the file: a line that could not be
      // written (nothing of it stays) ends the recording uncounted.
      if (elapsed >= interval) {
        if (AppendRecorderSample(recfile_name, Aval, Bval, Mvalue, umValue, edcntA, edcntB)) {
          ++samples;
          SetCtrlVal(panelPopUp, REC_SAMPLE_COUNTER, static_cast<int>(samples));
        } else {
          FileFailure("Cannot write recorder file - recording stopped!");
        }
        lastSample = WholeSecondsNow();
      }
      graph_flag = 0;
      FlushInQ(com);
      FlushOutQ(com);
    }
    if (rx_flag == 1) SendRawRequest();
    tdiff = Timer() - tstart;
    if (tdiff > TIMEOUT) {
      ShowText("Timeout RS232-Line!");
      stop_flag = 1;
      break;
    }
    Sleep(RUN_PASS_MS);
    if (samples >= sampleLimit) stop_flag = 1;
    ProcessSystemEvents();
  } while (stop_flag == 0);
}

}  // namespace

int CC_BTNStartRecord(int panel, int control, int event, void *callbackData, int eventData1,
                      int eventData2) {
  (void)panel, (void)control, (void)callbackData, (void)eventData1, (void)eventData2;
  if (event != EVENT_COMMIT || ExchangeWaiting()) return 0;
  // On a lost line no sample can come: the earlier file is not replaced by
  // a header, and nobody waits out a time-out to learn it.
  if (LineLost()) {
    ShowLineLost();
    return 0;
  }
  ShowRecordingGraphs();
  SetCtrlAttribute(pHandle, MAIN_BTNRUN, ATTR_DIMMED, 1);
  SetCtrlAttribute(pHandle, MAIN_BTNVIDEO, ATTR_DIMMED, 1);
  SetCtrlAttribute(pHandle, MAIN_BUTTONTEACH, ATTR_DIMMED, 1);
  SetCtrlAttribute(panelPopUp, REC_BTNSTARTRECORD, ATTR_DIMMED, 1);
  ShowRecorderState("DATA-RECORDER active ...", kStateActiveBackground, kStateActiveText);

  u16 sampleLimit = 0, interval = 0;
  GetCtrlVal(panelPopUp, REC_NEDITRECSAMPLES, &sampleLimit);
  GetCtrlVal(panelPopUp, REC_NEDITRECTIME, &interval);
  SetCtrlVal(panelPopUp, REC_FILE_BOX, recfile_name);

  std::snprintf(szDate, sizeof szDate, "%s", DateStr());
  std::snprintf(szTime, sizeof szTime, "%s", TimeStr());
  // Recording into a file that cannot be written would lose every sample.
  if (WriteRecorderHeader(recfile_name, szDate, szTime, interval, parameter.setpointUm)) {
    StartSTATS();
    RecordingLoop(sampleLimit, interval);
  }
  else
    FileFailure("Cannot write recorder file - recording not started!");

  rx_flag = 0;
  graph_flag = 0;
  FlushInQ(com);
  FlushOutQ(com);
  SetCtrlAttribute(pHandle, MAIN_BTNRUN, ATTR_DIMMED, 0);
  SetCtrlAttribute(panelPopUp, REC_BTNSTARTRECORD, ATTR_DIMMED, 0);
  ShowRecorderState("DATA-RECORDER", kStateIdleBackground, kStateIdleText);
  EndSTATS();
  return 0;
}

int CC_BTNStopRecord(int panel, int control, int event, void *callbackData, int eventData1,
                     int eventData2) {
  (void)panel, (void)control, (void)callbackData, (void)eventData1, (void)eventData2;
  if (event != EVENT_COMMIT) return 0;
  stop_flag = 1;
  ReleaseModeLocks();
  return 0;
}
