// The byte layouts the sensor reads and writes: big-endian words everywhere,
// 36-byte frames, the value frame of a raw-values reply, the firmware text
// and the bare 128-byte sample blocks.
#ifndef KVOR_SIM_WIRE_FORMAT_H
#define KVOR_SIM_WIRE_FORMAT_H

#include <cstdint>
#include <string>
#include <vector>

#include "sim/sensor_sim.h"

namespace kvorsim::wire {

using Bytes = std::vector<uint8_t>;

// Word k of a frame sits in bytes 2k (high) and 2k + 1 (low).
uint16_t wordAt(const uint8_t *frame, int word);
void appendWord(Bytes &out, uint16_t word);
void setWordAt(Bytes &bytes, int word, uint16_t value);

// The fields of a command frame the sensor acts on.
struct Command {
  uint16_t sync = 0;
  uint16_t code = 0;
  uint16_t argument = 0;
  uint16_t data[proto::kFrameDataWords] = {};
};
Command decodeCommand(const uint8_t *frame);

// sync 0x00AA, command echo, argument, 15 data words.
Bytes replyFrame(uint16_t command, uint16_t argument, const ParamFrame &data);
// sync 0x00AA, command 8 and the 16 words of the value frame: no argument
// word, and umValue travels high word first.
Bytes valueFrame(const Measurement &m);
// 72 bytes. asWords: 36 words, one character in each low byte (the high byte
// of every other character word carries a space code that a reader must
// ignore); otherwise 72 plain bytes. NUL-padded, longer texts are cut.
Bytes firmwareText(const std::string &text, bool asWords,
                   const std::vector<uint8_t> &highBytes = {});
// 64 samples of a video line from `start`, high byte first.
Bytes sampleBlock(const std::vector<uint16_t> &line, int start);

}  // namespace kvorsim::wire

#endif
