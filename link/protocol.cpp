#include "link/protocol.h"

#include <cstring>

uint16_t ReadWordBE(const unsigned char *bytes) {
  return static_cast<uint16_t>((bytes[0] << 8) | bytes[1]);
}

void WriteWordBE(unsigned char *bytes, uint16_t value) {
  bytes[0] = static_cast<unsigned char>(value >> 8);
  bytes[1] = static_cast<unsigned char>(value & 0xFF);
}

void EncodeCommandFrame(unsigned char *frame, uint16_t command, uint16_t argument,
                        const uint16_t *words) {
  WriteWordBE(frame, SYNC_COMMAND);
  WriteWordBE(frame + 2, command);
  WriteWordBE(frame + 4, argument);
  for (int i = 0; i < FRAME_DATA_WORDS; ++i) WriteWordBE(frame + 6 + 2 * i, words[i]);
}

void EncodeBlockRequest(unsigned char *frame, uint16_t sync, uint16_t start, uint16_t channel) {
  std::memset(frame, 0, FRAME_BYTES);
  WriteWordBE(frame, sync);
  WriteWordBE(frame + 2, CMD_READ_BLOCK);
  WriteWordBE(frame + 4, start);
  WriteWordBE(frame + 6, channel);
}

int DecodeReplyFrame(const unsigned char *frame, uint16_t *words) {
  if (ReadWordBE(frame + 2) == CMD_GET_RAW) {
    // A raw-values reply carries no argument word: its data starts at byte 4.
    for (int i = 0; i < VALUE_FRAME_WORDS; ++i) words[i] = ReadWordBE(frame + 4 + 2 * i);
    return 1;
  }
  for (int i = 0; i < FRAME_DATA_WORDS; ++i) words[i] = ReadWordBE(frame + 6 + 2 * i);
  return 0;
}

int FindReplyFrame(const unsigned char *bytes, int length, uint16_t command, int argument,
                   int *consumed) {
  int at = 0;
  while (at + 2 <= length) {
    if (ReadWordBE(bytes + at) != SYNC_REPLY) {
      ++at;
      continue;
    }
    if (at + FRAME_BYTES > length) break;  // the rest of this frame is still to come
    const bool ours = ReadWordBE(bytes + at + 2) == command &&
                      (argument < 0 || ReadWordBE(bytes + at + 4) == argument);
    if (ours) {
      *consumed = at + FRAME_BYTES;
      return at;
    }
    // A whole reply to something else: its data words are no sync words.
    at += FRAME_BYTES;
  }
  *consumed = at;
  return -1;
}

void DecodeFirmwareText(const unsigned char *reply, uint16_t pcbType, char *text,
                        size_t textSize) {
  if (textSize == 0) return;
  size_t n = 0;
  if (pcbType == 0) {
    for (int i = 0; i < FIRMWARE_WORD_CHARS && n + 1 < textSize; ++i) {
      const unsigned char c = reply[2 * i + 1];
      if (c == 0) break;
      text[n++] = static_cast<char>(c);
    }
  } else {
    for (int i = 0; i < FIRMWARE_TEXT_CHARS && n + 1 < textSize; ++i) {
      const unsigned char c = reply[i];
      if (c == 0) break;
      text[n++] = static_cast<char>(c);
    }
  }
  text[n] = '\0';
}

void DecodeDataBlock(const unsigned char *block, uint16_t *samples) {
  for (int i = 0; i < DATA_BLOCK_SAMPLES; ++i) samples[i] = ReadWordBE(block + 2 * i);
}
