// The serial layer on a real pseudo-terminal: the test plays the device on
// the master side; the layer's functions work on the slave side. What holds
// for a device holds for the simulated sensor inside the program as well: the
// same tests run with the test playing the sensor's end of an in-process line.
#include "support/pty_pair.h"
#include "runtime/rs232/line_device.h"
#include "runtime/rs232/serial_test_support.h"
#include "runtime/rs232/port_table.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <thread>

namespace {

const int kPort = 7;

int OpenDefault(int port) { return OpenComConfig(port, "", 19200, RS_NO_PARITY, 8, 1, 4096, 4096); }

// A 36-byte frame whose bytes say which frame it is.
std::string Frame(unsigned char tag) {
  std::string f(36, '\0');
  for (size_t i = 0; i < f.size(); ++i) f[i] = static_cast<char>(tag + i);
  return f;
}

class SerialPortTest : public ::testing::Test {
 protected:
  explicit SerialPortTest(LineKind kind = LineKind::PseudoTerminal) : device_(kind) {}
  void SetUp() override {
    ASSERT_GE(StartLayer(), 0);
    ASSERT_TRUE(device_.ok());
    Log() = ReceiveLog();
    Lost() = LostLog();
    ASSERT_EQ(SetComPortDevice(kPort, device_.name()), 0);
    ASSERT_EQ(OpenDefault(kPort), 0);
  }
  void TearDown() override {
    CloseCom(kPort);
    InstallComLostCallback(nullptr);
  }

  void InstallRecorder(int notifyCount = 36, int mask = 0x8006) {
    ASSERT_EQ(InstallComCallback(kPort, mask, notifyCount, 0x55, RecordReceive, &tag_), 0);
  }

  bool WaitForQueued(int n) {
    return PollUntil([n] { return GetInQLen(kPort) == n; }, 1.0);
  }

