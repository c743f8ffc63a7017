// Reading the sensor's RAM or EEPROM into a parameter set of its own, for a
// comparison, a backup or the read-back after a write: the record and the
// panels stay as they are.
#include "app/globals.h"
#include "app/status.h"
#include "link/com232.h"
#include "link/protocol.h"
#include "params/params.h"
#include "runtime/rs232/rs232.h"
#include "runtime/userint/userint.h"
#include "runtime/utility/utility.h"

namespace {

bool g_waiting = false;

uint16_t ReplyCommandWord(void) {
  return ReadWordBE(reinterpret_cast<const unsigned char *>(szReadBuf) + 2);
}

}  // namespace

int ExchangeWaiting(void) { return g_waiting ? 1 : 0; }

int WaitForReplyTo(uint16_t command) {
  g_waiting = true;
  int arrived = 0;
  tstart = Timer();
  for (;;) {
    ProcessSystemEvents();  // the receive callback runs only here
    if (rx_flag) {
      // The sensor answers a write too, and a Send does not wait for that
      // answer: it may come now. It is no answer to this request.
      if (ReplyCommandWord() == command) {
        arrived = 1;
        break;
      }
      rx_flag = 0;
    }
    if (LineLost()) break;
    tdiff = Timer() - tstart;
    if (tdiff > TIMEOUT) break;
    Sleep(POLL_REPLY_MS);
  }
  g_waiting = false;
  return arrived;
}

int ReadTargetParameterSet(int source, ParameterSet *set) {
  const uint16_t command = source == TARGET_EEPROM ? CMD_READ_EEPROM : CMD_READ_RAM;
  ParameterSet read = RecordParameterSet();  // every word is replaced below
  for (uint16_t frame = 0; frame < 2; ++frame) {
    if (frame == 1) Sleep(TRANSFER_SPACING_MS);
    if (LineLost()) {
      ShowLineLost();
      return 0;
    }
    // The request is built as a Get builds it: it carries the PC's values
    // of the frame.
    CopyVarsToPP(frame);
    FlushInQ(com);
    FlushOutQ(com);
    FillTxBuf(command, frame, pp);
    nBytesW = ComWrt(com, szWriteBuf, FRAME_BYTES);
    if (nBytesW == FRAME_BYTES) ShowText("Waiting for parameter-frame ...");
    rx_flag = 0;
    if (!WaitForReplyTo(command)) {
      if (!LineLost()) SetStatus("Timeout-RS-232...");
      return 0;
    }
    GetRxBuf();
    SetParameterFrameWords(&read, frame, pp);
  }
  *set = read;
  return 1;
}
