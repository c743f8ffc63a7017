// The program's entry: load the panels, set the start values, open the line
// to the sensor, show the main window and run until it is closed.
#include <cstdio>

#include "app/app.h"
#include "app/command_line.h"
#include "app/controls.h"
#include "app/globals.h"
#include "link/com232.h"
#include "link/frame_summary.h"
#include "runtime/rs232/com_trace.h"
#include "runtime/rs232/rs232.h"
#include "runtime/runtime.h"
#include "runtime/userint/userint.h"
#include "runtime/utility/utility.h"

namespace {

int LoadAllPanels(void) {
  pHandle = LoadPanel(0, UIR_FILE, RES_MAIN);
  if (pHandle < 0) return -1;
  pPara1 = LoadPanel(pHandle, UIR_FILE, RES_PARA1);
  if (pPara1 < 0) return -1;
  pPara2 = LoadPanel(pHandle, UIR_FILE, RES_PARA2);
  if (pPara2 < 0) return -1;
  pCalib = LoadPanel(pHandle, UIR_FILE, RES_CALIB);
  if (pCalib < 0) return -1;
  panelPopUp = LoadPanel(0, UIR_FILE, RES_RECORDER);
  if (panelPopUp < 0) return -1;
  pCompare = LoadPanel(0, UIR_FILE, RES_COMPARE);
  if (pCompare < 0) return -1;
  pStats = LoadPanel(0, UIR_FILE, RES_STATS);
  if (pStats < 0) return -1;
  return 0;
}

// A trace asked for must be written from the first frame on: without its
// file the program does not start at all.
int StartTRACE(int argc, char **argv) {
  const char *file = TraceFileArgument(argc, argv);
  if (file == nullptr) return 1;
  SetComTraceSummary(DescribeFRAME);
  char reason[160];
  if (OpenComTrace(file, 0, reason, sizeof reason) < 0) {
    std::fprintf(stderr, "K-VOR-NE-ZevevU301: cannot write the trace file '%s': %s\n", file, reason);
    return 0;
  }
  return 1;
}

}  // namespace

int StartProgram(int argc, char **argv) {
  if (!StartTRACE(argc, argv)) return START_TRACE_REFUSED;
  if (InitCVIRTE(argc, argv) < 0) return -1;
  RegisterCallbacks();
  InitGRAPHFiles();
  if (LoadAllPanels() < 0) return -1;
  // Default files go where they can be written: the program's folder, or the
  // per-user data folder for an installed program.
  if (GetDataDir(proj_dir, sizeof proj_dir) < 0) proj_dir[0] = '\0';
  InitVars();
  InitRS232(com);
  InitGUI();
  DisplayPanel(pHandle);
  DisplayPanel(pPara1);
  return 0;
}

void EndProgram(void) {
  CloseCom(com);  // already closed by the close box; that error is of no interest
  CloseComTrace();  // after the port: what was left unread is traced on closing
  DiscardPanel(pPara1);
  DiscardPanel(pPara2);
  DiscardPanel(pCalib);
  DiscardPanel(panelPopUp);
  DiscardPanel(pCompare);
  DiscardPanel(pStats);
  DiscardPanel(pHandle);
}

int WinMain(int argc, char **argv) {
  const int started = StartProgram(argc, argv);
  if (started == START_TRACE_REFUSED) return EXIT_USAGE;
  if (started < 0) return -1;
  RunUserInterface();
  EndProgram();
  return 0;
}
