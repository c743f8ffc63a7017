// Reading back a wire trace file, line by line, for tests of what the
// program traced.
#ifndef KVOR_TESTS_SUPPORT_WIRE_TRACE_H
#define KVOR_TESTS_SUPPORT_WIRE_TRACE_H

#include <gtest/gtest.h>

#include <cstdint>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace support {

struct TraceLine {
  std::string direction, summary;
  std::vector<uint8_t> bytes;
};

// Every line of the trace file; a line not in the trace's layout, or not
// ended as the system ends a text file's lines, fails the test.
inline std::vector<TraceLine> ReadTrace(const std::string &path) {
  static const std::regex layout(
      "\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{6}Z (TX|RX) (\\d+)((?: [0-9A-F]{2})*) \\| ([^\r]+)" +
      kFileLineEnd.substr(0, kFileLineEnd.size() - 1));
  std::vector<TraceLine> lines;
  const std::string whole = ReadBytes(path);
  EXPECT_TRUE(whole.empty() || (whole.size() >= kFileLineEnd.size() &&
                                  whole.compare(whole.size() - kFileLineEnd.size(), std::string::npos, kFileLineEnd) == 0))
      << path;
  std::istringstream in(whole);
  for (std::string text; std::getline(in, text);) {
    std::smatch m;
    EXPECT_TRUE(std::regex_match(text, m, layout)) << text;
    if (m.empty()) continue;
    TraceLine line{m[1], m[4], {}};
    std::istringstream hex(m[3].str());
    for (std::string byte; hex >> byte;) line.bytes.push_back(static_cast<uint8_t>(std::stoi(byte, nullptr, 16)));
    EXPECT_EQ(std::stoul(m[2]), line.bytes.size()) << text;
    lines.push_back(line);
  }
  return lines;
}

}  // namespace support

#endif
