// Windows' names of serial ports, in every spelling an operator may type.
#include "runtime/rs232/com_names.h"

#include <gtest/gtest.h>

#include <string>

namespace {

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

}  // namespace
