// The operator's actions, as real mouse and key events on the real widgets.
// A control the operator cannot see (its panel or itself hidden) is not
// acted on; a dimmed one gets the events and ignores them, as Qt does.
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QInputMethodEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QCheckBox>
#include <QSlider>
#include <QStyleOptionButton>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

#include "runtime/userint/control_binding.h"
#include "runtime/userint/file_dialog.h"
#include "runtime/userint/panel_registry.h"
#include "runtime/testkit/testkit.h"

using namespace uilayer;

namespace testkit {
namespace {

// Where a click hits the button: on its indicator for radio buttons and
// check boxes, whose clickable area is only the indicator and the label.
QPoint ClickPoint(QWidget *w) {
  if (auto *radio = qobject_cast<QRadioButton *>(w)) {
    QStyleOptionButton option;
    option.initFrom(radio);
    return radio->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &option, radio).center();
  }
  if (auto *check = qobject_cast<QCheckBox *>(w)) {
    QStyleOptionButton option;
    option.initFrom(check);
    return check->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, check).center();
  }
  return w->rect().center();
}

// The control's widget, or an error for a bad handle or id.
QWidget *Widget(int panel, int control, ControlBinding **bindingOut, int *error) {
  ControlBinding *binding = FindControl(panel, control, error);
  if (!binding) return nullptr;
  if (bindingOut) *bindingOut = binding;
  return binding->widget();
}

// The operator works in the window in front: make it the active one, as the
// window manager does on a click, so focus moves as it would.
void ActivateWindowOf(QWidget *w) {
  QWidget *window = w->window();
  if (!window->isVisible() || window->isActiveWindow()) return;
  window->activateWindow();
  if (!QTest::qWaitForWindowActive(window, 1000)) qWarning("testkit: window did not become active");
}

void GiveFocus(QWidget *w) {
  ActivateWindowOf(w);
  w->setFocus(Qt::MouseFocusReason);
}

}  // namespace

int Click(int panel, int control) {
  int error;
  QWidget *w = Widget(panel, control, nullptr, &error);
  if (!w) return error;
  if (!w->isVisible()) return UIE_NO_ERROR;  // nothing there to click
  ActivateWindowOf(w);
  QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, ClickPoint(w));
  return UIE_NO_ERROR;
}

int Press(int panel, int control) {
  int error;
  QWidget *w = Widget(panel, control, nullptr, &error);
  if (!w) return error;
  if (!w->isVisible()) return UIE_NO_ERROR;
  ActivateWindowOf(w);
  QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, ClickPoint(w));
  return UIE_NO_ERROR;
}

int Release(int panel, int control) {
  int error;
  QWidget *w = Widget(panel, control, nullptr, &error);
  if (!w) return error;
  if (!w->isVisible()) return UIE_NO_ERROR;
  QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, ClickPoint(w));
  return UIE_NO_ERROR;
}

int TypeValue(int panel, int control, const std::string &text) {
  int error;
  QWidget *w = Widget(panel, control, nullptr, &error);
  if (!w) return error;
  if (!w->isEnabled() || !w->isVisible()) return UIE_NO_ERROR;  // no field to type into
  GiveFocus(w);
  QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(w, QString::fromStdString(text));
  QTest::keyClick(w, Qt::Key_Return);
  return UIE_NO_ERROR;
}

int TypeText(int panel, int control, const std::string &text) {
  int error;
  QWidget *w = Widget(panel, control, nullptr, &error);
  if (!w) return error;
  if (!w->isEnabled() || !w->isVisible()) return UIE_NO_ERROR;
  GiveFocus(w);
  // A ring has no text to select: there the keys go straight to it.
  if (!qobject_cast<QComboBox *>(w)) QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(w, QString::fromStdString(text));
  return UIE_NO_ERROR;
}

int StepValue(int panel, int control, int steps) {
  int error;
  QWidget *w = Widget(panel, control, nullptr, &error);
  if (!w) return error;
  if (!qobject_cast<QAbstractSpinBox *>(w) && !qobject_cast<QComboBox *>(w)) return UIE_BAD_TYPE;
  if (!w->isEnabled() || !w->isVisible()) return UIE_NO_ERROR;
  GiveFocus(w);
  const Qt::Key key = steps > 0 ? Qt::Key_Up : Qt::Key_Down;
  for (int i = 0; i < std::abs(steps); ++i) QTest::keyClick(w, key);
  return UIE_NO_ERROR;
}

