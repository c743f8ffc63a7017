#include "runtime/userint/window_guard.h"

#include <QCloseEvent>
#include <QDialog>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>

#include "runtime/userint/panel_registry.h"

namespace uilayer {

PanelWindowGuard::PanelWindowGuard(QWidget *panel, int handle) : QObject(panel), handle_(handle) {
  panel->installEventFilter(this);
}

bool PanelWindowGuard::eventFilter(QObject *watched, QEvent *event) {
  if (watched != parent()) return false;
  if (event->type() == QEvent::Close) {
    event->ignore();
    PanelRecord *record = FindPanel(handle_);
    if (record && record->callback) record->callback(handle_, EVENT_CLOSE, nullptr, 0, 0);
    return true;
  }
  // A dialog would hide itself on Escape without any close event.
  if (event->type() == QEvent::KeyPress && qobject_cast<QDialog *>(watched) &&
      static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape)
    return true;
  return false;
}

namespace {
bool g_closeWhenShown = false;
}

void SetCloseWhenShown(bool on) { g_closeWhenShown = on; }

void NoteWindowShown(QWidget *window) {
  if (!g_closeWhenShown || !window->isWindow()) return;
  g_closeWhenShown = false;
  // Queued, so it arrives once the event loop runs with the window shown;
  // a window discarded before then takes the request with it.
  QTimer::singleShot(0, window, [window] { window->close(); });
}

}  // namespace uilayer
