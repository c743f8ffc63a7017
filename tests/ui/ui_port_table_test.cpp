// The port table: the machine's devices in port order, --port on the command
// line, and the entries the port selector shows.
#include "ui/port_table.h"
#include "ui/port_table_order.h"
#include "ui/rs232.h"
#include "ui/runtime.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Device(int port) {
  char name[300];
  return GetComPortDevice(port, name, sizeof name) == 0 ? std::string(name) : std::string("<none>");
}

// Runs InitPortTable over a command line given as strings.
int InitWith(std::vector<std::string> args) {
  args.insert(args.begin(), "K-VOR-NE-ZevevU301");
  std::vector<char *> argv;
  for (std::string &a : args) argv.push_back(&a[0]);
  argv.push_back(nullptr);
  return InitPortTable(static_cast<int>(args.size()), argv.data());
}

TEST(PortTableOrder, AdaptersComeFirstAndNumbersSortAsNumbers) {
  const std::vector<std::string> order = OrderSerialDevices({
      {"ttyS10", "/dev/ttyS10"},
      {"ttyACM0", "/dev/ttyACM0"},
      {"ttyS2", "/dev/ttyS2"},
      {"ttyUSB10", "/dev/ttyUSB10"},
      {"rfcomm0", "/dev/rfcomm0"},
      {"ttyUSB2", "/dev/ttyUSB2"},
      {"ttyS0", "/dev/ttyS0"},
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

}  // namespace
