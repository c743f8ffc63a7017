// Each command's reply, byte for byte, for requests written out by hand.
#include "sim_fixture.h"

namespace simtest {
namespace {

const kvorsim::ParamFrame kFrame0 = {500, 50, 1843, 1, 2048, 50, 50, 1, 1, 1, 1, 0, 1, 1, 0};
const kvorsim::ParamFrame kFrame1 = {500, 50, 2253, 1, 2048, 0, 0, 0, 0, 0, 0, 0x0000, 0x0001, 0x9088, 0x0000};

using SimCommandReplies = SimTest;

TEST_F(SimCommandReplies, EchoReturnsTheDataWordsWithSyncAAAndArgumentZero) {
  const Bytes request = hex("00 55 00 05 00 07 12 34 00 01 FF FF") + zeros(24);
  const Bytes reply = line->exchange(request, 36);
  EXPECT_EQ(toHex(reply), toHex(hex("00 AA 00 05 00 00 12 34 00 01 FF FF") + zeros(24)));
}

TEST_F(SimCommandReplies, ReadRamAndReadEepromReturnTheStoredFrame) {
  sensor->setRam(0, kFrame0);
  sensor->setEeprom(1, kFrame1);
  EXPECT_EQ(toHex(line->exchange(hex("00 55 00 02 00 00") + zeros(30), 36)),
            toHex(hex("00 AA 00 02 00 00 01 F4 00 32 07 33 00 01 08 00 00 32 00 32"
                      "00 01 00 01 00 01 00 01 00 00 00 01 00 01 00 00")));
  // calib and the set-point keep their low-word-first order as stored.
  EXPECT_EQ(toHex(line->exchange(hex("00 55 00 04 00 01") + zeros(30), 36)),
            toHex(hex("00 AA 00 04 00 01 01 F4 00 32 08 CD 00 01 08 00") + zeros(12) +
                  hex("00 00 00 01 90 88 00 00")));
}

TEST_F(SimCommandReplies, WriteRamStoresTheWordsAndRepliesWithThem) {
  const kvorsim::ParamFrame eepromBefore = sensor->eeprom(1);
  const Bytes words = hex("00 0A 00 0B 00 0C 00 0D 00 0E 00 0F 00 10 00 11 00 12 00 13 00 14 00 00 00 02 12 34 00 00");
  const Bytes reply = line->exchange(hex("00 55 00 01 00 01") + words, 36);
  EXPECT_EQ(toHex(reply), toHex(hex("00 AA 00 01 00 01") + words));
  EXPECT_EQ(sensor->ram(1), (kvorsim::ParamFrame{10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 0, 2, 0x1234, 0}));
  EXPECT_EQ(sensor->eeprom(1), eepromBefore);
}

TEST_F(SimCommandReplies, WriteEepromStoresTheWordsAndLeavesRamAlone) {
  const kvorsim::ParamFrame ramBefore = sensor->ram(0);
  const Bytes words = hex("02 58 00 3C 04 00 00 02 04 00 00 14 00 0A 00 00 00 02 00 04 00 00 00 03 00 01 01 00 AB CD");
  const Bytes reply = line->exchange(hex("00 55 00 03 00 00") + words, 36);
  EXPECT_EQ(toHex(reply), toHex(hex("00 AA 00 03 00 00") + words));
  EXPECT_EQ(sensor->eeprom(0), (kvorsim::ParamFrame{600, 60, 1024, 2, 1024, 20, 10, 0, 2, 4, 0, 3, 1, 256, 0xABCD}));
  EXPECT_EQ(sensor->ram(0), ramBefore);
}

TEST_F(SimCommandReplies, TeachMakesTheCurrentEdgesTheSetPoints) {
  sensor->setRam(0, {500, 50, 512, 1, 2048, 50, 50, 1, 1, 1, 1, 0, 1, 1, 0});
  sensor->setRam(1, {500, 50, 512, 1, 2048, 0, 0, 0, 0, 0, 0, 4096, 0, 37000, 0});
  sensor->setEdges(1000, 3000);
  const Bytes teach = hex("00 55 00 06 00 00 01 F4 00 32 02 00 00 01 08 00 00 32 00 32"
                          "00 01 00 01 00 01 00 01 00 00 00 01 00 01 00 00");
  EXPECT_EQ(toHex(line->exchange(teach, 36)),
            toHex(hex("00 AA 00 06 00 00 01 F4 00 32 03 E8 00 01 08 00 00 32 00 32"
                      "00 01 00 01 00 01 00 01 00 00 00 01 00 01 00 00")));
  EXPECT_EQ(toHex(line->exchange(hex("00 55 00 02 00 01") + zeros(30), 36)),
            toHex(hex("00 AA 00 02 00 01 01 F4 00 32 0B B8 00 01 08 00") + zeros(12) +
                  hex("10 00 00 00 90 88 00 00")));
  // The value frame carries the new teach values in force (words 9 and 10).
  const Bytes raw = line->exchange(hex("00 55 00 08 00 00") + zeros(30), 36);
  ASSERT_EQ(raw.size(), 36u);
  EXPECT_EQ(toHex(Bytes(raw.begin() + 22, raw.begin() + 26)), "03 E8 0B B8");
}

TEST_F(SimCommandReplies, FirmwareTextOnBoardTypeZeroIsOneCharacterPerWordLowByte) {
  kvorsim::Identity id = sensor->identity();
  id.pcbType = 0;
  id.firmwareText = "V1.0";
  sensor->setIdentity(id);
  const Bytes reply = line->exchange(hex("00 55 00 07 00 00") + zeros(30), 72);
  // Every other character word carries a space code in its high byte.
  EXPECT_EQ(toHex(reply), toHex(hex("00 56 20 31 00 2E 20 30") + zeros(64)));
}

TEST_F(SimCommandReplies, FirmwareTextOnOtherBoardsIsSeventyTwoPlainBytes) {
  kvorsim::Identity id = sensor->identity();
  id.pcbType = 1;
  id.firmwareText = "V1.0";
  sensor->setIdentity(id);
  EXPECT_EQ(toHex(line->exchange(hex("00 55 00 07 00 00") + zeros(30), 72)),
            toHex(hex("56 31 2E 30") + zeros(68)));
}

TEST_F(SimCommandReplies, FirmwareTextsTooLongAreCutToTheReplyLength) {
  kvorsim::Identity id = sensor->identity();
  const std::string text80 = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz!#$%&()*+,-./:;<=>";
  ASSERT_EQ(text80.size(), 80u);
  id.pcbType = 2;
  id.firmwareText = text80;
  sensor->setIdentity(id);
  Bytes reply = line->exchange(hex("00 55 00 07 00 00") + zeros(30), 72);
  EXPECT_EQ(std::string(reply.begin(), reply.end()), text80.substr(0, 72));
  EXPECT_TRUE(line->receiveFor(0.05).empty());

  id.pcbType = 0;
  sensor->setIdentity(id);
  reply = line->exchange(hex("00 55 00 07 00 00") + zeros(30), 72);
  ASSERT_EQ(reply.size(), 72u);
  EXPECT_TRUE(line->receiveFor(0.05).empty());
  std::string lowBytes;
  for (size_t i = 1; i < reply.size(); i += 2) lowBytes += static_cast<char>(reply[i]);
  EXPECT_EQ(lowBytes, text80.substr(0, 36));
}

TEST_F(SimCommandReplies, RawValuesAreTheValueFrameWithoutArgumentWord) {
  kvorsim::Measurement m;
  m.aval = 1843;
  m.bval = 2253;
  m.mvalue = 1843;
  m.umValue = -2;
  m.tolup = 50;
  m.tollo = 40;
  m.edcntA = 1;
  m.edcntB = 2;
  m.tValA = 1800;
  m.tValB = 2300;
  m.anaMax = 1900;
  m.anaMin = 1790;
  m.raw13 = 0x0D0D;
  m.raw14 = 0x0E0E;
  m.raw15 = 0x0F0F;
  sensor->setMeasurement(m);
  const Bytes request = hex("00 55 00 08 00 00 01 F4 00 32 07 33 00 01 08 00 00 32 00 32"
                            "00 01 00 01 00 01 00 01 00 00 00 01 00 01 00 00");
  const Bytes expected = hex("00 AA 00 08 07 33 08 CD 07 33 FF FF FF FE 00 32 00 28 00 01 00 02"
                             "07 08 08 FC 07 6C 06 FE 0D 0D 0E 0E 0F 0F");
  EXPECT_EQ(toHex(line->exchange(request, 36)), toHex(expected));
  // A fixed measurement is repeated exactly.
  EXPECT_EQ(toHex(line->exchange(request, 36)), toHex(expected));
}

TEST_F(SimCommandReplies, DataBlockIsSixtyFourBigEndianSamplesFromTheStartIndex) {
  std::vector<uint16_t> lineA(128), lineB(128);
  for (int i = 0; i < 128; ++i) {
    lineA[i] = static_cast<uint16_t>(0x0100 + 3 * i);
    lineB[i] = static_cast<uint16_t>(0x0300 - i);
  }
  sensor->setVideoLine(1, lineA);
  sensor->setVideoLine(0, lineB);

  Bytes reply = line->exchange(hex("00 55 00 09 00 40 00 01") + zeros(28), 128);
  ASSERT_EQ(reply.size(), 128u);
  EXPECT_EQ(toHex(Bytes(reply.begin(), reply.begin() + 6)), "01 C0 01 C3 01 C6");
  EXPECT_EQ(toHex(Bytes(reply.end() - 2, reply.end())), "02 7D");
  for (int i = 0; i < 64; ++i) EXPECT_EQ(wordAt(reply, 2 * i), lineA[64 + i]) << i;

  reply = line->exchange(hex("00 55 00 09 00 00 00 00") + zeros(28), 128);
  ASSERT_EQ(reply.size(), 128u);
  EXPECT_EQ(toHex(Bytes(reply.begin(), reply.begin() + 6)), "03 00 02 FF 02 FE");
  for (int i = 0; i < 64; ++i) EXPECT_EQ(wordAt(reply, 2 * i), lineB[i]) << i;
  // Nothing follows a block.
  EXPECT_TRUE(line->receiveFor(0.05).empty());
}

TEST_F(SimCommandReplies, HardwareDescriptionFillsWordsTwoToTwelve) {
  kvorsim::Identity id;
  id.ccdType = 20;
  id.ccdMaxPixel = 1024;
  id.ccdResolution = 2;
  id.pcbType = 0;
  id.ccdVirtPixel = 4096;
  id.ccdSubPixel = 4;
  id.ccdPixB = 0;
  id.ccdPixE = 1023;
  id.softVersion = 301;
  id.hardwareType = 80;
  id.adcFullScale = 1024;
  sensor->setIdentity(id);
  EXPECT_EQ(toHex(line->exchange(hex("00 55 00 0A 00 00") + zeros(30), 36)),
            toHex(hex("00 AA 00 0A 00 14 04 00 00 02 00 00 10 00 00 04 00 00 03 FF 01 2D 00 50 04 00") +
                  zeros(10)));
}

TEST_F(SimCommandReplies, MaxMinResetRestartsFromTheCurrentValue) {
  const Bytes raw = hex("00 55 00 08 00 00") + zeros(30);
  sensor->setEdges(1000, 3000);  // evaluation mode 1: the value is edge A
  line->exchange(raw, 36);
  sensor->setEdges(1200, 3000);
  line->exchange(raw, 36);
  sensor->setEdges(1100, 3000);
  Bytes values = line->exchange(raw, 36);
  ASSERT_EQ(values.size(), 36u);
  EXPECT_EQ(wordAt(values, 26), 1200);  // anaMax
  EXPECT_EQ(wordAt(values, 28), 1000);  // anaMin

  EXPECT_EQ(toHex(line->exchange(hex("00 55 00 0B 00 00") + zeros(30), 36)),
            toHex(hex("00 AA 00 0B 00 00 04 4C 04 4C 04 4C") + zeros(24)));
  values = line->exchange(raw, 36);
  ASSERT_EQ(values.size(), 36u);
  EXPECT_EQ(toHex(Bytes(values.begin() + 26, values.begin() + 30)), "04 4C 04 4C");
}

TEST_F(SimCommandReplies, UnknownCommandsAndUnservableBlocksGetNoReply) {
  line->send(hex("00 55 00 00 00 00") + zeros(30));
  line->send(hex("00 55 00 0C 00 00") + zeros(30));
  line->send(hex("00 55 FF FF 00 00") + zeros(30));
  line->send(hex("00 55 00 09 00 20 00 01") + zeros(28));  // start index 32
  line->send(hex("00 55 00 09 00 40 00 02") + zeros(28));  // channel 2
  EXPECT_TRUE(sensor->waitForFrames(5, 1.0));
  EXPECT_TRUE(line->receiveFor(0.3).empty());
  EXPECT_EQ(sensor->repliesSent(), 0);
  // The sensor still answers what it knows.
  EXPECT_EQ(line->exchange(hex("00 55 00 05 00 00") + zeros(30), 36).size(), 36u);
}

}  // namespace
}  // namespace simtest
