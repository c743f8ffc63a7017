// The request/reply wait and the echo check of the line.
#include "app/globals.h"
#include "app/status.h"
#include "link/com232.h"
#include "link/protocol.h"
#include "params/params.h"
#include "runtime/rs232/rs232.h"
#include "runtime/userint/userint.h"
#include "runtime/utility/utility.h"

int WaitForReply(int pollMs) {
  tstart = Timer();
  for (;;) {
    ProcessSystemEvents();  // the receive callback runs only here
    if (rx_flag) return 1;
    if (LineLost()) return 0;  // the loss has been told; no reply can come
    tdiff = Timer() - tstart;
    if (tdiff > TIMEOUT) {
      SetStatus("Timeout-RS-232...");
      return 0;
    }
    Sleep(pollMs);
  }
}

int WaitRxFull(void) { return WaitForReply(POLL_ECHO_MS); }

int CheckComLine(int port) {
  parameter.command = CMD_ECHO;
  parameter.frameNo = 0;
  CopyVarsToPP(0);
  FillTxBuf(parameter.command, parameter.frameNo, pp);
  FlushOutQ(port);
  FlushInQ(port);
  rx_flag = 0;
  nBytesW = ComWrt(port, szWriteBuf, FRAME_BYTES);

  int result = 0;
  WaitRxFull();
  // A reply taken in the very pass that declared the time-out still counts.
  if (rx_flag) {
    const unsigned char *reply = reinterpret_cast<const unsigned char *>(szReadBuf);
    if (ReadWordBE(reply) == SYNC_REPLY) {
      SetStatus("Echo Check - Line Ok!");
      result = 1;
    } else {
      SetStatus("read error - not sync byte 0xAA!");
    }
  }
  ShowStatus();
  return result;
}
