#include "display/centred_value.h"

bool IsCentredMode(uint16_t evalMode) { return evalMode == 3 || evalMode == 4; }

uint16_t ShownMvalue(uint16_t mvalue, uint16_t evalMode, uint16_t virtPixel) {
  const int top = 2 * static_cast<int>(virtPixel);
  if (IsCentredMode(evalMode) && mvalue > top) return static_cast<uint16_t>(top);
  return mvalue;
}
