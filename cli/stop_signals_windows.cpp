// Windows' stop requests taken into the event loop as SIGINT and SIGTERM are
// elsewhere: Ctrl+C, Ctrl+Break and closing the console window (and a log-off
// or shut-down). The system calls the handler on a thread of its own; it only
// hands the stop to the event loop, which runs it between two steps, so what
// is being written at that moment is finished first (whole lines, whole
// frames). Closing the console ends the process as soon as the handler
// returns, so for that the handler waits: the program ends on its own once
// the stop has gone through, well within the few seconds the system allows.
#include "cli/stop_signals.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <windows.h>

#include <atomic>
#include <utility>

namespace kvorcli {

namespace {

// How long a console close may take before the system ends the process
// itself (it allows five seconds).
const DWORD kCloseGraceMs = 4500;

std::function<void()> g_stop;  // written before the handler is installed
std::atomic<bool> g_requested{false};

BOOL WINAPI OnConsoleEvent(DWORD event) {
  QCoreApplication *app = QCoreApplication::instance();
  if (app == nullptr || !g_stop) return FALSE;  // the system's default: end now
  if (!g_requested.exchange(true))
    QMetaObject::invokeMethod(app, [] { g_stop(); }, Qt::QueuedConnection);
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
    ::SleepEx(kCloseGraceMs, FALSE);
  return TRUE;
}

}  // namespace

bool CatchStopSignals(std::function<void()> stop) {
  g_stop = std::move(stop);
  return ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE) != 0;
}

}  // namespace kvorcli
