#include "app/status.h"

#include <cstdio>

#include "app/controls.h"
#include "app/globals.h"
#include "runtime/userint/userint.h"

void SetStatus(const char *text) {
  std::snprintf(szStatus, sizeof szStatus, "%s", text ? text : "");
}

void ShowStatus(void) { SetCtrlVal(pHandle, MAIN_STATUS, szStatus); }

void ShowText(const char *text) { SetCtrlVal(pHandle, MAIN_STATUS, text ? text : ""); }
