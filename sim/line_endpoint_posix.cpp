// The sensor's end of a pseudo-terminal or a serial device, on POSIX systems.
#include "sim/line_endpoint.h"
#include "sim/sensor_sim.h"

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

class PosixEndpoint : public LineEndpoint {
 public:
  // Takes the descriptors; heldSlave may be -1.
  PosixEndpoint(int fd, int heldSlave, const int wake[2], std::string path)
      : fd_(fd), heldSlave_(heldSlave), wake_{wake[0], wake[1]}, path_(std::move(path)) {}
  ~PosixEndpoint() override {
    close();
    for (int fd : wake_) ::close(fd);
  }

  Wait waitForInput(double seconds) override {
    timespec ts{static_cast<time_t>(seconds), static_cast<long>((seconds - static_cast<time_t>(seconds)) * 1e9)};
    pollfd fds[2] = {{fd_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    const int ready = ppoll(fds, 2, &ts, nullptr);
    if (ready > 0 && (fds[1].revents & POLLIN)) {
      char drain[16];
      while (::read(wake_[0], drain, sizeof drain) > 0) {
      }
    }
    if (ready > 0 && (fds[0].revents & POLLIN)) return Wait::Input;
    // A real device that went away; a pseudo-terminal never gets here while
    // the endpoint holds its slave open.
    if (ready > 0 && (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL))) return Wait::Closed;
    return Wait::Quiet;
  }

  void interrupt() override {
    const char c = 'q';
    (void)!::write(wake_[1], &c, 1);
  }

  size_t readAvailable(uint8_t *buffer, size_t size) override {
    if (fd_ < 0) return 0;
    const ssize_t n = ::read(fd_, buffer, size);
    return n > 0 ? static_cast<size_t>(n) : 0;
  }

  void close() override {
    if (fd_ >= 0) ::close(fd_);
    if (heldSlave_ >= 0) ::close(heldSlave_);
    fd_ = heldSlave_ = -1;
  }

  std::string path() const override { return path_; }

 protected:
  bool writeSome(const uint8_t *bytes, size_t count, const std::atomic<bool> &cancel) override {
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

 private:
  int fd_;
  int heldSlave_;
  int wake_[2];  // a pipe that interrupts waitForInput
  std::string path_;
};

// The wake-up pipe every endpoint here has; false with the reason.
bool makeWakePipe(int wake[2], std::string *error) {
  if (pipe2(wake, O_NONBLOCK | O_CLOEXEC) == 0) return true;
  *error = describe("cannot create the wake-up pipe");
  return false;
}

}  // namespace

bool havePseudoTerminals() { return true; }

std::unique_ptr<LineEndpoint> openPseudoTerminal(std::string *error) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0) {
    *error = describe("posix_openpt");
    return nullptr;
  }
  char name[128] = {};
  if (grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, name, sizeof name) != 0) {
    *error = describe("pseudo-terminal set-up");
    ::close(master);
    return nullptr;
  }
  const int slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (slave < 0) {
    *error = describe("open", name);
    ::close(master);
    return nullptr;
  }
  int wake[2];
  if (!makeRaw(slave, 19200)) {
    *error = describe("raw mode on", name);
  } else if (makeWakePipe(wake, error)) {
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    fcntl(master, F_SETFD, FD_CLOEXEC);
    fcntl(slave, F_SETFD, FD_CLOEXEC);
    return std::make_unique<PosixEndpoint>(master, slave, wake, name);
  }
  ::close(slave);
  ::close(master);
  return nullptr;
}

std::unique_ptr<LineEndpoint> openSerialDevice(const std::string &path, int baud, std::string *error) {
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    *error = describe("open", path);
    return nullptr;
  }
  int wake[2];
  if (!makeRaw(fd, baud)) {
    *error = describe("serial settings on", path);
  } else if (makeWakePipe(wake, error)) {
    tcflush(fd, TCIOFLUSH);
    return std::make_unique<PosixEndpoint>(fd, -1, wake, path);
  }
  ::close(fd);
  return nullptr;
}

}  // namespace kvorsim
