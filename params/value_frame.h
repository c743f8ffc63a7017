// The value frame: the 16 data words of a raw-values reply, the sensor's
// current measurement. Pure: the window's sensor variables and kvor's
// recording both decode it here.
#ifndef KVOR_PARAMS_VALUE_FRAME_H
#define KVOR_PARAMS_VALUE_FRAME_H

#include <cstdint>

struct ValueFrame {
  uint16_t aval, bval, mvalue;
  int32_t umValue;
  uint16_t tolup, tollo, edcntA, edcntB, tValA, tValB, anaMax, anaMin, raw13, raw14, raw15;
};

ValueFrame DecodeValueFrame(const uint16_t *words);

#endif
