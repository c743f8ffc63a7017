// The main window's set-up, the child panels sharing one place in it, and
// the close boxes of the main window and the recorder pop-up.
#include "app/app.h"
#include "app/controls.h"
#include "app/globals.h"
#include "modes/modes.h"
#include "runtime/rs232/rs232.h"
#include "runtime/userint/userint.h"

namespace {

const int kChildPanelLeft = 8, kChildPanelTop = 98;

// A click on one child-panel button releases the other two on the press and
// switches the panels on the commit of the same click.
int SwitchChildPanel(int event, int otherButton1, int otherButton2, int hide1, int hide2,
                     int show) {
  if (event == EVENT_LEFT_CLICK) {
    SetCtrlVal(pHandle, otherButton1, 0);
    SetCtrlVal(pHandle, otherButton2, 0);
  } else if (event == EVENT_COMMIT) {
    HidePanel(hide1);
    HidePanel(hide2);
    DisplayPanel(show);
  }
  return 0;
}

}  // namespace

void InitGUI(void) {
  const int children[] = {pPara1, pPara2, pCalib};
  for (int child : children) {
    SetPanelAttribute(child, ATTR_LEFT, kChildPanelLeft);
    SetPanelAttribute(child, ATTR_TOP, kChildPanelTop);
  }
  unsigned short hardwareMode = 0, evalMode = 0;
  GetCtrlVal(pPara1, PARA1_DROPHARDWAREMODE, &hardwareMode);
  ApplyHardwareMode(hardwareMode);
  GetCtrlVal(pPara1, PARA1_DROPEVALMODE, &evalMode);
  ApplyEvalMode(evalMode);
}

int CC_TOGGBTN_Para1(int panel, int control, int event, void *callbackData, int eventData1,
                     int eventData2) {
  (void)panel, (void)control, (void)callbackData, (void)eventData1, (void)eventData2;
  return SwitchChildPanel(event, MAIN_TOGGBTN_PARA2, MAIN_TOGGBTN_CALIB, pPara2, pCalib, pPara1);
}

int CC_TOGGBTN_Para2(int panel, int control, int event, void *callbackData, int eventData1,
                     int eventData2) {
  (void)panel, (void)control, (void)callbackData, (void)eventData1, (void)eventData2;
  return SwitchChildPanel(event, MAIN_TOGGBTN_PARA1, MAIN_TOGGBTN_CALIB, pPara1, pCalib, pPara2);
}

int CC_TOGGBTN_Calib(int panel, int control, int event, void *callbackData, int eventData1,
                     int eventData2) {
  (void)panel, (void)control, (void)callbackData, (void)eventData1, (void)eventData2;
  return SwitchChildPanel(event, MAIN_TOGGBTN_PARA1, MAIN_TOGGBTN_PARA2, pPara1, pPara2, pCalib);
}

int CC_POPUP(int panel, int event, void *callbackData, int eventData1, int eventData2) {
  (void)panel, (void)callbackData, (void)eventData1, (void)eventData2;
  if (event != EVENT_CLOSE) return 0;
  stop_flag = 1;
  HidePanel(panelPopUp);
  SetCtrlVal(pHandle, MAIN_TOGGBTN_RECORDER, 0);
  return 0;
}

int CC_PANEL(int panel, int event, void *callbackData, int eventData1, int eventData2) {
  (void)panel, (void)callbackData, (void)eventData1, (void)eventData2;
  if (event != EVENT_CLOSE) return 0;
  stop_flag = 1;
  CloseCom(com);
  QuitUserInterface(0);
  return 0;
}
