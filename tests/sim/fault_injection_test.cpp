// Every fault, switched on and off while the sensor serves.
#include "request_builder.h"
#include "sim_fixture.h"

namespace simtest {
namespace {

class SimFaultInjection : public SimLineTest {};

const Bytes kEchoRequest = hex("00 55 00 05 00 00 AB CD") + zeros(28);
const Bytes kEchoReply = hex("00 AA 00 05 00 00 AB CD") + zeros(28);

TEST_P(SimFaultInjection, MuteAnswersNothingButStillListens) {
  sensor->setMute(true);
  line->send(kEchoRequest);
  line->send(request(1, 0, {1, 2, 3}));
  EXPECT_TRUE(line->receiveFor(0.3).empty());
  EXPECT_TRUE(sensor->waitForFrames(2, 1.0));
  EXPECT_TRUE(sensor->waitUntilAnswered(1.0));
  EXPECT_EQ(sensor->ram(0)[2], 3);  // the write was done, only the answer is missing
  sensor->setMute(false);
  EXPECT_EQ(toHex(line->exchange(kEchoRequest, 36)), toHex(kEchoReply));
}

TEST_P(SimFaultInjection, WrongSyncReplacesTheReplySyncWord) {
  sensor->setWrongSync(true);
  EXPECT_EQ(toHex(line->exchange(kEchoRequest, 36)), toHex(hex("00 55 00 05 00 00 AB CD") + zeros(28)));
  const Bytes raw = line->exchange(request(8, 0), 36);
  EXPECT_EQ(toHex(Bytes(raw.begin(), raw.begin() + 4)), "00 55 00 08");
  sensor->setWrongSync(false);
  EXPECT_EQ(toHex(line->exchange(kEchoRequest, 36)), toHex(kEchoReply));
}

TEST_P(SimFaultInjection, LengthDeltaCutsOrExtendsEveryKindOfReply) {
  sensor->setLengthDelta(-5);
  line->send(kEchoRequest);
  EXPECT_EQ(toHex(receiveWhole(*line, 31)), toHex(Bytes(kEchoReply.begin(), kEchoReply.end() - 5)));
  line->send(request(9, 0, {1}));
  EXPECT_EQ(receiveWhole(*line, 123).size(), 123u);

  sensor->setLengthDelta(7);
  line->send(kEchoRequest);
  Bytes got = receiveWhole(*line, 43);
  ASSERT_EQ(got.size(), 43u);
  EXPECT_EQ(toHex(Bytes(got.begin(), got.begin() + 36)), toHex(kEchoReply));
  line->send(request(7, 0));
  EXPECT_EQ(receiveWhole(*line, 79).size(), 79u);
}

TEST_P(SimFaultInjection, FaultsCanBeLimitedToChosenCommands) {
  sensor->setFaultCommands({7});
  sensor->setLengthDelta(-10);
  sensor->setWrongSync(true);
  EXPECT_EQ(toHex(line->exchange(kEchoRequest, 36)), toHex(kEchoReply));
  line->send(request(7, 0));
  EXPECT_EQ(receiveWhole(*line, 62).size(), 62u);
  sensor->setFaultCommands({});
  EXPECT_EQ(toHex(line->exchange(kEchoRequest, 26)),
            toHex(Bytes(kEchoReply.begin(), kEchoReply.end() - 10)).replace(0, 5, "00 55"));
}

TEST_P(SimFaultInjection, DelayHoldsTheReplyBack) {
  sensor->setReplyDelayMs(300);
  const double sent = line->send(kEchoRequest);
  EXPECT_EQ(toHex(line->receive(36, 1.5)), toHex(kEchoReply));
  const double took = line->arrivals().back() - sent;
  EXPECT_GE(took, 0.29);
  EXPECT_LT(took, 0.45);
}

TEST_P(SimFaultInjection, GarbageComesBeforeTheReply) {
  sensor->setGarbage(10);
  line->send(kEchoRequest);
  const Bytes got = receiveWhole(*line, 46);
  ASSERT_EQ(got.size(), 46u);
  EXPECT_EQ(toHex(Bytes(got.begin() + 10, got.end())), toHex(kEchoReply));
}

TEST_P(SimFaultInjection, DropEveryNthReply) {
  sensor->setDropEvery(3);
  std::vector<bool> answered;
  for (int i = 0; i < 6; ++i) {
    line->send(kEchoRequest);
    answered.push_back(line->receive(36, i % 3 == 2 ? 0.15 : 1.0).size() == 36);
  }
  EXPECT_EQ(answered, (std::vector<bool>{true, true, false, true, true, false}));
  EXPECT_EQ(sensor->repliesSent(), 4);
}

TEST_P(SimFaultInjection, MutedCommandsAndEchoOverride) {
  sensor->setMuteCommands({8, 10});
  line->send(request(8, 0));
  line->send(request(10, 0));
  EXPECT_TRUE(line->receiveFor(0.2).empty());
  EXPECT_EQ(line->exchange(kEchoRequest, 36).size(), 36u);
  sensor->setMuteCommands({});

  // A raw-values reply echoing 1 instead of 8: the value frame stays as it is.
  sensor->setEchoOverride(1);
  const Bytes raw = line->exchange(request(8, 0), 36);
  ASSERT_EQ(raw.size(), 36u);
  EXPECT_EQ(toHex(Bytes(raw.begin(), raw.begin() + 4)), "00 AA 00 01");
  EXPECT_EQ(wordAt(raw, 4), sensor->measurement().aval);
  sensor->setEchoOverride(-1);
  EXPECT_EQ(toHex(line->exchange(kEchoRequest, 36)), toHex(kEchoReply));
}

TEST_P(SimFaultInjection, HangUpClosesTheLine) {
  ASSERT_TRUE(sensor->running());
  sensor->hangUp();
  EXPECT_FALSE(sensor->running());
  EXPECT_TRUE(line->hangsUp(1.0));
}

TEST_P(SimFaultInjection, HangsUpByItselfAfterTheFramesAsked) {
  // The first frame is answered; once the second is in, the line closes
  // (what it answered to that one may be lost with the line).
  sensor->setHangUpAfterFrames(2);
  EXPECT_EQ(toHex(line->exchange(kEchoRequest, 36)), toHex(kEchoReply));
  line->send(kEchoRequest);
  EXPECT_TRUE(line->hangsUp(1.0));
  EXPECT_EQ(sensor->received().size(), 2u);
}

KVOR_SIM_ON_BOTH_LINES(SimFaultInjection);

}  // namespace
}  // namespace simtest

