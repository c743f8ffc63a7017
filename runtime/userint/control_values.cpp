// SetCtrlVal / GetCtrlVal, the values of the controls. A number set into a
// control is converted to the control's own type (integers rounded, everything clamped to the widget's
// range); a read insists on the exact type, so a caller that reads a 16-bit
// control into a 32-bit variable is told instead of getting garbage.
#include <QAbstractButton>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "runtime/userint/control_binding.h"
#include "runtime/userint/numeric_widgets.h"
#include "runtime/userint/panel_registry.h"
#include "runtime/userint/text_helpers.h"

using namespace uilayer;

namespace {

// The value as the control's type holds it, within [wMin, wMax].
double ToControlType(double value, ValueType type, double wMin, double wMax) {
  double tMin, tMax;
  ValueTypeRange(type, &tMin, &tMax);
  double lo = std::max(tMin, wMin), hi = std::min(tMax, wMax);
  double v = std::clamp(value, lo, hi);
  if (IsIntegerType(type)) {
    v = std::round(v);
    // Rounding may step past a fractional widget limit.
    if (v > hi) v = std::floor(hi);
    if (v < lo) v = std::ceil(lo);
  } else if (type == ValueType::Float) {
    v = static_cast<float>(v);
  }
  return v;
}

int SelectRingItem(ControlBinding *binding, double value) {
  auto *combo = static_cast<QComboBox *>(binding->widget());
  double v = ToControlType(value, binding->valueType(), -HUGE_VAL, HUGE_VAL);
  for (int i = 0; i < binding->ringValues.size(); ++i) {
    if (binding->ringValues[i] == v) {
      QSignalBlocker block(combo);
      combo->setCurrentIndex(i);
      return UIE_NO_ERROR;
    }
  }
  return UIE_BAD_VALUE;
}

int SetNumber(int panel, int control, double value) {
  int error;
  ControlBinding *binding = FindControl(panel, control, &error);
  if (!binding) return error;
  if (std::isnan(value)) return UIE_BAD_VALUE;
  QWidget *w = binding->widget();
  const ValueType type = binding->valueType();
  switch (binding->kind()) {
    case ControlKind::ToggleButton:
    case ControlKind::RadioButton: {
      QSignalBlocker block(w);
      static_cast<QAbstractButton *>(w)->setChecked(value != 0);
      return UIE_NO_ERROR;
    }
    case ControlKind::Numeric: {
      QSignalBlocker block(w);
      // A spin box repaints on every setValue, also to the value it shows:
      // the same value again (a set-point during run mode) changes nothing.
      if (auto *numeric = qobject_cast<NumericSpinBox *>(w)) {
        numeric->setProgramValue(
            static_cast<int>(ToControlType(value, type, numeric->minimum(), numeric->maximum())));
      } else if (auto *spin = qobject_cast<QSpinBox *>(w)) {
        const int v = static_cast<int>(ToControlType(value, type, spin->minimum(), spin->maximum()));
        if (v != spin->value()) spin->setValue(v);
      } else if (auto *exact = qobject_cast<NumericDoubleSpinBox *>(w))
        exact->setProgramValue(ToControlType(value, type, exact->minimum(), exact->maximum()));
      else if (auto *dspin = qobject_cast<QDoubleSpinBox *>(w))
        dspin->setValue(ToControlType(value, type, dspin->minimum(), dspin->maximum()));
      return UIE_NO_ERROR;
    }
    case ControlKind::Slider: {
      // Not blocked: the panel's own connections (the value label beside the
      // slider) must follow; only the system's callback stays silent.
      auto *slider = static_cast<QSlider *>(w);
      binding->quiet = true;
      slider->setValue(static_cast<int>(ToControlType(value, type, slider->minimum(), slider->maximum())));
      binding->quiet = false;
      return UIE_NO_ERROR;
    }
    case ControlKind::Ring:
      if (type == ValueType::String) return UIE_BAD_TYPE;
      return SelectRingItem(binding, value);
    default:
      return UIE_BAD_TYPE;
  }
}

// The control's value as a number, or an error for controls without one.
int ReadNumber(ControlBinding *binding, double *value) {
  QWidget *w = binding->widget();
  switch (binding->kind()) {
    case ControlKind::ToggleButton:
    case ControlKind::RadioButton:
      *value = static_cast<QAbstractButton *>(w)->isChecked() ? 1 : 0;
      return UIE_NO_ERROR;
    case ControlKind::Numeric:
      if (auto *spin = qobject_cast<QSpinBox *>(w)) *value = spin->value();
      else if (auto *exact = qobject_cast<NumericDoubleSpinBox *>(w)) *value = exact->exactValue();
      else *value = static_cast<QDoubleSpinBox *>(w)->value();
      return UIE_NO_ERROR;
    case ControlKind::Slider:
      *value = static_cast<QSlider *>(w)->value();
      return UIE_NO_ERROR;
    case ControlKind::Ring: {
      int index = static_cast<QComboBox *>(w)->currentIndex();
      if (index < 0 || index >= binding->ringValues.size()) return UIE_BAD_VALUE;
      *value = binding->ringValues[index];
      return UIE_NO_ERROR;
    }
    default:
      return UIE_BAD_TYPE;
  }
}

template <typename T>
int GetNumber(int panel, int control, T *out, ValueType wanted) {
  int error;
  ControlBinding *binding = FindControl(panel, control, &error);
  if (!binding) return error;
  if (!out) return UIE_BAD_VALUE;
  if (binding->valueType() != wanted || binding->kind() == ControlKind::String ||
      binding->kind() == ControlKind::TextBox || binding->kind() == ControlKind::TextMessage)
    return UIE_BAD_TYPE;
  double value = 0;
  error = ReadNumber(binding, &value);
  if (error != UIE_NO_ERROR) return error;
  // The widget may hold more than the type (a spin box wider than u16).
  double lo, hi;
  ValueTypeRange(wanted, &lo, &hi);
  value = std::clamp(value, lo, hi);
  *out = static_cast<T>(IsIntegerType(wanted) ? std::round(value) : value);
  return UIE_NO_ERROR;
}

}  // namespace

