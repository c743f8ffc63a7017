// Reading, writing and emptying the queues of an open port. None of these
// runs the event loop: the system calls them from waits that must not let
// other callbacks in (the firmware-text wait), and from the receive callback.
#include "runtime/rs232/rs232.h"
#include "runtime/rs232/com_trace.h"
#include "runtime/rs232/ports.h"
#include "runtime/utility/utility.h"

#include <QIODevice>

#include <chrono>
#include <climits>
#include <cstdio>

using rs232::Slot;

namespace {

using Clock = std::chrono::steady_clock;

Clock::time_point DeadlineAfter(double seconds) {
  return Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

// Milliseconds left until the deadline, 0 when it has passed.
int MillisecondsLeft(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  if (left <= 0) return 0;
  return left > INT_MAX ? INT_MAX : static_cast<int>(left);
}

// Range check of the port number, then whether it can be used.
int PortState(int port) {
  if (!rs232::IsPortNumber(port)) return RS_INVALID_PARAMETER;
  return rs232::IsUsable(Slot(port)) ? 0 : RS_PORT_NOT_OPEN;
}

rs232::WriteObserver g_writeObserver = nullptr;

// A write is traced once it is over, so its line says whether all of it went.
void TraceWrite(int port, const char *buffer, int count, int written) {
  if (!ComTraceOn()) return;
  char note[48] = "";
  if (written <= 0) std::snprintf(note, sizeof note, "write failed");
  else if (written < count) std::snprintf(note, sizeof note, "only %d written", written);
  TraceComFrame(rs232::TraceNameOf(port).constData(), TRACE_TX, buffer, count, note);
}

}  // namespace

void rs232::SetWriteObserver(WriteObserver observer) { g_writeObserver = observer; }

int ComWrt(int port, const char *buffer, int count) {
  if (!rs232::IsPortNumber(port) || buffer == nullptr || count < 0) return RS_INVALID_PARAMETER;
  if (const int state = PortState(port); state < 0) return state;
  if (count == 0) return 0;
  rs232::PortSlot &slot = Slot(port);
  QIODevice *line = slot.line;
  if (g_writeObserver != nullptr) g_writeObserver(port, Timer(), buffer, count);
  if (line->write(buffer, count) != count) {
    TraceWrite(port, buffer, count, 0);
    return RS_UNKNOWN_IO_ERROR;
  }

  // Wait until the bytes have been handed to the device, so that a caller
  // who then polls without event processing still gets its reply.
  const Clock::time_point deadline = DeadlineAfter(slot.timeoutSeconds);
  while (line->bytesToWrite() > 0 && rs232::IsUsable(slot)) {
    const int left = MillisecondsLeft(deadline);
    if (left == 0) break;
    line->waitForBytesWritten(left);
  }
  if (!rs232::IsUsable(slot)) {  // the device went away meanwhile
    TraceWrite(port, buffer, count, 0);
    return RS_PORT_NOT_OPEN;
  }
  // Bytes still queued after the time-out stay queued (the next FlushOutQ
  // drops them). The queue goes out in order, so whatever is still queued is
  // the tail of this call's bytes.
  const qint64 stillQueued = line->bytesToWrite();
  const int written = static_cast<int>(count - (stillQueued > count ? count : stillQueued));
  TraceWrite(port, buffer, count, written);
  return written;
}

namespace {

int ReadCom(int port, char *buffer, int count, bool traced) {
  if (!rs232::IsPortNumber(port) || buffer == nullptr || count < 0) return RS_INVALID_PARAMETER;
  if (const int state = PortState(port); state < 0) return state;
  if (count == 0) return 0;
  rs232::PortSlot &slot = Slot(port);
  const Clock::time_point deadline = DeadlineAfter(slot.timeoutSeconds);
  int got = 0;
  for (;;) {
    rs232::PullWaitingBytes(port);
    const qint64 n = slot.line->read(buffer + got, count - got);
    if (n > 0) got += static_cast<int>(n);
    if (got >= count || !rs232::IsUsable(slot)) break;
    const int left = MillisecondsLeft(deadline);
    if (left == 0) break;
    slot.line->waitForReadyRead(left);
  }
  if (traced && got > 0 && ComTraceOn())
    TraceComFrame(rs232::TraceNameOf(port).constData(), TRACE_RX, buffer, got, nullptr);
  if (got == 0 && !rs232::IsUsable(slot)) return RS_PORT_NOT_OPEN;
  return got;
}

}  // namespace

int ComRd(int port, char *buffer, int count) { return ReadCom(port, buffer, count, true); }

int ComRdUntraced(int port, char *buffer, int count) { return ReadCom(port, buffer, count, false); }

void TraceComRead(int port, const char *bytes, int count, int framed, const char *note) {
  if (!ComTraceOn() || bytes == nullptr || count <= 0 || !rs232::IsPortNumber(port)) return;
  const QByteArray name = rs232::TraceNameOf(port);
  if (framed)
    TraceComFrame(name.constData(), TRACE_RX, bytes, count, note);
  else
    TraceComUnframed(name.constData(), bytes, count, note);
}

int GetInQLen(int port) {
  if (const int state = PortState(port); state < 0) return state;
  if (!rs232::PullWaitingBytes(port)) return RS_PORT_NOT_OPEN;
  const qint64 n = Slot(port).line->bytesAvailable();
  return n > INT_MAX ? INT_MAX : static_cast<int>(n);
}

int FlushInQ(int port) {
  if (const int state = PortState(port); state < 0) return state;
  rs232::PortSlot &slot = Slot(port);
  if (ComTraceOn()) {
    // Traced, the bytes are taken (all the device has) instead of cleared.
    rs232::TraceWaitingBytes(port, "flushed unread");
  } else {
    // Empties both Qt's buffer and the operating system's queue.
    rs232::ClearLineInput(slot);
  }
  slot.armed = false;
  return 0;
}

int FlushOutQ(int port) {
  if (const int state = PortState(port); state < 0) return state;
  rs232::ClearLineOutput(Slot(port));
  return 0;
}
