// Showing, hiding, placing and discarding panels.
#include <QGuiApplication>
#include <QWidget>

#include "runtime/userint/control_binding.h"
#include "runtime/userint/panel_registry.h"
#include "runtime/userint/window.h"
#include "runtime/userint/window_guard.h"

using namespace uilayer;

namespace {

// The window a newly shown window opens beside: the earliest loaded top-level
// panel that is shown now (the program's main window).
const QWidget *AnchorWindowFor(int panel) {
  for (int handle : AllPanelHandles()) {
    if (handle == panel) continue;
    PanelRecord *record = FindPanel(handle);
    if (record && record->window && record->window->isVisible()) return record->window;
  }
  return nullptr;
}

}  // namespace

int DisplayPanel(int panel) {
  QWidget *w = FindPanelShell(panel);
  if (!w) return UIE_BAD_PANEL;
  if (auto *window = qobject_cast<PanelWindow *>(w)) window->placeOnFirstShow(AnchorWindowFor(panel));
  w->show();
  // Windows without a screen (tests) cannot be stacked, and say so loudly.
  if (!w->isWindow() || QGuiApplication::platformName() != QLatin1String("offscreen")) w->raise();
  if (w->isWindow()) w->activateWindow();
  NoteWindowShown(w);
  return UIE_NO_ERROR;
}

int HidePanel(int panel) {
  QWidget *w = FindPanelShell(panel);
  if (!w) return UIE_BAD_PANEL;
  w->hide();
  return UIE_NO_ERROR;
}

int DiscardPanel(int panel) {
  QWidget *w = FindPanelShell(panel);
  if (!w) return UIE_BAD_PANEL;
  RemovePanelTree(panel);
  // The discard may come from a callback of one of the panel's own controls,
  // whose widget is still on the call stack: delete once control returns to
  // the event loop.
  w->hide();
  w->deleteLater();
  return UIE_NO_ERROR;
}

int SetPanelAttribute(int panel, int attribute, int value) {
  QWidget *w = FindPanelWidget(panel);
  QWidget *shell = FindPanelShell(panel);
  if (!w || !shell) return UIE_BAD_PANEL;
  switch (attribute) {
    case ATTR_LEFT: shell->move(value, shell->y()); return UIE_NO_ERROR;
    case ATTR_TOP: shell->move(shell->x(), value); return UIE_NO_ERROR;
    case ATTR_VISIBLE: shell->setVisible(value != 0); return UIE_NO_ERROR;
    case ATTR_DIMMED: w->setEnabled(value == 0); return UIE_NO_ERROR;
    case ATTR_LABEL_TEXT: return UIE_BAD_TYPE;
    default: return UIE_BAD_ATTRIBUTE;
  }
}

int SetPanelAttribute(int panel, int attribute, const char *value) {
  QWidget *w = FindPanelWidget(panel);
  if (!w) return UIE_BAD_PANEL;
  switch (attribute) {
    case ATTR_LABEL_TEXT:  // the window's title
      if (!value) return UIE_BAD_VALUE;
      w->setWindowTitle(QString::fromUtf8(value));
      FindPanelShell(panel)->setWindowTitle(QString::fromUtf8(value));
      return UIE_NO_ERROR;
    case ATTR_LEFT:
    case ATTR_TOP:
    case ATTR_VISIBLE:
    case ATTR_DIMMED:
      return UIE_BAD_TYPE;
    default:
      return UIE_BAD_ATTRIBUTE;
  }
}

int GetPanelAttribute(int panel, int attribute, int *value) {
  QWidget *w = FindPanelWidget(panel);
  QWidget *shell = FindPanelShell(panel);
  if (!w || !shell) return UIE_BAD_PANEL;
  if (!value) return UIE_BAD_VALUE;
  switch (attribute) {
    case ATTR_LEFT: *value = shell->x(); return UIE_NO_ERROR;
    case ATTR_TOP: *value = shell->y(); return UIE_NO_ERROR;
    case ATTR_VISIBLE: *value = OwnVisibleFlag(shell) ? 1 : 0; return UIE_NO_ERROR;
    case ATTR_DIMMED: *value = OwnDimmedFlag(w) ? 1 : 0; return UIE_NO_ERROR;
    default: return UIE_BAD_ATTRIBUTE;
  }
}
