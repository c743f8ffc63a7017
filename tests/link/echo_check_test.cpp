// The line check, with the test itself at the far end of the line: it reads
// each request and answers with exactly the bytes the case needs, so the
// sync word can be any pair of bytes.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <future>
#include <string>

#include "app/globals.h"
#include "link/com232.h"
#include "support/program_fixture.h"
#include "support/pty_pair.h"
#include "runtime/testkit/testkit.h"

namespace {

// A 36-byte reply frame: the given first two bytes, command word 5, zeros.
std::string EchoReply(unsigned char byte0, unsigned char byte1) {
  std::string frame(36, '\0');
  frame[0] = static_cast<char>(byte0);
  frame[1] = static_cast<char>(byte1);
  frame[3] = 5;
  return frame;
}

class EchoCheck : public support::ProgramTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(line.ok());
    // Held open so the device side never sees a hang-up while the program's
    // end of the line is closed.
    keepOpen = open(line.slave(), O_RDWR | O_NOCTTY);
    ASSERT_GE(keepOpen, 0);
  }
  void TearDown() override {
    support::ProgramTest::TearDown();
    if (keepOpen >= 0) close(keepOpen);
  }
  // Answers the next request with reply; the future holds the request.
  std::future<std::string> AnswerNext(const std::string &reply) {
    return std::async(std::launch::async, [this, reply] {
      const std::string request = line.Read(36, 3.0);
      if (request.size() == 36) line.Write(reply);
      return request;
    });
  }
  PtyPair line;
  int keepOpen = -1;
};

TEST_F(EchoCheck, OnlyTheSyncWordZeroZeroAACountsAsTheLineAnswering) {
  // Bytes AA 00 are the right byte in the wrong place: the start-up stops
  // after the echo, before identifying the sensor.
  std::future<std::string> startEcho = AnswerNext(EchoReply(0xAA, 0x00));
  ASSERT_EQ(0, StartOnDevice(line.slave()));
  const std::string request = startEcho.get();
  ASSERT_EQ(36u, request.size());
  EXPECT_EQ(std::string("\x00\x55\x00\x05\x00\x00", 6), request.substr(0, 6));
  EXPECT_EQ("read error - not sync byte 0xAA!", Status());
  EXPECT_LT(startupSeconds, 1.0);  // the answer is taken at once, no time-out
  EXPECT_TRUE(line.Read(1, 0.3).empty());

  std::future<std::string> good = AnswerNext(EchoReply(0x00, 0xAA));
  EXPECT_EQ(1, CheckComLine(com));
  EXPECT_EQ(36u, good.get().size());
  EXPECT_EQ("Echo Check - Line Ok!", Status());

  // The command's own sync word sent back is no answer either, nor is AA
  // behind any high byte but 00: the whole word is compared.
  for (unsigned char high : {0x00, 0x01, 0x55, 0xAA, 0xFF}) {
    const unsigned char low = high == 0x00 ? 0x55 : 0xAA;
    SCOPED_TRACE(testing::Message() << "reply " << std::hex << int(high) << " " << int(low));
    std::future<std::string> wrong = AnswerNext(EchoReply(high, low));
    EXPECT_EQ(0, CheckComLine(com));
    EXPECT_EQ(36u, wrong.get().size());
    EXPECT_EQ("read error - not sync byte 0xAA!", Status());
  }
}

}  // namespace
