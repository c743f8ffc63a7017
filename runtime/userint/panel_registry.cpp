#include "runtime/userint/panel_registry.h"

#include <QApplication>

#include <map>
#include <memory>
#include <string>

#include "runtime/userint/control_binding.h"

namespace uilayer {
namespace {

std::map<int, std::unique_ptr<PanelRecord>> &Panels() {
  static std::map<int, std::unique_ptr<PanelRecord>> panels;
  return panels;
}

// Handles only ever grow, so a stale handle held by the system after a
// DiscardPanel can never address a newer panel by accident.
int g_nextHandle = 1;

std::map<std::string, CtrlCallbackPtr> &CtrlCallbacks() {
  static std::map<std::string, CtrlCallbackPtr> table;
  return table;
}

std::map<std::string, PanelCallbackPtr> &PanelCallbacks() {
  static std::map<std::string, PanelCallbackPtr> table;
  return table;
}

}  // namespace

bool LayerReady() { return qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr; }

int AddPanel(PanelRecord *record) {
  record->handle = g_nextHandle++;
  Panels()[record->handle].reset(record);
  return record->handle;
}

PanelRecord *FindPanel(int handle) {
  auto it = Panels().find(handle);
  if (it == Panels().end() || it->second->widget.isNull()) return nullptr;
  return it->second.get();
}

QList<int> RemovePanelTree(int handle) {
  QList<int> removed;
  if (Panels().find(handle) == Panels().end()) return removed;
  // Children first: a child panel's widget dies with its parent's widget.
  QList<int> children;
  for (const auto &entry : Panels())
    if (entry.second->parentHandle == handle) children.append(entry.first);
  for (int child : children) removed += RemovePanelTree(child);
  Panels().erase(handle);
  removed.append(handle);
  return removed;
}

QList<int> AllPanelHandles() {
  QList<int> handles;
  for (const auto &entry : Panels()) handles.append(entry.first);
  return handles;
}

ControlBinding *FindControl(int panel, int control, int *error) {
  PanelRecord *record = FindPanel(panel);
  if (!record) {
    if (error) *error = UIE_BAD_PANEL;
    return nullptr;
  }
  auto it = record->controls.constFind(control);
  if (it == record->controls.constEnd() || it.value().isNull()) {
    if (error) *error = UIE_BAD_CONTROL;
    return nullptr;
  }
  if (error) *error = UIE_NO_ERROR;
  return it.value().data();
}

QWidget *FindPanelWidget(int panel) {
  PanelRecord *record = FindPanel(panel);
  return record ? record->widget.data() : nullptr;
}

QWidget *FindPanelShell(int panel) {
  PanelRecord *record = FindPanel(panel);
  if (!record) return nullptr;
  return record->window ? record->window.data() : record->widget.data();
}

CtrlCallbackPtr FindCtrlCallback(const QString &name) {
  auto it = CtrlCallbacks().find(name.toStdString());
  return it == CtrlCallbacks().end() ? nullptr : it->second;
}

PanelCallbackPtr FindPanelCallback(const QString &name) {
  auto it = PanelCallbacks().find(name.toStdString());
  return it == PanelCallbacks().end() ? nullptr : it->second;
}

}  // namespace uilayer

int RegisterCtrlCallback(const char *name, CtrlCallbackPtr fn) {
  if (!name || !*name || !fn) return UIE_BAD_VALUE;
  uilayer::CtrlCallbacks()[name] = fn;
  return UIE_NO_ERROR;
}

int RegisterPanelCallback(const char *name, PanelCallbackPtr fn) {
  if (!name || !*name || !fn) return UIE_BAD_VALUE;
  uilayer::PanelCallbacks()[name] = fn;
  return UIE_NO_ERROR;
}
