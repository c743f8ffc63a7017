// Control attributes: dimming, visibility, position, colours, fonts, labels
// and the strip chart's settings.
#include <QAbstractButton>
#include <QApplication>
#include <QFontDatabase>
#include <QLabel>
#include <QPalette>
#include <QWidget>

#include "runtime/graph/strip_chart.h"
#include "runtime/userint/colors.h"
#include "runtime/userint/control_binding.h"
#include "runtime/userint/panel_registry.h"
#include "runtime/userint/text_helpers.h"

using namespace uilayer;

namespace {

// The application's own font for texts the program places itself (the
// branding band): a condensed face where the machine has one, so a line of
// 18-point text fits the room the band leaves for it.
QFont ApplicationMetaFont() {
  QFont font = QApplication::font();
  static const bool condensed =
      QFontDatabase::families().contains(QStringLiteral("DejaVu Sans Condensed"));
  if (condensed) font.setFamily(QStringLiteral("DejaVu Sans Condensed"));
  return font;
}

}  // namespace

namespace {

const char kFontNameProperty[] = "kvorFontName";

bool IsStringAttribute(int attribute) {
  return attribute == ATTR_TEXT_FONT || attribute == ATTR_LABEL_TEXT ||
         attribute == ATTR_ACCESSIBLE_NAME;
}

bool IsButton(ControlKind kind) {
  return kind == ControlKind::CommandButton || kind == ControlKind::ToggleButton ||
         kind == ControlKind::RadioButton;
}

bool HasText(ControlKind kind) {
  return IsButton(kind) || kind == ControlKind::Ring || kind == ControlKind::Numeric ||
         kind == ControlKind::String || kind == ControlKind::TextBox ||
         kind == ControlKind::TextMessage;
}

bool HasTextBackground(ControlKind kind) {
  return kind == ControlKind::Numeric || kind == ControlKind::String ||
         kind == ControlKind::TextBox || kind == ControlKind::TextMessage;
}

// The palette role that the control's text is drawn with.
QPalette::ColorRole TextRole(ControlKind kind) {
  if (kind == ControlKind::TextMessage) return QPalette::WindowText;
  if (IsButton(kind)) return QPalette::ButtonText;
  return QPalette::Text;
}

QPalette::ColorRole BackgroundRole(ControlKind kind) {
  return kind == ControlKind::TextMessage ? QPalette::Window : QPalette::Base;
}

// Active and inactive only: a dimmed control keeps looking dimmed.
void SetPaletteColor(QWidget *w, QPalette::ColorRole role, int rgb) {
  QPalette palette = w->palette();
  palette.setColor(QPalette::Active, role, ToQColor(rgb));
  palette.setColor(QPalette::Inactive, role, ToQColor(rgb));
  w->setPalette(palette);
}

int PaletteColor(const QWidget *w, QPalette::ColorRole role) {
  return FromQColor(w->palette().color(QPalette::Active, role));
}

// The QLabel that names a control (its buddy), if the panel has one.
QLabel *BuddyLabel(QWidget *w) {
  QWidget *panel = w->window();
  const QList<QLabel *> labels = panel->findChildren<QLabel *>();
  for (QLabel *label : labels)
    if (label->buddy() == w) return label;
  return nullptr;
}

bool ReadLabel(ControlBinding *binding, QString *text) {
  QWidget *w = binding->widget();
  if (IsButton(binding->kind())) *text = static_cast<QAbstractButton *>(w)->text();
  else if (binding->kind() == ControlKind::TextMessage) *text = static_cast<QLabel *>(w)->text();
  else if (QLabel *buddy = BuddyLabel(w)) *text = buddy->text();
  else return false;
  return true;
}

// A button's or buddy label's text as it reads: "&Close" is "Close", "&&" one "&".
QString WithoutMnemonic(const QString &text) {
  QString plain;
  for (int i = 0; i < text.size(); ++i) {
    if (text[i] == QLatin1Char('&') && i + 1 < text.size()) ++i;
    plain += text[i];
  }
  return plain;
}

int WriteLabel(ControlBinding *binding, const QString &text) {
  QString old;
  if (!ReadLabel(binding, &old)) return UIE_BAD_ATTRIBUTE;
  QWidget *w = binding->widget();
  // A text message shows its text as it is; elsewhere '&' marks the mnemonic.
  const bool mnemonic = binding->kind() != ControlKind::TextMessage;
  if (IsButton(binding->kind())) static_cast<QAbstractButton *>(w)->setText(text);
  else if (binding->kind() == ControlKind::TextMessage) SetLabelText(binding, text);
  else BuddyLabel(w)->setText(text);
  // A control named after its label keeps being named after it.
  const QString oldName = mnemonic ? WithoutMnemonic(old) : old;
  if (w->accessibleName().isEmpty() || w->accessibleName() == old || w->accessibleName() == oldName)
    w->setAccessibleName(mnemonic ? WithoutMnemonic(text) : text);
  return UIE_NO_ERROR;
}

int SetIntAttribute(ControlBinding *binding, int attribute, int value) {
  QWidget *w = binding->widget();
  const ControlKind kind = binding->kind();
  switch (attribute) {
    case ATTR_DIMMED: w->setEnabled(value == 0); return UIE_NO_ERROR;
    case ATTR_VISIBLE: w->setVisible(value != 0); return UIE_NO_ERROR;
    case ATTR_LEFT: w->move(value, w->y()); return UIE_NO_ERROR;
    case ATTR_TOP: w->move(w->x(), value); return UIE_NO_ERROR;
    case ATTR_FRAME_COLOR:
      if (kind != ControlKind::Decoration) return UIE_BAD_ATTRIBUTE;
      w->setAutoFillBackground(true);
      SetPaletteColor(w, QPalette::Window, value);
      return UIE_NO_ERROR;
    case ATTR_TEXT_COLOR:
      if (!HasText(kind)) return UIE_BAD_ATTRIBUTE;
      SetPaletteColor(w, TextRole(kind), value);
      if (IsButton(kind)) SetPaletteColor(w, QPalette::WindowText, value);
      return UIE_NO_ERROR;
    case ATTR_TEXT_BGCOLOR:
      if (!HasTextBackground(kind)) return UIE_BAD_ATTRIBUTE;
      if (kind == ControlKind::TextMessage) w->setAutoFillBackground(true);
      SetPaletteColor(w, BackgroundRole(kind), value);
      return UIE_NO_ERROR;
    case ATTR_TEXT_POINT_SIZE: {
      if (!HasText(kind)) return UIE_BAD_ATTRIBUTE;
      if (value < 1 || value > 500) return UIE_BAD_VALUE;
      QFont font = w->font();
      font.setPointSize(value);
      w->setFont(font);
      FitLabelToText(binding);
      return UIE_NO_ERROR;
    }
    case ATTR_POINTS_PER_SCREEN:
      if (kind != ControlKind::StripChart) return UIE_BAD_ATTRIBUTE;
      return static_cast<StripChartControl *>(w)->setPointsPerScreen(value);
    case ATTR_NUM_TRACES:
      if (kind != ControlKind::StripChart) return UIE_BAD_ATTRIBUTE;
      return static_cast<StripChartControl *>(w)->setNumTraces(value);
    case ATTR_SMOOTH_UPDATE:
      if (kind != ControlKind::StripChart) return UIE_BAD_ATTRIBUTE;
      static_cast<StripChartControl *>(w)->setSmoothUpdate(value != 0);
      return UIE_NO_ERROR;
    case ATTR_CTRL_VAL_TYPE:  // read only
    default:
      return UIE_BAD_ATTRIBUTE;
  }
}

int GetIntAttribute(ControlBinding *binding, int attribute, int *value) {
  QWidget *w = binding->widget();
  const ControlKind kind = binding->kind();
  switch (attribute) {
    case ATTR_DIMMED: *value = OwnDimmedFlag(w) ? 1 : 0; return UIE_NO_ERROR;
    case ATTR_VISIBLE: *value = OwnVisibleFlag(w) ? 1 : 0; return UIE_NO_ERROR;
    case ATTR_LEFT: *value = w->x(); return UIE_NO_ERROR;
    case ATTR_TOP: *value = w->y(); return UIE_NO_ERROR;
    case ATTR_FRAME_COLOR:
      if (kind != ControlKind::Decoration) return UIE_BAD_ATTRIBUTE;
      *value = PaletteColor(w, QPalette::Window);
      return UIE_NO_ERROR;
    case ATTR_TEXT_COLOR:
      if (!HasText(kind)) return UIE_BAD_ATTRIBUTE;
      *value = PaletteColor(w, TextRole(kind));
      return UIE_NO_ERROR;
    case ATTR_TEXT_BGCOLOR:
      if (!HasTextBackground(kind)) return UIE_BAD_ATTRIBUTE;
      *value = PaletteColor(w, BackgroundRole(kind));
      return UIE_NO_ERROR;
    case ATTR_TEXT_POINT_SIZE:
      if (!HasText(kind)) return UIE_BAD_ATTRIBUTE;
      *value = w->font().pointSize();
      return UIE_NO_ERROR;
    case ATTR_CTRL_VAL_TYPE: {
      int code = ValueTypeCode(binding->valueType());
      if (code < 0) return UIE_BAD_ATTRIBUTE;
      *value = code;
      return UIE_NO_ERROR;
    }
    case ATTR_POINTS_PER_SCREEN:
      if (kind != ControlKind::StripChart) return UIE_BAD_ATTRIBUTE;
      *value = static_cast<StripChartControl *>(w)->pointsPerScreen();
      return UIE_NO_ERROR;
    case ATTR_NUM_TRACES:
      if (kind != ControlKind::StripChart) return UIE_BAD_ATTRIBUTE;
      *value = static_cast<StripChartControl *>(w)->numTraces();
      return UIE_NO_ERROR;
    case ATTR_SMOOTH_UPDATE:
      if (kind != ControlKind::StripChart) return UIE_BAD_ATTRIBUTE;
      *value = static_cast<StripChartControl *>(w)->smoothUpdate() ? 1 : 0;
      return UIE_NO_ERROR;
    default:
      return UIE_BAD_ATTRIBUTE;
  }
}

}  // namespace

