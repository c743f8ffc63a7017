// Internal to the run-time layer: spin boxes that say when the operator has
// committed a value. Qt reports every change but has no single "the operator
// is done" signal; a numeric control commits on Enter, on an arrow step
// (keys, wheel or the arrow buttons), and when focus leaves after a change.
#ifndef KVOR_UI_PANEL_NUMERIC_WIDGETS_H
#define KVOR_UI_PANEL_NUMERIC_WIDGETS_H

#include <QDoubleSpinBox>
#include <QSpinBox>

namespace uilayer {

// A read-only spin box is an indicator that changes with every measurement:
// it is drawn as a flat, opaque field instead of the style's input chrome,
// so an update repaints only its own rectangle, cheaply, and nothing of the
// panel behind it.
bool PaintAsIndicator(QAbstractSpinBox *box);
void FollowReadOnly(QAbstractSpinBox *box);

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

 signals:
  void committed();

 protected:
  void keyPressEvent(QKeyEvent *event) override;
  void focusOutEvent(QFocusEvent *event) override;
  void paintEvent(QPaintEvent *event) override;
  void showEvent(QShowEvent *event) override;

 private:
  void commit();
  CommitTracker tracker_;
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

 signals:
  void committed();

 protected:
  void keyPressEvent(QKeyEvent *event) override;
  void focusOutEvent(QFocusEvent *event) override;
  void paintEvent(QPaintEvent *event) override;
  void showEvent(QShowEvent *event) override;

 private:
  void commit();
  CommitTracker tracker_;
  bool holdsProgramValue_ = false;
  double programValue_ = 0.0;
  double programValueShown_ = 0.0;
};

}  // namespace uilayer

#endif
