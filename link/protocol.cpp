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

namespace {

bool IsReplySync(const unsigned char *bytes) { return ReadWordBE(bytes) == SYNC_REPLY; }

}  // namespace

int NextReplyPiece(const unsigned char *bytes, int length, uint16_t command, int argument,
                   int *pieceBytes) {
  *pieceBytes = 0;
  // How far the front is done with: up to the awaited reply, or up to a
  // candidate still arriving, which may yet be it.
  int done = 0;
  bool found = false;
  for (;;) {
    if (done + 2 > length) {
      // A last 00 may be the first half of a sync word.
      if (done < length && bytes[done] != 0x00) done = length;
      break;
    }
    if (!IsReplySync(bytes + done)) {
      ++done;
      continue;
    }
    if (done + FRAME_BYTES > length) break;
    if (ReadWordBE(bytes + done + 2) == command &&
        (argument < 0 || ReadWordBE(bytes + done + 4) == argument)) {
      found = true;
      break;
    }
    ++done;  // the next candidate may begin inside this one
  }
  if (done == 0) {
    if (!found) return REPLY_PIECE_NONE;
    *pieceBytes = FRAME_BYTES;
    return REPLY_PIECE_AWAITED;
  }
  // Nothing in front of `done` is the awaited reply. A whole frame at the
  // front is told as one; while a candidate that begins inside it is still
  // arriving, it may yet turn out to be no frame, so it waits.
  if (IsReplySync(bytes) && FRAME_BYTES <= length) {
    if (FRAME_BYTES <= done) {
      *pieceBytes = FRAME_BYTES;
      return REPLY_PIECE_OTHER;
    }
    if (!found) return REPLY_PIECE_NONE;
  }
  // Bytes up to the next whole candidate that the awaited reply does not
  // begin inside; the next call tells what it is.
  int end = 1;
  while (end < done && !(end + FRAME_BYTES <= length && IsReplySync(bytes + end) &&
                         !(found && done < end + FRAME_BYTES)))
    ++end;
  *pieceBytes = end;
  return REPLY_PIECE_UNFRAMED;
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
