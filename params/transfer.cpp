// Moving the parameter set between the panels and the chosen storage
// target: the sensor's RAM, its EEPROM or a parameter file.
#include <cstdio>

#include "app/controls.h"
#include "app/globals.h"
#include "app/status.h"
#include "display/gui.h"
#include "link/com232.h"
#include "link/protocol.h"
#include "params/parameter_file.h"
#include "params/params.h"
#include "runtime/rs232/rs232.h"
#include "runtime/userint/userint.h"
#include "runtime/utility/utility.h"

void PushGET(uint16_t source, uint16_t frame) {
  // On a vanished device no request is made: the record is only shown, as
  // for the file.
  if (source != TARGET_FILE && LineLost()) {
    ShowLineLost();
  } else if (source != TARGET_FILE) {
    if (source == TARGET_RAM) parameter.command = CMD_READ_RAM;
    if (source == TARGET_EEPROM) parameter.command = CMD_READ_EEPROM;
    // The request carries the PC's current values of the frame.
    CopyVarsToPP(frame);
    FlushInQ(com);
    FlushOutQ(com);
    FillTxBuf(parameter.command, frame, pp);
    nBytesW = ComWrt(com, szWriteBuf, FRAME_BYTES);
    if (nBytesW == FRAME_BYTES) ShowText("Waiting for parameter-frame ...");

    rx_flag = 0;
    if (WaitForReply(POLL_REPLY_MS)) {
      // The first reply frame after the request is the frame asked for.
      GetRxBuf();
      CopyPPtoVars(frame);
      SetStatus("Parameter-frame received! - Line Ok!");
    }
  }
  ShowStatus();
  if (frame == 1) ShowRecordOnPanels();
}

void ShowRecordOnPanels(void) {
  SetPanelValues();
  uint16_t mode = parameter.evalMode;
  GetCtrlVal(pPara1, PARA1_DROPEVALMODE, &mode);
  PlotTOLWindow(mode, parameter.teachA, parameter.teachB);
}

int CC_BTNGet(int panel, int control, int event, void *callbackData, int eventData1,
              int eventData2) {
  (void)panel, (void)control, (void)callbackData, (void)eventData1, (void)eventData2;
  if (event != EVENT_COMMIT) return 0;
  // Its frames would meet the reply a comparison or a verify awaits.
  if (ExchangeWaiting()) return 0;
  if (target == TARGET_FILE) ReadParaFromFile();
  PushGET(static_cast<uint16_t>(target), 0);
  Sleep(TRANSFER_SPACING_MS);
  PushGET(static_cast<uint16_t>(target), 1);
  return 0;
}

namespace {

void SendParameterFrame(uint16_t frame) {
  parameter.frameNo = frame;
  CopyVarsToPP(frame);
  FlushInQ(com);
  FlushOutQ(com);
  rx_flag = 0;
  FillTxBuf(parameter.command, parameter.frameNo, pp);
  nBytesW = ComWrt(com, szWriteBuf, FRAME_BYTES);
}

}  // namespace

int CC_BTNSend(int panel, int control, int event, void *callbackData, int eventData1,
               int eventData2) {
  (void)panel, (void)control, (void)callbackData, (void)eventData1, (void)eventData2;
  if (event != EVENT_COMMIT) return 0;
  if (ExchangeWaiting()) return 0;
  ShowText("Transmit...");
  if (target == TARGET_FILE) {
    char chosen[PATH_BUFFER_SIZE] = "";
    const int result =
        FileSelectPopup(proj_dir, PARA_FILE_DEFAULT_NAME, "*.cfg",
                        "K-VOR-MS-Series Parameter File", VAL_OK_BUTTON, 0, 1, 1, 1, chosen,
                        sizeof chosen);
    if (result == UIE_PATH_TOO_LONG) {
      ShowText("File path too long - file not saved!");
    } else if (result > 0) {
      snprintf(file_name, sizeof file_name, "%s", chosen);
      SendParaToFile();
    }
    return 0;
  }
  if (LineLost()) {
    ShowLineLost();
    return 0;
  }
  parameter.start = SYNC_COMMAND;
  parameter.command = target == TARGET_EEPROM ? CMD_WRITE_EEPROM : CMD_WRITE_RAM;
  // Off, a Send is its two writes and nothing more.
  const int verify = VerifyAfterSendingOn();
  // The read-back would take the replies a running loop awaits.
  if (verify && stop_flag == 0) {
    SetStatus("Stop run, video or recording first - nothing sent");
    ShowStatus();
    return 0;
  }
  GetPanelValues();
  if (verify && target == TARGET_EEPROM && !BackupEEPROM()) return 0;

  SendParameterFrame(0);
  if (nBytesW == FRAME_BYTES) ShowText("Sending Para-Frame 1 ...");
  Sleep(TRANSFER_SPACING_MS);
  SendParameterFrame(1);
  if (nBytesW == FRAME_BYTES) ShowText("Line Ok!");
  if (verify) VerifySentParameters();
  return 0;
}

void SelectStorageTarget(int newTarget) {
  target = newTarget;
  SetCtrlVal(pHandle, MAIN_RBTRAM, newTarget == TARGET_RAM ? 1 : 0);
  SetCtrlVal(pHandle, MAIN_RBTEEPROM, newTarget == TARGET_EEPROM ? 1 : 0);
  SetCtrlVal(pHandle, MAIN_RBTFILE, newTarget == TARGET_FILE ? 1 : 0);
}

namespace {

// Exactly one target is on after every change; switching the chosen one off
// falls back to RAM.
int OnTargetButton(int panel, int control, int event, int buttonTarget) {
  if (event != EVENT_VAL_CHANGED) return 0;
  int on = 0;
  GetCtrlVal(panel, control, &on);
  SelectStorageTarget(on ? buttonTarget : TARGET_RAM);
  return 0;
}

}  // namespace

int CC_RBTRam(int panel, int control, int event, void *callbackData, int eventData1,
              int eventData2) {
  (void)callbackData, (void)eventData1, (void)eventData2;
  return OnTargetButton(panel, control, event, TARGET_RAM);
}

int CC_RBTEeprom(int panel, int control, int event, void *callbackData, int eventData1,
                 int eventData2) {
  (void)callbackData, (void)eventData1, (void)eventData2;
  return OnTargetButton(panel, control, event, TARGET_EEPROM);
}

int CC_RBTFile(int panel, int control, int event, void *callbackData, int eventData1,
               int eventData2) {
  (void)callbackData, (void)eventData1, (void)eventData2;
  return OnTargetButton(panel, control, event, TARGET_FILE);
}
