#include "ui/panel_window_guard.h"

#include <QCloseEvent>
#include <QDialog>
#include <QKeyEvent>
#include <QWidget>

#include "ui/panel_registry.h"

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

}  // namespace uilayer
