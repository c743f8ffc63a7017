// The parameter record's two frames and the value frame, through pp.
#include "app/globals.h"
#include "link/protocol.h"
#include "params/params.h"

namespace {

uint16_t LowWord(uint32_t value) { return static_cast<uint16_t>(value & 0xFFFFu); }
uint16_t HighWord(uint32_t value) { return static_cast<uint16_t>(value >> 16); }
uint32_t JoinWords(uint16_t high, uint16_t low) {
  return (static_cast<uint32_t>(high) << 16) | low;
}

// Frame 0 in wire order.
u16 *const kFrame0Fields[FRAME_DATA_WORDS] = {
    &parameter.a1,       &parameter.thdA,     &parameter.teachA, &parameter.a4,
    &parameter.a5,       &parameter.tolUpper, &parameter.tolLower, &parameter.c7,
    &parameter.hardwareMode, &parameter.evalMode, &parameter.c10, &parameter.c11,
    &parameter.c12,      &parameter.c13,      &parameter.c14};

// Frame 1 words 0-10; words 11-14 are the two 32-bit fields, low word first.
enum { FRAME1_PLAIN_WORDS = 11 };
u16 *const kFrame1Fields[FRAME1_PLAIN_WORDS] = {
    &parameter.b1, &parameter.thdB, &parameter.teachB, &parameter.b4, &parameter.b5,
    &parameter.r5, &parameter.r6,   &parameter.r7,     &parameter.r8, &parameter.r9,
    &parameter.r10};

}  // namespace

void CopyVarsToPP(uint16_t frame) {
  if (frame == 0) {
    for (int i = 0; i < FRAME_DATA_WORDS; ++i) pp[i] = *kFrame0Fields[i];
    return;
  }
  for (int i = 0; i < FRAME1_PLAIN_WORDS; ++i) pp[i] = *kFrame1Fields[i];
  pp[11] = LowWord(parameter.calib);
  pp[12] = HighWord(parameter.calib);
  pp[13] = LowWord(parameter.setpointUm);
  pp[14] = HighWord(parameter.setpointUm);
}

void CopyPPtoVars(uint16_t frame) {
  if (frame == 0) {
    for (int i = 0; i < FRAME_DATA_WORDS; ++i) *kFrame0Fields[i] = pp[i];
    return;
  }
  for (int i = 0; i < FRAME1_PLAIN_WORDS; ++i) *kFrame1Fields[i] = pp[i];
  parameter.calib = JoinWords(pp[12], pp[11]);
  parameter.setpointUm = JoinWords(pp[14], pp[13]);
}

void CopyPPtoRAWVars(void) {
  Aval = pp[0];
  Bval = pp[1];
  Mvalue = pp[2];
  // The value frame sends umValue high word first, as a two's-complement number.
  umValue = static_cast<int32_t>(JoinWords(pp[3], pp[4]));
  tolup = pp[5];
  tollo = pp[6];
  edcntA = pp[7];
  edcntB = pp[8];
  tValA = pp[9];
  tValB = pp[10];
  anaMax = pp[11];
  anaMin = pp[12];
  raw13 = pp[13];
  raw14 = pp[14];
  raw15 = pp[15];
}
