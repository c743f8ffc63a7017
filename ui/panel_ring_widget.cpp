#include "ui/panel_ring_widget.h"

#include <QEvent>
#include <QKeyEvent>
#include <QWheelEvent>

#include "ui/port_ring.h"

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
  const bool alt = (event->modifiers() & Qt::AltModifier) != 0;
  switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
      if (alt) break;  // Alt+Down opens the list
      event->accept();
      return;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
      event->accept();
      return;
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
      break;
    default:
      // Typing over the closed ring would jump to the entry it starts with.
      if (!event->text().isEmpty() && event->text().at(0).isPrint() &&
          (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) == 0) {
        event->accept();
        return;
      }
      break;
  }
  QComboBox::keyPressEvent(event);
}

}  // namespace uilayer
