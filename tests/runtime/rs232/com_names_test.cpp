// Windows' names of serial ports, in every spelling an operator may type,
// and the port table over COM ports: port n is COMn.
#include "runtime/rs232/com_names.h"
#include "runtime/rs232/port_table.h"
#include "runtime/runtime.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Device(int port) {
  char name[300];
  return GetComPortDevice(port, name, sizeof name) == 0 ? std::string(name) : std::string("<none>");
}

std::string Label(int port) {
  char label[300];
  return GetComPortLabel(port, label, sizeof label) == 0 ? std::string(label) : std::string("<none>");
}

TEST(ComNames, EverySpellingOfAComPortAndNothingElse) {
  const struct {
    const char *name;
    int number;
  } cases[] = {
      {"COM1", 1},        {"COM7", 7},          {"com7", 7},      {"Com12", 12},
      {"\\\\.\\COM10", 10}, {"\\\\.\\com256", 256}, {"//./COM3", 3},  {"COM256", 256},
      {"COM", 0},         {"COM0", 0},          {"COM07", 0},     {"COM257", 0},
      {"COM1000", 0},     {"COM-1", 0},         {"COM 1", 0},     {"COM1 ", 0},
      {"COMX", 0},        {"LPT1", 0},          {"7", 0},         {"", 0},
      {"\\\\.\\", 0},     {"\\\\?\\COM1", 0},   {"/dev/ttyS0", 0}, {"xCOM1", 0},
      {"COM1\\", 0},      {"\\\\.\\COM1x", 0},
  };
  for (const auto &c : cases) EXPECT_EQ(ComPortNumber(c.name), c.number) << '"' << c.name << '"';
}

TEST(ComNames, TheNameQtOpensForANumber) {
  EXPECT_EQ(ComPortName(1), "COM1");
  EXPECT_EQ(ComPortName(10), "COM10");
  EXPECT_EQ(ComPortName(256), "COM256");
  EXPECT_EQ(ComPortName(0), "");
  EXPECT_EQ(ComPortName(257), "");
  for (int n = 1; n <= MAX_COM_NAME_NUMBER; ++n) ASSERT_EQ(ComPortNumber(ComPortName(n)), n);
}

// The machine's COM ports as QSerialPortInfo lists them on Windows, and a
// port given on the command line in lower case.
TEST(ComPortTable, PortNIsComNWithItsAdapterAndKeepsItsNumber) {
  const char *dash = " \xE2\x80\x94 ";
  static std::vector<SerialDevice> machine;
  machine = {
      {"COM10", "COM10", "USB Serial Port", "A10KX3"},
      {"COM3", "COM3", "Communications Port", ""},
  };
  SetSerialDeviceLister([] { return machine; });
  char program[] = "K-VOR-NE-ZevevU301", option[] = "--port", value[] = "2=com12";
  char *argv[] = {program, option, value, nullptr};
  ASSERT_EQ(0, InitPortTable(3, argv));
#ifdef _WIN32
  EXPECT_EQ(Label(3), std::string("3: COM3") + dash + "Communications Port");
  EXPECT_EQ(Label(10), std::string("10: COM10") + dash + "USB Serial Port (A10KX3)");
  EXPECT_EQ(Device(10), "COM10") << "COM10 and above open by their name";
  EXPECT_EQ(Device(2), "COM12") << "a COM port given in any spelling opens as COMn";
  EXPECT_EQ(Label(2), "2: com12") << "shown as given";
  EXPECT_EQ(Device(7), "COM7") << "every number is its COM port";
  // The adapter on COM10 pulled: its entry stays, marked; nothing renumbered.
  machine.erase(machine.begin());
  RefreshPortTable();
  EXPECT_EQ(Label(10), std::string("10: COM10") + dash + "USB Serial Port (A10KX3)" + dash + "not present");
  EXPECT_EQ(Label(3), std::string("3: COM3") + dash + "Communications Port");
#else
  // Elsewhere a device has no number of its own: the machine's take the
  // numbers left free, in port order.
  EXPECT_EQ(Device(1), "COM3");
  EXPECT_EQ(Device(3), "COM10");
  EXPECT_EQ(Device(2), "/dev/com12");
  EXPECT_EQ(Device(7), "<none>");
#endif
  SetSerialDeviceLister(nullptr);
}

}  // namespace
