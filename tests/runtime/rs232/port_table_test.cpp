// The port table: the machine's devices in port order, --port on the command
// line, the entries the port selector shows, and how the table follows
// devices that come and go.
#include "support/pty_pair.h"
#include "support/temp_dir.h"
#include "runtime/rs232/port_table.h"
#include "runtime/rs232/port_table_order.h"
#include "runtime/rs232/rs232.h"
#include "runtime/runtime.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

std::string Device(int port) {
  char name[300];
  return GetComPortDevice(port, name, sizeof name) == 0 ? std::string(name) : std::string("<none>");
}

// Runs InitPortTable over a command line given as strings.
// What the machine says it has; installed as the table's device list.
std::vector<SerialDevice> &Machine() {
  static std::vector<SerialDevice> devices;
  return devices;
}

SerialDevice Adapter(const std::string &name, const std::string &description = "",
                     const std::string &serial = "") {
  return SerialDevice{name, "/dev/" + name, description, serial};
}

std::string Label(int port) {
  char label[300];
  return GetComPortLabel(port, label, sizeof label) == 0 ? std::string(label) : std::string("<none>");
}

int InitWith(std::vector<std::string> args) {
  args.insert(args.begin(), "K-VOR-NE-ZevevU301");
  std::vector<char *> argv;
  for (std::string &a : args) argv.push_back(&a[0]);
  argv.push_back(nullptr);
  return InitPortTable(static_cast<int>(args.size()), argv.data());
}

TEST(PortTableOrder, AdaptersComeFirstAndNumbersSortAsNumbers) {
  const std::vector<std::string> order = OrderSerialDevices({
      Adapter("ttyS10"),
      Adapter("ttyACM0"),
      Adapter("ttyS2"),
      Adapter("ttyUSB10"),
      Adapter("rfcomm0"),
      Adapter("ttyUSB2"),
      Adapter("ttyS0"),
  });
  const std::vector<std::string> expected = {
      "/dev/ttyACM0", "/dev/ttyUSB2", "/dev/ttyUSB10",                // adapters by name
      "/dev/rfcomm0", "/dev/ttyS0", "/dev/ttyS2", "/dev/ttyS10"};     // then the rest
  EXPECT_EQ(order, expected);
  EXPECT_TRUE(OrderSerialDevices({}).empty());
}

TEST(PortTableCommandLine, PortOptionsOverrideEntriesInEverySpelling) {
  ASSERT_EQ(InitWith({"--port", "3=/dev/pts/7", "--simulate", "--port=12=/dev/ttyX",
                      "--port 5=/dev/pts/9", "--port", "3=/dev/pts/8"}),
            0);
  EXPECT_EQ(Device(3), "/dev/pts/8") << "the last of repeated options wins";
  EXPECT_EQ(Device(12), "/dev/ttyX");
  EXPECT_EQ(Device(5), "/dev/pts/9");
  EXPECT_GE(GetComPortCount(), 12);

  char label[64];
  ASSERT_EQ(GetComPortLabel(5, label, sizeof label), 0);
  EXPECT_STREQ(label, "5: /dev/pts/9");
  ASSERT_EQ(GetComPortLabel(12, label, sizeof label), 0);
  EXPECT_STREQ(label, "12: /dev/ttyX");
}

TEST(PortTableCommandLine, MalformedPortOptionsAreRefusedAndChangeNothing) {
  ASSERT_EQ(InitWith({"--port", "4=/dev/keep"}), 0);
  const std::vector<std::vector<std::string>> bad = {
      {"--port"},                     // no value
      {"--port", "x=/dev/pts/1"},     // not a number
      {"--port", "0=/dev/pts/1"},     // port numbers start at 1
      {"--port", "65=/dev/pts/1"},    // beyond the table
      {"--port", "99999999999999999999=/dev/a"},
      {"--port", "3="},               // no device
      {"--port", "=/dev/pts/1"},      // no number
      {"--port", "3/dev/pts/1"},      // no '='
      {"--port", "-3=/dev/pts/1"},
      {"--port", "4=" + std::string(300, 'a')},  // absurdly long device name
      {"--port", "2=/dev/ok", "--port", "bad"},  // one bad among good ones
  };
  for (const auto &args : bad) {
    EXPECT_LT(InitWith(args), 0) << args.back();
    EXPECT_EQ(Device(4), "/dev/keep") << "table untouched by " << args.back();
  }
}

