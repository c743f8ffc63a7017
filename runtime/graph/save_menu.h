// Internal to the run-time layer: the context menu of every graph and strip
// chart ("Save picture…", "Save data…"), and what its two entries do.
#ifndef KVOR_RUNTIME_GRAPH_SAVE_MENU_H
#define KVOR_RUNTIME_GRAPH_SAVE_MENU_H

class QCustomPlot;
class QMenu;

namespace uilayer {

// Opens the menu on a right click and on the context-menu key (or
// Shift+F10) while the graph has the focus; gives the graph a place in the
// tab order so the key can reach it.
void InstallSaveMenu(QCustomPlot *plot);

// The graph's menu while it is open, for tests; nullptr otherwise.
QMenu *OpenSaveMenu(const QCustomPlot *plot);

}  // namespace uilayer

#endif