int WheelStep(int panel, int control, int steps) {
  int error;
  QWidget *w = Widget(panel, control, nullptr, &error);
  if (!w) return error;
  if (!w->isEnabled() || !w->isVisible()) return UIE_NO_ERROR;
  ActivateWindowOf(w);
  const QPointF at = QPointF(w->rect().center());
  const QPoint delta(0, steps > 0 ? QWheelEvent::DefaultDeltasPerStep : -QWheelEvent::DefaultDeltasPerStep);
  for (int i = 0; i < std::abs(steps); ++i) {
    QWheelEvent wheel(at, QPointF(w->mapToGlobal(at.toPoint())), QPoint(), delta, Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &wheel);
  }
  return UIE_NO_ERROR;
}

int PressKey(int panel, int control, const std::string &key) {
  int error;
  QWidget *w = Widget(panel, control, nullptr, &error);
  if (!w) return error;
  const QKeySequence sequence = QKeySequence::fromString(QString::fromStdString(key));
  if (sequence.count() != 1 || sequence[0].key() == Qt::Key_unknown) return UIE_BAD_VALUE;
  if (!w->isEnabled() || !w->isVisible()) return UIE_NO_ERROR;
  GiveFocus(w);
  QTest::keyClick(w, sequence[0].key(), sequence[0].keyboardModifiers());
  return UIE_NO_ERROR;
}

int CommitInput(int panel, int control, const std::string &text) {
  int error;
  QWidget *w = Widget(panel, control, nullptr, &error);
  if (!w) return error;
  if (!w->isEnabled() || !w->isVisible()) return UIE_NO_ERROR;
  GiveFocus(w);
  QInputMethodEvent commit;
  commit.setCommitString(QString::fromStdString(text));
  QApplication::sendEvent(w, &commit);
  return UIE_NO_ERROR;
}

namespace {

// The ring's list, opened as by the operator (the widget's own showPopup, so
// a port selector looks at the machine's devices first); null when the ring
// cannot be used.
QComboBox *OpenList(int panel, int control, int *error) {
  ControlBinding *binding = nullptr;
  QWidget *w = Widget(panel, control, &binding, error);
  if (!w) return nullptr;
  auto *combo = qobject_cast<QComboBox *>(w);
  if (!combo) {
    *error = UIE_BAD_TYPE;
    return nullptr;
  }
  *error = UIE_NO_ERROR;
  if (!combo->isEnabled() || !combo->isVisible()) return nullptr;
  GiveFocus(combo);
  combo->showPopup();
  return combo;
}

void CloseList(QComboBox *combo) {
  if (combo->view()->isVisible()) QTest::keyClick(combo->view(), Qt::Key_Escape);
  if (combo->view()->isVisible()) combo->hidePopup();
}

// Walks the open list to the item and takes it with Enter: a single choice.
void PickFromList(QComboBox *combo, int index) {
  QAbstractItemView *view = combo->view();
  QTest::keyClick(view, Qt::Key_Home);
  for (int i = 0; i < index; ++i) QTest::keyClick(view, Qt::Key_Down);
  QTest::keyClick(view, Qt::Key_Return);
  if (view->isVisible()) combo->hidePopup();
}

}  // namespace

int SelectRingIndex(int panel, int control, int index) {
  int error;
  QComboBox *combo = OpenList(panel, control, &error);
  if (!combo) return error;
  if (index < 0 || index >= combo->count()) {
    CloseList(combo);
    return UIE_BAD_VALUE;
  }
  PickFromList(combo, index);
  return UIE_NO_ERROR;
}

int SelectRingValue(int panel, int control, double value) {
  int error;
  ControlBinding *binding = FindControl(panel, control, &error);
  if (!binding) return error;
  if (binding->kind() != ControlKind::Ring) return UIE_BAD_TYPE;
  QComboBox *combo = OpenList(panel, control, &error);
  if (!combo) return error;
  for (int i = 0; i < binding->ringValues.size(); ++i) {
    if (binding->ringValues[i] == value) {
      PickFromList(combo, i);
      return UIE_NO_ERROR;
    }
  }
  CloseList(combo);
  return UIE_BAD_VALUE;
}

int OpenRingList(int panel, int control) {
  int error;
  QComboBox *combo = OpenList(panel, control, &error);
  if (!combo) return error;
  CloseList(combo);
  return UIE_NO_ERROR;
}

