// Internal to the run-time layer: a panel's window never closes by itself.
// The close box (or the window manager) asks; the layer refuses and hands the
// request to the panel's callback as a close event, which decides.
#ifndef KVOR_RUNTIME_USERINT_WINDOW_GUARD_H
#define KVOR_RUNTIME_USERINT_WINDOW_GUARD_H

#include <QObject>

class QWidget;

namespace uilayer {

class PanelWindowGuard : public QObject {
  Q_OBJECT
 public:
  PanelWindowGuard(QWidget *panel, int handle);

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

 private:
  int handle_;
};

// With the option --close-when-shown, the first panel shown as a window of
// its own receives one close request from the event loop, as from its close
// box: a check of an installed program runs the whole start-up and ending.
void SetCloseWhenShown(bool on);
void NoteWindowShown(QWidget *window);

}  // namespace uilayer

#endif
