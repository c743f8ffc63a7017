#include "ui/panel_numeric_widgets.h"

#include <QKeyEvent>
#include <QSignalBlocker>

namespace uilayer {
namespace {

bool IsEnterKey(const QKeyEvent *event) {
  return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

}  // namespace

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
  setValue(value);
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

void NumericDoubleSpinBox::commit() {
  tracker_.noteCommitted();
  emit committed();
}

}  // namespace uilayer
