#include "sim/line_endpoint.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "sim/clock.h"

namespace kvorsim {

namespace {

std::string describe(const char *what, const std::string &path = std::string()) {
  std::string text = what;
  if (!path.empty()) text += " " + path;
  return text + ": " + std::strerror(errno);
}

speed_t speedFor(int baud) {
  switch (baud) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    default: return B0;
  }
}

bool makeRaw(int fd, int baud) {
  termios tio{};
  if (tcgetattr(fd, &tio) != 0) return false;
  cfmakeraw(&tio);
  tio.c_cflag |= CLOCAL | CREAD;
  tio.c_cflag &= ~(CSTOPB | PARENB | CRTSCTS);
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  const speed_t speed = speedFor(baud);
  if (speed != B0) cfsetspeed(&tio, speed);
  return tcsetattr(fd, TCSANOW, &tio) == 0;
}

}  // namespace

bool LineEndpoint::openPseudoTerminal(std::string *error) {
  close();
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0) {
    *error = describe("posix_openpt");
    return false;
  }
  char name[128] = {};
  if (grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, name, sizeof name) != 0) {
    *error = describe("pseudo-terminal set-up");
    ::close(master);
    return false;
  }
  const int slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (slave < 0) {
    *error = describe("open", name);
    ::close(master);
    return false;
  }
  if (!makeRaw(slave, 19200)) {
    *error = describe("raw mode on", name);
    ::close(slave);
    ::close(master);
    return false;
  }
  fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
  fcntl(master, F_SETFD, FD_CLOEXEC);
  fcntl(slave, F_SETFD, FD_CLOEXEC);
  fd_ = master;
  heldSlave_ = slave;
  path_ = name;
  return true;
}

bool LineEndpoint::openDevice(const std::string &path, int baud, std::string *error) {
  close();
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    *error = describe("open", path);
    return false;
  }
  if (!makeRaw(fd, baud)) {
    *error = describe("serial settings on", path);
    ::close(fd);
    return false;
  }
  tcflush(fd, TCIOFLUSH);
  fd_ = fd;
  path_ = path;
  return true;
}

void LineEndpoint::close() {
  if (fd_ >= 0) ::close(fd_);
  if (heldSlave_ >= 0) ::close(heldSlave_);
  fd_ = heldSlave_ = -1;
}

size_t LineEndpoint::readAvailable(uint8_t *buffer, size_t size) {
  if (fd_ < 0) return 0;
  const ssize_t n = ::read(fd_, buffer, size);
  return n > 0 ? static_cast<size_t>(n) : 0;
}

bool LineEndpoint::writeSome(const uint8_t *bytes, size_t count, const std::atomic<bool> &cancel) {
  double lastProgress = monotonicSeconds();
  while (count > 0) {
    if (cancel.load() || fd_ < 0) return false;
    const ssize_t n = ::write(fd_, bytes, count);
    if (n > 0) {
      bytes += n;
      count -= static_cast<size_t>(n);
      lastProgress = monotonicSeconds();
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
    if (monotonicSeconds() - lastProgress > 2.0) return false;
    pollfd p{fd_, POLLOUT, 0};
    poll(&p, 1, 10);
  }
  return true;
}

bool LineEndpoint::write(const std::vector<uint8_t> &bytes, double byteTime, double start,
                         const std::atomic<bool> &cancel, const WaitUntil &wait) {
  if (byteTime <= 0) return writeSome(bytes.data(), bytes.size(), cancel);
  for (size_t k = 0; k < bytes.size(); ++k) {
    const double due = start + static_cast<double>(k + 1) * byteTime;
    if (!(wait ? wait(due) : sleepUntilUnless(due, cancel)) || cancel.load()) return false;
    if (!writeSome(&bytes[k], 1, cancel)) return false;
  }
  return true;
}

}  // namespace kvorsim
