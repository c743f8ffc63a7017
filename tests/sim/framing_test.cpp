// How the sensor finds frames in the byte stream, and what it records.
#include <chrono>
#include <thread>

#include "request_builder.h"
#include "sim_fixture.h"

namespace simtest {
namespace {

class SimFraming : public SimLineTest {};

const Bytes kEchoRequest = hex("00 55 00 05 00 00 12 34") + zeros(28);
const Bytes kEchoReply = hex("00 AA 00 05 00 00 12 34") + zeros(28);

TEST_P(SimFraming, ResynchronisesOnTheSyncWordAfterGarbage) {
  line->send(hex("13 37 AA 00 55 FF 00") + kEchoRequest);
  EXPECT_EQ(toHex(line->receive(36, 1.5)), toHex(kEchoReply));
  // A frame that arrives in pieces is one frame.
  line->send(Bytes(kEchoRequest.begin(), kEchoRequest.begin() + 10));
  EXPECT_TRUE(line->receiveFor(0.05).empty());
  line->send(Bytes(kEchoRequest.begin() + 10, kEchoRequest.end()));
  EXPECT_EQ(toHex(line->receive(36, 1.5)), toHex(kEchoReply));
  EXPECT_EQ(sensor->received().size(), 2u);
}

TEST_P(SimFraming, DropsAPartialFrameThatStaysIncomplete) {
  // The first 20 bytes of a RAM read, then nothing for longer than 200 ms.
  line->send(hex("00 55 00 02 00 00") + zeros(14));
  EXPECT_TRUE(line->receiveFor(0.3).empty());
  // Joined to the stale bytes this would read as a RAM read; alone it is an echo.
  EXPECT_EQ(toHex(line->exchange(kEchoRequest, 36)), toHex(kEchoReply));
  ASSERT_EQ(sensor->received().size(), 1u);
  EXPECT_EQ(sensor->received()[0].command(), 5);
}

TEST_P(SimFraming, RecordsEveryFrameWithItsTime) {
  const double before = now();
  line->send(request(2, 1, {0x1111, 0x2222}));
  line->send(request(12, 0));  // unknown, unanswered, but recorded
  line->send(hex("00 55 00 05 00 00 12 34") + zeros(28));
  ASSERT_TRUE(sensor->waitForFrames(3, 1.0));
  const double after = now();
  const std::vector<kvorsim::ReceivedFrame> frames = sensor->received();
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_EQ(frames[0].bytes, request(2, 1, {0x1111, 0x2222}));
  EXPECT_EQ(frames[0].sync(), 0x0055);
  EXPECT_EQ(frames[0].command(), 2);
  EXPECT_EQ(frames[0].argument(), 1);
  EXPECT_EQ(frames[0].dataWord(0), 0x1111);
  EXPECT_EQ(frames[0].dataWord(1), 0x2222);
  EXPECT_EQ(frames[0].dataWord(14), 0);
  EXPECT_EQ(frames[1].command(), 12);
  EXPECT_EQ(frames[2].bytes, kEchoRequest);
  for (size_t i = 0; i < frames.size(); ++i) {
    EXPECT_GE(frames[i].time, before);
    EXPECT_LE(frames[i].time, after);
    if (i > 0) {
      EXPECT_GE(frames[i].time, frames[i - 1].time);
    }
  }

  sensor->clearReceived();
  EXPECT_TRUE(sensor->received().empty());
  const double waitStart = now();
  EXPECT_FALSE(sensor->waitForFrames(1, 0.2));
  EXPECT_GE(now() - waitStart, 0.19);
}

}  // namespace
}  // namespace simtest

namespace simtest {
namespace {

TEST_P(SimFraming, KeepsTheMostRecentFramesOfALongSession) {
  // 100 500 block requests the sensor cannot serve (start index 32), so
  // unanswered; numbered in their second data word (modulo 65536).
  Bytes burst;
  const int total = 100500;
  for (int i = 0; i < total; ++i) {
    const Bytes frame = request(9, 32, {1, static_cast<uint16_t>(i)});
    burst.insert(burst.end(), frame.begin(), frame.end());
  }
  line->send(burst);
  ASSERT_TRUE(sensor->waitForFrames(90500, 20.0));
  const double settle = now() + 5.0;
  while (now() < settle && sensor->received().back().dataWord(1) != static_cast<uint16_t>(total - 1)) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  const std::vector<kvorsim::ReceivedFrame> frames = sensor->received();
  ASSERT_EQ(frames.size(), 90500u);
  EXPECT_EQ(frames.front().dataWord(1), static_cast<uint16_t>(total - 90500));
  EXPECT_EQ(frames.back().dataWord(1), static_cast<uint16_t>(total - 1));
}

KVOR_SIM_ON_BOTH_LINES(SimFraming);

}  // namespace
}  // namespace simtest
