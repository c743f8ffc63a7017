// Per-port state of the serial layer, the QSerialPort signal handlers, the
// receive check that calls the system's receive callback, and the one place
// where a vanished device is handled.
#include "runtime/rs232/ports.h"
#include "runtime/rs232/serial_errors.h"
#include "runtime/rs232/simulated_line.h"

#include "runtime/rs232/com_trace.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QMetaObject>
#include <QSerialPort>

namespace rs232 {
namespace {

PortSlot g_slots[MAX_COM_PORTS + 1];
ComLostCallbackPtr g_lostCallback = nullptr;
bool g_shutdownRegistered = false;

// Runs from the QCoreApplication destructor: ports are closed (releasing their
// lock files) while Qt is still there to do it.
void ShutdownPorts() {
  for (int port = 1; port <= MAX_COM_PORTS; ++port) {
    PortSlot &slot = g_slots[port];
    if (slot.serial == nullptr && slot.simulated == nullptr) continue;
    ClosePort(port);
    delete slot.serial;
    delete slot.simulated;
    slot.serial = nullptr;
    slot.simulated = nullptr;
    slot.line = nullptr;
  }
  StopSharedSimulatedSensor();
  g_shutdownRegistered = false;
}

void RegisterShutdown() {
  if (g_shutdownRegistered) return;
  qAddPostRoutine(ShutdownPorts);
  g_shutdownRegistered = true;
}

void HandleLoss(int port, unsigned session) {
  PortSlot &slot = g_slots[port];
  if (slot.session != session) return;  // opened again since: that loss is history
  if (slot.open) ClosePort(port);
  if (g_lostCallback != nullptr) g_lostCallback(port);
}

// QSerialPort stops watching the device for input after a read that found
// nothing and left errno at EAGAIN (it takes that for a resource error). Such
// reads are ordinary here: the receive callback and FlushInQ empty the queue
// between Qt's poll and its read. Without this, the next reply would lie in
// the device unread and unannounced.
void ResumeReading(int port, unsigned session) {
  PortSlot &slot = g_slots[port];
  if (slot.session != session || !IsUsable(slot) || slot.line != slot.serial) return;
  // A check fetches whatever arrived meanwhile.
  WatchSerialInputAgain(slot.serial);
  PostReceiveCheck(port);
}

// The device is gone: from here on every operation on the port reports it
// not open. The close and the system's notification wait for event
// processing: this may be running inside a call on the line.
void MarkLost(int port) {
  PortSlot &slot = g_slots[port];
  if (!slot.open || slot.lost) return;
  slot.lost = true;
  const unsigned session = slot.session;
  QMetaObject::invokeMethod(
      slot.line, [port, session] { HandleLoss(port, session); }, Qt::QueuedConnection);
}

void OnError(int port, QSerialPort::SerialPortError error) {
  PortSlot &slot = g_slots[port];
  if (!slot.open || slot.lost || slot.line != slot.serial) return;
  if (!SerialDeviceGone(slot.serial, error)) {
    if (error == QSerialPort::ResourceError || error == QSerialPort::ReadError) {
      // After Qt's read has returned: it turns its watch off only then.
      const unsigned session = slot.session;
      QMetaObject::invokeMethod(
          slot.serial, [port, session] { ResumeReading(port, session); }, Qt::QueuedConnection);
    }
    return;
  }
  MarkLost(port);
}

void OnReadyRead(int port) {
  PortSlot &slot = g_slots[port];
  slot.armed = true;
  PostReceiveCheck(port);
}

void RunReceiveCheck(int port, unsigned session) {
  PortSlot &slot = g_slots[port];
  if (slot.session != session) return;  // posted for an earlier opening
  slot.checkPosted = false;
  if (!IsUsable(slot) || slot.callback == nullptr || (slot.eventMask & LWRS_RECEIVE) == 0) return;
  // The callback may process events; a check that comes up meanwhile waits
  // for it to return instead of calling it a second time inside itself.
  if (slot.inCallback) return;
  if (!PullWaitingBytes(port) || !slot.armed) return;
  const qint64 before = slot.line->bytesAvailable();
  if (before < slot.notifyCount) return;  // stays armed until enough bytes are there

  slot.armed = false;
  slot.inCallback = true;
  slot.callback(port, LWRS_RECEIVE, slot.callbackData);
  slot.inCallback = false;

  if (!IsUsable(slot) || slot.callback == nullptr) return;
  if (slot.session == session) {
    if (!PullWaitingBytes(port)) return;
    // A callback that took some bytes and left another notify count behind
    // is called again; one that took nothing is not, until new bytes arrive.
    const qint64 after = slot.line->bytesAvailable();
    if (after < before && after >= slot.notifyCount) slot.armed = true;
  }
  if (slot.armed) PostReceiveCheck(port);
}

}  // namespace

bool IsPortNumber(int port) { return port >= 1 && port <= MAX_COM_PORTS; }

PortSlot &Slot(int port) { return g_slots[port]; }

bool IsUsable(const PortSlot &slot) { return slot.open && !slot.lost && slot.line != nullptr; }

QSerialPort *SerialFor(int port) {
  PortSlot &slot = g_slots[port];
  if (slot.serial != nullptr) return slot.serial;
  slot.serial = new QSerialPort();
  QObject::connect(slot.serial, &QSerialPort::readyRead, slot.serial, [port] { OnReadyRead(port); });
  QObject::connect(slot.serial, &QSerialPort::errorOccurred, slot.serial,
                   [port](QSerialPort::SerialPortError error) { OnError(port, error); });
  RegisterShutdown();
  return slot.serial;
}

SimulatedLine *SimulatedFor(int port) {
  PortSlot &slot = g_slots[port];
  if (slot.simulated != nullptr) return slot.simulated;
  // The window's "simulated" is one sensor for the whole program.
  slot.simulated = new SimulatedLine(SimulatedLine::SensorSource::Shared);
  QObject::connect(slot.simulated, &QIODevice::readyRead, slot.simulated, [port] { OnReadyRead(port); });
  slot.simulated->SetLostHandler([port] {
    if (g_slots[port].line == g_slots[port].simulated) MarkLost(port);
  });
  RegisterShutdown();
  return slot.simulated;
}

void ClearLineInput(PortSlot &slot) {
  if (slot.line == slot.serial) slot.serial->clear(QSerialPort::Input);
  else slot.simulated->ClearInput();
}

void ClearLineOutput(PortSlot &slot) {
  // What is written to the simulated sensor is with it at once: nothing waits.
  if (slot.line == slot.serial) slot.serial->clear(QSerialPort::Output);
}

bool PullWaitingBytes(int port) {
  PortSlot &slot = g_slots[port];
  if (!IsUsable(slot)) return false;
  // Each zero-time wait moves what one read of the device gives; a few rounds
  // take everything that is there without ever blocking.
  for (int round = 0; round < 64 && IsUsable(slot); ++round) {
    if (!slot.line->waitForReadyRead(0)) break;
  }
  return IsUsable(slot);
}

void PostReceiveCheck(int port) {
  PortSlot &slot = g_slots[port];
  if (slot.checkPosted || slot.line == nullptr) return;
  slot.checkPosted = true;
  const unsigned session = slot.session;
  QMetaObject::invokeMethod(
      slot.line, [port, session] { RunReceiveCheck(port, session); }, Qt::QueuedConnection);
}

void ClosePort(int port) {
  PortSlot &slot = g_slots[port];
  TraceWaitingBytes(port, "left unread at close");
  if (slot.line != nullptr && slot.line->isOpen()) slot.line->close();
  slot.open = false;
  slot.lost = false;
  slot.timeoutSeconds = kDefaultTimeoutSeconds;
  slot.callback = nullptr;
  slot.callbackData = nullptr;
  slot.eventMask = 0;
  slot.notifyCount = 0;
  slot.armed = false;
  slot.checkPosted = false;
}

ComLostCallbackPtr &LostCallback() { return g_lostCallback; }

QByteArray TraceNameOf(int port) {
  PortSlot &slot = g_slots[port];
  if (slot.line != nullptr && slot.line == slot.simulated) return slot.simulated->Name().toLocal8Bit();
  return slot.serial != nullptr ? slot.serial->portName().toLocal8Bit() : QByteArray::number(port);
}

void TraceWaitingBytes(int port, const char *how) {
  if (!ComTraceOn()) return;
  PortSlot &slot = g_slots[port];
  if (!IsUsable(slot)) return;
  PullWaitingBytes(port);
  const QByteArray waiting = slot.line->readAll();
  TraceComUnframed(TraceNameOf(port).constData(), waiting.constData(), static_cast<int>(waiting.size()), how);
}

}  // namespace rs232
