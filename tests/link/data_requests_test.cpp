// The data-block request and the max/min reset against the simulated
// sensor: where a block's samples land, and a reset answered late.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/controls.h"
#include "app/globals.h"
#include "link/com232.h"
#include "support/program_fixture.h"
#include "runtime/testkit/testkit.h"
#include "runtime/utility/utility.h"

namespace {

class DataRequests : public support::ProgramTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(0, Start());
    Sensor().clearReceived();
  }
};

std::vector<uint16_t> Line(int first) {
  std::vector<uint16_t> line(VIDEO_SAMPLES);
  for (int i = 0; i < VIDEO_SAMPLES; ++i) line[i] = static_cast<uint16_t>(first + i);
  return line;
}

TEST_F(DataRequests, ABlockFillsOnlyItsHalfOfItsChannelsLine) {
  std::vector<uint16_t> lineB = Line(600), lineA = Line(100);
  lineB[64] = 0x0102;  // the block's first two bytes are 01 02
  lineA[0] = 0x0102;
  Sensor().setVideoLine(0, lineB);
  Sensor().setVideoLine(1, lineA);
  const uint16_t untouched = 7;
  for (int i = 0; i < VIDEO_SAMPLES; ++i) adcbufA[i] = adcbufB[i] = untouched;

  // Blocks are bare bytes: they must stay in the queue for the read.
  DetachReceiveCallback();
  EXPECT_EQ(1, ReadData64(64, 0));
  EXPECT_EQ("Data[64] block received!", Status());
  EXPECT_EQ(258, adcbufB[64]);
  for (int i = 0; i < 64; ++i) ASSERT_EQ(untouched, adcbufB[i]) << i;
  for (int i = 64; i < VIDEO_SAMPLES; ++i) ASSERT_EQ(lineB[i], adcbufB[i]) << i;
  for (int i = 0; i < VIDEO_SAMPLES; ++i) ASSERT_EQ(untouched, adcbufA[i]) << i;

  EXPECT_EQ(1, ReadData64(0, 1));
  EXPECT_EQ(258, adcbufA[0]);
  for (int i = 1; i < 64; ++i) ASSERT_EQ(lineA[i], adcbufA[i]) << i;
  for (int i = 64; i < VIDEO_SAMPLES; ++i) ASSERT_EQ(untouched, adcbufA[i]) << i;
  AttachReceiveCallback();

  const auto frames = Frames();
  ASSERT_EQ(2u, frames.size());
  EXPECT_EQ(9, frames[0].command());
  EXPECT_EQ(64, frames[0].argument());
  EXPECT_EQ(0, frames[0].dataWord(0));
  EXPECT_EQ(0, frames[1].argument());
  EXPECT_EQ(1, frames[1].dataWord(0));

  // A block belongs at 0 or 64 of the line: any other start is not asked for.
  Sensor().clearReceived();
  DetachReceiveCallback();
  for (int start : {1, 32, 63, 65, 128, -64}) {
    const double begin = Timer();
    EXPECT_EQ(0, ReadData64(start, 1)) << start;
    EXPECT_LT(Timer() - begin, 0.5) << start;
  }
  AttachReceiveCallback();
  testkit::Pump(0.1);
  EXPECT_TRUE(Frames().empty());
  for (int i = 64; i < VIDEO_SAMPLES; ++i) ASSERT_EQ(untouched, adcbufA[i]) << i;
}

TEST_F(DataRequests, AResetAnsweredAfterAThirdOfASecondIsOk) {
  Sensor().setReplyDelayMs(300);
  std::string whileWaiting;
  testkit::RunLater(0.1, [&] { whileWaiting = Status(); });
  const double begin = Timer();
  testkit::Click(pHandle, MAIN_BUTTONRESET);
  const double took = Timer() - begin;
  EXPECT_EQ("Reset Max/Min values...", whileWaiting);
  EXPECT_EQ("Reset Max/Min OK!", Status());
  EXPECT_GE(took, 0.3);
  EXPECT_LT(took, 1.2);
  EXPECT_EQ((std::vector<int>{11}), Commands());
}

}  // namespace
