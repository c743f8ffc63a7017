// Every global's start value, and the first drawing of the panels.
#include <cstdio>

#include "app/app.h"
#include "app/controls.h"
#include "app/globals.h"
#include "app/status.h"
#include "display/gui.h"
#include "params/params.h"
#include "recorder/recorder.h"
#include "runtime/userint/userint.h"
#include "runtime/utility/utility.h"

namespace {

void SetParameterStartValues(void) {
  parameter = ParameterRecord();
  parameter.start = 0x55;
  parameter.command = 1;
  StoreParameterSet(StartParameterSet());
}

}  // namespace

void InitVars(void) {
  SetParameterStartValues();
  com = 1;
  target = 1;
  ccdmaxpixel = 1024;
  ccdsubpixel = 2048;
  ccdvirtpixel = 4096;
  yaxisMAX = 2048;
  rx_flag = 0;
  graph_flag = 0;
  stop_flag = 1;
  SetStatus("InitVars");
  ShowStatus();
  SetCtrlVal(pHandle, MAIN_TOGGBTN_RECORDER, 0);

  if (MakePathname(proj_dir, RECORDER_DEFAULT_FILE, recfile_name, sizeof recfile_name) < 0)
    std::snprintf(recfile_name, sizeof recfile_name, "%s", RECORDER_DEFAULT_FILE);
  ReplaceTextBoxLine(panelPopUp, REC_FILE_BOX, 0, recfile_name);
  CalcRecTime();

  std::snprintf(szSoftVersion, sizeof szSoftVersion, "%s", "Version 3.01");
  std::snprintf(szSoftName, sizeof szSoftName, "%s", "K-VOR-NE-Duvev");
  ShowLogo(2);
  GetPanelValues();
  // Verify after sending, as the operator left it at the last end.
  LoadVerifySetting();

  DeleteGraphPlot(pHandle, MAIN_BAR_A, VAL_ALL_PLOTS, VAL_IMMEDIATE_DRAW);
  DeleteGraphPlot(pHandle, MAIN_BAR_B, VAL_ALL_PLOTS, VAL_IMMEDIATE_DRAW);
  SetGraphCursor(pHandle, MAIN_BAR_A, CURSOR_SETPOINT, tValA, 1.0);
  SetGraphCursor(pHandle, MAIN_BAR_B, CURSOR_SETPOINT, tValB, 1.0);
  SetCursorAttribute(pHandle, MAIN_BAR_A, CURSOR_MEASURED, ATTR_CURSOR_POINT_STYLE,
                     VAL_NO_POINT);
  SetCursorAttribute(pHandle, MAIN_BAR_B, CURSOR_MEASURED, ATTR_CURSOR_POINT_STYLE,
                     VAL_NO_POINT);
  PlotTOLWindow(parameter.evalMode, tValA, tValB);

  for (int i = 0; i < MAXPOINT; ++i) {
    thdArrayA[i] = static_cast<u16>(parameter.thdA * YMAXADC / 100);
    thdArrayB[i] = static_cast<u16>(parameter.thdB * YMAXADC / 100);
  }
}