TEST(PortTableEntries, SetGetRemoveAndBoundedCopies) {
  ASSERT_EQ(InitWith({}), 0);
  ASSERT_EQ(SetComPortDevice(40, "/dev/pts/40"), 0);
  EXPECT_EQ(Device(40), "/dev/pts/40");
  EXPECT_GE(GetComPortCount(), 40);
  ASSERT_EQ(SetComPortDevice(40, ""), 0);
  EXPECT_EQ(Device(40), "<none>");
  char name[8] = "junk";
  EXPECT_EQ(GetComPortDevice(40, name, sizeof name), RS_INVALID_PORT_NUMBER);
  EXPECT_STREQ(name, "");

  EXPECT_EQ(SetComPortDevice(0, "/dev/a"), RS_INVALID_PORT_NUMBER);
  EXPECT_EQ(SetComPortDevice(MAX_COM_PORTS + 1, "/dev/a"), RS_INVALID_PORT_NUMBER);
  EXPECT_EQ(SetComPortDevice(3, nullptr), RS_INVALID_PARAMETER);
  EXPECT_EQ(SetComPortDevice(3, std::string(300, 'a').c_str()), RS_INVALID_PARAMETER);
  EXPECT_EQ(GetComPortDevice(0, name, sizeof name), RS_INVALID_PORT_NUMBER);

  // A buffer too small for the name is left empty instead of holding a cut name.
  ASSERT_EQ(SetComPortDevice(41, "/dev/ttyUSB0"), 0);
  EXPECT_EQ(GetComPortDevice(41, name, sizeof name), RS_INVALID_PARAMETER);
  EXPECT_STREQ(name, "");
  char label[17] = "junk";  // exactly "41: /dev/ttyUSB0" and its terminator
  EXPECT_EQ(GetComPortLabel(41, label, sizeof label), 0);
  EXPECT_STREQ(label, "41: /dev/ttyUSB0");
  char small[16] = "junk";
  EXPECT_EQ(GetComPortLabel(41, small, sizeof small), RS_INVALID_PARAMETER);
  EXPECT_STREQ(small, "");
  EXPECT_EQ(GetComPortLabel(42, small, sizeof small), RS_INVALID_PORT_NUMBER);
  EXPECT_EQ(GetComPortDevice(41, nullptr, 10), RS_INVALID_PARAMETER);
  EXPECT_EQ(GetComPortLabel(41, nullptr, 10), RS_INVALID_PARAMETER);

  // The highest entry counts, not the number of entries.
  ASSERT_EQ(InitWith({"--port", "64=/dev/last"}), 0);
  EXPECT_EQ(GetComPortCount(), 64);
}

class PortTableRefresh : public ::testing::Test {
 protected:
  void SetUp() override {
    Machine().clear();
    SetSerialDeviceLister([] { return Machine(); });
  }
  void TearDown() override { SetSerialDeviceLister(nullptr); }
};

TEST_F(PortTableRefresh, DevicesKeepTheirNumbersNewOnesTakeTheLowestFreeGoneOnesStayMarked) {
  const std::string dash = " \xE2\x80\x94 ";
  Machine() = {Adapter("ttyS0"), Adapter("ttyUSB1", "USB serial adapter", "A10KX3")};
  ASSERT_EQ(InitWith({"--port", "2=/dev/pts/given"}), 0);
  // Given entries first; the machine's devices, adapters first, fill the
  // numbers left free.
  EXPECT_EQ(Label(1), "1: /dev/ttyUSB1" + dash + "USB serial adapter (A10KX3)");
  EXPECT_EQ(Label(2), "2: /dev/pts/given");
  EXPECT_EQ(Label(3), "3: /dev/ttyS0");
  EXPECT_EQ(GetComPortCount(), 3);
  EXPECT_EQ(PortEntryHint(1), "");

  // Plugged in: the next free number, the others stay.
  Machine().push_back(Adapter("ttyUSB0", "FT232R USB UART", "B7"));
  RefreshPortTable();
  EXPECT_EQ(Device(1), "/dev/ttyUSB1");
  EXPECT_EQ(Device(3), "/dev/ttyS0");
  EXPECT_EQ(Label(4), "4: /dev/ttyUSB0" + dash + "FT232R USB UART (B7)");

  // Pulled: the entry stays, marked, and its number is not handed out again.
  Machine().erase(Machine().begin() + 1);  // ttyUSB1
  RefreshPortTable();
  EXPECT_EQ(Label(1), "1: /dev/ttyUSB1" + dash + "USB serial adapter (A10KX3)" + dash + "not present");
  EXPECT_NE(PortEntryHint(1).find("not connected"), std::string::npos) << PortEntryHint(1);
  EXPECT_EQ(Device(4), "/dev/ttyUSB0");
  Machine().push_back(Adapter("ttyACM0", "", "C3"));
  RefreshPortTable();
  EXPECT_EQ(Label(5), "5: /dev/ttyACM0" + dash + "(C3)");

  // The adapter comes back under another name: known by its serial number,
  // it gets its old entry back.
  Machine().push_back(Adapter("ttyUSB2", "USB serial adapter", "A10KX3"));
  RefreshPortTable();
  EXPECT_EQ(Label(1), "1: /dev/ttyUSB2" + dash + "USB serial adapter (A10KX3)");
  EXPECT_EQ(PortEntryHint(1), "");
  EXPECT_EQ(GetComPortCount(), 5);

  // A device without a serial number comes back by its name.
  Machine().erase(Machine().begin());  // ttyS0
  RefreshPortTable();
  EXPECT_EQ(Label(3), "3: /dev/ttyS0" + dash + "not present");
  Machine().push_back(Adapter("ttyS0"));
  RefreshPortTable();
  EXPECT_EQ(Label(3), "3: /dev/ttyS0");

  // A given entry stays as given; when the machine lists its device too, it
  // shows the description and the device gets no second number.
  EXPECT_EQ(Label(2), "2: /dev/pts/given");
  Machine().push_back({"given", "/dev/pts/given", "Bench adapter", ""});
  ASSERT_EQ(SetComPortDevice(7, "/dev/ttyUSB9"), 0);
  RefreshPortTable();
  EXPECT_EQ(Label(2), "2: /dev/pts/given" + dash + "Bench adapter");
  EXPECT_EQ(Label(6), "<none>");
  EXPECT_EQ(Label(7), "7: /dev/ttyUSB9") << "set by the program, not the machine's: never marked";
  EXPECT_EQ(GetComPortCount(), 7);
}