int SetCtrlAttribute(int panel, int control, int attribute, int value) {
  int error;
  ControlBinding *binding = FindControl(panel, control, &error);
  if (!binding) return error;
  if (IsStringAttribute(attribute)) return UIE_BAD_TYPE;
  return SetIntAttribute(binding, attribute, value);
}

int SetCtrlAttribute(int panel, int control, int attribute, const char *value) {
  int error;
  ControlBinding *binding = FindControl(panel, control, &error);
  if (!binding) return error;
  if (!IsStringAttribute(attribute)) {
    // Every other attribute is a number; an unknown one stays unknown.
    int probe = 0;
    return GetIntAttribute(binding, attribute, &probe) == UIE_BAD_ATTRIBUTE ? UIE_BAD_ATTRIBUTE
                                                                           : UIE_BAD_TYPE;
  }
  if (!value) return UIE_BAD_VALUE;
  QWidget *w = binding->widget();
  if (attribute == ATTR_LABEL_TEXT) return WriteLabel(binding, DecodeText(value));
  if (attribute == ATTR_ACCESSIBLE_NAME) {
    w->setAccessibleName(DecodeText(value));
    return UIE_NO_ERROR;
  }

  if (!HasText(binding->kind())) return UIE_BAD_ATTRIBUTE;
  const QString name = QString::fromUtf8(value);
  QFont font;
  if (name == QLatin1String(VAL_APP_META_FONT)) {
    font = ApplicationMetaFont();
  } else {
    if (name.trimmed().isEmpty()) return UIE_BAD_VALUE;
    font = w->font();
    font.setFamily(name);
  }
  w->setFont(font);
  w->setProperty(kFontNameProperty, name);
  FitLabelToText(binding);
  return UIE_NO_ERROR;
}

