// What assistive technology is told about the panels' windows. A panel's
// window is a window to a screen reader, named by its title, not an
// anonymous scrolling pane.
//
// Rings keep Qt's own description. On Linux that names a combo box after the
// entry it shows ("Mode 2"), and when the entry changes the AT-SPI bridge
// tells the screen reader that the name changed; what the ring is ("Hardware
// mode") reaches it as the labelled-by relation to the ring's buddy label,
// so every ring on a panel has one. The bridge of Qt 6.4 exports neither a
// value nor a text nor a selection for a combo box: an entry put anywhere but
// into the name could only be read by opening the list.
#include <QAccessible>
#include <QAccessibleWidget>

#include "runtime/userint/accessibility.h"
#include "runtime/userint/window.h"

namespace uilayer {
namespace {

QAccessibleInterface *DescriptionFactory(const QString &className, QObject *object) {
  if (className != QLatin1String("uilayer::PanelWindow")) return nullptr;
  auto *window = qobject_cast<PanelWindow *>(object);
  return window ? new QAccessibleWidget(window, QAccessible::Window) : nullptr;
}

}  // namespace

void InstallAccessibleDescriptions() {
  // Factories installed last are asked first, so this one goes ahead of
  // Qt's own for widgets.
  QAccessible::removeFactory(DescriptionFactory);
  QAccessible::installFactory(DescriptionFactory);
}

}  // namespace uilayer
