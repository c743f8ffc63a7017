#include "runtime/userint/control_binding.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include <limits>

#include "runtime/graph/control.h"
#include "runtime/graph/strip_chart.h"
#include "runtime/userint/numeric_widgets.h"
#include "runtime/userint/panel_registry.h"

namespace uilayer {

bool ParseValueType(const QString &name, ValueType *type) {
  static const struct {
    const char *name;
    ValueType type;
  } kNames[] = {{"u16", ValueType::U16},     {"i16", ValueType::I16},
                {"i32", ValueType::I32},     {"int", ValueType::I32},
                {"u32", ValueType::U32},     {"float", ValueType::Float},
                {"double", ValueType::Double}, {"string", ValueType::String}};
  for (const auto &entry : kNames) {
    if (name == QLatin1String(entry.name)) {
      *type = entry.type;
      return true;
    }
  }
  return false;
}

int ValueTypeCode(ValueType type) {
  switch (type) {
    case ValueType::U16: return VAL_UNSIGNED_SHORT_INTEGER;
    case ValueType::I16: return VAL_SHORT_INTEGER;
    case ValueType::I32: return VAL_INTEGER;
    case ValueType::U32: return VAL_UNSIGNED_INTEGER;
    case ValueType::Float: return VAL_FLOAT;
    case ValueType::Double: return VAL_DOUBLE;
    case ValueType::String: return VAL_STRING;
    case ValueType::None: break;
  }
  return UIE_BAD_ATTRIBUTE;
}

bool IsIntegerType(ValueType type) {
  return type == ValueType::U16 || type == ValueType::I16 || type == ValueType::I32 ||
         type == ValueType::U32;
}

void ValueTypeRange(ValueType type, double *min, double *max) {
  switch (type) {
    case ValueType::U16: *min = 0; *max = 65535; return;
    case ValueType::I16: *min = -32768; *max = 32767; return;
    case ValueType::I32: *min = std::numeric_limits<int>::min(); *max = std::numeric_limits<int>::max(); return;
    case ValueType::U32: *min = 0; *max = std::numeric_limits<unsigned int>::max(); return;
    case ValueType::Float: *min = -std::numeric_limits<float>::max(); *max = std::numeric_limits<float>::max(); return;
    default: *min = -std::numeric_limits<double>::max(); *max = std::numeric_limits<double>::max(); return;
  }
}

bool KindOfWidget(const QWidget *widget, ControlKind *kind) {
  // Most derived classes first: QLabel and the text edits are QFrames too.
  if (qobject_cast<const GraphControl *>(widget)) *kind = ControlKind::Graph;
  else if (qobject_cast<const StripChartControl *>(widget)) *kind = ControlKind::StripChart;
  else if (auto *button = qobject_cast<const QPushButton *>(widget))
    *kind = button->isCheckable() ? ControlKind::ToggleButton : ControlKind::CommandButton;
  else if (qobject_cast<const QRadioButton *>(widget)) *kind = ControlKind::RadioButton;
  else if (qobject_cast<const QCheckBox *>(widget)) *kind = ControlKind::ToggleButton;
  else if (qobject_cast<const QComboBox *>(widget)) *kind = ControlKind::Ring;
  else if (qobject_cast<const QSpinBox *>(widget) || qobject_cast<const QDoubleSpinBox *>(widget))
    *kind = ControlKind::Numeric;
  else if (qobject_cast<const QSlider *>(widget)) *kind = ControlKind::Slider;
  else if (qobject_cast<const QLineEdit *>(widget)) *kind = ControlKind::String;
  else if (qobject_cast<const QPlainTextEdit *>(widget)) *kind = ControlKind::TextBox;
  else if (qobject_cast<const QLabel *>(widget)) *kind = ControlKind::TextMessage;
  else if (qstrcmp(widget->metaObject()->className(), "QFrame") == 0) *kind = ControlKind::Decoration;
  else return false;
  return true;
}

ControlBinding::ControlBinding(QWidget *widget, int panel, int id, ControlKind kind,
                               ValueType type, CtrlCallbackPtr callback)
    : QObject(widget), panel_(panel), id_(id), kind_(kind), type_(type), callback_(callback) {
  setObjectName(QStringLiteral("kvor_control_binding"));
}

void ControlBinding::raise(int event) {
  // The panel may have been discarded by an earlier callback of the same
  // operator action; its controls then stay silent.
  if (quiet || !callback_ || !FindPanel(panel_)) return;
  callback_(panel_, id_, event, nullptr, 0, 0);
}

void ControlBinding::connectOperatorSignals() {
  QWidget *w = widget();
  switch (kind_) {
    case ControlKind::CommandButton: {
      auto *button = static_cast<QAbstractButton *>(w);
      connect(button, &QAbstractButton::pressed, this, [this] { raise(EVENT_LEFT_CLICK); });
      connect(button, &QAbstractButton::clicked, this, [this] { raise(EVENT_COMMIT); });
      break;
    }
    case ControlKind::ToggleButton: {
      // Qt's order on a click is pressed, toggled, clicked: press 3, value
      // changed 2, commit 1.
      auto *button = static_cast<QAbstractButton *>(w);
      connect(button, &QAbstractButton::pressed, this, [this] { raise(EVENT_LEFT_CLICK); });
      connect(button, &QAbstractButton::toggled, this, [this] { raise(EVENT_VAL_CHANGED); });
      connect(button, &QAbstractButton::clicked, this, [this] { raise(EVENT_COMMIT); });
      break;
    }
    case ControlKind::RadioButton: {
      auto *button = static_cast<QAbstractButton *>(w);
      connect(button, &QAbstractButton::toggled, this, [this] { raise(EVENT_VAL_CHANGED); });
      connect(button, &QAbstractButton::clicked, this, [this] { raise(EVENT_COMMIT); });
      break;
    }
    case ControlKind::Ring: {
      // A new item is a value change; the operator's pick from the open
      // list is the commit, also when it is the item already shown (choosing
      // the same port again is how a port is retried). Qt reports that pick
      // after the index change, so the order is 2, then 1.
      auto *combo = static_cast<QComboBox *>(w);
      connect(combo, &QComboBox::currentIndexChanged, this, [this] { raise(EVENT_VAL_CHANGED); });
      connect(combo, &QComboBox::activated, this, [this] { raise(EVENT_COMMIT); });
      break;
    }
    case ControlKind::Numeric: {
      auto *spin = static_cast<QAbstractSpinBox *>(w);
      auto changed = [this, spin] {
        if (!spin->isReadOnly()) raise(EVENT_VAL_CHANGED);
      };
      auto committed = [this] { raise(EVENT_COMMIT); };
      if (auto *s = qobject_cast<NumericSpinBox *>(w)) {
        connect(s, &QSpinBox::valueChanged, this, changed);
        connect(s, &NumericSpinBox::committed, this, committed);
      } else if (auto *d = qobject_cast<NumericDoubleSpinBox *>(w)) {
        connect(d, &QDoubleSpinBox::valueChanged, this, changed);
        connect(d, &NumericDoubleSpinBox::committed, this, committed);
      }
      break;
    }
    case ControlKind::Slider: {
      auto *slider = static_cast<QSlider *>(w);
      connect(slider, &QSlider::valueChanged, this, [this] { raise(EVENT_VAL_CHANGED); });
      break;
    }
    case ControlKind::String: {
      // Enter commits; so does leaving the field after the operator changed
      // its text (Enter first sends returnPressed, then editingFinished).
      auto *edit = static_cast<QLineEdit *>(w);
      connect(edit, &QLineEdit::textEdited, this, [this] { edited_ = true; });
      connect(edit, &QLineEdit::returnPressed, this, [this, edit] {
        edited_ = false;
        if (!edit->isReadOnly()) raise(EVENT_COMMIT);
      });
      connect(edit, &QLineEdit::editingFinished, this, [this, edit] {
        if (!edited_) return;
        edited_ = false;
        if (!edit->isReadOnly()) raise(EVENT_COMMIT);
      });
      break;
    }
    default:
      break;
  }
}

ControlBinding *BindingOf(QWidget *widget) {
  if (!widget) return nullptr;
  return widget->findChild<ControlBinding *>(QStringLiteral("kvor_control_binding"),
                                             Qt::FindDirectChildrenOnly);
}

bool OwnVisibleFlag(const QWidget *widget) {
  // A child that was never hidden on purpose counts as visible even while its
  // panel has not been shown yet (Qt then still reports it hidden).
  return !(widget->isHidden() &&
           (widget->isWindow() || widget->testAttribute(Qt::WA_WState_ExplicitShowHide)));
}

bool OwnDimmedFlag(const QWidget *widget) { return widget->testAttribute(Qt::WA_ForceDisabled); }

}  // namespace uilayer
