// Stop requests on Windows: Ctrl+C, Ctrl+Break and closing the console
// window, through a console control handler (which runs on a thread of its
// own). While the program runs, the system timer ticks every millisecond, so
// a paced sensor's sleeps end when they should rather than 15.6 ms late.
#include "sim/stop_requests.h"

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace kvorsim {

namespace {

std::mutex g_mutex;
std::condition_variable g_changed;
bool g_stopAsked = false;
bool g_stopped = false;

BOOL WINAPI OnConsoleEvent(DWORD event) {
  std::unique_lock<std::mutex> lock(g_mutex);
  g_stopAsked = true;
  g_changed.notify_all();
  // Once a handler returns from a console close, logoff or shutdown, Windows
  // ends the process: wait (within the few seconds it grants) until the
  // sensors have stopped.
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
    g_changed.wait_for(lock, std::chrono::seconds(4), [] { return g_stopped; });
  return TRUE;
}

}  // namespace

StopRequests::StopRequests() {
  timeBeginPeriod(1);
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

StopRequests::~StopRequests() {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_stopped = true;
  }
  g_changed.notify_all();
  timeEndPeriod(1);
}

void StopRequests::wait() {
  std::unique_lock<std::mutex> lock(g_mutex);
  g_changed.wait(lock, [] { return g_stopAsked; });
}

}  // namespace kvorsim
