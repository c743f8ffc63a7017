#include "params/value_frame.h"

ValueFrame DecodeValueFrame(const uint16_t *w) {
  ValueFrame v;
  v.aval = w[0];
  v.bval = w[1];
  v.mvalue = w[2];
  // umValue travels high word first, as a two's-complement number.
  v.umValue = static_cast<int32_t>((static_cast<uint32_t>(w[3]) << 16) | w[4]);
  v.tolup = w[5];
  v.tollo = w[6];
  v.edcntA = w[7];
  v.edcntB = w[8];
  v.tValA = w[9];
  v.tValB = w[10];
  v.anaMax = w[11];
  v.anaMin = w[12];
  v.raw13 = w[13];
  v.raw14 = w[14];
  v.raw15 = w[15];
  return v;
}
