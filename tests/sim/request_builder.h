// Command frames for tests that send many of them, built here rather than
// with the sensor's own encoder: sync 00 55, command, argument and 15 data
// words, every word high byte first.
#ifndef KVOR_TESTS_SIM_REQUEST_BUILDER_H
#define KVOR_TESTS_SIM_REQUEST_BUILDER_H

#include <cstdint>
#include <vector>

#include "line_probe.h"

namespace simtest {

inline Bytes request(uint16_t command, uint16_t argument, const std::vector<uint16_t> &data = {}) {
  Bytes out = {0x00, 0x55, static_cast<uint8_t>(command >> 8), static_cast<uint8_t>(command),
               static_cast<uint8_t>(argument >> 8), static_cast<uint8_t>(argument)};
  for (size_t i = 0; i < 15; ++i) {
    const uint16_t w = i < data.size() ? data[i] : 0;
    out.push_back(static_cast<uint8_t>(w >> 8));
    out.push_back(static_cast<uint8_t>(w));
  }
  return out;
}

// The 15 data words of a 36-byte reply frame.
inline std::vector<uint16_t> dataWords(const Bytes &reply) {
  std::vector<uint16_t> words;
  for (size_t at = 6; at + 1 < reply.size() && words.size() < 15; at += 2) words.push_back(wordAt(reply, at));
  return words;
}

// The value frame of a raw-values reply, decoded.
struct Values {
  uint16_t aval, bval, mvalue;
  int32_t umValue;
  uint16_t tolup, tollo, edcntA, edcntB, tValA, tValB, anaMax, anaMin;
};

inline Values values(const Bytes &reply) {
  Values v{};
  v.aval = wordAt(reply, 4);
  v.bval = wordAt(reply, 6);
  v.mvalue = wordAt(reply, 8);
  v.umValue = static_cast<int32_t>((static_cast<uint32_t>(wordAt(reply, 10)) << 16) | wordAt(reply, 12));
  v.tolup = wordAt(reply, 14);
  v.tollo = wordAt(reply, 16);
  v.edcntA = wordAt(reply, 18);
  v.edcntB = wordAt(reply, 20);
  v.tValA = wordAt(reply, 22);
  v.tValB = wordAt(reply, 24);
  v.anaMax = wordAt(reply, 26);
  v.anaMin = wordAt(reply, 28);
  return v;
}

}  // namespace simtest

#endif
