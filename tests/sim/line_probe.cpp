#include "line_probe.h"

#ifndef _WIN32  // Windows has no pseudo-terminals: there the probe reaches the in-process line only
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#endif

#include <cctype>
#include <chrono>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <stdexcept>

#include "sim/in_process_line.h"

namespace simtest {

Bytes hex(const std::string &text) {
  Bytes out;
  int nibbles = 0, value = 0;
  for (char c : text) {
    if (std::isspace(static_cast<unsigned char>(c))) continue;
    if (!std::isxdigit(static_cast<unsigned char>(c))) throw std::invalid_argument("not hex: " + text);
    value = value * 16 + (std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::tolower(c) - 'a' + 10);
    if (++nibbles == 2) {
      out.push_back(static_cast<uint8_t>(value));
      nibbles = value = 0;
    }
  }
  if (nibbles != 0) throw std::invalid_argument("odd number of hex digits: " + text);
  return out;
}

Bytes zeros(size_t count) { return Bytes(count, 0); }

Bytes operator+(Bytes a, const Bytes &b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

std::string toHex(const Bytes &bytes) {
  std::string s;
  char buf[4];
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(buf, sizeof buf, i ? " %02X" : "%02X", bytes[i]);
    s += buf;
  }
  return s;
}

uint16_t wordAt(const Bytes &bytes, size_t at) {
  return static_cast<uint16_t>((bytes.at(at) << 8) | bytes.at(at + 1));
}

double now() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

LineProbe::LineProbe(const std::string &devicePath) {
  if (std::shared_ptr<kvorsim::InProcessLine> line = kvorsim::findInProcessLine(devicePath)) {
    if (line->open()) inProcess_ = line;
    return;
  }
#ifndef _WIN32
  fd_ = ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (fd_ < 0) return;
  termios tio{};
  tcgetattr(fd_, &tio);
  cfmakeraw(&tio);
  cfsetspeed(&tio, B19200);
  tcsetattr(fd_, TCSANOW, &tio);
#endif
}

LineProbe::~LineProbe() {
#ifndef _WIN32
  if (fd_ >= 0) ::close(fd_);
#endif
  if (inProcess_) inProcess_->close();
}

double LineProbe::send(const Bytes &bytes) {
  if (inProcess_) {
    inProcess_->write(bytes.data(), bytes.size());
    return now();
  }
#ifndef _WIN32
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
    } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
      break;
    } else {
      pollfd p{fd_, POLLOUT, 0};
      poll(&p, 1, 10);
    }
  }
#endif
  return now();
}

Bytes LineProbe::receive(size_t count, double timeout) {
  Bytes out;
  arrivals_.clear();
  const double end = now() + timeout;
  while (inProcess_ && out.size() < count) {
    uint8_t buf[512];
    const size_t want = count - out.size() < sizeof buf ? count - out.size() : sizeof buf;
    const size_t n = inProcess_->read(buf, want);
    if (n > 0) {
      taken_ += n;
      out.insert(out.end(), buf, buf + n);
      arrivals_.insert(arrivals_.end(), n, now());
      continue;
    }
    const double left = end - now();
    if (left <= 0 || inProcess_->hungUp()) break;
    inProcess_->waitForInput(taken_, left);
  }
#ifndef _WIN32
  while (!inProcess_ && out.size() < count) {
    const double left = end - now();
    if (left <= 0) break;
    pollfd p{fd_, POLLIN, 0};
    timespec ts{static_cast<time_t>(left), static_cast<long>((left - static_cast<time_t>(left)) * 1e9)};
    if (ppoll(&p, 1, &ts, nullptr) <= 0) continue;
    if (!(p.revents & POLLIN)) break;  // hang-up without data
    uint8_t buf[512];
    const size_t want = count - out.size() < sizeof buf ? count - out.size() : sizeof buf;
    const ssize_t n = ::read(fd_, buf, want);
    if (n <= 0) break;
    const double t = now();
    out.insert(out.end(), buf, buf + n);
    arrivals_.insert(arrivals_.end(), static_cast<size_t>(n), t);
  }
#endif
  return out;
}

Bytes LineProbe::receiveFor(double seconds) { return receive(static_cast<size_t>(-1), seconds); }

bool LineProbe::hangsUp(double seconds) {
  const double end = now() + seconds;
  while (now() < end) {
    if (inProcess_) {
      if (inProcess_->hungUp()) return true;
      receive(4096, 0.01);
      continue;
    }
#ifndef _WIN32
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, 10) <= 0) continue;
    uint8_t drain[64];
    ssize_t n = 0;
    do {
      errno = 0;
      n = ::read(fd_, drain, sizeof drain);
    } while (n > 0 && (p.revents & POLLHUP));
    if (p.revents & POLLHUP) return n == 0 || errno == EIO;
#endif
  }
  return false;
}

Bytes LineProbe::exchange(const Bytes &request, size_t count) {
  send(request);
  return receive(count, 1.5);
}

}  // namespace simtest