TEST_F(PortTableRefresh, AFullTableTakesNoMoreDevicesAndNoDeviceTwice) {
  for (int i = 0; i < MAX_COM_PORTS; ++i) Machine().push_back(Adapter("ttyUSB" + std::to_string(i)));
  ASSERT_EQ(InitWith({}), 0);
  EXPECT_EQ(GetComPortCount(), MAX_COM_PORTS);
  EXPECT_EQ(Device(MAX_COM_PORTS), "/dev/ttyUSB63");
  // One gone, one new: the new one finds no free number (the gone one's is
  // still its own).
  Machine().erase(Machine().begin());
  Machine().push_back(Adapter("ttyACM0"));
  RefreshPortTable();
  EXPECT_EQ(Label(1), "1: /dev/ttyUSB0 \xE2\x80\x94 not present");
  for (int port = 1; port <= MAX_COM_PORTS; ++port) EXPECT_NE(Device(port), "/dev/ttyACM0");
  // Listing a device twice, or names that cannot be entries, adds nothing.
  Machine() = {Adapter("ttyUSB5"), Adapter("ttyUSB5"), {"x", "", "", ""},
               {"y", "/dev/" + std::string(300, 'y'), "", ""}};
  ASSERT_EQ(InitWith({}), 0);
  EXPECT_EQ(GetComPortCount(), 1);
  EXPECT_EQ(Device(1), "/dev/ttyUSB5");
}

// Two adapters of one kind that report the same serial number: each entry
// stays with the adapter on its own device name; the serial number is
// followed only where it points at one entry and one device.
TEST_F(PortTableRefresh, AlikeAdaptersKeepTheirOwnNumbers) {
  const std::string dash = " \xE2\x80\x94 ";
  Machine() = {Adapter("ttyUSB0", "CP2102", "0001"), Adapter("ttyUSB1", "CP2102", "0001")};
  ASSERT_EQ(InitWith({}), 0);
  ASSERT_EQ(Device(1), "/dev/ttyUSB0");
  ASSERT_EQ(Device(2), "/dev/ttyUSB1");

  // Port 1's pulled: port 2 is still its own adapter, in use and present.
  Machine().erase(Machine().begin());
  RefreshPortTable();
  EXPECT_EQ(Label(1), "1: /dev/ttyUSB0" + dash + "CP2102 (0001)" + dash + "not present");
  EXPECT_EQ(Label(2), "2: /dev/ttyUSB1" + dash + "CP2102 (0001)");
  // Plugged back under its old name: each number is its own adapter again.
  Machine().push_back(Adapter("ttyUSB0", "CP2102", "0001"));
  RefreshPortTable();
  EXPECT_EQ(Label(1), "1: /dev/ttyUSB0" + dash + "CP2102 (0001)");
  EXPECT_EQ(Label(2), "2: /dev/ttyUSB1" + dash + "CP2102 (0001)");
  EXPECT_EQ(GetComPortCount(), 2);

  // Back under a new name while the other stays: one gone entry, one new
  // device of that kind, so it is followed.
  Machine() = {Adapter("ttyUSB1", "CP2102", "0001"), Adapter("ttyUSB2", "CP2102", "0001")};
  RefreshPortTable();
  EXPECT_EQ(Device(1), "/dev/ttyUSB2");
  EXPECT_EQ(Device(2), "/dev/ttyUSB1");
  // Both gone, one back under a new name: it could be either, so it is new.
  Machine() = {Adapter("ttyUSB3", "CP2102", "0001")};
  RefreshPortTable();
  EXPECT_EQ(Label(1), "1: /dev/ttyUSB2" + dash + "CP2102 (0001)" + dash + "not present");
  EXPECT_EQ(Label(2), "2: /dev/ttyUSB1" + dash + "CP2102 (0001)" + dash + "not present");
  EXPECT_EQ(Device(3), "/dev/ttyUSB3");
}

