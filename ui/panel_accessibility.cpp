// What assistive technology is told about the panels' rings and windows.
// Qt's own description of a combo box names it after the entry it shows
// ("On", "Mode 2") on Linux, so a screen reader cannot tell two rings apart;
// here a ring is named after its accessible name or its label, and its entry
// is its value. A panel's window is a window to a screen reader, named by
// its title, not an anonymous scrolling pane.
#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>

#include "ui/panel_accessibility.h"
#include "ui/panel_window.h"

namespace uilayer {
namespace {

class RingAccessible : public QAccessibleWidget {
 public:
  explicit RingAccessible(QWidget *w) : QAccessibleWidget(w, QAccessible::ComboBox) {}

  QComboBox *ring() const { return static_cast<QComboBox *>(widget()); }

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Value) return ring()->currentText();
    QString text = QAccessibleWidget::text(t);  // accessible name, else the label
    if (t == QAccessible::Name && text.isEmpty()) text = ring()->currentText();
    return text;
  }

  // The list of entries, as the operator sees it when the ring opens.
  int childCount() const override { return 1; }
  QAccessibleInterface *child(int index) const override {
    return index == 0 ? QAccessible::queryAccessibleInterface(ring()->view()) : nullptr;
  }
  int indexOfChild(const QAccessibleInterface *child) const override {
    return child && child->object() == ring()->view() ? 0 : -1;
  }

  QStringList actionNames() const override {
    return QStringList{showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
  }
  void doAction(const QString &action) override {
    if (action != showMenuAction() && action != pressAction()) {
      QAccessibleWidget::doAction(action);
      return;
    }
    if (ring()->view()->isVisible()) ring()->hidePopup();
    else ring()->showPopup();
  }
};

QAccessibleInterface *DescriptionFactory(const QString &className, QObject *object) {
  if (className == QLatin1String("uilayer::PanelWindow")) {
    auto *window = qobject_cast<PanelWindow *>(object);
    return window ? new QAccessibleWidget(window, QAccessible::Window) : nullptr;
  }
  if (className != QLatin1String("QComboBox")) return nullptr;
  auto *ring = qobject_cast<QComboBox *>(object);
  // Editable combo boxes are not rings: they keep Qt's own description.
  if (!ring || ring->isEditable()) return nullptr;
  return new RingAccessible(ring);
}

}  // namespace

void InstallAccessibleDescriptions() {
  // Factories installed last are asked first, so this one goes ahead of
  // Qt's own for widgets.
  QAccessible::removeFactory(DescriptionFactory);
  QAccessible::installFactory(DescriptionFactory);
}

}  // namespace uilayer
