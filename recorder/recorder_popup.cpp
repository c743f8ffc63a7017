// The recorder pop-up: showing it and choosing the recorder file.
#include <cstdio>

#include "app/controls.h"
#include "app/globals.h"
#include "app/status.h"
#include "recorder/recorder.h"
#include "runtime/userint/userint.h"

int CC_TOGGBTN_Recorder(int panel, int control, int event, void *callbackData, int eventData1,
                        int eventData2) {
  (void)callbackData, (void)eventData1, (void)eventData2;
  if (event != EVENT_VAL_CHANGED) return 0;
  int on = 0;
  GetCtrlVal(panel, control, &on);
  if (on)
    DisplayPanel(panelPopUp);
  else
    HidePanel(panelPopUp);
  return 0;
}

int CC_RecordFileNameBtn(int panel, int control, int event, void *callbackData,
                         int eventData1, int eventData2) {
  (void)panel, (void)control, (void)callbackData, (void)eventData1, (void)eventData2;
  if (event != EVENT_COMMIT) return 0;
  char chosen[PATH_BUFFER_SIZE] = "";
  ret = FileSelectPopup(proj_dir, "KVORrecord.dat", "*.dat", "K-VOR-Series Recorder-File:",
                        VAL_OK_BUTTON, 0, 1, 1, 1, chosen, sizeof chosen);
  if (ret == UIE_PATH_TOO_LONG) {
    ShowText("File path too long - recorder file unchanged!");
    return 0;
  }
  if (ret == VAL_EXISTING_FILE_SELECTED || ret == VAL_NEW_FILE_SELECTED) {
    std::snprintf(recfile_name, sizeof recfile_name, "%s", chosen);
    ReplaceTextBoxLine(panelPopUp, REC_FILE_BOX, 0, recfile_name);
  }
  return 0;
}
