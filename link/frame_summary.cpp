#include "link/frame_summary.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "link/protocol.h"
#include "runtime/rs232/com_trace.h"

namespace {

const char *const kCommandNames[] = {
    nullptr,          "CMD_WRITE_RAM",    "CMD_READ_RAM",      "CMD_WRITE_EEPROM",
    "CMD_READ_EEPROM", "CMD_ECHO",        "CMD_TEACH",         "CMD_GET_VERSION",
    "CMD_GET_RAW",    "CMD_READ_BLOCK",   "CMD_GET_HARDWARE",  "CMD_RESET_MAXMIN",
};

// Appends to out (size bytes with the NUL), never past its end.
void Add(char *out, size_t size, const char *format, ...) __attribute__((format(printf, 3, 4)));

void Add(char *out, size_t size, const char *format, ...) {
  const size_t used = std::strlen(out);
  if (used + 1 >= size) return;
  va_list args;
  va_start(args, format);
  std::vsnprintf(out + used, size - used, format, args);
  va_end(args);
}

void AddCommand(char *out, size_t size, uint16_t code) {
  const char *name = CommandName(code);
  if (name != nullptr) Add(out, size, "%s (%u)", name, code);
  else Add(out, size, "command %u (unknown)", code);
}

// ", short frame (20 of 36 bytes)" or the long counterpart; nothing when it fits.
void AddLength(char *out, size_t size, int count, int expected) {
  if (count < expected) Add(out, size, ", short frame (%d of %d bytes)", count, expected);
  else if (count > expected) Add(out, size, ", long frame (%d of %d bytes)", count, expected);
}

void DescribeCommand(char *out, size_t size, const unsigned char *bytes, int count) {
  if (count < 6) {
    Add(out, size, "short frame (%d of %d bytes)", count, FRAME_BYTES);
    if (count >= 2 && ReadWordBE(bytes) != SYNC_COMMAND) Add(out, size, ", bad sync");
    return;
  }
  const uint16_t command = ReadWordBE(bytes + 2);
  AddCommand(out, size, command);
  Add(out, size, ", argument %u", ReadWordBE(bytes + 4));
  if (command == CMD_READ_BLOCK && count >= 8)
    Add(out, size, ", channel %s", ReadWordBE(bytes + 6) == 1 ? "A" : "B");
  const uint16_t sync = ReadWordBE(bytes);
  if (sync != SYNC_COMMAND) Add(out, size, ", sync 0x%04X, bad sync", sync);
  AddLength(out, size, count, FRAME_BYTES);
}

// The firmware text as it reads: a reply of 36 words (each character in a
// low byte, the high bytes blank or zero) or of 72 characters.
void AddFirmwareText(char *out, size_t size, const unsigned char *bytes, int count) {
  bool asWords = count >= 2;
  for (int i = 0; i + 1 < count && asWords; i += 2) asWords = bytes[i] == 0x00 || bytes[i] == 0x20;
  char shown[FIRMWARE_TEXT_CHARS + 1];
  int n = 0;
  for (int i = asWords ? 1 : 0; i < count && n < FIRMWARE_TEXT_CHARS; i += asWords ? 2 : 1) {
    if (bytes[i] == 0) break;
    shown[n++] = bytes[i] >= 0x20 && bytes[i] < 0x7F ? static_cast<char>(bytes[i]) : '.';
  }
  shown[n] = '\0';
  Add(out, size, ": firmware text \"%s\"", shown);
}

void DescribeReply(char *out, size_t size, const unsigned char *bytes, int count, const unsigned char *sent,
                   int sentCount) {
  const uint16_t asked = sentCount >= 4 ? ReadWordBE(sent + 2) : 0;
  if (asked == CMD_GET_VERSION) {
    Add(out, size, "reply to ");
    AddCommand(out, size, asked);
    AddFirmwareText(out, size, bytes, count);
    AddLength(out, size, count, FIRMWARE_REPLY_BYTES);
    return;
  }
  if (asked == CMD_READ_BLOCK) {
    const int start = sentCount >= 6 ? ReadWordBE(sent + 4) : 0;
    const bool channelA = sentCount >= 8 && ReadWordBE(sent + 6) == 1;
    Add(out, size, "reply to ");
    AddCommand(out, size, asked);
    Add(out, size, ": samples %d to %d of channel %s", start, start + DATA_BLOCK_SAMPLES - 1,
             channelA ? "A" : "B");
    AddLength(out, size, count, DATA_BLOCK_BYTES);
    return;
  }
  if (count < 4) {
    Add(out, size, "short frame (%d of %d bytes)", count, FRAME_BYTES);
    if (count >= 2 && ReadWordBE(bytes) != SYNC_REPLY) Add(out, size, ", bad sync");
    return;
  }
  const uint16_t command = ReadWordBE(bytes + 2);
  Add(out, size, "reply ");
  AddCommand(out, size, command);
  // A raw-values reply has no argument word.
  if (command != CMD_GET_RAW && count >= 6) Add(out, size, ", argument %u", ReadWordBE(bytes + 4));
  const uint16_t sync = ReadWordBE(bytes);
  Add(out, size, ", sync 0x%04X", sync);
  if (sync != SYNC_REPLY) Add(out, size, ", bad sync");
  if (sync == SYNC_REPLY && sentCount >= 4 && command != asked) {
    Add(out, size, ", not the command sent (");
    AddCommand(out, size, asked);
    Add(out, size, ")");
  }
  AddLength(out, size, count, FRAME_BYTES);
}

}  // namespace

const char *CommandName(uint16_t code) {
  const size_t count = sizeof kCommandNames / sizeof kCommandNames[0];
  return code < count ? kCommandNames[code] : nullptr;
}

void DescribeFRAME(int direction, const unsigned char *bytes, int count,
                   const unsigned char *lastSent, int lastSentCount, char *out, size_t size) {
  if (out == nullptr || size == 0) return;
  out[0] = '\0';
  if (bytes == nullptr || count <= 0) return;
  if (direction == TRACE_TX) DescribeCommand(out, size, bytes, count);
  else DescribeReply(out, size, bytes, count, lastSent, lastSent ? lastSentCount : 0);
}
