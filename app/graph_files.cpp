// What the graphs' "Save picture…" and "Save data…" need of the program:
// the picture's caption, and the operator's message for how a save ended.
#include <cstdio>

#include "app/app.h"
#include "app/globals.h"
#include "app/status.h"
#include "link/com232.h"
#include "runtime/userint/userint.h"
#include "runtime/utility/utility.h"

namespace {

const int FIRMWARE_CAPTION_CHARS = 73;  // the 72 characters of a firmware text

// "K-VOR-NE-ZevevU301 Version 3.01 | firmware: ... | 12-08-2026 14:03:22"
void WriteCAPTION(char *caption, size_t size) {
  char firmware[FIRMWARE_CAPTION_CHARS];
  CopyFIRMWAREText(firmware, sizeof firmware);
  std::snprintf(caption, size, "K-VOR-NE-ZevevU301 %s | firmware: %s | %s %s", szSoftVersion,
                firmware[0] ? firmware : "not read", DateStr(), TimeStr());
}

void ShowGRAPHSaved(int panel, int control, int kind, int result) {
  (void)panel, (void)control;
  switch (result) {
    case GRAPH_SAVED: SetStatus(kind == GRAPH_PICTURE ? "Picture saved!" : "Data saved!"); break;
    case GRAPH_NOT_DRAWN: SetStatus("Graph not drawn yet - nothing saved!"); break;
    case GRAPH_BAD_PICTURE_NAME: SetStatus("Picture name must end .png, .svg or .pdf - nothing saved!"); break;
    default: SetStatus("Cannot write the file - nothing saved!"); break;
  }
  ShowStatus();
}

}  // namespace

void InitGRAPHFiles(void) { InstallGraphSaveCallbacks(WriteCAPTION, ShowGRAPHSaved); }
