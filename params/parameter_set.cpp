#include "params/parameter_set.h"

#include <cstring>

namespace {

// Words 0-14 frame 0, 15-29 frame 1; calib and setpointUm low word first.
const ParameterField kFields[PARAMETER_FIELDS] = {
    {"a1", 0, false},        {"thdA", 1, false},      {"teachA", 2, false},
    {"a4", 3, false},        {"a5", 4, false},        {"tolUpper", 5, false},
    {"tolLower", 6, false},  {"c7", 7, false},        {"hardwareMode", 8, false},
    {"evalMode", 9, false},  {"c10", 10, false},      {"c11", 11, false},
    {"c12", 12, false},      {"c13", 13, false},      {"c14", 14, false},
    {"b1", 15, false},       {"thdB", 16, false},     {"teachB", 17, false},
    {"b4", 18, false},       {"b5", 19, false},       {"r5", 20, false},
    {"r6", 21, false},       {"r7", 22, false},       {"r8", 23, false},
    {"r9", 24, false},       {"r10", 25, false},      {"calib", 26, true},
    {"setpointUm", 28, true},
};

uint16_t &Word(ParameterSet *set, const char *name) { return set->words[FindParameterField(name)->word]; }

// An unsigned test against the limit, and the field's own replacement.
int Repair(uint16_t *value, uint16_t limit, uint16_t replacement) {
  if (*value <= limit) return 0;
  *value = replacement;
  return 1;
}

}  // namespace

const ParameterField *ParameterFieldAt(int index) {
  return index >= 0 && index < PARAMETER_FIELDS ? &kFields[index] : nullptr;
}

const ParameterField *FindParameterField(const char *name) {
  if (name == nullptr) return nullptr;
  for (const ParameterField &f : kFields)
    if (std::strcmp(f.name, name) == 0) return &f;
  return nullptr;
}

const ParameterField *ParameterFieldOfWord(int word) {
  for (const ParameterField &f : kFields)
    if (word == f.word || (f.wide && word == f.word + 1)) return &f;
  return nullptr;
}

uint32_t ParameterFieldValue(const ParameterSet &set, const ParameterField &field) {
  if (!field.wide) return set.words[field.word];
  return (static_cast<uint32_t>(set.words[field.word + 1]) << 16) | set.words[field.word];
}

void SetParameterFieldValue(ParameterSet *set, const ParameterField &field, uint32_t value) {
  set->words[field.word] = static_cast<uint16_t>(value & 0xFFFFu);
  if (field.wide) set->words[field.word + 1] = static_cast<uint16_t>(value >> 16);
}

void ParameterFrameWords(const ParameterSet &set, int frame, uint16_t *words) {
  const int first = frame == 0 ? 0 : PARAMETER_FRAME_WORDS;
  for (int i = 0; i < PARAMETER_FRAME_WORDS; ++i) words[i] = set.words[first + i];
}

void SetParameterFrameWords(ParameterSet *set, int frame, const uint16_t *words) {
  const int first = frame == 0 ? 0 : PARAMETER_FRAME_WORDS;
  for (int i = 0; i < PARAMETER_FRAME_WORDS; ++i) set->words[first + i] = words[i];
}

int RepairParameterSet(ParameterSet *set, uint16_t virtualPixels) {
  int changed = 0;
  changed += Repair(&Word(set, "a1"), 1000, 500);
  changed += Repair(&Word(set, "b1"), 1000, 500);
  changed += Repair(&Word(set, "thdA"), 255, 128);
  changed += Repair(&Word(set, "thdB"), 255, 128);
  changed += Repair(&Word(set, "c12"), 1, 1);
  changed += Repair(&Word(set, "evalMode"), 4, 0);
  changed += Repair(&Word(set, "c13"), 2048, 2048);
  changed += Repair(&Word(set, "hardwareMode"), 4, 1);
  changed += Repair(&Word(set, "c11"), 4, 0);
  changed += Repair(&Word(set, "c10"), 1, 1);
  changed += Repair(&Word(set, "c7"), 1, 0);
  const uint16_t half = static_cast<uint16_t>(virtualPixels / 2);
  changed += Repair(&Word(set, "teachA"), virtualPixels, half);
  changed += Repair(&Word(set, "teachB"), virtualPixels, half);
  changed += Repair(&Word(set, "tolUpper"), virtualPixels, virtualPixels);
  changed += Repair(&Word(set, "tolLower"), virtualPixels, virtualPixels);
  return changed;
}

int DiffParameterSets(const ParameterSet &a, const ParameterSet &b, int *fieldIndices) {
  int n = 0;
  for (int i = 0; i < PARAMETER_FIELDS; ++i)
    if (ParameterFieldValue(a, kFields[i]) != ParameterFieldValue(b, kFields[i])) fieldIndices[n++] = i;
  return n;
}

ParameterSet StartParameterSet(void) {
  static const uint16_t kStart[PARAMETER_WORDS] = {
      500, 50, 512, 1, 2048, 50, 50, 1, 1, 1, 1, 0, 1, 1, 0,  // frame 0
      500, 50, 512, 1, 2048, 0, 0, 0, 0, 0, 0, 4096, 0, 37000, 0};
  ParameterSet set;
  std::memcpy(set.words, kStart, sizeof set.words);
  return set;
}