int GetCtrlAttribute(int panel, int control, int attribute, int *value) {
  int error;
  ControlBinding *binding = FindControl(panel, control, &error);
  if (!binding) return error;
  if (!value) return UIE_BAD_VALUE;
  if (IsStringAttribute(attribute)) return UIE_BAD_TYPE;
  return GetIntAttribute(binding, attribute, value);
}

int GetCtrlAttribute(int panel, int control, int attribute, char *buffer, size_t bufferSize) {
  int error;
  ControlBinding *binding = FindControl(panel, control, &error);
  if (!binding) return error;
  if (!buffer || bufferSize == 0) return UIE_BAD_VALUE;
  QString text;
  if (attribute == ATTR_LABEL_TEXT) {
    if (!ReadLabel(binding, &text)) return UIE_BAD_ATTRIBUTE;
  } else if (attribute == ATTR_ACCESSIBLE_NAME) {
    text = binding->widget()->accessibleName();
  } else if (attribute == ATTR_TEXT_FONT) {
    if (!HasText(binding->kind())) return UIE_BAD_ATTRIBUTE;
    QVariant name = binding->widget()->property(kFontNameProperty);
    text = name.isValid() ? name.toString() : binding->widget()->font().family();
  } else {
    int probe = 0;
    return GetIntAttribute(binding, attribute, &probe) == UIE_BAD_ATTRIBUTE ? UIE_BAD_ATTRIBUTE
                                                                           : UIE_BAD_TYPE;
  }
  EncodeControlTextInto(binding, text, buffer, bufferSize);
  return UIE_NO_ERROR;
}
