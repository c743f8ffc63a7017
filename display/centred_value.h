// The measured value as the bar graph leaves it in the centred evaluation
// modes (3 and 4): deviations above the centre reach at most one line length,
// so a larger value is taken as twice the virtual pixels. The recorder
// records the value so lowered. Pure: the window and kvor both apply it.
#ifndef KVOR_DISPLAY_CENTRED_VALUE_H
#define KVOR_DISPLAY_CENTRED_VALUE_H

#include <cstdint>

bool IsCentredMode(uint16_t evalMode);
// mvalue as the bar graph leaves it in evalMode, on a line of virtPixel.
uint16_t ShownMvalue(uint16_t mvalue, uint16_t evalMode, uint16_t virtPixel);

#endif
