#include "runtime/userint/ring_widget.h"

#include <QEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QWheelEvent>

#include "runtime/userint/port_ring.h"

namespace uilayer {

RingComboBox::RingComboBox(QWidget *parent) : QComboBox(parent) {}

void RingComboBox::showPopup() {
  if (IsPortRing(this)) RefreshPortRing(this);
  QComboBox::showPopup();
}

bool RingComboBox::event(QEvent *event) {
  if (event->type() == QEvent::ToolTip && IsPortRing(this)) UpdatePortRingToolTip(this);
  return QComboBox::event(event);
}

void RingComboBox::wheelEvent(QWheelEvent *event) {
  // The open list scrolls by itself; the closed ring lets the window have it.
  event->ignore();
}

void RingComboBox::keyPressEvent(QKeyEvent *event) {
  switch (event->key()) {
    case Qt::Key_Down:
      if (event->modifiers() & Qt::AltModifier) break;  // Alt+Down opens the list
      event->accept();
      return;
    case Qt::Key_Up:  // Alt+Up included: QComboBox steps on it
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
      event->accept();
      return;
    case Qt::Key_F4:
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
      break;
    default:
      // A key with a text, with or without modifiers, would jump to the entry
      // that text starts with.
      if (!event->text().isEmpty()) {
        event->accept();
        return;
      }
      break;
  }
  QComboBox::keyPressEvent(event);
}

void RingComboBox::inputMethodEvent(QInputMethodEvent *event) {
  // The text an input method commits would jump to an entry, as typing would.
  event->accept();
}

}  // namespace uilayer
