// The reader of the parameter file: ParseUnsignedList on any bytes, asked for
// 30 numbers (a parameter file), for a count the input chooses and for the
// count of numbers the text holds; FileToArray on the same bytes through a
// temporary file for a quarter of the inputs.
//
// Invariants: success only with exactly count numbers, each equal to the
// value of its digits as std::from_chars reads them (so none that does not
// fit 32 bits), and only for text of digits, blanks, tabs and line ends;
// text of that form with short lines and numbers that fit is accepted; on
// failure the values are untouched; the file reader agrees with the
// in-memory reader.
#include <unistd.h>

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "runtime/utility/utility.h"

namespace {

const unsigned int kUntouched = 0xC0FFEE11u;
const int kParameterFileNumbers = 30;
// Lines this short are within any limit a reader of these files may set.
const size_t kShortLine = 16;

// The text as a plain reading sees it, for comparison.
struct Reading {
  bool onlyNumberBytes = true;     // digits, blanks, tabs, LF, CR
  bool everyCrEndsALine = true;    // each CR is followed by LF
  size_t longestLine = 0;          // characters, line end not counted
  bool everyNumberFits = true;     // none above 4294967295
  std::vector<unsigned int> numbers;
};

// The value of a run of digits, as the standard library reads it.
bool ValueOf(const char *digits, size_t count, unsigned int *value) {
  const std::from_chars_result r = std::from_chars(digits, digits + count, *value);
  FUZZ_CHECK(r.ptr == digits + count || r.ec == std::errc::result_out_of_range);
  return r.ec == std::errc();
}

Reading Read(const char *text, size_t length) {
  Reading r;
  size_t line = 0;
  bool inNumber = false;
  for (size_t i = 0; i < length; ++i) {
    const char c = text[i];
    const bool digit = c >= '0' && c <= '9';
    if (digit && !inNumber) {
      size_t end = i;
      while (end < length && text[end] >= '0' && text[end] <= '9') ++end;
      unsigned int value = 0;
      if (!ValueOf(text + i, end - i, &value)) r.everyNumberFits = false;
      r.numbers.push_back(value);
    } else if (!digit && c != ' ' && c != '\t' && c != '\n' && c != '\r') {
      r.onlyNumberBytes = false;
    }
    if (c == '\r' && (i + 1 == length || text[i + 1] != '\n')) r.everyCrEndsALine = false;
    inNumber = digit;
    if (c == '\n') {
      line = 0;
    } else if (c != '\r' && ++line > r.longestLine) {
      r.longestLine = line;
    }
  }
  return r;
}

const std::string &TempFile() {
  static std::string path;
  if (path.empty()) {
    const char *dir = std::getenv("TMPDIR");
    std::string pattern = std::string(dir && *dir ? dir : "/tmp") + "/kvor-number-list-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    FUZZ_CHECK(fd >= 0);
    close(fd);
    path = name.data();
    std::atexit([] { std::remove(TempFile().c_str()); });
  }
  return path;
}

void WriteTempFile(const char *text, size_t length) {
  FILE *f = std::fopen(TempFile().c_str(), "wb");
  FUZZ_CHECK(f != nullptr);
  FUZZ_CHECK(std::fwrite(text, 1, length, f) == length);
  FUZZ_CHECK(std::fclose(f) == 0);
}

// Returns what ParseUnsignedList returned.
int CheckParse(const char *text, size_t length, const Reading &reading, int count,
               std::vector<unsigned int> *values) {
  // Exactly count values, so a store past them is caught.
  values->assign(static_cast<size_t>(count), kUntouched);
  const int result = ParseUnsignedList(text, length, values->data(), count);
  const bool wellFormed = reading.onlyNumberBytes && reading.everyCrEndsALine && reading.everyNumberFits;
  const bool exactCount = reading.numbers.size() == static_cast<size_t>(count);

  if (result >= 0) {
    FUZZ_CHECK(result == count);
    FUZZ_CHECK(wellFormed && exactCount);
    FUZZ_CHECK(*values == reading.numbers);
  } else {
    FUZZ_CHECK(result == UTIL_FORMAT_ERROR);
    for (unsigned int v : *values) FUZZ_CHECK(v == kUntouched);
    FUZZ_CHECK(!(wellFormed && exactCount && reading.longestLine <= kShortLine));
  }
  return result;
}

void CheckFileReader(const char *text, size_t length, int count, int parsed,
                     const std::vector<unsigned int> &parsedValues) {
  WriteTempFile(text, length);
  std::vector<unsigned int> values(static_cast<size_t>(count), kUntouched);
  const int result = FileToArray(TempFile().c_str(), values.data(), count);
  FUZZ_CHECK(result == parsed);
  if (result >= 0) {
    FUZZ_CHECK(values == parsedValues);
  } else {
    for (unsigned int v : values) FUZZ_CHECK(v == kUntouched);
  }
}

}  // namespace

// Byte 0 chooses a count and whether the file reader is tried; the rest is
// the text.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size == 0) return 0;
  const uint8_t selector = data[0];
  // A copy of exactly the text's length: the reader must not look past it.
  const std::vector<char> copy(data + 1, data + size);
  const char *text = copy.data();
  const size_t length = copy.size();
  const Reading reading = Read(text, length);

  std::vector<unsigned int> values;
  const int asFile = CheckParse(text, length, reading, kParameterFileNumbers, &values);
  CheckParse(text, length, reading, selector % 64, &values);
  if (reading.numbers.size() <= 4096)
    CheckParse(text, length, reading, static_cast<int>(reading.numbers.size()), &values);

  if ((selector & 0xC0) == 0xC0 && length <= 4096) {
    std::vector<unsigned int> parsed(kParameterFileNumbers, kUntouched);
    if (asFile >= 0) ParseUnsignedList(text, length, parsed.data(), kParameterFileNumbers);
    CheckFileReader(text, length, kParameterFileNumbers, asFile, parsed);
  }
  return 0;
}
