// Opening the port, the serial start-up, the port selector, and the one
// place where a vanished serial device is told to the operator.
#include <cstdio>

#include "app/controls.h"
#include "app/globals.h"
#include "app/status.h"
#include "link/com232.h"
#include "link/protocol.h"
#include "params/params.h"
#include "runtime/rs232/rs232.h"
#include "runtime/userint/userint.h"
#include "runtime/utility/utility.h"

namespace {

const char kDeviceLostMessage[] = "Serial device lost - choose a port!";

// Set when the device of the port in use vanished; a new InitRS232 clears it.
bool g_lineLost = false;

// The layer closes a vanished port itself and tells us once.
void OnComLost(int port) {
  if (port != com) return;
  g_lineLost = true;
  stop_flag = 1;
  SetStatus(kDeviceLostMessage);
  ShowStatus();
}

}  // namespace

int LineLost(void) { return g_lineLost ? 1 : 0; }

void ShowLineLost(void) {
  SetStatus(kDeviceLostMessage);
  ShowStatus();
}

void InitRS232(int port) {
  g_lineLost = false;
  InstallComLostCallback(OnComLost);
  const int result = OpenComConfig(port, "", LINE_BAUD_RATE, RS_NO_PARITY, LINE_DATA_BITS,
                                   LINE_STOP_BITS, LINE_QUEUE_BYTES, LINE_QUEUE_BYTES);
  if (result < 0) {
    SetStatus(PortErrorMessage(result));
    ShowStatus();
    return;
  }
  SetComTime(port, TIMEOUT);
  FlushInQ(port);
  FlushOutQ(port);
  SetCTSMode(port, 0);
  AttachReceiveCallback();

  if (CheckComLine(port) != 1) {
    if (g_lineLost) SetStatus(kDeviceLostMessage);
    ShowStatus();
    return;
  }
  Delay(STARTUP_STEP_MS / 1000.0);
  if (GetHARDWAREInfo() == 0) SetStatus("Error reading HARDWARE-info!");
  Sleep(STARTUP_STEP_MS);
  // On a vanished device these exchange nothing and only show the record.
  PushGET(TARGET_RAM, 0);
  Sleep(STARTUP_STEP_MS);
  PushGET(TARGET_RAM, 1);
  Sleep(STARTUP_STEP_MS);
  if (!g_lineLost && GetVERSIONInfo() < FIRMWARE_REPLY_BYTES)
    SetStatus("Error reading firmware-info!");
  // The operator's next step is another port, whatever failed on the way.
  if (g_lineLost) SetStatus(kDeviceLostMessage);
  ShowStatus();
}

int CC_DropDCom(int panel, int control, int event, void *callbackData, int eventData1,
                int eventData2) {
  (void)callbackData;
  (void)eventData1;
  (void)eventData2;
  if (event != EVENT_COMMIT) return 0;
  // Closing the port under a comparison, a verify or a backup that waits
  // for a reply: the selector keeps showing the port in use.
  if (ExchangeWaiting()) {
    SetCtrlVal(panel, control, com);
    return 0;
  }
  stop_flag = 1;
  CloseCom(com);
  int chosen = com;
  if (GetCtrlVal(panel, control, &chosen) >= 0) com = chosen;
  ShowText("Init COM-Port ...");
  InitRS232(com);
  return 0;
}
