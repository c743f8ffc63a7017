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

// Room for a reply frame still arriving and what has come since the last poll.
enum { REPLY_BYTES_HELD = 8 * FRAME_BYTES };

const char kSkipped[] = "not the awaited reply, skipped";

// Bytes the wait passed over, traced in one piece rather than poll by poll.
struct Skipped {
  char bytes[REPLY_BYTES_HELD];
  int length;
};

void TraceSkipped(Skipped *skipped) {
  TraceComRead(com, skipped->bytes, skipped->length, 0, kSkipped);
  skipped->length = 0;
}

void NoteSkipped(Skipped *skipped, const char *bytes, int count) {
  if (skipped->length + count > REPLY_BYTES_HELD) TraceSkipped(skipped);
  if (count > REPLY_BYTES_HELD) {
    TraceComRead(com, bytes, count, 0, kSkipped);
    return;
  }
  std::memcpy(skipped->bytes + skipped->length, bytes, static_cast<size_t>(count));
  skipped->length += count;
}

}  // namespace

int ExchangeWaiting(void) { return g_waiting ? 1 : 0; }

int WaitForReplyTo(uint16_t command, int argument) {
  // The receive callback takes the first frame in the queue and drops what
  // follows it: a late acknowledgement would cost the reply behind it. Here
  // the frames are taken off the bytes one by one, and only the one asked
  // for counts; the wire trace gets each piece as it was taken.
  DetachReceiveCallback();
  g_waiting = true;
  char held[REPLY_BYTES_HELD];
  Skipped skipped;
  skipped.length = 0;
  int length = 0, arrived = 0;
  tstart = Timer();
  for (;;) {
    ProcessSystemEvents();  // the window stays live; the callback is off
    if (LineLost()) break;
    const int waiting = GetInQLen(com);
    if (waiting > 0) {
      const int got = ComRdUntraced(com, held + length, std::min(waiting, REPLY_BYTES_HELD - length));
      if (got > 0) length += got;
      const unsigned char *bytes = reinterpret_cast<const unsigned char *>(held);
      int taken = 0, piece = 0, kind;
      while ((kind = NextReplyPiece(bytes + taken, length - taken, command, argument, &piece)) != REPLY_PIECE_NONE) {
        const char *at = held + taken;
        taken += piece;
        if (kind == REPLY_PIECE_UNFRAMED) {
          NoteSkipped(&skipped, at, piece);
          continue;
        }
        TraceSkipped(&skipped);
        if (kind == REPLY_PIECE_OTHER) {
          TraceComRead(com, at, piece, 1, kSkipped);
          continue;
        }
        TraceComRead(com, at, piece, 1, nullptr);
        std::memcpy(szReadBuf, at, FRAME_BYTES);
        arrived = 1;
        break;
      }
      if (arrived) {
        // As the receive callback, the wait keeps nothing of what came behind.
        TraceComRead(com, held + taken, length - taken, 0, "discarded behind the reply");
        break;
      }
      std::memmove(held, held + taken, static_cast<size_t>(length - taken));
      length -= taken;
    }
    tdiff = Timer() - tstart;
    if (tdiff > TIMEOUT) break;
    Sleep(POLL_REPLY_MS);
  }
  if (!arrived) {
    NoteSkipped(&skipped, held, length);
    TraceSkipped(&skipped);
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
