// RAM and EEPROM parameter frames as the program sees them over the line.
#include "request_builder.h"
#include "sim_fixture.h"

namespace simtest {
namespace {

using SimParameterMemory = SimTest;

TEST_F(SimParameterMemory, StartsWithTheSameFactorySetInRamAndEeprom) {
  const Bytes ram0 = line->exchange(request(2, 0), 36);
  const Bytes ram1 = line->exchange(request(2, 1), 36);
  const Bytes eeprom0 = line->exchange(request(4, 0), 36);
  const Bytes eeprom1 = line->exchange(request(4, 1), 36);
  ASSERT_EQ(ram0.size(), 36u);
  ASSERT_EQ(ram1.size(), 36u);
  EXPECT_EQ(dataWords(ram0), dataWords(eeprom0));
  EXPECT_EQ(dataWords(ram1), dataWords(eeprom1));

  // The program's own start values, except the set-points: those are where
  // this sensor sees its edges, so a program that reads them shows the sensor.
  const Values now = values(line->exchange(request(8, 0), 36));
  std::vector<uint16_t> f0 = dataWords(ram0), f1 = dataWords(ram1);
  EXPECT_EQ(f0[2], now.aval);
  EXPECT_EQ(f1[2], now.bval);
  EXPECT_NE(f0[2], 512);
  EXPECT_NE(f1[2], 512);
  f0[2] = 512;
  EXPECT_EQ(f0, (std::vector<uint16_t>{500, 50, 512, 1, 2048, 50, 50, 1, 1, 1, 1, 0, 1, 1, 0}));
  // calib 4096 and the set-point in micrometres (teachA x 0.25 um), low word first.
  EXPECT_EQ(f1[11], 4096);
  EXPECT_EQ(f1[12], 0);
  EXPECT_EQ(f1[13] | (f1[14] << 16), now.aval / 4);
  EXPECT_EQ(std::vector<uint16_t>(f1.begin() + 3, f1.begin() + 11),
            (std::vector<uint16_t>{1, 2048, 0, 0, 0, 0, 0, 0}));
}

TEST_F(SimParameterMemory, WritesReadBackAndEepromSurvivesRamWrites) {
  const std::vector<uint16_t> ramA = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
  const std::vector<uint16_t> ramB = {0xFFFF, 0x8000, 0x0055, 0x00AA, 0, 0, 0, 0, 0, 0, 7, 0, 1, 0x9088, 0};
  const std::vector<uint16_t> eepromB = {600, 60, 700, 2, 1024, 1, 2, 3, 4, 5, 6, 0x1000, 0, 0x2000, 1};

  EXPECT_EQ(dataWords(line->exchange(request(3, 1, eepromB), 36)), eepromB);
  EXPECT_EQ(dataWords(line->exchange(request(1, 0, ramA), 36)), ramA);
  EXPECT_EQ(dataWords(line->exchange(request(1, 1, ramB), 36)), ramB);

  EXPECT_EQ(dataWords(line->exchange(request(2, 0), 36)), ramA);
  EXPECT_EQ(dataWords(line->exchange(request(2, 1), 36)), ramB);
  EXPECT_EQ(dataWords(line->exchange(request(4, 1), 36)), eepromB);
  // Frame 0 of the EEPROM was never written: still the factory set.
  EXPECT_EQ(dataWords(line->exchange(request(4, 0), 36)), sensor->eeprom(0));
  EXPECT_EQ(sensor->eeprom(0), kvorsim::factoryFrame(0, sensor->identity()));
}

TEST_F(SimParameterMemory, AnyFrameNumberOtherThanZeroAddressesFrameOne) {
  const std::vector<uint16_t> words = {9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 1, 2, 3, 4, 5};
  const Bytes reply = line->exchange(request(1, 2, words), 36);
  EXPECT_EQ(wordAt(reply, 4), 2);  // the argument is echoed as sent
  EXPECT_EQ(sensor->ram(1), words);
  EXPECT_EQ(dataWords(line->exchange(request(2, 0xFFFF), 36)), words);
}

// A write that does not stick: acknowledged as sent, one word kept one
// higher, in RAM and EEPROM alike; the other frame is written whole.
TEST_F(SimParameterMemory, ACorruptedWordIsAcknowledgedButStoredOneHigher) {
  sensor->setCorruptedWord(15 + 11);  // frame 1 word 11: the low half of calib
  std::vector<uint16_t> frame1 = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0x2000, 1, 0x9088, 0};
  const std::vector<uint16_t> frame0 = {9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 1, 2, 3, 4, 5};
  for (int write : {1, 3}) {
    EXPECT_EQ(dataWords(line->exchange(request(write, 1, frame1), 36)), frame1) << write;
    EXPECT_EQ(dataWords(line->exchange(request(write, 0, frame0), 36)), frame0) << write;
  }
  std::vector<uint16_t> kept = frame1;
  kept[11] = 0x2001;
  EXPECT_EQ(dataWords(line->exchange(request(2, 1), 36)), kept);
  EXPECT_EQ(sensor->eeprom(1), kept);
  EXPECT_EQ(sensor->ram(0), frame0);
  sensor->setCorruptedWord(-1);
  line->exchange(request(1, 1, frame1), 36);
  EXPECT_EQ(sensor->ram(1), frame1);
}

}  // namespace
}  // namespace simtest
