// Internal to the run-time layer: the table of loaded panels and the names of
// the system's callbacks. Panel handles and control ids are what the system
// holds; this table turns them back into widgets.
#ifndef KVOR_RUNTIME_USERINT_PANEL_REGISTRY_H
#define KVOR_RUNTIME_USERINT_PANEL_REGISTRY_H

#include <QList>
#include <QMap>
#include <QPointer>
#include <QString>
#include <QWidget>

#include "runtime/userint/userint.h"

namespace uilayer {

class ControlBinding;

struct PanelRecord {
  int handle = 0;
  int parentHandle = 0;               // 0 for a window of its own
  QPointer<QWidget> widget;
  QPointer<QWidget> window;           // top-level panels: the window showing it
  PanelCallbackPtr callback = nullptr;
  QMap<int, QPointer<ControlBinding>> controls;
  QList<int> createdTextMessages;     // ids made by NewCtrl, in creation order
};

// True once the application object exists; nothing with widgets works before.
bool LayerReady();

// Takes ownership of the record and gives it a handle that is never reused.
int AddPanel(PanelRecord *record);
// The live record for a handle, or nullptr (unknown, discarded, or its widget
// is gone).
PanelRecord *FindPanel(int handle);
// Forgets the panel and every panel loaded into it; returns their widgets'
// handles in the order they were removed.
QList<int> RemovePanelTree(int handle);
QList<int> AllPanelHandles();

// Resolves (panel, control). On failure returns nullptr and sets *error to
// UIE_BAD_PANEL or UIE_BAD_CONTROL.
ControlBinding *FindControl(int panel, int control, int *error);
QWidget *FindPanelWidget(int panel);
// What is shown, hidden, placed and closed for the panel: its window for a
// top-level panel, the panel itself for a child panel.
QWidget *FindPanelShell(int panel);

CtrlCallbackPtr FindCtrlCallback(const QString &name);
PanelCallbackPtr FindPanelCallback(const QString &name);

}  // namespace uilayer

#endif