  LineDevice device_;  // the device end
  int tag_ = 0;
};

// On a pseudo-terminal and on the in-process line.
class SerialLineTest : public SerialPortTest, public ::testing::WithParamInterface<LineKind> {
 protected:
  SerialLineTest() : SerialPortTest(GetParam()) {}
};

std::string LineKindName(const ::testing::TestParamInfo<LineKind> &info) {
  return info.param == LineKind::InProcess ? "InProcess" : "PseudoTerminal";
}

INSTANTIATE_TEST_SUITE_P(Lines, SerialLineTest, ::testing::Values(LineKind::PseudoTerminal, LineKind::InProcess),
                         LineKindName);

TEST_P(SerialLineTest, ReceiveCallbackFiresFromEventProcessingOnceNotifyCountBytesWait) {
  InstallRecorder();
  const std::string frame = Frame(0x10);

  ASSERT_TRUE(device_.Write(frame.substr(0, 35)));
  ASSERT_TRUE(WaitForQueued(35)) << "GetInQLen sees the bytes without event processing";
  PumpFor(0.15);
  EXPECT_EQ(Log().calls, 0) << "35 bytes are not a notify count of 36";

  ASSERT_TRUE(device_.Write(frame.substr(35)));
  ASSERT_TRUE(WaitForQueued(36));
  EXPECT_EQ(Log().calls, 0) << "never called from inside GetInQLen";

  ASSERT_TRUE(PumpUntil([] { return Log().calls == 1; }, 1.0));
  EXPECT_EQ(Log().port, kPort);
  EXPECT_EQ(Log().eventMask, LWRS_RECEIVE);
  EXPECT_EQ(Log().data, &tag_);
  EXPECT_EQ(Log().waitingAtCall, 36);
  EXPECT_EQ(Log().taken, frame);

  PumpFor(0.1);
  EXPECT_EQ(Log().calls, 1);
  EXPECT_EQ(GetInQLen(kPort), 0);
}

// A loop that polls with one ProcessSystemEvents a pass must get a reply in
// the pass that finds it waiting, not one pass later.
TEST_P(SerialLineTest, OneEventProcessingCallTakesAFrameThatWaits) {
  InstallRecorder();
  PumpFor(0.05);
  for (int round = 0; round < 10; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    ASSERT_TRUE(device_.Write(Frame(static_cast<unsigned char>(round))));
    Sleep(30);  // the frame is in the device; nothing has looked at it yet
    ProcessSystemEvents();
    EXPECT_EQ(Log().calls, round + 1);
    ASSERT_TRUE(PumpUntil([round] { return Log().calls == round + 1; }, 1.0));
  }
}

TEST_P(SerialLineTest, CallbackThatLeavesTheBytesIsCalledAgainOnlyWhenMoreArrive) {
  Log().readPerCall = 0;
  InstallRecorder();
  ASSERT_TRUE(device_.Write(Frame(0)));
  ASSERT_TRUE(PumpUntil([] { return Log().calls == 1; }, 1.0));
  PumpFor(0.15);
  EXPECT_EQ(Log().calls, 1) << "the same 36 bytes are not announced twice";

  ASSERT_TRUE(device_.Write("x"));
  ASSERT_TRUE(PumpUntil([] { return Log().calls == 2; }, 1.0));
  EXPECT_EQ(Log().waitingAtCall, 37);
  PumpFor(0.1);
  EXPECT_EQ(Log().calls, 2);
}

TEST_P(SerialLineTest, TwoFramesArrivingTogetherGiveTwoCalls) {
  InstallRecorder();
  const std::string two = Frame(0x20) + Frame(0x60);
  ASSERT_TRUE(device_.Write(two));
  ASSERT_TRUE(PumpUntil([] { return Log().calls == 2; }, 1.0));
  EXPECT_EQ(Log().taken, two);
  PumpFor(0.1);
  EXPECT_EQ(Log().calls, 2);
  EXPECT_EQ(GetInQLen(kPort), 0);
}

TEST_P(SerialLineTest, DetachedCallbackLeavesBytesQueuedAndReinstallingFiresForThem) {
  InstallRecorder();
  // Detached the way the system does it before a long raw reply.
  ASSERT_EQ(InstallComCallback(kPort, 0, 36, 0x55, nullptr, nullptr), 0);
  const std::string bytes = Frame(0x30) + "abcd";
  ASSERT_TRUE(device_.Write(bytes));
  ASSERT_TRUE(WaitForQueued(40));
  PumpFor(0.15);
  EXPECT_EQ(Log().calls, 0);
  EXPECT_EQ(GetInQLen(kPort), 40);

  InstallRecorder();
  ASSERT_TRUE(PumpUntil([] { return Log().calls == 1; }, 1.0)) << "bytes already waiting count";
  EXPECT_EQ(Log().waitingAtCall, 40);
  EXPECT_EQ(Log().taken, bytes.substr(0, 36));

  ASSERT_EQ(InstallComCallback(kPort, 0, 36, 0x55, nullptr, nullptr), 0);
  char rest[8] = {0};
  EXPECT_EQ(ComRd(kPort, rest, 4), 4);
  EXPECT_EQ(std::string(rest, 4), "abcd");

  // A mask without the receive bit asks for nothing the layer delivers.
  InstallRecorder(36, LWRS_RXFLAG | LWRS_TXEMPTY);
  ASSERT_TRUE(device_.Write(Frame(0x40)));
  ASSERT_TRUE(WaitForQueued(36));
  PumpFor(0.15);
  EXPECT_EQ(Log().calls, 1);
}

TEST_P(SerialLineTest, ComRdWaitsForTheRestWithinThePortTimeOutAndRunsNoEvents) {
  InstallRecorder(1);
  ASSERT_EQ(SetComTime(kPort, 1.0), 0);
  ASSERT_TRUE(device_.Write("0123"));
  std::thread late([this] {
    Sleep(100);
    device_.Write("456789");
  });
  char buffer[16] = {0};
  double t0 = Timer();
  const int n = ComRd(kPort, buffer, 10);
  const double took = Timer() - t0;
  late.join();
  EXPECT_EQ(n, 10);
  EXPECT_EQ(std::string(buffer, 10), "0123456789");
  EXPECT_LT(took, 0.9) << "returns as soon as the count is complete";
  EXPECT_EQ(Log().calls, 0) << "the receive callback never runs inside ComRd";

  ASSERT_EQ(SetComTime(kPort, 0.3), 0);
  ASSERT_TRUE(device_.Write("abc"));
  t0 = Timer();
  EXPECT_EQ(ComRd(kPort, buffer, 10), 3);
  EXPECT_GE(Timer() - t0, 0.28);
  EXPECT_LT(Timer() - t0, 0.8);
  EXPECT_EQ(std::string(buffer, 3), "abc");
  EXPECT_EQ(Log().calls, 0);
}

TEST_P(SerialLineTest, PortTimeOutIsOneAndAHalfSecondsAfterEveryOpen) {
  ASSERT_EQ(SetComTime(kPort, 0.2), 0);
  ASSERT_EQ(OpenDefault(kPort), 0);  // opening again starts from the defaults
  char buffer[4];
  ASSERT_TRUE(device_.Write("z"));
  const double t0 = Timer();
  EXPECT_EQ(ComRd(kPort, buffer, 4), 1);
  const double took = Timer() - t0;
  EXPECT_GE(took, 1.45);
  EXPECT_LT(took, 2.0);
  EXPECT_EQ(buffer[0], 'z');
}

TEST_P(SerialLineTest, ComWrtHandsEveryByteToTheDevice) {
  const std::string frame = std::string("\x00\x55\x00\x05", 4) + std::string(30, '\0') + "\xff\x80";
  ASSERT_EQ(frame.size(), 36u);
  EXPECT_EQ(ComWrt(kPort, frame.data(), 36), 36);
  EXPECT_EQ(device_.Read(36, 1.0), frame);

  std::string big(3000, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7);
  std::string received;
  std::thread reader([&] { received = device_.Read(big.size(), 2.0); });
  EXPECT_EQ(ComWrt(kPort, big.data(), static_cast<int>(big.size())), 3000);
  reader.join();
  EXPECT_EQ(received, big);
  EXPECT_EQ(ComWrt(kPort, big.data(), 0), 0);
}

TEST_F(SerialPortTest, ComWrtToADeviceThatTakesNothingReturnsWhatLeftAtTheTimeOut) {
  // Nobody reads the master side: once the terminal's buffers are full the
  // rest of the bytes cannot leave.
  ASSERT_EQ(SetComTime(kPort, 0.3), 0);
  std::string big(1024 * 1024, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i % 251);
  const double t0 = Timer();
  const int n = ComWrt(kPort, big.data(), static_cast<int>(big.size()));
  const double took = Timer() - t0;
  EXPECT_GT(n, 0);
  EXPECT_LT(n, static_cast<int>(big.size()));
  EXPECT_GE(took, 0.28);
  EXPECT_LT(took, 1.0);

  // What was not reported as written never reaches the device once the
  // output queue is flushed, however long events run.
  EXPECT_EQ(FlushOutQ(kPort), 0);
  std::string arrived;
  std::thread reader([&] { arrived = device_.Read(big.size(), 0.6); });
  PumpFor(0.5);
  reader.join();
  EXPECT_LE(arrived.size(), static_cast<size_t>(n));
  EXPECT_EQ(arrived, big.substr(0, arrived.size())) << "in order, nothing skipped";
}

TEST_P(SerialLineTest, FlushInQDropsFetchedAndUnfetchedBytes) {
  ASSERT_TRUE(device_.Write("0123456789"));
  ASSERT_TRUE(WaitForQueued(10));
  EXPECT_EQ(FlushInQ(kPort), 0);
  EXPECT_EQ(GetInQLen(kPort), 0);

  // Bytes still in the operating system's queue go as well.
  ASSERT_TRUE(device_.Write("abcdefghij"));
  Sleep(50);
  EXPECT_EQ(FlushInQ(kPort), 0);
  EXPECT_EQ(GetInQLen(kPort), 0);

  // Flushed bytes are not announced to the callback.
  InstallRecorder();
  ASSERT_TRUE(device_.Write(Frame(1)));
  ASSERT_TRUE(WaitForQueued(36));
  EXPECT_EQ(FlushInQ(kPort), 0);
  PumpFor(0.15);
  EXPECT_EQ(Log().calls, 0);
  EXPECT_EQ(FlushOutQ(kPort), 0);
}

TEST_F(SerialPortTest, LineSettingsAndHandshakeReachTheTerminal) {
  termios t;
  ASSERT_TRUE(device_.SlaveSettings(&t));
  EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B19200));
  EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);

  EXPECT_EQ(SetCTSMode(kPort, 1), 0);
  ASSERT_TRUE(device_.SlaveSettings(&t));
  EXPECT_NE(t.c_cflag & CRTSCTS, 0u);
  EXPECT_EQ(SetCTSMode(kPort, 0), 0);
  ASSERT_TRUE(device_.SlaveSettings(&t));
  EXPECT_EQ(t.c_cflag & CRTSCTS, 0u);
  EXPECT_EQ(SetCTSMode(kPort, 2), RS_INVALID_PARAMETER);

  // A pseudo-terminal always keeps 8 data bits without parity, so of a
  // reopening with other settings only speed and stop bits can be seen.
  ASSERT_EQ(OpenComConfig(kPort, "", 9600, RS_EVEN_PARITY, 7, 2, 4096, 4096), 0);
  ASSERT_TRUE(device_.SlaveSettings(&t));
  EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B9600));
  EXPECT_NE(t.c_cflag & CSTOPB, 0u);
}

