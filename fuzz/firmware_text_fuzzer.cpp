// The firmware text of a 72-byte reply, decoded for a board of type 0 (one
// character in the low byte of each of 36 words) and for a board of any other
// type (72 characters), into buffers of every size from 0 to 80 bytes. Each
// buffer is allocated at exactly its size so a write past it is caught.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "link/protocol.h"

namespace {

const size_t kLargestBuffer = 80;
const char kUntouched = '\x5A';

// The characters the sensor sent, up to its first NUL.
std::vector<char> SentText(const unsigned char *reply, uint16_t pcbType) {
  std::vector<char> text;
  const int count = pcbType == 0 ? FIRMWARE_WORD_CHARS : FIRMWARE_TEXT_CHARS;
  for (int i = 0; i < count; ++i) {
    const unsigned char c = pcbType == 0 ? reply[2 * i + 1] : reply[i];
    if (c == 0) break;
    text.push_back(static_cast<char>(c));
  }
  return text;
}

void CheckDecoding(const unsigned char *reply, uint16_t pcbType) {
  const std::vector<char> sent = SentText(reply, pcbType);
  for (size_t size = 0; size <= kLargestBuffer; ++size) {
    // A zero-size buffer still gets one byte behind it, to see it stays.
    const size_t allocated = size == 0 ? 1 : size;
    std::unique_ptr<char[]> text(new char[allocated]);
    std::memset(text.get(), kUntouched, allocated);
    DecodeFirmwareText(reply, pcbType, text.get(), size);

    if (size == 0) {
      FUZZ_CHECK(text[0] == kUntouched);
      continue;
    }
    const void *end = std::memchr(text.get(), '\0', size);
    FUZZ_CHECK(end != nullptr);  // terminated within the buffer
    const size_t length = static_cast<size_t>(static_cast<const char *>(end) - text.get());
    const size_t expected = sent.size() < size - 1 ? sent.size() : size - 1;
    FUZZ_CHECK(length == expected);
    FUZZ_CHECK(std::equal(text.get(), text.get() + length, sent.begin()));
    for (size_t i = length + 1; i < size; ++i) FUZZ_CHECK(text[i] == kUntouched);
  }
}

}  // namespace

// 72 bytes of reply, then optionally two bytes of board type for the
// second decoding (type 1 without them).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < FIRMWARE_REPLY_BYTES) return 0;
  const std::vector<unsigned char> reply(data, data + FIRMWARE_REPLY_BYTES);
  uint16_t otherBoard = 1;
  if (size >= FIRMWARE_REPLY_BYTES + 2)
    otherBoard = static_cast<uint16_t>(data[FIRMWARE_REPLY_BYTES] * 256 + data[FIRMWARE_REPLY_BYTES + 1]);

  CheckDecoding(reply.data(), 0);
  CheckDecoding(reply.data(), otherBoard);
  // The reply is only read.
  FUZZ_CHECK(std::memcmp(reply.data(), data, FIRMWARE_REPLY_BYTES) == 0);
  return 0;
}
