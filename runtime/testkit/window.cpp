// Read-back of what assistive technology is told, of the panels' windows and
// of where the controls lie in them.
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QCoreApplication>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>

#include "runtime/graph/control.h"
#include "runtime/userint/control_binding.h"
#include "runtime/userint/panel_registry.h"
#include "runtime/testkit/testkit.h"

using namespace uilayer;

namespace testkit {
namespace {

QWidget *ControlWidget(int panel, int control) {
  int error;
  ControlBinding *binding = FindControl(panel, control, &error);
  return binding ? binding->widget() : nullptr;
}

QString AccessibleText(int panel, int control, QAccessible::Text which) {
  QWidget *w = ControlWidget(panel, control);
  if (!w) return QString();
  QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
  return iface ? iface->text(which) : QString();
}

// The top-level panel a panel is shown on, and that panel's window.
PanelRecord *TopLevelRecord(int panel) {
  PanelRecord *record = FindPanel(panel);
  while (record && record->parentHandle != 0) record = FindPanel(record->parentHandle);
  return record;
}

QScrollArea *WindowOf(int panel) {
  PanelRecord *record = TopLevelRecord(panel);
  return record ? qobject_cast<QScrollArea *>(record->window.data()) : nullptr;
}

Rect ToRect(const QRect &r) { return Rect{r.x(), r.y(), r.width(), r.height()}; }

void LetLayoutsFollow() {
  for (int i = 0; i < 3; ++i) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QCoreApplication::processEvents();
  }
}

}  // namespace

std::string AccessibleName(int panel, int control) {
  return AccessibleText(panel, control, QAccessible::Name).toStdString();
}

std::string AccessibleValue(int panel, int control) {
  return AccessibleText(panel, control, QAccessible::Value).toStdString();
}

std::string AccessibleLabel(int panel, int control) {
  QWidget *w = ControlWidget(panel, control);
  QAccessibleInterface *iface = w ? QAccessible::queryAccessibleInterface(w) : nullptr;
  if (!iface) return std::string();
  // A group box around the control labels it too; the label is a text.
  for (const auto &relation : iface->relations(QAccessible::Label))
    if (relation.first->role() == QAccessible::StaticText)
      return relation.first->text(QAccessible::Name).toStdString();
  return std::string();
}

std::vector<int> ControlIds(int panel) {
  std::vector<int> ids;
  PanelRecord *record = FindPanel(panel);
  if (!record) return ids;
  for (auto it = record->controls.constBegin(); it != record->controls.constEnd(); ++it)
    if (!it.value().isNull()) ids.push_back(it.key());
  return ids;
}

std::string ControlKind(int panel, int control) {
  int error;
  ControlBinding *binding = FindControl(panel, control, &error);
  if (!binding) return std::string();
  using K = uilayer::ControlKind;
  switch (binding->kind()) {
    case K::CommandButton: return "command button";
    case K::ToggleButton: return "toggle button";
    case K::RadioButton: return "radio button";
    case K::Ring: return "ring";
    case K::Numeric:
      return static_cast<QAbstractSpinBox *>(binding->widget())->isReadOnly() ? "numeric indicator"
                                                                              : "numeric input";
    case K::Slider: return "slider";
    case K::String: return "string";
    case K::TextBox: return "text box";
    case K::TextMessage: return "text message";
    case K::Decoration: return "decoration";
    case K::Graph: return "graph";
    case K::StripChart: return "strip chart";
  }
  return std::string();
}

bool IsCreatedTextMessage(int panel, int control) {
  PanelRecord *record = FindPanel(panel);
  return record && record->createdTextMessages.contains(control);
}

std::string GraphTitle(int panel, int control) {
  auto *graph = qobject_cast<GraphControl *>(ControlWidget(panel, control));
  return graph ? graph->title().toStdString() : std::string();
}

bool UserInterfaceStarted() { return QCoreApplication::instance() != nullptr; }

WindowView Window(int panel) {
  WindowView view;
  QScrollArea *window = WindowOf(panel);
  if (!window || !window->widget()) return view;
  QWidget *content = window->widget();
  view.frame = ToRect(window->frameGeometry());
  if (QScreen *screen = window->screen()) view.screenArea = ToRect(screen->availableGeometry());
  QWidget *viewport = window->viewport();
  view.shown = ToRect(QRect(content->mapFrom(viewport, QPoint(0, 0)), viewport->size())
                          .intersected(content->rect()));
  view.panelWidth = content->width();
  view.panelHeight = content->height();
  view.scrollBars =
      window->horizontalScrollBar()->isVisible() || window->verticalScrollBar()->isVisible();
  return view;
}

int ResizeWindow(int panel, int width, int height) {
  QScrollArea *window = WindowOf(panel);
  if (!window) return UIE_BAD_PANEL;
  window->setWindowState(window->windowState() & ~(Qt::WindowMaximized | Qt::WindowFullScreen));
  window->resize(width, height);
  LetLayoutsFollow();
  return UIE_NO_ERROR;
}

Rect ControlRect(int panel, int control) {
  QWidget *w = ControlWidget(panel, control);
  PanelRecord *top = TopLevelRecord(panel);
  if (!w || !top || !top->widget) return Rect();
  return ToRect(QRect(w->mapTo(top->widget, QPoint(0, 0)), w->size()));
}

Rect PanelRect(int panel) {
  PanelRecord *record = FindPanel(panel);
  PanelRecord *top = TopLevelRecord(panel);
  if (!record || !top || !top->widget) return Rect();
  QWidget *w = record->widget;
  return ToRect(QRect(w->mapTo(top->widget, QPoint(0, 0)), w->size()));
}

bool IsShown(int panel, int control) {
  QWidget *w = ControlWidget(panel, control);
  return w && w->isVisible();
}

int ScrollTo(int panel, int control) {
  QWidget *w = ControlWidget(panel, control);
  QScrollArea *window = WindowOf(panel);
  if (!w || !window) return UIE_BAD_CONTROL;
  // The whole control, not only its text cursor (where Qt's own scrolling
  // to a focused field stops).
  const QRect r(w->mapTo(window->widget(), QPoint(0, 0)), w->size());
  window->ensureVisible(r.center().x(), r.center().y(), r.width() / 2 + 1, r.height() / 2 + 1);
  QCoreApplication::processEvents();
  return UIE_NO_ERROR;
}

}  // namespace testkit
