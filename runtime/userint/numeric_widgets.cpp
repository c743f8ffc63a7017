#include "runtime/userint/numeric_widgets.h"

#include <QKeyEvent>
#include <QLocale>
#include <QPainter>
#include <QSignalBlocker>

namespace uilayer {
namespace {

bool IsEnterKey(const QKeyEvent *event) {
  return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

// The typed text without the field's prefix and suffix.
QString Stripped(const QAbstractSpinBox *box, QString text, const QString &prefix, const QString &suffix) {
  (void)box;
  if (!prefix.isEmpty() && text.startsWith(prefix)) text.remove(0, prefix.size());
  if (!suffix.isEmpty() && text.endsWith(suffix)) text.chop(suffix.size());
  return text.trimmed();
}

// Whether the field's text reads as a number of its range.
bool NumericTextReadable(const QAbstractSpinBox *box) {
  QString text = box->text();
  int pos = 0;
  return box->validate(text, pos) == QValidator::Acceptable;
}

// A locale's sign or separator as one character (none where it has more).
QChar OneChar(const QString &text) { return text.size() == 1 ? text.at(0) : QChar(); }

}  // namespace

QValidator::State ReadTypedNumber(const QAbstractSpinBox *box, const QString &typed, int decimals,
                                  double minimum, double maximum, double *value) {
  *value = 0;
  if (typed.isEmpty()) return QValidator::Intermediate;
  const QLocale locale = box->locale();
  // Plain ASCII for the C locale's reader: digits of any script, one sign at
  // the front, one decimal mark.
  QByteArray number;
  bool mark = false, digits = false, wellFormed = true;
  int fractionDigits = 0;
  for (int i = 0; i < typed.size(); ++i) {
    const QChar c = typed.at(i);
    if (c.digitValue() >= 0) {
      number += static_cast<char>('0' + c.digitValue());
      digits = true;
      if (mark) ++fractionDigits;
    } else if (i == 0 && (c == QLatin1Char('-') || c == OneChar(locale.negativeSign()))) {
      if (minimum >= 0) return QValidator::Invalid;
      number += '-';
    } else if (i == 0 && (c == QLatin1Char('+') || c == OneChar(locale.positiveSign()))) {
      number += '+';
    } else if (c == QLatin1Char('.') || c == QLatin1Char(',') || c == OneChar(locale.decimalPoint())) {
      if (mark || decimals <= 0) wellFormed = false;
      mark = true;
      number += '.';
    } else if (c.isSpace() || c == OneChar(locale.groupSeparator())) {
      wellFormed = false;  // kept on show, but never read as part of the number
    } else {
      return QValidator::Invalid;
    }
  }
  if (!digits || !wellFormed) return QValidator::Intermediate;
  if (fractionDigits > decimals) return QValidator::Invalid;
  bool ok = false;
  const double read = QLocale::c().toDouble(QString::fromLatin1(number), &ok);
  if (!ok) return QValidator::Intermediate;
  *value = read;
  if (read >= minimum && read <= maximum) return QValidator::Acceptable;
  // More digits can only take it further away.
  if ((read > maximum && read > 0) || (read < minimum && read < 0)) return QValidator::Invalid;
  return QValidator::Intermediate;
}

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

QValidator::State NumericSpinBox::validate(QString &input, int &pos) const {
  (void)pos;
  double value;
  return ReadTypedNumber(this, Stripped(this, input, prefix(), suffix()), 0, minimum(), maximum(), &value);
}

int NumericSpinBox::valueFromText(const QString &text) const {
  double value = 0;
  ReadTypedNumber(this, Stripped(this, text, prefix(), suffix()), 0, minimum(), maximum(), &value);
  return static_cast<int>(value);
}

void NumericSpinBox::noteValueBeforeEdit() { valueBeforeEdit_ = value(); }

void NumericSpinBox::setProgramValue(int value) {
  // setValue repaints even to the value shown: only a change shows.
  if (value != this->value()) setValue(value);
  noteValueBeforeEdit();
}

void NumericSpinBox::refuseUnreadableText() {
  if (isReadOnly() || NumericTextReadable(this)) return;
  const int typedSoFar = value();
  {
    QSignalBlocker block(this);
    setValue(valueBeforeEdit_);
  }
  if (value() != typedSoFar) emit valueChanged(value());
}

void NumericSpinBox::keyPressEvent(QKeyEvent *event) {
  if (!IsEnterKey(event) || isReadOnly()) {
    QSpinBox::keyPressEvent(event);
    return;
  }
  refuseUnreadableText();
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

void NumericSpinBox::focusInEvent(QFocusEvent *event) {
  noteValueBeforeEdit();
  QSpinBox::focusInEvent(event);
}

void NumericSpinBox::focusOutEvent(QFocusEvent *event) {
  refuseUnreadableText();
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
  valueBeforeEdit_ = value();
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
  noteValueBeforeEdit();
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

QValidator::State NumericDoubleSpinBox::validate(QString &input, int &pos) const {
  (void)pos;
  double value;
  return ReadTypedNumber(this, Stripped(this, input, prefix(), suffix()), decimals(), minimum(),
                         maximum(), &value);
}

double NumericDoubleSpinBox::valueFromText(const QString &text) const {
  double value = 0;
  ReadTypedNumber(this, Stripped(this, text, prefix(), suffix()), decimals(), minimum(), maximum(),
                  &value);
  return value;
}

void NumericDoubleSpinBox::noteValueBeforeEdit() {
  beforeEdit_ = Held{value(), holdsProgramValue_, programValue_, programValueShown_};
}

void NumericDoubleSpinBox::refuseUnreadableText() {
  if (isReadOnly() || NumericTextReadable(this)) return;
  const double typedSoFar = value();
  {
    QSignalBlocker block(this);
    setValue(beforeEdit_.value);
  }
  // The value before the edit, exact as it was.
  holdsProgramValue_ = beforeEdit_.holdsProgramValue;
  programValue_ = beforeEdit_.programValue;
  programValueShown_ = beforeEdit_.programValueShown;
  if (value() != typedSoFar) {
    const Held keep = beforeEdit_;
    emit valueChanged(value());  // the change handler forgets the program value
    holdsProgramValue_ = keep.holdsProgramValue;
    programValue_ = keep.programValue;
    programValueShown_ = keep.programValueShown;
  }
}

void NumericDoubleSpinBox::keyPressEvent(QKeyEvent *event) {
  if (!IsEnterKey(event) || isReadOnly()) {
    QDoubleSpinBox::keyPressEvent(event);
    return;
  }
  refuseUnreadableText();
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

void NumericDoubleSpinBox::focusInEvent(QFocusEvent *event) {
  noteValueBeforeEdit();
  QDoubleSpinBox::focusInEvent(event);
}

void NumericDoubleSpinBox::focusOutEvent(QFocusEvent *event) {
  refuseUnreadableText();
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
  beforeEdit_ = Held{value(), holdsProgramValue_, programValue_, programValueShown_};
  emit committed();
}

}  // namespace uilayer
