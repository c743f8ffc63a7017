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

// A reply frame as the sensor sends it: sync 0x00AA, command, argument, data.
std::vector<unsigned char> Reply(uint16_t command, uint16_t argument, uint16_t everyWord) {
  std::vector<unsigned char> frame(FRAME_BYTES);
  WriteWordBE(frame.data(), SYNC_REPLY);
  WriteWordBE(frame.data() + 2, command);
  WriteWordBE(frame.data() + 4, argument);
  for (int i = 0; i < FRAME_DATA_WORDS; ++i) WriteWordBE(frame.data() + 6 + 2 * i, everyWord);
  return frame;
}

TEST(ReplyFrame, TheAwaitedReplyIsFoundBehindOthersAndStrayBytes) {
  // Stray bytes, then an acknowledgement whose data words look like the
  // start of a read reply (00 AA 00 02 ...), then the read reply itself.
  std::vector<unsigned char> line = Bytes({0x13, 0x00});
  const std::vector<unsigned char> ack = Reply(CMD_WRITE_RAM, 1, 0x00AA), mixed = [] {
    std::vector<unsigned char> f = Reply(CMD_WRITE_RAM, 1, 0x00AA);
    WriteWordBE(f.data() + 8, CMD_READ_RAM);
    return f;
  }();
  line.insert(line.end(), mixed.begin(), mixed.end());
  const std::vector<unsigned char> reply = Reply(CMD_READ_RAM, 0, 777);
  int consumed = -1;
  // Until the reply is there whole, nothing counts, and the start of a
  // frame still to come is kept.
  std::vector<unsigned char> partial = line;
  partial.insert(partial.end(), reply.begin(), reply.begin() + 20);
  EXPECT_EQ(-1, FindReplyFrame(partial.data(), static_cast<int>(partial.size()), CMD_READ_RAM, -1,
                               &consumed));
  EXPECT_EQ(static_cast<int>(line.size()), consumed);

  line.insert(line.end(), reply.begin(), reply.end());
  const int at = FindReplyFrame(line.data(), static_cast<int>(line.size()), CMD_READ_RAM, -1, &consumed);
  EXPECT_EQ(2 + FRAME_BYTES, at);
  EXPECT_EQ(at + FRAME_BYTES, consumed);
  // The acknowledgement of frame 1, not the one of frame 0 before it.
  line.insert(line.begin(), ack.begin(), ack.end());
  WriteWordBE(line.data() + 4, 0);
  EXPECT_EQ(FRAME_BYTES + 2,
            FindReplyFrame(line.data(), static_cast<int>(line.size()), CMD_WRITE_RAM, 1, &consumed));
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
