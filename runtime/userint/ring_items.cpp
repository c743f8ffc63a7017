// The items of a ring: which one holds a value, and the text it shows.
#include <QComboBox>

#include <cmath>

#include "runtime/userint/control_binding.h"
#include "runtime/userint/panel_registry.h"
#include "runtime/userint/text_helpers.h"

using namespace uilayer;

namespace {

QComboBox *Ring(int panel, int control, int *error, ControlBinding **bindingOut) {
  ControlBinding *binding = FindControl(panel, control, error);
  if (!binding) return nullptr;
  if (binding->kind() != ControlKind::Ring) {
    *error = UIE_BAD_TYPE;
    return nullptr;
  }
  *bindingOut = binding;
  return static_cast<QComboBox *>(binding->widget());
}

}  // namespace

int GetIndexFromValue(int panel, int control, int *index, double value) {
  int error = UIE_NO_ERROR;
  ControlBinding *binding = nullptr;
  if (!Ring(panel, control, &error, &binding)) return error;
  if (!index || std::isnan(value)) return UIE_BAD_VALUE;
  for (int i = 0; i < binding->ringValues.size(); ++i) {
    if (binding->ringValues[i] == value) {
      *index = i;
      return UIE_NO_ERROR;
    }
  }
  return UIE_BAD_VALUE;
}

int GetLabelFromIndex(int panel, int control, int index, char *label, size_t labelSize) {
  int error = UIE_NO_ERROR;
  ControlBinding *binding = nullptr;
  QComboBox *combo = Ring(panel, control, &error, &binding);
  if (!combo) return error;
  if (!label || labelSize == 0 || index < 0 || index >= combo->count()) return UIE_BAD_VALUE;
  EncodeControlTextInto(binding, combo->itemText(index), label, labelSize);
  return UIE_NO_ERROR;
}
