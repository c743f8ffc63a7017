// The parameter set as a plain value: the 30 words of parameter frames 0
// and 1 in wire order (words 0-14 frame 0, words 15-29 frame 1, the lines of
// the parameter file), the record's fields by name, the repairs and the
// comparison. No globals, no port, no panels: the window and the
// command-line tool both work through these.
#ifndef KVOR_PARAMS_PARAMETER_SET_H
#define KVOR_PARAMS_PARAMETER_SET_H

#include <cstdint>

enum {
  PARAMETER_WORDS = 30,
  PARAMETER_FRAME_WORDS = 15,
  PARAMETER_FIELDS = 28,  // 26 single words and the two 32-bit fields
};

struct ParameterSet {
  uint16_t words[PARAMETER_WORDS];
};

// A field of the record: its name ("a1", "evalMode", "calib"), the word it
// occupies and, for the two 32-bit fields, that it takes this word (low
// half) and the next (high half).
struct ParameterField {
  const char *name;
  int word;
  bool wide;
};

// The fields in wire order.
const ParameterField *ParameterFieldAt(int index);  // null outside 0..PARAMETER_FIELDS-1
const ParameterField *FindParameterField(const char *name);
// The field a word belongs to (the 32-bit field for either of its words).
const ParameterField *ParameterFieldOfWord(int word);

uint32_t ParameterFieldValue(const ParameterSet &set, const ParameterField &field);
void SetParameterFieldValue(ParameterSet *set, const ParameterField &field, uint32_t value);

// Frame 0 or 1 (any other number is frame 1, as on the wire) to and from
// its 15 data words.
void ParameterFrameWords(const ParameterSet &set, int frame, uint16_t *words);
void SetParameterFrameWords(ParameterSet *set, int frame, const uint16_t *words);

// The repairs the panels apply before they show a set: each field out of
// its range gets its own replacement (teach values and tolerances are
// bounded by the sensor's virtual pixels). Returns how many fields changed.
int RepairParameterSet(ParameterSet *set, uint16_t virtualPixels);

// The fields in which a and b differ, in wire order, as indices for
// ParameterFieldAt; returns their number (at most PARAMETER_FIELDS).
int DiffParameterSets(const ParameterSet &a, const ParameterSet &b, int *fieldIndices);

// The set the program starts with.
ParameterSet StartParameterSet(void);

#endif