TEST_P(SerialLineTest, FarEndClosedClosesThePortOnceAndTellsTheSystemOnce) {
  InstallComLostCallback(RecordLost);
  InstallRecorder();
  device_.CloseMaster();
  ASSERT_TRUE(PumpUntil([] { return Lost().calls > 0; }, 1.0));
  PumpFor(0.2);
  EXPECT_EQ(Lost().calls, 1);
  EXPECT_EQ(Lost().port, kPort);
  EXPECT_EQ(Log().calls, 0);

  char buffer[36] = {0};
  EXPECT_EQ(ComWrt(kPort, buffer, 36), RS_PORT_NOT_OPEN);
  EXPECT_EQ(ComRd(kPort, buffer, 36), RS_PORT_NOT_OPEN);
  EXPECT_EQ(GetInQLen(kPort), RS_PORT_NOT_OPEN);
  EXPECT_EQ(FlushInQ(kPort), RS_PORT_NOT_OPEN);
  EXPECT_EQ(FlushOutQ(kPort), RS_PORT_NOT_OPEN);
  EXPECT_EQ(SetComTime(kPort, 1.5), RS_PORT_NOT_OPEN);
  EXPECT_EQ(SetCTSMode(kPort, 0), RS_PORT_NOT_OPEN);
  EXPECT_EQ(InstallComCallback(kPort, 0x8006, 36, 0x55, RecordReceive, nullptr), RS_PORT_NOT_OPEN);
  EXPECT_EQ(CloseCom(kPort), RS_PORT_NOT_OPEN);
  PumpFor(0.1);
  EXPECT_EQ(Lost().calls, 1);

  // The operator picks a working device for the same port number.
  LineDevice fresh(GetParam());
  ASSERT_TRUE(fresh.ok());
  ASSERT_EQ(SetComPortDevice(kPort, fresh.name()), 0);
  ASSERT_EQ(OpenDefault(kPort), 0);
  EXPECT_EQ(ComWrt(kPort, "ok", 2), 2);
  EXPECT_EQ(fresh.Read(2, 1.0), "ok");
  CloseCom(kPort);
}

