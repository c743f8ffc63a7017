// A receive callback that takes its frame and empties the input queue (as
// the program's does) can leave QSerialPort a read notification for bytes
// that are gone: the line was seen readable, then emptied, before Qt read
// it. Such an empty read must not stop the next frame from reaching the
// callback: a lost notification is a reply that never arrives for the
// program, and run mode or a recording ends with a time-out on a sensor that
// answered.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "support/pty_pair.h"
#include "runtime/runtime.h"
#include "runtime/rs232/serial_test_support.h"

namespace {

const int kPort = 9;

int g_calls = 0;

// Takes one frame and drops whatever else waits, as the program's callback.
// QSerialPort judges an empty read by errno, which it does not set itself:
// left at EAGAIN (as a read that found nothing leaves it) the empty read
// counts as a resource error, after which Qt no longer watches the line.
void TakeFrameAndFlush(int port, int, void *) {
  char frame[36];
  if (ComRd(port, frame, 36) == 36) ++g_calls;
  FlushInQ(port);
  errno = EAGAIN;
}

std::string Frame(unsigned char tag) { return std::string(36, static_cast<char>(tag)); }

TEST(ReceiveAfterAnEmptyRead, EveryFrameReachesTheCallback) {
  ASSERT_GE(StartLayer(), 0);
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  ASSERT_EQ(0, SetComPortDevice(kPort, pty.slave()));
  ASSERT_EQ(0, OpenComConfig(kPort, "", 19200, RS_NO_PARITY, 8, 1, 4096, 4096));

  for (int round = 1; round <= 10; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    // The frame waits on the line before any event processing; installing
    // the callback posts a receive check, which runs before Qt's own read
    // notification in the same event processing, takes the frame and
    // empties the queue: Qt's read then finds nothing.
    ASSERT_TRUE(pty.Write(Frame(static_cast<unsigned char>(round))));
    Sleep(5);
    ASSERT_EQ(0, InstallComCallback(kPort, LWRS_RECEIVE, 36, 0x55, TakeFrameAndFlush, nullptr));
    ASSERT_TRUE(PumpUntil([round] { return g_calls == round; }, 0.5));
    PumpFor(0.02);

    // The next frame has only Qt's read notification to announce it.
    ASSERT_TRUE(pty.Write(Frame(static_cast<unsigned char>(100 + round))));
    EXPECT_TRUE(PumpUntil([round] { return g_calls == round + 1; }, 0.5))
        << "a frame on the line never reached the callback";
    g_calls = round;
  }
  CloseCom(kPort);
}

}  // namespace
