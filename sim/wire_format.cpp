#include "sim/wire_format.h"

#include <algorithm>

namespace kvorsim::wire {

uint16_t wordAt(const uint8_t *frame, int word) {
  return static_cast<uint16_t>((frame[2 * word] << 8) | frame[2 * word + 1]);
}

void appendWord(Bytes &out, uint16_t word) {
  out.push_back(static_cast<uint8_t>(word >> 8));
  out.push_back(static_cast<uint8_t>(word & 0xFF));
}

void setWordAt(Bytes &bytes, int word, uint16_t value) {
  if (bytes.size() < static_cast<size_t>(2 * word + 2)) return;
  bytes[2 * word] = static_cast<uint8_t>(value >> 8);
  bytes[2 * word + 1] = static_cast<uint8_t>(value & 0xFF);
}

Command decodeCommand(const uint8_t *frame) {
  Command c;
  c.sync = wordAt(frame, 0);
  c.code = wordAt(frame, 1);
  c.argument = wordAt(frame, 2);
  for (int i = 0; i < proto::kFrameDataWords; ++i) c.data[i] = wordAt(frame, 3 + i);
  return c;
}

Bytes replyFrame(uint16_t command, uint16_t argument, const ParamFrame &data) {
  Bytes out;
  out.reserve(proto::kFrameBytes);
  appendWord(out, proto::kSyncReply);
  appendWord(out, command);
  appendWord(out, argument);
  for (int i = 0; i < proto::kFrameDataWords; ++i)
    appendWord(out, i < static_cast<int>(data.size()) ? data[i] : 0);
  return out;
}

Bytes valueFrame(const Measurement &m) {
  const uint32_t um = static_cast<uint32_t>(m.umValue);
  const uint16_t words[16] = {
      m.aval,   m.bval,   m.mvalue, static_cast<uint16_t>(um >> 16), static_cast<uint16_t>(um & 0xFFFF),
      m.tolup,  m.tollo,  m.edcntA, m.edcntB, m.tValA, m.tValB,
      m.anaMax, m.anaMin, m.raw13,  m.raw14,  m.raw15};
  Bytes out;
  out.reserve(proto::kFrameBytes);
  appendWord(out, proto::kSyncReply);
  appendWord(out, proto::GetRaw);
  for (uint16_t w : words) appendWord(out, w);
  return out;
}

Bytes firmwareText(const std::string &text, bool asWords, const std::vector<uint8_t> &highBytes) {
  Bytes out(proto::kFirmwareBytes, 0);
  if (asWords) {
    const size_t n = std::min<size_t>(text.size(), proto::kFirmwareBytes / 2);
    for (size_t i = 0; i < n; ++i) {
      const uint8_t c = static_cast<uint8_t>(text[i]);
      out[2 * i] = (i % 2 == 1 && c != 0) ? 0x20 : 0x00;
      out[2 * i + 1] = c;
    }
    for (size_t i = 0; i < highBytes.size() && i < proto::kFirmwareBytes / 2; ++i)
      out[2 * i] = highBytes[i];
  } else {
    const size_t n = std::min<size_t>(text.size(), proto::kFirmwareBytes);
    std::copy(text.begin(), text.begin() + static_cast<long>(n), out.begin());
  }
  return out;
}

Bytes sampleBlock(const std::vector<uint16_t> &line, int start) {
  Bytes out;
  out.reserve(proto::kBlockBytes);
  for (int i = 0; i < proto::kBlockBytes / 2; ++i) {
    const size_t at = static_cast<size_t>(start + i);
    appendWord(out, at < line.size() ? line[at] : 0);
  }
  return out;
}

}  // namespace kvorsim::wire
