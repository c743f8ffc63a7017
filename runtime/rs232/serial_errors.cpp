#include "runtime/rs232/serial_errors.h"

#include "runtime/rs232/rs232.h"

#include <QString>

#include <cerrno>
#include <cstring>

#ifndef _WIN32
#include <poll.h>
#include <sys/stat.h>
#endif

int CheckSerialDeviceNode(const std::string &device) {
#ifdef _WIN32
  (void)device;
  return 0;
#else
  if (device.empty()) return RS_NO_SERIAL_PORT;
  // Qt accepts "ttyUSB0" as well as "/dev/ttyUSB0"; the checks need the path.
  const std::string path = device[0] == '/' ? device : "/dev/" + device;
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return RS_NO_SERIAL_PORT;
    if (errno == EACCES || errno == EPERM) return RS_CANNOT_OPEN_PORT;
    return RS_UNKNOWN_SYSTEM_ERROR;
  }
  if (S_ISDIR(st.st_mode) || S_ISREG(st.st_mode)) return RS_CANNOT_OPEN_PORT;
  return 0;
#endif
}

int MapSerialOpenError(const QSerialPort &serial) {
  switch (serial.error()) {
    case QSerialPort::DeviceNotFoundError:
      return RS_NO_SERIAL_PORT;
    case QSerialPort::PermissionError:  // no permission, busy, or its lock file held
    case QSerialPort::OpenError:
      return RS_CANNOT_OPEN_PORT;
    case QSerialPort::UnsupportedOperationError:
#ifndef _WIN32
      // A character device that is no terminal (/dev/null) fails its first
      // terminal call: that is a device that cannot be opened as a port, not
      // a setting the caller got wrong.
      if (serial.errorString() == QString::fromLocal8Bit(std::strerror(ENOTTY)))
        return RS_CANNOT_OPEN_PORT;
#endif
      return RS_INVALID_PARAMETER;
    case QSerialPort::ResourceError:
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
      return RS_UNKNOWN_IO_ERROR;
    default:
      return RS_UNKNOWN_SYSTEM_ERROR;
  }
}

// Qt counts an empty read as a read error, and one happens whenever its read
// notification arrives after the bytes were already taken by a zero-time
// wait. The terminal itself is asked: a hung-up terminal reports POLLHUP (or
// POLLERR) for good.
bool SerialDeviceGone(QSerialPort *serial, QSerialPort::SerialPortError error) {
  if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError &&
      error != QSerialPort::WriteError)
    return false;
#ifdef _WIN32
  (void)serial;
  return error == QSerialPort::ResourceError;
#else
  const int fd = static_cast<int>(serial->handle());
  if (fd < 0) return true;
  pollfd p{fd, POLLIN, 0};
  int ready;
  do {
    ready = ::poll(&p, 1, 0);
  } while (ready < 0 && errno == EINTR);
  if (ready < 0) return true;
  return ready > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
#endif
}

void WatchSerialInputAgain(QSerialPort *serial) {
  // Setting the read buffer size (to what it is) makes QSerialPort watch the
  // device again.
  serial->setReadBufferSize(serial->readBufferSize());
}
