// Internal to the serial layer: the state kept for each port number and the
// few operations the public rs232 functions share.
//
// Everything here runs on the user-interface thread. QSerialPort may emit its
// signals synchronously from inside its waitFor* calls, so the signal handlers
// only record what happened and post work to event processing; nothing that
// calls back into the system ever runs inside a QSerialPort call.
//
// A port's line is a QSerialPort or, for the device name "simulated", the
// in-process simulated sensor (SimulatedLine); both are QIODevices, and all
// reading, writing and waiting goes through PortSlot::line. Only opening,
// emptying the queues, the handshake and the name tell the two apart.
#ifndef KVOR_RUNTIME_RS232_PORTS_H
#define KVOR_RUNTIME_RS232_PORTS_H

#include "runtime/rs232/rs232.h"
#include "runtime/runtime.h"

class QByteArray;
class QIODevice;
class QSerialPort;
class SimulatedLine;

namespace rs232 {

const double kDefaultTimeoutSeconds = 1.5;

struct PortSlot {
  QSerialPort *serial = nullptr;      // created on the first open of a device, kept for reuse
  SimulatedLine *simulated = nullptr; // created on the first open of "simulated", kept
  QIODevice *line = nullptr;          // the one of the two this opening uses
  bool open = false;
  bool lost = false;        // the device vanished; closed at the next event processing
  unsigned session = 0;     // counts opens, so posted work can tell it is stale
  double timeoutSeconds = kDefaultTimeoutSeconds;

  // Receive callback.
  ComCallbackPtr callback = nullptr;
  void *callbackData = nullptr;
  int eventMask = 0;
  int notifyCount = 0;
  bool armed = false;        // new bytes (or a new callback) since the last call
  bool checkPosted = false;  // a receive check is waiting in the event queue
  bool inCallback = false;   // the callback is running (it may process events)
  bool pulling = false;      // PullWaitingBytes is fetching from the device
};

bool IsPortNumber(int port);
PortSlot &Slot(int port);  // port must pass IsPortNumber

// Open and not lost: the only state in which I/O is attempted.
bool IsUsable(const PortSlot &slot);

// Makes sure the slot has its QSerialPort with the signal handlers attached.
QSerialPort *SerialFor(int port);
// The same for the in-process simulated sensor's line.
SimulatedLine *SimulatedFor(int port);

// Empties the line's input queue (what the program holds and what the device
// has not delivered yet) or its output queue.
void ClearLineInput(PortSlot &slot);
void ClearLineOutput(PortSlot &slot);

// Moves what the device has delivered into the port's input buffer without
// running the event loop. Returns false when the device turned out lost.
bool PullWaitingBytes(int port);

// Schedules a receive check for event processing (at most one pending).
void PostReceiveCheck(int port);

// Closes the port, forgets its callback; used by CloseCom, a reopen and loss.
void ClosePort(int port);

ComLostCallbackPtr &LostCallback();

// ---- Wire trace (com_trace.h), written only while a trace file is open ----
// The name the trace gives the port: its device.
QByteArray TraceNameOf(int port);
// Takes every byte waiting on a usable port and traces it as unframed ("how"
// says what became of it), so nothing the line delivered leaves the program
// untraced. Does nothing while the trace is off.
void TraceWaitingBytes(int port, const char *how);

// Told of every write as it begins: the port, the Timer() time of the call
// and the bytes. The spacing between two writes is the program's own, with
// none of the jitter a reader at the far end of the line sees.
using WriteObserver = void (*)(int port, double time, const char *bytes, int count);
void SetWriteObserver(WriteObserver observer);

}  // namespace rs232

#endif
