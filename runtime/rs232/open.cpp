// Opening, configuring and closing serial ports.
#include "runtime/rs232/rs232.h"
#include "runtime/rs232/ports.h"
#include "runtime/rs232/serial_errors.h"
#include "runtime/rs232/simulated_line.h"
#include "runtime/runtime.h"

#include <QCoreApplication>
#include <QSerialPort>
#include <QString>

#include <cmath>
#include <string>

using rs232::Slot;

namespace {

bool ValidSettings(long baudRate, int parity, int dataBits, int stopBits, int inputQueueSize,
                   int outputQueueSize) {
  return baudRate > 0 && baudRate <= 0x7FFFFFFFL && parity >= 0 && parity <= 4 && dataBits >= 5 &&
         dataBits <= 8 && (stopBits == 1 || stopBits == 2) && inputQueueSize >= 0 &&
         outputQueueSize >= 0;
}

QSerialPort::Parity ToQtParity(int parity) {
  switch (parity) {
    case RS_ODD_PARITY: return QSerialPort::OddParity;
    case RS_EVEN_PARITY: return QSerialPort::EvenParity;
    case 3: return QSerialPort::MarkParity;
    case 4: return QSerialPort::SpaceParity;
    default: return QSerialPort::NoParity;
  }
}

// Opens a serial device on the port's QSerialPort: 0 or an RS_* code.
int OpenSerialDevice(int port, const std::string &device, long baudRate, int parity, int dataBits, int stopBits) {
  const int nodeError = CheckSerialDeviceNode(device);
  if (nodeError < 0) return nodeError;

  // Qt serialises access with a lock file named after the device, with any
  // slash of the name replaced ("LCK..pts_3" for /dev/pts/3), so
  // pseudo-terminals lock like any other device and a second open of a busy
  // device is refused.
  QSerialPort *serial = rs232::SerialFor(port);
  serial->clearError();
  serial->setPortName(QString::fromLocal8Bit(device.c_str()));
  serial->setBaudRate(static_cast<qint32>(baudRate));
  serial->setParity(ToQtParity(parity));
  serial->setDataBits(static_cast<QSerialPort::DataBits>(dataBits));
  serial->setStopBits(stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
  serial->setFlowControl(QSerialPort::NoFlowControl);
  // The input queue grows as needed; the system empties it before every
  // exchange, so the queue sizes asked for are only checked for sense.
  serial->setReadBufferSize(0);
  if (!serial->open(QIODevice::ReadWrite)) return MapSerialOpenError(*serial);
  return 0;
}

}  // namespace

int OpenComConfig(int port, const char *deviceName, long baudRate, int parity, int dataBits,
                  int stopBits, int inputQueueSize, int outputQueueSize) {
  if (!rs232::IsPortNumber(port)) return RS_INVALID_PORT_NUMBER;
  std::string device;
  if (deviceName != nullptr && deviceName[0] != '\0') {
    device = deviceName;
  } else {
    char name[512];
    const int found = GetComPortDevice(port, name, sizeof name);
    // A gone adapter's entry names no device to open; anything else is no entry.
    if (found == RS_NO_SERIAL_PORT) return RS_NO_SERIAL_PORT;
    if (found < 0) return RS_INVALID_PORT_NUMBER;
    device = name;
  }
  if (!ValidSettings(baudRate, parity, dataBits, stopBits, inputQueueSize, outputQueueSize))
    return RS_INVALID_PARAMETER;
  // The port's notifications need Qt's event processing.
  if (QCoreApplication::instance() == nullptr) return RS_UNKNOWN_SYSTEM_ERROR;

  // Opening an open port starts it afresh on the (possibly new) device.
  if (Slot(port).open || Slot(port).lost) rs232::ClosePort(port);

  rs232::PortSlot &slot = Slot(port);
  if (IsSimulatedDevice(device)) {
    // The in-process simulated sensor: no line settings to make.
    SimulatedLine *simulated = rs232::SimulatedFor(port);
    const int opened = simulated->OpenDevice(device);
    if (opened < 0) return opened;
    slot.line = simulated;
  } else {
    const int opened = OpenSerialDevice(port, device, baudRate, parity, dataBits, stopBits);
    if (opened < 0) return opened;
    slot.line = slot.serial;
  }
  slot.open = true;
  slot.lost = false;
  slot.session += 1;
  slot.timeoutSeconds = rs232::kDefaultTimeoutSeconds;
  return 0;
}

int CloseCom(int port) {
  if (!rs232::IsPortNumber(port)) return RS_INVALID_PARAMETER;
  rs232::PortSlot &slot = Slot(port);
  if (!slot.open) return RS_PORT_NOT_OPEN;
  const bool wasLost = slot.lost;
  rs232::ClosePort(port);
  return wasLost ? RS_PORT_NOT_OPEN : 0;
}

int SetComTime(int port, double timeoutSeconds) {
  if (!rs232::IsPortNumber(port) || !std::isfinite(timeoutSeconds) || timeoutSeconds < 0)
    return RS_INVALID_PARAMETER;
  rs232::PortSlot &slot = Slot(port);
  if (!rs232::IsUsable(slot)) return RS_PORT_NOT_OPEN;
  // Waits are counted in whole milliseconds by Qt; a day is plenty.
  if (timeoutSeconds > 86400.0) return RS_INVALID_PARAMETER;
  slot.timeoutSeconds = timeoutSeconds;
  return 0;
}

int SetCTSMode(int port, int mode) {
  if (!rs232::IsPortNumber(port) || (mode != 0 && mode != 1)) return RS_INVALID_PARAMETER;
  rs232::PortSlot &slot = Slot(port);
  if (!rs232::IsUsable(slot)) return RS_PORT_NOT_OPEN;
  // The simulated sensor's line has no handshake lines to switch.
  if (slot.line != slot.serial) return 0;
  const QSerialPort::FlowControl flow = mode ? QSerialPort::HardwareControl : QSerialPort::NoFlowControl;
  if (!slot.serial->setFlowControl(flow)) return RS_INVALID_PARAMETER;
  return 0;
}
