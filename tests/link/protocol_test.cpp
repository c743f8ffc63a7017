// Frame encoding and decoding against byte strings written out by hand.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/globals.h"
#include "link/com232.h"
#include "link/protocol.h"

namespace {

std::vector<unsigned char> Bytes(std::initializer_list<int> values) {
  std::vector<unsigned char> out;
  for (int v : values) out.push_back(static_cast<unsigned char>(v));
  return out;
}

std::vector<unsigned char> WriteBuffer() {
  return std::vector<unsigned char>(szWriteBuf, szWriteBuf + FRAME_BYTES);
}

void PutReply(const std::vector<unsigned char> &bytes) {
  std::memset(szReadBuf, 0, sizeof szReadBuf);
  std::memcpy(szReadBuf, bytes.data(), bytes.size());
}

TEST(CommandFrame, EchoWithZeroDataIsSyncCommandArgumentAndThirtyZeroBytes) {
  const uint16_t words[15] = {};
  FillTxBuf(CMD_ECHO, 0, words);
  std::vector<unsigned char> expected = Bytes({0x00, 0x55, 0x00, 0x05, 0x00, 0x00});
  expected.resize(FRAME_BYTES, 0x00);
  EXPECT_EQ(WriteBuffer(), expected);
}

TEST(CommandFrame, WordsTravelHighByteFirstInTheirPlaces) {
  uint16_t words[15] = {};
  words[0] = 0x1234;
  words[14] = 0xBEEF;
  FillTxBuf(CMD_READ_EEPROM, 1, words);
  const std::vector<unsigned char> frame = WriteBuffer();
  EXPECT_EQ(Bytes({0x00, 0x55, 0x00, 0x04, 0x00, 0x01, 0x12, 0x34}),
            std::vector<unsigned char>(frame.begin(), frame.begin() + 8));
  EXPECT_EQ(0xBE, frame[34]);
  EXPECT_EQ(0xEF, frame[35]);
}

TEST(CommandFrame, EveryCommandCodeLandsInBytesTwoAndThree) {
  const uint16_t words[15] = {};
  for (uint16_t code = CMD_WRITE_RAM; code <= CMD_RESET_MAXMIN; ++code) {
    FillTxBuf(code, 0, words);
    EXPECT_EQ(0x00, static_cast<unsigned char>(szWriteBuf[2]));
    EXPECT_EQ(code, static_cast<unsigned char>(szWriteBuf[3]));
  }
}

TEST(CommandFrame, DataBlockRequestCarriesStartAndChannel) {
  unsigned char frame[FRAME_BYTES];
  std::memset(frame, 0xEE, sizeof frame);
  EncodeBlockRequest(frame, SYNC_COMMAND, 64, 1);
  std::vector<unsigned char> expected = Bytes({0x00, 0x55, 0x00, 0x09, 0x00, 0x40, 0x00, 0x01});
  expected.resize(FRAME_BYTES, 0x00);
  EXPECT_EQ(expected, std::vector<unsigned char>(frame, frame + FRAME_BYTES));
}

TEST(ReplyFrame, RawValuesReplyFillsSixteenWordsFromByteFour) {
  std::vector<unsigned char> reply = Bytes({0x00, 0xAA, 0x00, 0x08});
  for (int i = 0; i < 16; ++i) {
    reply.push_back(static_cast<unsigned char>(i));
    reply.push_back(static_cast<unsigned char>(0x10 + i));
  }
  PutReply(reply);
  std::memset(pp, 0, sizeof pp);
  EXPECT_EQ(1, GetRxBuf());
  for (int i = 0; i < 16; ++i) EXPECT_EQ((i << 8) | (0x10 + i), pp[i]) << "word " << i;
}

TEST(ReplyFrame, ParameterReplyFillsFifteenWordsFromByteSixAndKeepsWordFifteen) {
  std::vector<unsigned char> reply = Bytes({0x00, 0xAA, 0x00, 0x02, 0x00, 0x01});
  for (int i = 0; i < 15; ++i) {
    reply.push_back(0xA0);
    reply.push_back(static_cast<unsigned char>(i));
  }
  PutReply(reply);
  pp[15] = 0x7777;
  EXPECT_EQ(0, GetRxBuf());
  for (int i = 0; i < 15; ++i) EXPECT_EQ(0xA000 | i, pp[i]) << "word " << i;
  EXPECT_EQ(0x7777, pp[15]);
}

TEST(ReplyFrame, DecodingTheSameBufferTwiceGivesTheSameWords) {
  std::vector<unsigned char> reply = Bytes({0x00, 0xAA, 0x00, 0x04, 0x00, 0x00, 0x12, 0x34});
  reply.resize(FRAME_BYTES, 0x01);
  PutReply(reply);
  GetRxBuf();
  pp[0] = 0;
  GetRxBuf();
  EXPECT_EQ(0x1234, pp[0]);
}

// Bytes written out by hand as hex pairs; "01*30" is 30 bytes 01.
std::vector<unsigned char> Hex(const std::string &text) {
  std::vector<unsigned char> out;
  size_t at = 0;
  while (at < text.size()) {
    if (text[at] == ' ') {
      ++at;
      continue;
    }
    const unsigned char byte = static_cast<unsigned char>(std::stoi(text.substr(at, 2), nullptr, 16));
    at += 2;
    size_t times = 1;
    if (at < text.size() && text[at] == '*') {
      size_t used = 0;
      times = std::stoul(text.substr(at + 1), &used);
      at += 1 + used;
    }
    out.insert(out.end(), times, byte);
  }
  return out;
}

// The pieces a reader awaiting (command, argument) takes off the stream, in
// order: A the awaited reply, O another whole reply, U unframed bytes, each
// with its length; then how many bytes it leaves for later. The reader stops
// at the awaited reply, as a reply wait does.
std::string Pieces(const std::vector<unsigned char> &stream, uint16_t command, int argument) {
  std::string out;
  int at = 0, n = 0;
  const int length = static_cast<int>(stream.size());
  for (;;) {
    const int kind = NextReplyPiece(stream.data() + at, length - at, command, argument, &n);
    if (kind == REPLY_PIECE_NONE) {
      EXPECT_EQ(0, n);
      break;
    }
    out += std::string(kind == REPLY_PIECE_AWAITED ? "A" : kind == REPLY_PIECE_OTHER ? "O" : "U") +
           std::to_string(n) + " ";
    at += n;
    if (kind == REPLY_PIECE_AWAITED) break;
  }
  return out + "| " + std::to_string(length - at) + " left";
}

TEST(ReplyFrame, TheAwaitedReplyIsTakenByResynchronisingOneByteAtATime) {
  struct Case {
    const char *what;
    std::string stream;
    uint16_t command;
    int argument;
    const char *pieces;
  } cases[] = {
      // The tail of a raw-values reply cut by a flush holds the value 170
      // (00 AA): a candidate that is not the reply, and the reply begins
      // inside its 36 bytes.
      {"a cut tail holding 00 AA", "12 34 00 AA 00 08 00 01 " "00 AA 00 02 00 00 01*30", 2, -1,
       "U8 A36 | 0 left"},
      {"...and the same tail with 00 AA at its end", "00 08 00 01 00 AA " "00 AA 00 02 00 00 01*30", 2, -1,
       "U6 A36 | 0 left"},
      // The acknowledgement of frame 0 is passed as a whole frame, that of
      // frame 1 taken; bytes behind it stay for later.
      {"acknowledgements of both frames", "00 AA 00 01 00 00 02*30 " "00 AA 00 01 00 01 03*30 " "00 AA 00 02", 1, 1,
       "O36 A36 | 4 left"},
      // A sync word inside another reply's data that is no reply either.
      {"a sync word in another reply's data", "00 AA 00 0A 00 00 00 AA 00 07 05*26 " "00 AA 00 04 00 01 06*30", 4,
       -1, "O36 A36 | 0 left"},
      // Until the reply is whole nothing is taken from where it begins.
      {"a reply still arriving", "55 55 00 AA 00 02 00 00 01*20", 2, -1, "U2 | 26 left"},
      {"a last byte that may begin a sync word", "13 37 00", 2, -1, "U2 | 1 left"},
      {"a last byte that cannot", "13 37 01", 2, -1, "U3 | 0 left"},
      {"nothing", "", 2, -1, "| 0 left"},
      // An answer whose last word is 170 may end where the awaited reply
      // begins: it is told as a frame once that is settled.
      {"an answer ending in 170", "00 AA 00 01 00 00 02*28 00 AA", 1, 1, "| 36 left"},
      {"...then the awaited reply", "00 AA 00 01 00 00 02*28 00 AA " "00 AA 00 01 00 01 03*30", 1, 1,
       "O36 A36 | 0 left"},
      {"...behind garbage", "99 98 97 " "00 AA 00 01 00 00 02*28 00 AA", 1, 1, "U3 | 36 left"},
      // A reply with another argument word is no answer to this request.
      {"another argument word", "00 AA 00 04 00 00 07*30 " "00 AA 00 04 00 01 08*30", 4, 1, "O36 A36 | 0 left"},
      // A whole frame behind unframed bytes is told as one.
      {"garbage, then another reply", "99 98 97 " "00 AA 00 0B 00 00 00*30 " "00 AA 00 0B 00", 10, -1,
       "U3 O36 | 5 left"},
  };
  for (const Case &c : cases)
    EXPECT_EQ(c.pieces, Pieces(Hex(c.stream), c.command, c.argument)) << c.what;
}

TEST(FirmwareText, BoardTypeZeroTakesTheLowByteOfEachWord) {
  unsigned char reply[FIRMWARE_REPLY_BYTES] = {};
  const unsigned char chars[] = {'V', '1', '.', '0'};
  for (int i = 0; i < 4; ++i) {
    reply[2 * i] = static_cast<unsigned char>(0x31 + 17 * i);  // any high byte
    reply[2 * i + 1] = chars[i];
  }
  char text[73];
  DecodeFirmwareText(reply, 0, text, sizeof text);
  EXPECT_STREQ("V1.0", text);
}

TEST(FirmwareText, OtherBoardsSendSeventyTwoPlainCharacters) {
  unsigned char reply[FIRMWARE_REPLY_BYTES];
  for (int i = 0; i < FIRMWARE_REPLY_BYTES; ++i) reply[i] = static_cast<unsigned char>('a' + i % 26);
  char text[73];
  DecodeFirmwareText(reply, 3, text, sizeof text);
  EXPECT_EQ(72u, std::strlen(text));
  EXPECT_EQ('a', text[0]);
  EXPECT_EQ('t', text[71]);

  reply[10] = 0;
  DecodeFirmwareText(reply, 3, text, sizeof text);
  EXPECT_STREQ("abcdefghij", text);
}

TEST(FirmwareText, ASmallBufferIsNeverOverrun) {
  unsigned char reply[FIRMWARE_REPLY_BYTES];
  std::memset(reply, 'x', sizeof reply);
  char text[8];
  std::memset(text, '#', sizeof text);
  DecodeFirmwareText(reply, 1, text, 5);
  EXPECT_STREQ("xxxx", text);
  EXPECT_EQ('#', text[5]);
}

TEST(DataBlock, SamplesAreBigEndian) {
  unsigned char block[DATA_BLOCK_BYTES] = {};
  block[0] = 0x01;
  block[1] = 0x02;
  block[126] = 0x03;
  block[127] = 0xFF;
  uint16_t samples[64];
  DecodeDataBlock(block, samples);
  EXPECT_EQ(258, samples[0]);
  EXPECT_EQ(0x03FF, samples[63]);
}

}  // namespace