TEST_P(SerialLineTest, LossNoticedWithoutEventProcessingIsToldAtTheNextEventProcessing) {
  InstallComLostCallback(RecordLost);
  device_.CloseMaster();
  ASSERT_TRUE(PollUntil([] { return GetInQLen(kPort) == RS_PORT_NOT_OPEN; }, 1.0));
  char buffer[4];
  EXPECT_EQ(ComRd(kPort, buffer, 4), RS_PORT_NOT_OPEN);
  EXPECT_EQ(Lost().calls, 0) << "never called from inside a serial operation";
  ASSERT_TRUE(PumpUntil([] { return Lost().calls > 0; }, 1.0));
  PumpFor(0.1);
  EXPECT_EQ(Lost().calls, 1);
}

TEST_P(SerialLineTest, ReopeningAnOpenPortStartsItAfresh) {
  InstallRecorder();
  ASSERT_EQ(OpenDefault(kPort), 0) << "the port's own lock does not stand in its way";
  ASSERT_TRUE(device_.Write(Frame(2)));
  ASSERT_TRUE(WaitForQueued(36));
  PumpFor(0.15);
  EXPECT_EQ(Log().calls, 0) << "the callback belonged to the earlier opening";
  EXPECT_EQ(ComWrt(kPort, "hi", 2), 2);
  EXPECT_EQ(device_.Read(2, 1.0), "hi");
}

