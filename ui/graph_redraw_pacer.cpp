#include "ui/graph_redraw_pacer.h"

#include <QWidget>

#include <algorithm>

namespace uilayer {

RedrawPacer::RedrawPacer(QWidget *widget, std::function<void()> draw)
    : QObject(widget), widget_(widget), draw_(std::move(draw)) {
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, &RedrawPacer::onTimer);
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
  draw_();
}

}  // namespace uilayer
