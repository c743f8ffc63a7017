// The event loop. Callbacks nest: a callback may run a long loop that calls
// ProcessSystemEvents, inside which other callbacks run; a QuitUserInterface
// from any depth ends the innermost RunUserInterface once control is back in
// its loop.
#include <QCoreApplication>
#include <QEventLoop>

#include <vector>

#include "ui/panel_registry.h"

using namespace uilayer;

namespace {

std::vector<QEventLoop *> g_runningLoops;
// A quit asked for while no RunUserInterface runs is kept for the next one,
// so it is never lost.
bool g_quitPending = false;
int g_pendingCode = 0;

}  // namespace

int RunUserInterface(void) {
  if (!LayerReady()) return UIE_NOT_INITIALISED;
  if (g_quitPending) {
    g_quitPending = false;
    return g_pendingCode;
  }
  QEventLoop loop;
  g_runningLoops.push_back(&loop);
  int code = loop.exec();
  g_runningLoops.pop_back();
  return code;
}

int QuitUserInterface(int code) {
  if (g_runningLoops.empty()) {
    g_quitPending = true;
    g_pendingCode = code;
  } else {
    g_runningLoops.back()->exit(code);
  }
  return UIE_NO_ERROR;
}

int ProcessSystemEvents(void) {
  if (!LayerReady()) return UIE_NOT_INITIALISED;
  // One pass over what is waiting: posted events, due timers, input. Never
  // waits for more. What that pass posted in turn is delivered too: bytes
  // noticed on a serial line reach the receive callback through a posted
  // check, and a reply that waits must be taken in the call that notices it.
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  QCoreApplication::sendPostedEvents();
  return UIE_NO_ERROR;
}
