// Internal to the run-time layer: the window a top-level panel is shown in.
// The panel keeps its own coordinates: its controls, the child panels placed
// in it and the text controls made at run time sit where the panel file and
// the system put them. The window shows the panel at its design size where
// the screen allows, scrolls it where the screen is smaller, and lets the
// panel's own layout share out any extra room when the window is larger.
#ifndef KVOR_RUNTIME_USERINT_WINDOW_H
#define KVOR_RUNTIME_USERINT_WINDOW_H

#include <QRect>
#include <QScrollArea>
#include <QSize>

namespace uilayer {

class PanelWindow : public QScrollArea {
  Q_OBJECT
 public:
  // Takes the panel as its content. designSize is the panel's size in the
  // panel file: the panel is never squeezed below it (nor below what its
  // layout needs); the window scrolls instead.
  PanelWindow(QWidget *panel, QSize designSize);

  QWidget *panel() const { return widget(); }
  QSize designSize() const { return designSize_; }

  // Sizes and places the window once, before it is first shown. Without an
  // anchor (the first window) it opens centred on the primary screen; with
  // one (the program's main window) it opens on the anchor's screen beside
  // it where there is room, otherwise over its centre. A window too large
  // for the screen opens maximized, its panel scrolling.
  void placeOnFirstShow(const QWidget *anchor);

 private:
  QSize openingSize(const QRect &area) const;

  QSize designSize_;
  double screenShare_ = 0;  // panel property screenShare: 0 opens at the design size
  bool placed_ = false;
};

// Where a window of the given size goes beside the anchor's frame, inside
// the screen area: to its right, else to its left, else over its centre.
QPoint PlaceBeside(const QRect &anchorFrame, const QSize &size, const QRect &area);

}  // namespace uilayer

#endif