// ---- Opening errors ---------------------------------------------------------------

class SerialOpenTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_GE(StartLayer(), 0); }
  void TearDown() override {
    for (int port : {kPort, kPort + 1}) CloseCom(port);
  }
};

TEST_F(SerialOpenTest, PortNumbersWithoutADeviceAreInvalid) {
  EXPECT_EQ(OpenDefault(0), RS_INVALID_PORT_NUMBER);
  EXPECT_EQ(OpenDefault(-1), RS_INVALID_PORT_NUMBER);
  EXPECT_EQ(OpenDefault(MAX_COM_PORTS + 1), RS_INVALID_PORT_NUMBER);
  ASSERT_EQ(SetComPortDevice(kPort, ""), 0);
  EXPECT_EQ(OpenDefault(kPort), RS_INVALID_PORT_NUMBER);
}

TEST_F(SerialOpenTest, MissingDeviceIsNoSerialPort) {
  ASSERT_EQ(SetComPortDevice(kPort, "/dev/kvor-no-such-device"), 0);
  EXPECT_EQ(OpenDefault(kPort), RS_NO_SERIAL_PORT);
  EXPECT_EQ(OpenComConfig(kPort, "/no-such-folder/ttyUSB0", 19200, 0, 8, 1, 4096, 4096),
            RS_NO_SERIAL_PORT);
  EXPECT_EQ(GetInQLen(kPort), RS_PORT_NOT_OPEN) << "a failed open leaves the port closed";
}

TEST_F(SerialOpenTest, BusyOrUnsuitableDevicesCannotBeOpened) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  ASSERT_EQ(SetComPortDevice(kPort, pty.slave()), 0);
  ASSERT_EQ(SetComPortDevice(kPort + 1, pty.slave()), 0);
  ASSERT_EQ(OpenDefault(kPort), 0);
  EXPECT_EQ(OpenDefault(kPort + 1), RS_CANNOT_OPEN_PORT) << "the device is in use";
  EXPECT_EQ(ComWrt(kPort, "a", 1), 1) << "the refused second open leaves the first alone";
  EXPECT_EQ(pty.Read(1, 1.0), "a");
  ASSERT_EQ(CloseCom(kPort), 0);
  EXPECT_EQ(OpenDefault(kPort + 1), 0) << "closing releases the device";

  char folder[] = "/tmp/kvor-serial-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string file = std::string(folder) + "/plain.txt";
  std::FILE *f = std::fopen(file.c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  EXPECT_EQ(OpenComConfig(kPort, folder, 19200, 0, 8, 1, 4096, 4096), RS_CANNOT_OPEN_PORT);
  EXPECT_EQ(OpenComConfig(kPort, file.c_str(), 19200, 0, 8, 1, 4096, 4096), RS_CANNOT_OPEN_PORT);
  EXPECT_EQ(OpenComConfig(kPort, "/dev/null", 19200, 0, 8, 1, 4096, 4096), RS_CANNOT_OPEN_PORT);
  std::remove(file.c_str());
  rmdir(folder);
}

