// Reading the sensor's RAM or EEPROM into a parameter set of its own, for a
// comparison, a backup or the read-back after a write: the record and the
// panels stay as they are.
#include <algorithm>
#include <cstring>

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

// Room for the awaited reply behind a few others (the acknowledgements of a
// Send, which waits for none) and stray bytes.
enum { REPLY_BYTES_HELD = 8 * FRAME_BYTES };

}  // namespace

int ExchangeWaiting(void) { return g_waiting ? 1 : 0; }

int WaitForReplyTo(uint16_t command, int argument) {
  // The receive callback takes the first frame in the queue and drops what
  // follows it: a late acknowledgement would cost the reply behind it. Here
  // the frames are taken one by one, and only the one asked for counts.
  DetachReceiveCallback();
  g_waiting = true;
  unsigned char held[REPLY_BYTES_HELD];
  int length = 0, arrived = 0;
  tstart = Timer();
  for (;;) {
    ProcessSystemEvents();  // the window stays live; the callback is off
    if (LineLost()) break;
    const int waiting = GetInQLen(com);
    if (waiting > 0) {
      const int room = REPLY_BYTES_HELD - length;
      const int got = ComRd(com, reinterpret_cast<char *>(held) + length, std::min(waiting, room));
      if (got > 0) length += got;
      int consumed = 0;
      const int at = FindReplyFrame(held, length, command, argument, &consumed);
      if (at >= 0) {
        std::memcpy(szReadBuf, held + at, FRAME_BYTES);
        arrived = 1;
        break;
      }
      std::memmove(held, held + consumed, static_cast<size_t>(length - consumed));
      length -= consumed;
    }
    tdiff = Timer() - tstart;
    if (tdiff > TIMEOUT) break;
    Sleep(POLL_REPLY_MS);
  }
  g_waiting = false;
  rx_flag = arrived;
  if (!LineLost()) AttachReceiveCallback();
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
    // of the frame. The sensor need not echo the argument word. The output
    // queue is left alone: right after a Send it may still hold the end of
    // frame 1 on its way down the line.
    CopyVarsToPP(frame);
    FlushInQ(com);
    FillTxBuf(command, frame, pp);
    nBytesW = ComWrt(com, szWriteBuf, FRAME_BYTES);
    if (nBytesW == FRAME_BYTES) ShowText("Waiting for parameter-frame ...");
    if (!WaitForReplyTo(command, -1)) {
      if (!LineLost()) SetStatus("Timeout-RS-232...");
      return 0;
    }
    GetRxBuf();
    SetParameterFrameWords(&read, frame, pp);
  }
  *set = read;
  return 1;
}
