// Internal to the run-time layer: keeps graph redraws cheap. A polling loop
// changes a graph many times a second (delete, plot, plot, cursors ...); each
// change asks for a redraw and the pacer draws once per frame at most, and not
// at all while the graph is hidden.
#ifndef KVOR_UI_GRAPH_REDRAW_PACER_H
#define KVOR_UI_GRAPH_REDRAW_PACER_H

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>

class QWidget;

namespace uilayer {

class RedrawPacer : public QObject {
  Q_OBJECT
 public:
  // About 25 frames a second.
  static constexpr int kFrameMs = 40;

  RedrawPacer(QWidget *widget, std::function<void()> draw);

  // Draws at the next frame (coalescing every request until then).
  void request();
  // Draws now when the widget can be seen; otherwise when it is shown.
  void drawNow();
  // The widget has just been shown: draw what was asked for while hidden.
  void shown();
  bool pending() const { return dirty_; }

 private:
  void onTimer();

  QWidget *widget_;
  std::function<void()> draw_;
  QTimer timer_;
  QElapsedTimer sinceLastDraw_;
  bool dirty_ = false;
};

}  // namespace uilayer

#endif
