// The sensor on a real serial device instead of a pseudo-terminal (a
// pseudo-terminal of the test's own stands in for the device).
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include "sim_fixture.h"

namespace simtest {
namespace {

const Bytes kEcho = hex("00 55 00 05 00 00 00 01") + zeros(28);
const Bytes kEchoReply = hex("00 AA 00 05 00 00 00 01") + zeros(28);

TEST(SimSerialDevice, ServesASerialDevice) {
  // A pseudo-terminal of the test's own stands in for a null-modem cable:
  // the sensor opens its slave like a serial device, the test speaks on the master.
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  const std::string device = ptsname(master);
  fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);

  kvorsim::Options still;
  still.moving = false;
  kvorsim::SensorSim bench(still);
  ASSERT_TRUE(bench.startOnDevice(device)) << bench.lastError();
  EXPECT_EQ(bench.devicePath(), device);
  ASSERT_EQ(write(master, kEcho.data(), kEcho.size()), 36);
  Bytes reply;
  const double end = now() + 1.5;
  while (reply.size() < 36 && now() < end) {
    pollfd p{master, POLLIN, 0};
    if (poll(&p, 1, 50) <= 0) continue;
    uint8_t buf[64];
    const ssize_t n = read(master, buf, sizeof buf);
    if (n > 0) reply.insert(reply.end(), buf, buf + n);
  }
  EXPECT_EQ(toHex(reply), toHex(kEchoReply));
  bench.stop();
  close(master);

  kvorsim::SensorSim missing(still);
  EXPECT_FALSE(missing.startOnDevice("/dev/no-such-serial-device"));
  EXPECT_NE(missing.lastError().find("/dev/no-such-serial-device"), std::string::npos);
  EXPECT_FALSE(missing.running());
}

}  // namespace
}  // namespace simtest