// "simulated" is the simulated sensor inside the program: opened by name with
// no line settings to make, one opening at a time, and one sensor for the
// whole program, which keeps what it was sent while its port is closed. A
// name no sensor serves, or one whose sensor has hung up, is a device that is
// not there.
TEST_F(SerialOpenTest, TheSimulatedSensorOpensByNameOnceAndStaysTheSameSensor) {
  ASSERT_EQ(SetComPortDevice(kPort, "simulated"), 0);
  ASSERT_EQ(SetComPortDevice(kPort + 1, "simulated"), 0);
  char device[64];
  ASSERT_EQ(GetComPortDevice(kPort, device, sizeof device), 0);
  EXPECT_STREQ("simulated", device) << "no file under /dev";
  ASSERT_EQ(OpenComConfig(kPort, "", 9600, RS_EVEN_PARITY, 7, 2, 4096, 4096), 0);
  EXPECT_EQ(OpenDefault(kPort + 1), RS_CANNOT_OPEN_PORT) << "the sensor is in use";
  EXPECT_EQ(SetCTSMode(kPort, 1), 0);

  // A RAM write of frame 0 (command 1), acknowledged with the words stored.
  std::string write(36, '\0');
  write[1] = 0x55, write[3] = 1, write[7] = 42;
  EXPECT_EQ(ComWrt(kPort, write.data(), 36), 36);
  char reply[36];
  ASSERT_EQ(ComRd(kPort, reply, 36), 36);
  EXPECT_EQ(std::string("\x00\xAA\x00\x01", 4), std::string(reply, 4));
  EXPECT_EQ(42, reply[7]);
  ASSERT_EQ(CloseCom(kPort), 0);

  // Another port on the same sensor reads back what it holds.
  ASSERT_EQ(OpenDefault(kPort + 1), 0);
  std::string read(36, '\0');
  read[1] = 0x55, read[3] = 2;
  EXPECT_EQ(ComWrt(kPort + 1, read.data(), 36), 36);
  ASSERT_EQ(ComRd(kPort + 1, reply, 36), 36);
  EXPECT_EQ(std::string("\x00\xAA\x00\x02", 4), std::string(reply, 4));
  EXPECT_EQ(42, reply[7]);
  CloseCom(kPort + 1);

  EXPECT_EQ(OpenComConfig(kPort, "simulated:nobody", 19200, 0, 8, 1, 4096, 4096), RS_NO_SERIAL_PORT);
  LineDevice gone(LineKind::InProcess);
  gone.CloseMaster();
  EXPECT_EQ(OpenComConfig(kPort, gone.name(), 19200, 0, 8, 1, 4096, 4096), RS_NO_SERIAL_PORT);
  EXPECT_EQ(GetInQLen(kPort), RS_PORT_NOT_OPEN);
}

// Permission bits do not bind the superuser: a test run as root acts as
// "nobody" while it lasts.
class AsOrdinaryUser {
 public:
  AsOrdinaryUser() : was_(geteuid()) {
    if (was_ == 0 && seteuid(65534) != 0) ADD_FAILURE() << "cannot act as an ordinary user";
  }
  ~AsOrdinaryUser() {
    if (was_ == 0 && seteuid(0) != 0) ADD_FAILURE() << "cannot become root again";
  }

 private:
  uid_t was_;
};

TEST_F(SerialOpenTest, DeviceWithoutPermissionCannotBeOpenedAndItsEntrySaysWhatToDo) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  ASSERT_EQ(SetComPortDevice(kPort, pty.slave()), 0);
  EXPECT_EQ(PortEntryHint(kPort), "");
  ASSERT_EQ(chmod(pty.slave(), 0), 0);
  {
    AsOrdinaryUser user;
    ASSERT_NE(geteuid(), 0u);
    EXPECT_EQ(OpenDefault(kPort), RS_CANNOT_OPEN_PORT);
    const std::string hint = PortEntryHint(kPort);
    EXPECT_NE(hint.find(pty.slave()), std::string::npos) << hint;
    EXPECT_NE(hint.find("sudo adduser $USER dialout"), std::string::npos) << hint;
  }
}

TEST_F(SerialOpenTest, SettingsOutsideTheirRangeAreInvalidParameters) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  ASSERT_EQ(SetComPortDevice(kPort, pty.slave()), 0);
  EXPECT_EQ(OpenComConfig(kPort, "", 0, 0, 8, 1, 4096, 4096), RS_INVALID_PARAMETER);
  EXPECT_EQ(OpenComConfig(kPort, "", -19200, 0, 8, 1, 4096, 4096), RS_INVALID_PARAMETER);
  EXPECT_EQ(OpenComConfig(kPort, "", 19200, 5, 8, 1, 4096, 4096), RS_INVALID_PARAMETER);
  EXPECT_EQ(OpenComConfig(kPort, "", 19200, 0, 9, 1, 4096, 4096), RS_INVALID_PARAMETER);
  EXPECT_EQ(OpenComConfig(kPort, "", 19200, 0, 4, 1, 4096, 4096), RS_INVALID_PARAMETER);
  EXPECT_EQ(OpenComConfig(kPort, "", 19200, 0, 8, 3, 4096, 4096), RS_INVALID_PARAMETER);
  EXPECT_EQ(OpenComConfig(kPort, "", 19200, 0, 8, 1, -1, 4096), RS_INVALID_PARAMETER);
  EXPECT_EQ(OpenComConfig(kPort, "", 19200, 0, 8, 1, 4096, -1), RS_INVALID_PARAMETER);
  EXPECT_EQ(GetInQLen(kPort), RS_PORT_NOT_OPEN);
  EXPECT_EQ(OpenDefault(kPort), 0) << "refused settings left no lock behind";
}

