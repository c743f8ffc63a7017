// The parameter record's two frames and the value frame, through pp.
#include "app/globals.h"
#include "link/protocol.h"
#include "params/params.h"
#include "params/value_frame.h"

namespace {

// The record's 16-bit fields in wire order: frame 0, then frame 1 words
// 0-10; frame 1 words 11-14 are calib and setpointUm, low word first.
enum { PLAIN_WORDS = 26 };
u16 *const kPlainFields[PLAIN_WORDS] = {
    &parameter.a1,       &parameter.thdA,     &parameter.teachA, &parameter.a4,
    &parameter.a5,       &parameter.tolUpper, &parameter.tolLower, &parameter.c7,
    &parameter.hardwareMode, &parameter.evalMode, &parameter.c10, &parameter.c11,
    &parameter.c12,      &parameter.c13,      &parameter.c14,
    &parameter.b1, &parameter.thdB, &parameter.teachB, &parameter.b4, &parameter.b5,
    &parameter.r5, &parameter.r6,   &parameter.r7,     &parameter.r8, &parameter.r9,
    &parameter.r10};

}  // namespace

ParameterSet RecordParameterSet(void) {
  ParameterSet set;
  for (int i = 0; i < PLAIN_WORDS; ++i) set.words[i] = *kPlainFields[i];
  SetParameterFieldValue(&set, *FindParameterField("calib"), parameter.calib);
  SetParameterFieldValue(&set, *FindParameterField("setpointUm"), parameter.setpointUm);
  return set;
}

void StoreParameterSet(const ParameterSet &set) {
  for (int i = 0; i < PLAIN_WORDS; ++i) *kPlainFields[i] = set.words[i];
  parameter.calib = ParameterFieldValue(set, *FindParameterField("calib"));
  parameter.setpointUm = ParameterFieldValue(set, *FindParameterField("setpointUm"));
}

void CopyVarsToPP(uint16_t frame) { ParameterFrameWords(RecordParameterSet(), frame, pp); }

void CopyPPtoVars(uint16_t frame) {
  ParameterSet set = RecordParameterSet();
  SetParameterFrameWords(&set, frame, pp);
  StoreParameterSet(set);
}

void CopyPPtoRAWVars(void) {
  const ValueFrame v = DecodeValueFrame(pp);
  Aval = v.aval;
  Bval = v.bval;
  Mvalue = v.mvalue;
  umValue = v.umValue;
  tolup = v.tolup;
  tollo = v.tollo;
  edcntA = v.edcntA;
  edcntB = v.edcntB;
  tValA = v.tValA;
  tValB = v.tValB;
  anaMax = v.anaMax;
  anaMin = v.anaMin;
  raw13 = v.raw13;
  raw14 = v.raw14;
  raw15 = v.raw15;
}
