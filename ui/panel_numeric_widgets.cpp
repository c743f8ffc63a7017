#include "ui/panel_numeric_widgets.h"

#include <QKeyEvent>
#include <QPainter>
#include <QSignalBlocker>

namespace uilayer {
namespace {

bool IsEnterKey(const QKeyEvent *event) {
  return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

}  // namespace

bool PaintAsIndicator(QAbstractSpinBox *box) {
  if (!box->isReadOnly()) return false;
  QPainter painter(box);
  const QRect field = box->rect();
  painter.fillRect(field, box->palette().color(QPalette::Base));
  painter.setPen(box->palette().color(QPalette::Mid));
  painter.drawRect(field.adjusted(0, 0, -1, -1));
  return true;
}

void FollowReadOnly(QAbstractSpinBox *box) {
  // Opaque: Qt need not draw the panel (a group box's frame) behind it.
  box->setAttribute(Qt::WA_OpaquePaintEvent, box->isReadOnly());
}

NumericSpinBox::NumericSpinBox(QWidget *parent) : QSpinBox(parent) {
  // Blocked signals (values set by the layer) never reach this, so only the
  // operator's changes count.
  connect(this, &QSpinBox::valueChanged, this, [this] { tracker_.noteOperatorChange(); });
}

void NumericSpinBox::stepBy(int steps) {
  int before = value();
  QSpinBox::stepBy(steps);
  // A step against the end of the range changes nothing and commits nothing.
  if (value() != before) commit();
}

void NumericSpinBox::keyPressEvent(QKeyEvent *event) {
  if (!IsEnterKey(event) || isReadOnly()) {
    QSpinBox::keyPressEvent(event);
    return;
  }
  // Qt re-announces the value on Enter even when nothing changed; only a
  // real change is a value change.
  const int before = value();
  {
    QSignalBlocker block(this);
    QSpinBox::keyPressEvent(event);
  }
  if (value() != before) emit valueChanged(value());
  commit();
}

void NumericSpinBox::focusOutEvent(QFocusEvent *event) {
  QSpinBox::focusOutEvent(event);
  if (tracker_.takeCommitOnFocusLeave() && !isReadOnly()) emit committed();
}

void NumericSpinBox::paintEvent(QPaintEvent *event) {
  if (!PaintAsIndicator(this)) QSpinBox::paintEvent(event);
}

void NumericSpinBox::showEvent(QShowEvent *event) {
  FollowReadOnly(this);
  QSpinBox::showEvent(event);
}

void NumericSpinBox::commit() {
  tracker_.noteCommitted();
  emit committed();
}

NumericDoubleSpinBox::NumericDoubleSpinBox(QWidget *parent) : QDoubleSpinBox(parent) {
  // Only the operator's changes get through unblocked: any of them replaces
  // the program's value by what the field shows.
  connect(this, &QDoubleSpinBox::valueChanged, this, [this] {
    tracker_.noteOperatorChange();
    holdsProgramValue_ = false;
  });
}

void NumericDoubleSpinBox::setProgramValue(double value) {
  // setValue repaints even when the shown value stays: only a change shows.
  const double shown = QString::number(value, 'f', decimals()).toDouble();
  if (shown != this->value() || !(value >= minimum() && value <= maximum())) setValue(value);
  // The widget clamps to its range and rounds to its decimals; a value it
  // clamped is not the program's any more.
  const bool inRange = value >= minimum() && value <= maximum();
  holdsProgramValue_ = inRange;
  programValue_ = value;
  programValueShown_ = this->value();
}

double NumericDoubleSpinBox::exactValue() const {
  const double shown = value();
  return holdsProgramValue_ && shown == programValueShown_ ? programValue_ : shown;
}

void NumericDoubleSpinBox::stepBy(int steps) {
  double before = value();
  QDoubleSpinBox::stepBy(steps);
  if (value() != before) commit();
}

void NumericDoubleSpinBox::keyPressEvent(QKeyEvent *event) {
  if (!IsEnterKey(event) || isReadOnly()) {
    QDoubleSpinBox::keyPressEvent(event);
    return;
  }
  // Qt re-announces the value on Enter even when nothing changed; only a
  // real change is a value change.
  const double before = value();
  {
    QSignalBlocker block(this);
    QDoubleSpinBox::keyPressEvent(event);
  }
  if (value() != before) emit valueChanged(value());
  commit();
}

void NumericDoubleSpinBox::focusOutEvent(QFocusEvent *event) {
  QDoubleSpinBox::focusOutEvent(event);
  if (tracker_.takeCommitOnFocusLeave() && !isReadOnly()) emit committed();
}

void NumericDoubleSpinBox::paintEvent(QPaintEvent *event) {
  if (!PaintAsIndicator(this)) QDoubleSpinBox::paintEvent(event);
}

void NumericDoubleSpinBox::showEvent(QShowEvent *event) {
  FollowReadOnly(this);
  QDoubleSpinBox::showEvent(event);
}

void NumericDoubleSpinBox::commit() {
  tracker_.noteCommitted();
  emit committed();
}

}  // namespace uilayer