int SetCtrlVal(int panel, int control, int value) { return SetNumber(panel, control, value); }
int SetCtrlVal(int panel, int control, unsigned int value) { return SetNumber(panel, control, value); }
int SetCtrlVal(int panel, int control, double value) { return SetNumber(panel, control, value); }

int SetCtrlVal(int panel, int control, const char *value) {
  int error;
  ControlBinding *binding = FindControl(panel, control, &error);
  if (!binding) return error;
  if (!value) return UIE_BAD_VALUE;
  const QString text = DecodeControlText(binding, value);
  NoteTextShown(binding, text);
  QWidget *w = binding->widget();
  QSignalBlocker block(w);
  switch (binding->kind()) {
    case ControlKind::String:
      static_cast<QLineEdit *>(w)->setText(text);
      return UIE_NO_ERROR;
    case ControlKind::TextBox:
      static_cast<QPlainTextEdit *>(w)->setPlainText(text);
      return UIE_NO_ERROR;
    case ControlKind::TextMessage:
      SetLabelText(binding, text);
      return UIE_NO_ERROR;
    case ControlKind::Ring: {
      if (binding->valueType() != ValueType::String) return UIE_BAD_TYPE;
      auto *combo = static_cast<QComboBox *>(w);
      int index = combo->findText(text);
      if (index < 0) return UIE_BAD_VALUE;
      combo->setCurrentIndex(index);
      return UIE_NO_ERROR;
    }
    default:
      return UIE_BAD_TYPE;
  }
}

int GetCtrlVal(int panel, int control, unsigned short *value) {
  return GetNumber(panel, control, value, ValueType::U16);
}
int GetCtrlVal(int panel, int control, short *value) {
  return GetNumber(panel, control, value, ValueType::I16);
}
int GetCtrlVal(int panel, int control, int *value) {
  return GetNumber(panel, control, value, ValueType::I32);
}
int GetCtrlVal(int panel, int control, unsigned int *value) {
  return GetNumber(panel, control, value, ValueType::U32);
}
int GetCtrlVal(int panel, int control, float *value) {
  return GetNumber(panel, control, value, ValueType::Float);
}
int GetCtrlVal(int panel, int control, double *value) {
  return GetNumber(panel, control, value, ValueType::Double);
}

int GetCtrlVal(int panel, int control, char *buffer, size_t bufferSize) {
  int error;
  ControlBinding *binding = FindControl(panel, control, &error);
  if (!binding) return error;
  if (!buffer || bufferSize == 0) return UIE_BAD_VALUE;
  if (binding->valueType() != ValueType::String) return UIE_BAD_TYPE;
  QWidget *w = binding->widget();
  QString text;
  switch (binding->kind()) {
    case ControlKind::String: text = static_cast<QLineEdit *>(w)->text(); break;
    case ControlKind::TextBox: text = static_cast<QPlainTextEdit *>(w)->toPlainText(); break;
    case ControlKind::TextMessage: text = static_cast<QLabel *>(w)->text(); break;
    case ControlKind::Ring: text = static_cast<QComboBox *>(w)->currentText(); break;
    default: return UIE_BAD_TYPE;
  }
  EncodeControlTextInto(binding, text, buffer, bufferSize);
  return UIE_NO_ERROR;
}
