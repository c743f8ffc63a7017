// Internal to the run-time layer: what makes a widget a control. The binding
// knows the control's kind, value type and callback, and turns the operator's
// actions on the widget into the system's events. Values the layer sets
// itself are set with the widget's signals blocked, so they raise nothing.
#ifndef KVOR_RUNTIME_USERINT_CONTROL_BINDING_H
#define KVOR_RUNTIME_USERINT_CONTROL_BINDING_H

#include <QObject>
#include <QString>
#include <QVector>
#include <QWidget>

#include "runtime/userint/userint.h"

namespace uilayer {

enum class ControlKind {
  CommandButton,
  ToggleButton,
  RadioButton,
  Ring,
  Numeric,      // spin boxes; read-only ones are indicators
  Slider,
  String,       // one-line text
  TextBox,
  TextMessage,  // a label: text or picture
  Decoration,
  Graph,
  StripChart,
};

enum class ValueType { None, U16, I16, I32, U32, Float, Double, String };

// "u16", "i16", "i32", "int", "u32", "float", "double", "string"; false for
// anything else.
bool ParseValueType(const QString &name, ValueType *type);
int ValueTypeCode(ValueType type);   // VAL_* of userint.h
bool IsIntegerType(ValueType type);
void ValueTypeRange(ValueType type, double *min, double *max);

// The kind a widget class stands for; false when the layer has no control of
// that class.
bool KindOfWidget(const QWidget *widget, ControlKind *kind);

class ControlBinding : public QObject {
  Q_OBJECT
 public:
  ControlBinding(QWidget *widget, int panel, int id, ControlKind kind, ValueType type,
                 CtrlCallbackPtr callback);

  QWidget *widget() const { return static_cast<QWidget *>(parent()); }
  int panel() const { return panel_; }
  // The handle is known only once the whole panel has loaded.
  void setPanel(int panel) { panel_ = panel; }
  int id() const { return id_; }
  ControlKind kind() const { return kind_; }
  ValueType valueType() const { return type_; }

  // Ring items: the value of each item, in item order.
  QVector<double> ringValues;
  // Text messages made at run time follow their text's size.
  bool autoSize = false;
  // While set, the widget's signals still reach other widgets (a slider's
  // value label) but no event reaches the system's callback.
  bool quiet = false;

  // Operator events go to the callback only while the panel is still loaded.
  void raise(int event);
  // Connects the widget's signals; called once the control is registered.
  void connectOperatorSignals();

 private:
  int panel_;
  int id_;
  ControlKind kind_;
  ValueType type_;
  CtrlCallbackPtr callback_;
  bool edited_ = false;  // strings: the operator changed the text since the last commit
};

ControlBinding *BindingOf(QWidget *widget);

// The control's own visibility and dimming flags, independent of whether its
// panel is shown or dimmed.
bool OwnVisibleFlag(const QWidget *widget);
bool OwnDimmedFlag(const QWidget *widget);

}  // namespace uilayer

#endif
