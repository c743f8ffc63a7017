// The graphs' context menu, opened and used as the operator does: a right
// click through the window (so Qt makes the context-menu event itself) or the
// context-menu key, then a click on an entry.
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTest>

#include <qcustomplot.h>

#include "runtime/graph/save_menu.h"
#include "runtime/testkit/testkit.h"
#include "runtime/userint/control_binding.h"
#include "runtime/userint/panel_registry.h"

using namespace uilayer;

namespace testkit {
namespace {

QCustomPlot *PlotOf(int panel, int control) {
  int error;
  ControlBinding *binding = FindControl(panel, control, &error);
  if (!binding) return nullptr;
  return qobject_cast<QCustomPlot *>(binding->widget());
}

}  // namespace

std::vector<std::string> OpenGraphMenu(int panel, int control, bool byKey) {
  std::vector<std::string> entries;
  QCustomPlot *plot = PlotOf(panel, control);
  if (!plot || !plot->isVisible()) return entries;
  QWidget *window = plot->window();
  // A click reaches the graph only once its window is on the screen.
  if (!QTest::qWaitForWindowExposed(window, 1000)) qWarning("testkit: window not exposed");
  if (!window->isActiveWindow()) {
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window, 1000)) qWarning("testkit: window did not become active");
  }
  if (byKey) {
    plot->setFocus(Qt::TabFocusReason);
    QTest::keyClick(plot, Qt::Key_Menu);
  } else {
    // Where the operator can see the graph: scrolled into view, and in the
    // part of it the window shows.
    ScrollTo(panel, control);
    const QRect onWindow(plot->mapTo(window, QPoint(0, 0)), plot->size());
    const QPoint at = onWindow.intersected(window->rect()).center();
    QTest::mouseClick(window->windowHandle(), Qt::RightButton, Qt::NoModifier, at);
  }
  QMenu *menu = OpenSaveMenu(plot);
  if (!menu) return entries;
  for (QAction *action : menu->actions()) entries.push_back(action->text().toStdString());
  return entries;
}

int ChooseGraphMenuEntry(int panel, int control, const std::string &entry) {
  QCustomPlot *plot = PlotOf(panel, control);
  QMenu *menu = plot ? OpenSaveMenu(plot) : nullptr;
  if (!menu) return UIE_BAD_VALUE;
  for (QAction *action : menu->actions()) {
    if (action->text().toStdString() != entry) continue;
    QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, menu->actionGeometry(action).center());
    // The entry is taken up once the menu has closed.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    return UIE_NO_ERROR;
  }
  return UIE_BAD_VALUE;
}

}  // namespace testkit