int MoveSlider(int panel, int control, int value) {
  int error;
  QWidget *w = Widget(panel, control, nullptr, &error);
  if (!w) return error;
  auto *slider = qobject_cast<QSlider *>(w);
  if (!slider) return UIE_BAD_TYPE;
  if (!slider->isEnabled() || !slider->isVisible()) return UIE_NO_ERROR;
  const int target = std::clamp(value, slider->minimum(), slider->maximum());
  const int from = slider->value();
  // A drag passes through a few positions on its way.
  const int steps = std::min(4, std::abs(target - from));
  slider->setSliderDown(true);
  for (int i = 1; i <= steps; ++i) slider->setSliderPosition(from + (target - from) * i / steps);
  slider->setSliderDown(false);
  return UIE_NO_ERROR;
}

int ClosePanelWindow(int panel) {
  QWidget *w = FindPanelShell(panel);
  if (!w) return UIE_BAD_PANEL;
  w->close();
  return UIE_NO_ERROR;
}

void RunLater(double seconds, std::function<void()> fn) {
  QTimer::singleShot(std::max(0, static_cast<int>(std::lround(seconds * 1000))), qApp,
                     [fn = std::move(fn)] { fn(); });
}

void Pump(double seconds) {
  QEventLoop loop;
  QTimer::singleShot(std::max(0, static_cast<int>(std::lround(seconds * 1000))), &loop,
                     &QEventLoop::quit);
  loop.exec();
}

bool PumpUntil(const std::function<bool()> &pred, double timeoutSeconds) {
  QElapsedTimer clock;
  clock.start();
  // Wakes the wait below at least this often, for conditions that no Qt
  // event announces (another thread's work).
  QTimer tick;
  tick.start(2);
  while (!pred()) {
    if (clock.elapsed() >= timeoutSeconds * 1000) return pred();
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  }
  return true;
}

void UseLocale(const std::string &name) { QLocale::setDefault(QLocale(QString::fromStdString(name))); }

namespace {

QFileDialog *OpenFileDialog() {
  for (QWidget *w : QApplication::topLevelWidgets())
    if (auto *dialog = qobject_cast<QFileDialog *>(w); dialog != nullptr && dialog->isVisible()) return dialog;
  return nullptr;
}

QPushButton *DialogButton(QFileDialog *dialog, QDialogButtonBox::StandardButton which) {
  auto *box = dialog->findChild<QDialogButtonBox *>();
  return box != nullptr ? box->button(which) : nullptr;
}

}  // namespace

void ShowFileDialogs(bool on) { uilayer::ShowDialogsWithoutScreen(on); }

bool IsFileDialogOpen() { return OpenFileDialog() != nullptr; }

bool AnswerFileDialog(const std::string &name) {
  QFileDialog *dialog = OpenFileDialog();
  if (dialog == nullptr) return false;
  auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
  QPushButton *accept = DialogButton(dialog, dialog->acceptMode() == QFileDialog::AcceptSave
                                                 ? QDialogButtonBox::Save
                                                 : QDialogButtonBox::Open);
  if (edit == nullptr || accept == nullptr) return false;
  edit->setFocus();
  edit->selectAll();
  QTest::keyClicks(edit, QString::fromStdString(name));
  QTest::mouseClick(accept, Qt::LeftButton);
  QCoreApplication::processEvents();
  return true;
}

bool CancelFileDialog() {
  QFileDialog *dialog = OpenFileDialog();
  QPushButton *cancel = dialog != nullptr ? DialogButton(dialog, QDialogButtonBox::Cancel) : nullptr;
  if (cancel == nullptr) return false;
  QTest::mouseClick(cancel, Qt::LeftButton);
  QCoreApplication::processEvents();
  return true;
}

std::string AnswerQuestion(const std::string &label) {
  for (QWidget *w : QApplication::topLevelWidgets()) {
    auto *box = qobject_cast<QMessageBox *>(w);
    if (box == nullptr || !box->isVisible()) continue;
    const std::string text = box->text().toStdString();
    for (QAbstractButton *button : box->buttons()) {
      if (button->text().remove(QLatin1Char('&')).toStdString() != label) continue;
      QTest::mouseClick(button, Qt::LeftButton);
      return text;
    }
  }
  return std::string();
}

}  // namespace testkit
