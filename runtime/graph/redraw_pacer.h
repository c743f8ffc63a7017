// Internal to the run-time layer: keeps graph redraws cheap. A polling loop
// changes a graph many times a second (delete, plot, plot, cursors ...); each
// change asks for a redraw and the pacer draws once per frame at most, and not
// at all while the graph is hidden.
#ifndef KVOR_RUNTIME_GRAPH_REDRAW_PACER_H
#define KVOR_RUNTIME_GRAPH_REDRAW_PACER_H

#include <QElapsedTimer>
#include <QList>
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
  // How often the graph has been drawn.
  int draws() const { return draws_; }

  ~RedrawPacer() override;
  // Milliseconds until this pacer's next frame is due, -1 when none is.
  qint64 dueInMs() const;
  // Draws now the frame that is due, without waiting for the event loop.
  void drawDueFrame();
  // Every pacer of the program, for the redraws done while it sleeps.
  static const QList<RedrawPacer *> &all();

 private:
  void onTimer();

  QWidget *widget_;
  std::function<void()> draw_;
  QTimer timer_;
  QElapsedTimer sinceLastDraw_;
  bool dirty_ = false;
  int draws_ = 0;
};

// Draws, while the caller sleeps until untilSeconds (Timer seconds), every
// graph frame that falls due before then, each at its time, and paints what
// changed on the panels; returns in time for the sleep's end.
void DrawWhileBlocked(double untilSeconds);

}  // namespace uilayer

#endif
