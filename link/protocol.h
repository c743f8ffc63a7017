// The sensor's serial protocol: sizes, command codes, time-outs and the
// pure encoding and decoding of its frames. Nothing here touches the port or
// a global; the routines of com232 apply them to the shared buffers.
#ifndef KVOR_LINK_PROTOCOL_H
#define KVOR_LINK_PROTOCOL_H

#include <cstddef>
#include <cstdint>

// ---- Line settings ------------------------------------------------------------
enum {
  LINE_BAUD_RATE = 19200,
  LINE_DATA_BITS = 8,
  LINE_STOP_BITS = 1,
  LINE_QUEUE_BYTES = 4096,
};

// ---- Frame sizes (bytes) and words ------------------------------------------
enum {
  FRAME_BYTES = 36,             // every command frame and every reply frame
  FIRMWARE_REPLY_BYTES = 72,    // reply to CMD_GET_VERSION, no header
  DATA_BLOCK_BYTES = 128,       // reply to CMD_READ_BLOCK: 64 samples, no header
  DATA_BLOCK_SAMPLES = 64,
  FRAME_DATA_WORDS = 15,        // data words of a command or parameter frame
  VALUE_FRAME_WORDS = 16,       // data words of a raw-values reply
  FIRMWARE_TEXT_CHARS = 72,
  FIRMWARE_WORD_CHARS = 36,     // a board of type 0 sends one character per word
};

enum {
  SYNC_COMMAND = 0x0055,        // first word of every command frame
  SYNC_REPLY = 0x00AA,          // first word of every reply frame
  EVENT_CHARACTER = 0x55,       // given to the receive callback
  RX_NOTIFY_BYTES = FRAME_BYTES,
};

// ---- Command codes --------------------------------------------------------------
enum {
  CMD_WRITE_RAM = 1,
  CMD_READ_RAM = 2,
  CMD_WRITE_EEPROM = 3,
  CMD_READ_EEPROM = 4,
  CMD_ECHO = 5,
  CMD_TEACH = 6,
  CMD_GET_VERSION = 7,
  CMD_GET_RAW = 8,
  CMD_READ_BLOCK = 9,
  CMD_GET_HARDWARE = 10,
  CMD_RESET_MAXMIN = 11,
};

// ---- Timing (the window's global TIMEOUT is REPLY_TIMEOUT_MS in seconds) ------------
enum {
  REPLY_TIMEOUT_MS = 1500,      // a reply is late once more than this has passed since the write
  POLL_ECHO_MS = 50,            // echo check
  POLL_REPLY_MS = 20,           // identification, parameters, raw values, reset, teach
  POLL_VIDEO_MS = 10,           // pause of a video-mode pass
  POLL_FIRMWARE_MS = 50,        // firmware text (no event processing)
  RUN_PASS_MS = 20,             // pause of a run-mode or recording pass
  TRANSFER_SPACING_MS = 50,     // between the two frames of one transfer
  STARTUP_STEP_MS = 100,        // between the steps of the serial start-up
  TEACH_READBACK_MS = 10,       // between the read-backs after a teach
};

// ---- Pure codec ---------------------------------------------------------------------
uint16_t ReadWordBE(const unsigned char *bytes);
void WriteWordBE(unsigned char *bytes, uint16_t value);

// Writes the 36-byte command frame: sync 0x0055, command, argument, 15 data words.
void EncodeCommandFrame(unsigned char *frame, uint16_t command, uint16_t argument,
                        const uint16_t *words);
// Writes the 36-byte data-block request: sync, command 9, start index, channel, zeros.
void EncodeBlockRequest(unsigned char *frame, uint16_t sync, uint16_t start,
                        uint16_t channel);
// Decodes a 36-byte reply frame into words: 16 words from byte 4 for a
// raw-values reply (command word 8, result 1), else 15 words from byte 6
// (result 0).
int DecodeReplyFrame(const unsigned char *frame, uint16_t *words);

// Taking the awaited reply frame off the bytes that came from the line, one
// piece at a time from the front. The awaited reply begins with the sync
// word 0x00AA, has the command word command and, unless argument is
// negative, the argument word argument. Every 00 AA is a candidate; one that
// is whole and not the awaited reply is passed by a single byte, so a sync
// word inside it (a data word 170, the tail of a cut frame) is tried as well
// and a reply that begins in it is found.
enum ReplyPiece {
  REPLY_PIECE_NONE = 0,      // nothing to take yet: the front may still begin the awaited reply
  REPLY_PIECE_AWAITED = 1,   // the awaited reply, FRAME_BYTES long
  REPLY_PIECE_OTHER = 2,     // a whole reply frame that is not the awaited one
  REPLY_PIECE_UNFRAMED = 3,  // bytes in which neither begins
};
// The kind of the piece at the front of bytes; *pieceBytes its length (0
// for REPLY_PIECE_NONE). Whatever follows the piece is left for the next call.
int NextReplyPiece(const unsigned char *bytes, int length, uint16_t command, int argument,
                   int *pieceBytes);

// Firmware text of a 72-byte reply into text (at most textSize bytes with the
// terminator): a board of type 0 sends 36 words with the character in the low
// byte; other boards send the 72 characters themselves. Ends at the first NUL.
void DecodeFirmwareText(const unsigned char *reply, uint16_t pcbType, char *text,
                        size_t textSize);

// 64 big-endian samples of a data block into samples[0..63].
void DecodeDataBlock(const unsigned char *block, uint16_t *samples);

#endif
