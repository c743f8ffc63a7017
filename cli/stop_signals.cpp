#include "cli/stop_signals.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <utility>

namespace kvorcli {

namespace {

int g_pipe[2] = {-1, -1};

void OnSignal(int) {
  const char c = 's';
  (void)!::write(g_pipe[1], &c, 1);
}

}  // namespace

bool CatchStopSignals(std::function<void()> stop) {
  if (g_pipe[0] < 0 && ::pipe2(g_pipe, O_NONBLOCK | O_CLOEXEC) != 0) return false;
  auto *notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read);
  QObject::connect(notifier, &QSocketNotifier::activated, notifier, [notifier, stop = std::move(stop)] {
    char drain[16];
    while (::read(g_pipe[0], drain, sizeof drain) > 0) {
    }
    notifier->setEnabled(false);
    stop();
  });
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  return sigaction(SIGINT, &action, nullptr) == 0 && sigaction(SIGTERM, &action, nullptr) == 0;
}

}  // namespace kvorcli
