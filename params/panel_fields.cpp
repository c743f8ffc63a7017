// Which control shows which field of the parameter set: the set as the
// panels hold it, and a field's name and value as the panels show them.
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "app/controls.h"
#include "app/globals.h"
#include "params/params.h"
#include "runtime/userint/userint.h"

namespace {

const double kCalibScale = 16384.0;  // calib is micrometres per virtual pixel times this

struct PanelField {
  const char *name;   // the record's field
  const int *panel;   // its panel's handle
  int control;
};

// In the order GetPanelValues reads them. c14 and r5-r10 are on no panel.
const PanelField kPanelFields[] = {
    {"teachA", &pHandle, MAIN_NEDITEACHA},
    {"teachB", &pHandle, MAIN_NEDITEACHB},
    {"tolUpper", &pPara1, PARA1_TOL_UPPER},
    {"tolLower", &pPara1, PARA1_TOL_LOWER},
    {"c12", &pPara1, PARA1_C12},
    {"evalMode", &pPara1, PARA1_DROPEVALMODE},
    {"c13", &pPara1, PARA1_C13},
    {"hardwareMode", &pPara1, PARA1_DROPHARDWAREMODE},
    {"c11", &pPara1, PARA1_C11},
    {"c10", &pPara1, PARA1_C10},
    {"a1", &pPara2, PARA2_A1},
    {"b1", &pPara2, PARA2_B1},
    {"c7", &pPara2, PARA2_C7},
    {"thdA", &pPara2, PARA2_SLIDEVIDEOTHD_A},
    {"thdB", &pPara2, PARA2_SLIDEVIDEOTHD_B},
    {"a4", &pPara2, PARA2_A4},
    {"a5", &pPara2, PARA2_A5},
    {"b4", &pPara2, PARA2_B4},
    {"b5", &pPara2, PARA2_B5},
    {"setpointUm", &pCalib, CALIB_SETPOINT_UM},
    {"calib", &pCalib, CALIB_FACTOR},
};

const PanelField *PanelFieldOf(const char *name) {
  for (const PanelField &f : kPanelFields)
    if (std::strcmp(f.name, name) == 0) return &f;
  return nullptr;
}

// float field -> calib, truncated toward zero as an unsigned 32-bit number.
uint32_t CalibFromFactor(float factor) {
  const double scaled = static_cast<double>(factor) * kCalibScale;
  if (!(scaled > 0.0)) return 0;  // also catches NaN
  if (scaled >= 4294967295.0) return 0xFFFFFFFFu;
  return static_cast<uint32_t>(scaled);
}

// One control's value into the set; a control that cannot be read leaves
// the field as it was.
void ReadPanelField(const PanelField &f, ParameterSet *set) {
  const ParameterField &field = *FindParameterField(f.name);
  if (std::strcmp(f.name, "calib") == 0) {
    float factor = 0.0f;
    if (GetCtrlVal(*f.panel, f.control, &factor) >= 0)
      SetParameterFieldValue(set, field, CalibFromFactor(factor));
  } else if (std::strcmp(f.name, "setpointUm") == 0) {
    unsigned int setpoint = 0;
    if (GetCtrlVal(*f.panel, f.control, &setpoint) >= 0)
      SetParameterFieldValue(set, field, setpoint);
  } else {
    unsigned short value = 0;
    if (GetCtrlVal(*f.panel, f.control, &value) >= 0) SetParameterFieldValue(set, field, value);
  }
}

bool IsRing(const PanelField &f) {
  int index = 0;
  // Only a ring answers this; any other control says it is the wrong kind.
  return GetIndexFromValue(*f.panel, f.control, &index, -1.0) != UIE_BAD_TYPE;
}

}  // namespace

ParameterSet PanelParameterSet(void) {
  ParameterSet set = RecordParameterSet();
  for (const PanelField &f : kPanelFields) ReadPanelField(f, &set);
  return set;
}

void FieldLabelOnPanels(const ParameterField &field, char *text, size_t size) {
  const PanelField *f = PanelFieldOf(field.name);
  if (f && GetCtrlAttribute(*f->panel, f->control, ATTR_ACCESSIBLE_NAME, text, size) >= 0 &&
      text[0] != '\0')
    return;
  std::snprintf(text, size, "%s (on no panel)", field.name);
}

void FieldValueAsShown(const ParameterField &field, uint32_t value, char *text, size_t size) {
  const PanelField *f = PanelFieldOf(field.name);
  if (f && std::strcmp(field.name, "calib") == 0) {
    // As the field shows it: the single-precision factor, six decimals,
    // written without the locale (the panels take '.' whatever it is).
    const float factor = static_cast<float>(value / kCalibScale);
    const long long millionths = std::llround(static_cast<double>(factor) * 1e6);
    std::snprintf(text, size, "%lld.%06lld", millionths / 1000000, millionths % 1000000);
    return;
  }
  if (f && IsRing(*f)) {
    int index = 0;
    if (GetIndexFromValue(*f->panel, f->control, &index, value) >= 0 &&
        GetLabelFromIndex(*f->panel, f->control, index, text, size) >= 0)
      return;
    std::snprintf(text, size, "%" PRIu32 " (no entry)", value);
    return;
  }
  std::snprintf(text, size, "%" PRIu32, value);
}
