// A pseudo-terminal for the serial tests: the layer opens the slave side by
// its name, the test plays the device on the master side with plain POSIX
// calls.
#ifndef KVOR_TESTS_SUPPORT_PTY_PAIR_H
#define KVOR_TESTS_SUPPORT_PTY_PAIR_H

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string>

class PtyPair {
 public:
  PtyPair() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
    const char *name = ptsname(master_);
    if (name == nullptr) return;
    slaveName_ = name;
    // Raw from the start, so nothing the test writes is echoed or edited
    // before the layer has set the line up itself.
    const int slave = open(name, O_RDWR | O_NOCTTY);
    if (slave < 0) return;
    termios t;
    if (tcgetattr(slave, &t) == 0) {
      cfmakeraw(&t);
      tcsetattr(slave, TCSANOW, &t);
    }
    close(slave);
  }
  ~PtyPair() { CloseMaster(); }
  PtyPair(const PtyPair &) = delete;
  PtyPair &operator=(const PtyPair &) = delete;

  bool ok() const { return master_ >= 0 && !slaveName_.empty(); }
  const char *slave() const { return slaveName_.c_str(); }

  bool Write(const std::string &bytes) {
    return master_ >= 0 && write(master_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  }

  // Reads until count bytes came or the time-out passed.
  std::string Read(size_t count, double timeoutSeconds) {
    std::string got;
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    while (got.size() < count && master_ >= 0) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()).count();
      if (left <= 0) break;
      pollfd p{master_, POLLIN, 0};
      if (poll(&p, 1, static_cast<int>(left)) <= 0) continue;
      char buffer[256];
      const ssize_t n = read(master_, buffer, std::min(sizeof buffer, count - got.size()));
      if (n <= 0) break;
      got.append(buffer, static_cast<size_t>(n));
    }
    return got;
  }

  // The line settings of the slave side, as the layer set them (terminal
  // requests on the master side act on the slave).
  bool SlaveSettings(termios *t) const { return master_ >= 0 && tcgetattr(master_, t) == 0; }

  // The device end goes away: the slave side sees a hang-up.
  void CloseMaster() {
    if (master_ >= 0) close(master_);
    master_ = -1;
  }

 private:
  int master_ = -1;
  std::string slaveName_;
};

#endif