// ---- Closed ports and bad arguments -------------------------------------------------

TEST(SerialArgumentsTest, ClosedPortsReportNotOpenAndBadArgumentsNeverCrash) {
  ASSERT_GE(StartLayer(), 0);
  const int port = 9;
  CloseCom(port);
  char buffer[8] = {0};
  EXPECT_EQ(ComWrt(port, buffer, 1), RS_PORT_NOT_OPEN);
  EXPECT_EQ(ComRd(port, buffer, 1), RS_PORT_NOT_OPEN);
  EXPECT_EQ(GetInQLen(port), RS_PORT_NOT_OPEN);
  EXPECT_EQ(FlushInQ(port), RS_PORT_NOT_OPEN);
  EXPECT_EQ(FlushOutQ(port), RS_PORT_NOT_OPEN);
  EXPECT_EQ(SetComTime(port, 1.5), RS_PORT_NOT_OPEN);
  EXPECT_EQ(SetCTSMode(port, 0), RS_PORT_NOT_OPEN);
  EXPECT_EQ(InstallComCallback(port, 0x8006, 36, 0x55, RecordReceive, nullptr), RS_PORT_NOT_OPEN);
  EXPECT_EQ(CloseCom(port), RS_PORT_NOT_OPEN);

  for (int bad : {0, -3, MAX_COM_PORTS + 1, 1000000}) {
    EXPECT_EQ(ComWrt(bad, buffer, 1), RS_INVALID_PARAMETER);
    EXPECT_EQ(ComRd(bad, buffer, 1), RS_INVALID_PARAMETER);
    EXPECT_EQ(GetInQLen(bad), RS_INVALID_PARAMETER);
    EXPECT_EQ(FlushInQ(bad), RS_INVALID_PARAMETER);
    EXPECT_EQ(FlushOutQ(bad), RS_INVALID_PARAMETER);
    EXPECT_EQ(SetComTime(bad, 1.5), RS_INVALID_PARAMETER);
    EXPECT_EQ(SetCTSMode(bad, 0), RS_INVALID_PARAMETER);
    EXPECT_EQ(InstallComCallback(bad, 0x8006, 36, 0x55, RecordReceive, nullptr), RS_INVALID_PARAMETER);
    EXPECT_EQ(CloseCom(bad), RS_INVALID_PARAMETER);
  }

  // The same checks on an open port.
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  ASSERT_EQ(OpenComConfig(port, pty.slave(), 19200, 0, 8, 1, 4096, 4096), 0);
  EXPECT_EQ(ComWrt(port, nullptr, 1), RS_INVALID_PARAMETER);
  EXPECT_EQ(ComWrt(port, buffer, -1), RS_INVALID_PARAMETER);
  EXPECT_EQ(ComRd(port, nullptr, 1), RS_INVALID_PARAMETER);
  EXPECT_EQ(ComRd(port, buffer, -1), RS_INVALID_PARAMETER);
  EXPECT_EQ(SetComTime(port, -0.5), RS_INVALID_PARAMETER);
  EXPECT_EQ(SetComTime(port, std::nan("")), RS_INVALID_PARAMETER);
  EXPECT_EQ(InstallComCallback(port, 0x8006, -1, 0x55, RecordReceive, nullptr), RS_INVALID_PARAMETER);
  EXPECT_EQ(InstallComCallback(port, 0x8006, 36, 256, RecordReceive, nullptr), RS_INVALID_PARAMETER);
  EXPECT_EQ(InstallComCallback(port, 0x8006, 0, 0x55, RecordReceive, nullptr), RS_INVALID_PARAMETER);
  EXPECT_EQ(CloseCom(port), 0);
  EXPECT_EQ(CloseCom(port), RS_PORT_NOT_OPEN);
  EXPECT_EQ(ComWrt(port, buffer, 1), RS_PORT_NOT_OPEN);
}

}  // namespace
