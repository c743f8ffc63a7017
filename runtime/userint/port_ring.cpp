#include "runtime/userint/port_ring.h"

#include <QComboBox>
#include <QSignalBlocker>
#include <QString>
#include <QVariant>

#include <string>

#include "runtime/userint/control_binding.h"
#include "runtime/rs232/port_table.h"
#include "runtime/runtime.h"

namespace uilayer {
namespace {

const char kBaseToolTip[] = "kvorBaseToolTip";

}  // namespace

void UpdatePortRingToolTip(QComboBox *combo) {
  if (!combo->property(kBaseToolTip).isValid())
    combo->setProperty(kBaseToolTip, combo->toolTip());
  const QString base = combo->property(kBaseToolTip).toString();
  const QString hint = combo->itemData(combo->currentIndex(), Qt::ToolTipRole).toString();
  if (hint.isEmpty()) combo->setToolTip(base);
  else if (base.isEmpty()) combo->setToolTip(hint);
  else combo->setToolTip(base + QStringLiteral("\n\n") + hint);
}

bool IsPortRing(const QComboBox *combo) {
  return combo->property("ringSource").toString() == QLatin1String("comports");
}

void FillPortRing(QComboBox *combo, ControlBinding *binding) {
  QSignalBlocker block(combo);
  double shown = -1;
  const int index = combo->currentIndex();
  if (index >= 0 && index < binding->ringValues.size()) shown = binding->ringValues[index];

  combo->clear();
  binding->ringValues.clear();
  const int count = GetComPortCount();
  for (int port = 1; port <= count && port <= MAX_COM_PORTS; ++port) {
    char label[512];
    if (GetComPortLabel(port, label, sizeof label) < 0) continue;
    combo->addItem(QString::fromUtf8(label));
    const std::string hint = PortEntryHint(port);
    if (!hint.empty())
      combo->setItemData(combo->count() - 1, QString::fromUtf8(hint.c_str()), Qt::ToolTipRole);
    binding->ringValues.append(port);
  }
  if (combo->count() == 0) {
    // The program still starts on port 1; the ring shows it so the operator
    // sees which port failed and the selector keeps a value.
    combo->addItem(QStringLiteral("1: none"));
    binding->ringValues.append(1);
  }
  const int again = binding->ringValues.indexOf(shown);
  combo->setCurrentIndex(again >= 0 ? again : 0);
}

void RefreshPortRing(QComboBox *combo) {
  ControlBinding *binding = BindingOf(combo);
  if (binding == nullptr) return;
  RefreshPortTable();
  FillPortRing(combo, binding);
}

}  // namespace uilayer