// A gone adapter's device name handed to another adapter: the entry waits for
// its own adapter, the other one is new, and opening the gone entry's port
// does not open the other adapter.
TEST_F(PortTableRefresh, AnotherAdapterOnAGoneAdaptersNameIsANewDevice) {
  const std::string dash = " \xE2\x80\x94 ";
  Machine() = {Adapter("ttyUSB0", "FT232R USB UART", "A10KX3")};
  ASSERT_EQ(InitWith({}), 0);
  Machine() = {Adapter("ttyUSB0", "FT232R USB UART", "B7")};
  RefreshPortTable();
  EXPECT_EQ(Label(1), "1: /dev/ttyUSB0" + dash + "FT232R USB UART (A10KX3)" + dash + "not present");
  EXPECT_EQ(Label(2), "2: /dev/ttyUSB0" + dash + "FT232R USB UART (B7)");
  char name[64];
  EXPECT_EQ(GetComPortDevice(1, name, sizeof name), RS_NO_SERIAL_PORT);
  EXPECT_EQ(OpenComConfig(1, "", 19200, 0, 8, 1, 512, 512), RS_NO_SERIAL_PORT);
  EXPECT_NE(PortEntryHint(1).find("another adapter's"), std::string::npos) << PortEntryHint(1);
  // Neither may an adapter that tells no serial number take it over.
  Machine() = {Adapter("ttyUSB0", "FT232R USB UART")};
  RefreshPortTable();
  EXPECT_EQ(Label(3), "3: /dev/ttyUSB0" + dash + "FT232R USB UART");
  EXPECT_NE(Label(1).find("not present"), std::string::npos);
  EXPECT_NE(Label(2).find("not present"), std::string::npos);

  // The first adapter back under another name: its old number.
  Machine().push_back(Adapter("ttyUSB1", "FT232R USB UART", "A10KX3"));
  RefreshPortTable();
  EXPECT_EQ(Label(1), "1: /dev/ttyUSB1" + dash + "FT232R USB UART (A10KX3)");
  EXPECT_EQ(Device(3), "/dev/ttyUSB0");
  EXPECT_EQ(GetComPortCount(), 3);
}

// A device given by another name than the machine's (a bare name, a link such
// as /dev/serial/by-id/...) is the machine's device: it gets no second number,
// shows the name given and opens the device itself.
TEST_F(PortTableRefresh, APortGivenByAnotherNameIsTheMachinesDevice) {
  const std::string dash = " \xE2\x80\x94 ";
  PtyPair pty;
  TempDir dir;
  ASSERT_TRUE(pty.ok() && dir.ok());
  const std::string link = dir.File("usb-Bench_adapter_S1-if00-port0");
  ASSERT_EQ(symlink(pty.slave(), link.c_str()), 0);
  Machine() = {Adapter("ttyUSB0", "USB serial adapter", "A1"),
               {"pts", pty.slave(), "Bench adapter", "S1"}};
  ASSERT_EQ(InitWith({"--port", "1=ttyUSB0", "--port", "2=" + link}), 0);
  EXPECT_EQ(Label(1), "1: ttyUSB0" + dash + "USB serial adapter (A1)");
  EXPECT_EQ(Label(2), "2: " + link + dash + "Bench adapter (S1)");
  EXPECT_EQ(GetComPortCount(), 2);
  EXPECT_EQ(Device(1), "/dev/ttyUSB0");
  EXPECT_EQ(Device(2), pty.slave()) << "one device, one lock file, whatever its name";
}

}  // namespace
