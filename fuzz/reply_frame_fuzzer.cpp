// The program's receive path for fixed-size replies: a 36-byte reply frame
// into the reply words and a 128-byte data block into 64 samples. Each
// decoder gets a buffer of exactly its size (so AddressSanitizer sees any
// read past it) and an output array of exactly the words it may fill.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "link/protocol.h"

namespace {

const uint16_t kUntouched = 0xA5C3;

uint16_t BigEndianWord(const unsigned char *bytes) {
  return static_cast<uint16_t>(bytes[0] * 256 + bytes[1]);
}

void CheckReplyFrame(const uint8_t *data) {
  const std::vector<unsigned char> frame(data, data + FRAME_BYTES);
  // Room for the 16 words of a raw-values reply; a parameter reply fills 15.
  std::vector<uint16_t> words(VALUE_FRAME_WORDS, kUntouched);
  const int kind = DecodeReplyFrame(frame.data(), words.data());

  const bool rawValues = frame[2] == 0x00 && frame[3] == 0x08;
  FUZZ_CHECK(kind == (rawValues ? 1 : 0));
  if (rawValues) {
    for (int i = 0; i < VALUE_FRAME_WORDS; ++i)
      FUZZ_CHECK(words[i] == BigEndianWord(&frame[4 + 2 * i]));
  } else {
    for (int i = 0; i < FRAME_DATA_WORDS; ++i)
      FUZZ_CHECK(words[i] == BigEndianWord(&frame[6 + 2 * i]));
    // The sixteenth word belongs to the last raw-values reply and stays.
    FUZZ_CHECK(words[FRAME_DATA_WORDS] == kUntouched);
  }
  // The frame is only read.
  FUZZ_CHECK(std::memcmp(frame.data(), data, FRAME_BYTES) == 0);
}

void CheckDataBlock(const uint8_t *data) {
  const std::vector<unsigned char> block(data, data + DATA_BLOCK_BYTES);
  std::vector<uint16_t> samples(DATA_BLOCK_SAMPLES, kUntouched);
  DecodeDataBlock(block.data(), samples.data());
  for (int i = 0; i < DATA_BLOCK_SAMPLES; ++i)
    FUZZ_CHECK(samples[i] == BigEndianWord(&block[2 * i]));
}

}  // namespace

// The first 36 bytes are a reply frame, the last 128 a data block.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size >= FRAME_BYTES) CheckReplyFrame(data);
  if (size >= DATA_BLOCK_BYTES) CheckDataBlock(data + size - DATA_BLOCK_BYTES);
  return 0;
}
