// Stop requests on POSIX systems: SIGINT and SIGTERM, taken by sigwait.
#include "sim/stop_requests.h"

#include <pthread.h>

#include <csignal>

namespace kvorsim {

namespace {

sigset_t stopSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  return set;
}

}  // namespace

// Blocked before the sensors' threads start, so they inherit the mask and
// never see the signals.
StopRequests::StopRequests() {
  const sigset_t set = stopSignals();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

StopRequests::~StopRequests() = default;

void StopRequests::wait() {
  const sigset_t set = stopSignals();
  int signal = 0;
  sigwait(&set, &signal);
}

}  // namespace kvorsim
