// The POSIX half of StopSignals: the handler only writes a byte into a pipe
// (and notes the signal); a socket notifier on the pipe's other end calls
// the stop function from the event loop.
#include "cli/stop_signals.h"

#include <QSocketNotifier>

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <utility>

namespace kvorcli {

namespace {

int g_pipe[2] = {-1, -1};
volatile sig_atomic_t g_caught = 0;

void OnSignal(int) {
  const int saved = errno;
  g_caught = 1;
  const char c = 's';
  if (g_pipe[1] >= 0) (void)!::write(g_pipe[1], &c, 1);
  errno = saved;
}

}  // namespace

struct StopSignals::Watch {
  struct sigaction oldInt {}, oldTerm {};
  std::unique_ptr<QSocketNotifier> notifier;
};

StopSignals::StopSignals(std::function<void()> stop) : watch_(new Watch) {
  // One at a time: the handler knows one pipe.
  if (g_pipe[0] >= 0 || ::pipe2(g_pipe, O_NONBLOCK | O_CLOEXEC) != 0) return;
  g_caught = 0;
  watch_->notifier = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
  QObject::connect(watch_->notifier.get(), &QSocketNotifier::activated, watch_->notifier.get(),
                   [stop = std::move(stop)] {
                     char drain[16];
                     while (::read(g_pipe[0], drain, sizeof drain) > 0) {
                     }
                     if (stop) stop();
                   });
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, &watch_->oldInt);
  sigaction(SIGTERM, &action, &watch_->oldTerm);
}

StopSignals::~StopSignals() {
  if (!watch_->notifier) return;
  sigaction(SIGINT, &watch_->oldInt, nullptr);
  sigaction(SIGTERM, &watch_->oldTerm, nullptr);
  watch_->notifier.reset();
  ::close(g_pipe[0]);
  ::close(g_pipe[1]);
  g_pipe[0] = g_pipe[1] = -1;
}

bool StopSignals::Caught() const { return watch_->notifier && g_caught != 0; }

}  // namespace kvorcli
