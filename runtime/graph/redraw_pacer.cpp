#include "runtime/graph/redraw_pacer.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <thread>

#include "runtime/utility/utility.h"

namespace uilayer {

namespace {
QList<RedrawPacer *> &Registry() {
  static QList<RedrawPacer *> pacers;
  return pacers;
}
}  // namespace

RedrawPacer::RedrawPacer(QWidget *widget, std::function<void()> draw)
    : QObject(widget), widget_(widget), draw_(std::move(draw)) {
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, &RedrawPacer::onTimer);
  Registry().append(this);
}

RedrawPacer::~RedrawPacer() { Registry().removeOne(this); }

const QList<RedrawPacer *> &RedrawPacer::all() { return Registry(); }

qint64 RedrawPacer::dueInMs() const {
  if (!dirty_ || !timer_.isActive()) return -1;
  return std::max(0, timer_.remainingTime());
}

void RedrawPacer::drawDueFrame() {
  if (!dirty_ || !timer_.isActive()) return;
  timer_.stop();
  onTimer();
}

void RedrawPacer::request() {
  dirty_ = true;
  if (!widget_->isVisible() || timer_.isActive()) return;
  int wait = 0;
  if (sinceLastDraw_.isValid())
    wait = std::max<qint64>(0, kFrameMs - sinceLastDraw_.elapsed());
  timer_.start(wait);
}

void RedrawPacer::drawNow() {
  dirty_ = true;
  if (!widget_->isVisible()) return;
  timer_.stop();
  onTimer();
}

void RedrawPacer::shown() {
  // Drawn before the first paint, so a graph never shows stale content.
  if (dirty_) drawNow();
}

void RedrawPacer::onTimer() {
  if (!widget_->isVisible()) return;  // stays dirty until shown
  dirty_ = false;
  sinceLastDraw_.start();
  ++draws_;
  draw_();
}

namespace {
// A frame due this close to the sleep's end is left to the event loop, so the
// sleep never runs over.
const double kDrawRoomSeconds = 0.003;
}  // namespace

void DrawWhileBlocked(double untilSeconds) {
  // Widgets may be touched on the user-interface thread only; a sleep on any
  // other thread is a plain sleep.
  const QCoreApplication *app = QCoreApplication::instance();
  if (app == nullptr || QThread::currentThread() != app->thread()) return;
  for (;;) {
    RedrawPacer *next = nullptr;
    qint64 soonest = -1;
    for (RedrawPacer *pacer : RedrawPacer::all()) {
      const qint64 due = pacer->dueInMs();
      if (due >= 0 && (soonest < 0 || due < soonest)) {
        soonest = due;
        next = pacer;
      }
    }
    if (next == nullptr) break;
    const double dueAt = Timer() + soonest / 1000.0;
    if (dueAt > untilSeconds - kDrawRoomSeconds) break;
    if (soonest > 0) std::this_thread::sleep_for(std::chrono::milliseconds(soonest));
    next->drawDueFrame();
  }
  // Paint requests only: no input, timer or serial event is looked at.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
}

}  // namespace uilayer
