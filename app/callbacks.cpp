// The name -> function table the panels' callback names are looked up in.
#include "app/app.h"
#include "display/gui.h"
#include "link/com232.h"
#include "modes/modes.h"
#include "params/params.h"
#include "recorder/recorder.h"
#include "runtime/userint/userint.h"

#define CONTROL_CALLBACK(fn) RegisterCtrlCallback(#fn, fn)

void RegisterCallbacks(void) {
  RegisterPanelCallback("CC_PANEL", CC_PANEL);
  RegisterPanelCallback("CC_POPUP", CC_POPUP);
  RegisterPanelCallback("CC_COMPARE", CC_COMPARE);
  RegisterPanelCallback("CC_STATS", CC_STATS);

  CONTROL_CALLBACK(CC_DropDCom);
  CONTROL_CALLBACK(CC_TOGGBTN_Para1);
  CONTROL_CALLBACK(CC_TOGGBTN_Para2);
  CONTROL_CALLBACK(CC_TOGGBTN_Calib);
  CONTROL_CALLBACK(CC_TOGGBTN_Recorder);
  CONTROL_CALLBACK(CC_TOGBTN_Zoom);
  CONTROL_CALLBACK(CC_BTNGet);
  CONTROL_CALLBACK(CC_BTNSend);
  CONTROL_CALLBACK(CC_RBTRam);
  CONTROL_CALLBACK(CC_RBTEeprom);
  CONTROL_CALLBACK(CC_RBTFile);
  CONTROL_CALLBACK(CC_BTNCompare);
  CONTROL_CALLBACK(CC_BTNCompareTake);
  CONTROL_CALLBACK(CC_BTNCompareClose);
  CONTROL_CALLBACK(CC_CHKVerify);
  CONTROL_CALLBACK(CC_BTNRun);
  CONTROL_CALLBACK(CC_BTNStop);
  CONTROL_CALLBACK(CC_BTNVideo);
  CONTROL_CALLBACK(CC_ButtonTeach);
  CONTROL_CALLBACK(CC_ButtonReset);
  CONTROL_CALLBACK(CC_NEDITeachA);
  CONTROL_CALLBACK(CC_NEDITeachB);
  CONTROL_CALLBACK(CC_NEDITTolLeff);
  CONTROL_CALLBACK(CC_DropEvalMode);
  CONTROL_CALLBACK(CC_DROPHardwareMode);
  CONTROL_CALLBACK(CC_SLIDEVideoTHD_A);
  CONTROL_CALLBACK(CC_SLIDEVideoTHD_B);
  CONTROL_CALLBACK(CC_NEDITRecTime);
  CONTROL_CALLBACK(CC_NEDITRecSamples);
  CONTROL_CALLBACK(CC_RecordFileNameBtn);
  CONTROL_CALLBACK(CC_BTNStartRecord);
  CONTROL_CALLBACK(CC_BTNStopRecord);
  CONTROL_CALLBACK(CC_TOGGBTN_Stats);
  CONTROL_CALLBACK(CC_DropStatsValues);
  CONTROL_CALLBACK(CC_STRStatsLower);
  CONTROL_CALLBACK(CC_STRStatsUpper);
}
