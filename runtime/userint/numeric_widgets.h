// Internal to the run-time layer: spin boxes that say when the operator has
// committed a value. Qt reports every change but has no single "the operator
// is done" signal; a numeric control commits on Enter, on an arrow step
// (keys, wheel or the arrow buttons), and when focus leaves after a change.
#ifndef KVOR_RUNTIME_USERINT_NUMERIC_WIDGETS_H
#define KVOR_RUNTIME_USERINT_NUMERIC_WIDGETS_H

#include <QDoubleSpinBox>
#include <QSpinBox>
#include <QValidator>

namespace uilayer {

// A read-only spin box is an indicator that changes with every measurement:
// it is drawn as a flat, opaque field instead of the style's input chrome,
// so an update repaints only its own rectangle, cheaply, and nothing of the
// panel behind it.
bool PaintAsIndicator(QAbstractSpinBox *box);
void FollowReadOnly(QAbstractSpinBox *box);

// What the operator typed, read the same whatever the locale: digits, a
// sign where the range has negative numbers, and in a field with decimals
// one decimal mark, '.' or ',' alike. Nothing else is a number: no group
// separators, and no decimal mark in a whole-number field, so "40.5" is
// never read as 405. A text that is no number yet is Intermediate: the field
// shows it and, unless it is completed, goes back to its last value.
QValidator::State ReadTypedNumber(const QAbstractSpinBox *box, const QString &typed, int decimals,
                                  double minimum, double maximum, double *value);

// The commit rules, shared by both spin box classes.
class CommitTracker {
 public:
  void noteOperatorChange() { changedSinceCommit_ = true; }
  // Enter and steps always commit; leaving the field only after a change.
  bool takeCommitOnFocusLeave() {
    bool commit = changedSinceCommit_;
    changedSinceCommit_ = false;
    return commit;
  }
  void noteCommitted() { changedSinceCommit_ = false; }

 private:
  bool changedSinceCommit_ = false;
};

class NumericSpinBox : public QSpinBox {
  Q_OBJECT
 public:
  explicit NumericSpinBox(QWidget *parent = nullptr);
  void stepBy(int steps) override;
  // A value the program sets (signals blocked by the caller); it is also
  // what an unreadable edit falls back to.
  void setProgramValue(int value);
  QValidator::State validate(QString &input, int &pos) const override;
  int valueFromText(const QString &text) const override;
  // Qt's own fixup drops the locale's group separators, which would make
  // 12.5 into 125 under a German locale; a text that is no number is
  // refused whole instead (see ReadTypedNumber).
  void fixup(QString &input) const override { (void)input; }

 signals:
  void committed();

 protected:
  void keyPressEvent(QKeyEvent *event) override;
  void focusInEvent(QFocusEvent *event) override;
  void focusOutEvent(QFocusEvent *event) override;
  void paintEvent(QPaintEvent *event) override;
  void showEvent(QShowEvent *event) override;

 private:
  void commit();
  // The value an edit starts from: noted when focus comes, at every commit
  // and when the program sets a value.
  void noteValueBeforeEdit();
  // A text that is no number at Enter or focus leave: back to the value
  // the field held before the edit.
  void refuseUnreadableText();
  CommitTracker tracker_;
  int valueBeforeEdit_ = 0;
};

// Shows its value rounded to its decimals but keeps the value the program set
// whole: a value the operator did not edit is read back exactly as it was set
// (a calibration factor in steps of 1/16384 needs more digits than it shows).
class NumericDoubleSpinBox : public QDoubleSpinBox {
  Q_OBJECT
 public:
  explicit NumericDoubleSpinBox(QWidget *parent = nullptr);
  void stepBy(int steps) override;
  // The program's value: shown rounded, kept whole until the operator edits.
  void setProgramValue(double value);
  // The value set by the program while the field shows it unedited, else
  // what the field shows.
  double exactValue() const;
  QValidator::State validate(QString &input, int &pos) const override;
  double valueFromText(const QString &text) const override;
  void fixup(QString &input) const override { (void)input; }  // as NumericSpinBox

 signals:
  void committed();

 protected:
  void keyPressEvent(QKeyEvent *event) override;
  void focusInEvent(QFocusEvent *event) override;
  void focusOutEvent(QFocusEvent *event) override;
  void paintEvent(QPaintEvent *event) override;
  void showEvent(QShowEvent *event) override;

 private:
  // What the field held, exact program value included.
  struct Held {
    double value = 0.0;
    bool holdsProgramValue = false;
    double programValue = 0.0;
    double programValueShown = 0.0;
  };
  void commit();
  void noteValueBeforeEdit();
  void refuseUnreadableText();
  CommitTracker tracker_;
  bool holdsProgramValue_ = false;
  double programValue_ = 0.0;
  double programValueShown_ = 0.0;
  Held beforeEdit_;
};

}  // namespace uilayer

#endif
