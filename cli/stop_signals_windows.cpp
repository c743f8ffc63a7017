// The Windows half of StopSignals: Ctrl+C, Ctrl+Break and closing the
// console window (and a log-off or shut-down) take the path SIGINT and
// SIGTERM take elsewhere. The system calls the handler on a thread of its
// own; the handler only notes the stop and posts it to the event loop, which
// calls the stop function between two steps, so what is being written at
// that moment is finished first (whole lines, whole frames). A closed
// console ends the process as soon as the handler returns, so for that the
// handler keeps the process alive while the stop goes through: the command
// ends on its own and the process with it, within the five seconds the
// system allows.
#include "cli/stop_signals.h"

#include <QMetaObject>
#include <QObject>

#include <windows.h>

#include <atomic>
#include <mutex>
#include <utility>

namespace kvorcli {

namespace {

// What the handler's thread reaches of a StopSignals.
struct Catcher {
  QObject target;  // lives in the event loop's thread: the posted stops go to it
  std::function<void()> stop;
};

// How long the handler holds a closing console before the system ends the
// process itself (it allows five seconds).
const DWORD kCloseGraceMs = 4500;

std::mutex g_mutex;                   // guards g_watch against the handler's thread
Catcher *g_watch = nullptr;  // the one StopSignals that catches
std::atomic<bool> g_caught{false};

BOOL WINAPI OnConsoleEvent(DWORD event) {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_watch == nullptr) return FALSE;  // the next handler: the system's, which ends the process
    g_caught = true;
    Catcher *watch = g_watch;
    // Dropped, not run, if the StopSignals goes before the loop comes to it.
    QMetaObject::invokeMethod(
        &watch->target, [watch] {
          if (watch->stop) watch->stop();
        },
        Qt::QueuedConnection);
  }
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
    ::Sleep(kCloseGraceMs);
  return TRUE;
}

}  // namespace

struct StopSignals::Watch : Catcher {
  bool installed = false;
};

StopSignals::StopSignals(std::function<void()> stop) : watch_(new Watch) {
  watch_->stop = std::move(stop);
  {
    // One at a time, as on POSIX systems.
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_watch != nullptr) return;
    g_watch = watch_.get();
    g_caught = false;
  }
  watch_->installed = ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE) != 0;
  if (!watch_->installed) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_watch = nullptr;
  }
}

StopSignals::~StopSignals() {
  if (!watch_->installed) return;
  ::SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
  std::lock_guard<std::mutex> lock(g_mutex);
  g_watch = nullptr;
}

bool StopSignals::Caught() const { return watch_->installed && g_caught; }

}  // namespace kvorcli
