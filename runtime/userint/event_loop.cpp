// The event loop. Callbacks nest: a callback may run a long loop that calls
// ProcessSystemEvents, inside which other callbacks run; a QuitUserInterface
// from any depth ends the innermost RunUserInterface once control is back in
// its loop.
#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>

#include <vector>

#include "runtime/userint/panel_registry.h"

using namespace uilayer;

namespace {

std::vector<QEventLoop *> g_runningLoops;
// A quit asked for while no RunUserInterface runs is kept for the next one,
// so it is never lost.
bool g_quitPending = false;
int g_pendingCode = 0;

// How long a call with nothing to do waits for something to happen.
const int kIdleWaitMs = 2;
// A call this soon after the last one returned comes from a loop that does
// not sleep between its calls.
const qint64 kSpinningNs = 1000000;

// Wakes a wait for events that nothing else ends.
QTimer *IdleWaitBound() {
  // Guarded: the timer goes with the application object, which a process
  // may make anew.
  static QPointer<QTimer> timer;
  if (timer.isNull()) {
    timer = new QTimer(QCoreApplication::instance());
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
  }
  return timer;
}

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
  QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance();
  if (dispatcher == nullptr) return UIE_NOT_INITIALISED;
  // One pass over what is waiting: posted events, due timers, input. What
  // that pass posted in turn is delivered too: bytes noticed on a serial
  // line reach the receive callback through a posted check, and a reply
  // that waits must be taken in the call that notices it.
  static QElapsedTimer sinceLastReturn;
  const bool spinning = sinceLastReturn.isValid() && sinceLastReturn.nsecsElapsed() < kSpinningNs;
  const bool handled = dispatcher->processEvents(QEventLoop::AllEvents);
  QCoreApplication::sendPostedEvents();
  if (!handled && spinning) {
    // Nothing was waiting, and the caller polls without sleeping (the video
    // blocks' wait): rather than spin a core, the operating system is asked
    // to wake us for the next event (a byte on the serial line, a click, a
    // timer), or after a couple of milliseconds at the latest. Whatever
    // comes is handled in this call, the moment it comes. A loop that sleeps
    // between its calls is never held up here.
    QTimer *bound = IdleWaitBound();
    bound->start(kIdleWaitMs);
    dispatcher->processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    bound->stop();
    QCoreApplication::sendPostedEvents();
  }
  sinceLastReturn.start();
  return UIE_NO_ERROR;
}
