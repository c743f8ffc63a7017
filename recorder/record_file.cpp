// The recorder file. What reaches the disk, and when:
//   - a recording starts by deleting any file at the path, then writing the
//     header: "<date> <time>  K-VOR-RECORDER-FILE: Time-Interval[s]: <s>" and
//     "SETPOINT-VALUE [µm]: <set-point>" (the micro sign as the byte B5);
//   - every sample is one line of six tab-separated integers: Aval, Bval,
//     Mvalue, umValue (signed), edcntA, edcntB;
//   - each piece is appended and synced to disk before the call returns, so a
//     recording that ends in any way (stop, time-out, a killed program) leaves
//     a valid file holding every sample written so far. Nothing follows the
//     last sample.
#include <cstring>

#include "recorder/recorder.h"
#include "runtime/userint/userint.h"
#include "runtime/utility/utility.h"

namespace {

const char kIntervalLiteral[] = "  K-VOR-RECORDER-FILE: Time-Interval[s]: ";
const char kSetpointLiteral[] = "SETPOINT-VALUE [\xB5m]: ";

bool AppendText(const char *path, const char *text) {
  return ArrayToFile(path, text, VAL_CHAR, static_cast<int>(std::strlen(text)), VAL_PLAIN_TEXT, 0,
                     VAL_APPEND) >= 0;
}

bool AppendNumberLine(const char *path, unsigned int value) {
  return ArrayToFile(path, &value, VAL_UNSIGNED_INTEGER, 1, VAL_ONE_LINE_TABS, 0, VAL_APPEND) >=
         0;
}

}  // namespace

int WriteRecorderHeader(const char *path, const char *date, const char *time,
                        uint16_t intervalSeconds, uint32_t setpointUm) {
  if (DeleteFile(path) < 0) return 0;
  const bool written = AppendText(path, date) && AppendText(path, " ") &&
                       AppendText(path, time) && AppendText(path, kIntervalLiteral) &&
                       AppendNumberLine(path, intervalSeconds) &&
                       AppendText(path, kSetpointLiteral) && AppendNumberLine(path, setpointUm);
  return written ? 1 : 0;
}

int AppendRecorderSample(const char *path, uint16_t aval, uint16_t bval, uint16_t mvalue,
                         int32_t umValue, uint16_t edcntA, uint16_t edcntB) {
  const int values[6] = {aval, bval, mvalue, umValue, edcntA, edcntB};
  return ArrayToFile(path, values, VAL_INTEGER, 6, VAL_ONE_LINE_TABS, 0, VAL_APPEND) >= 0 ? 1
                                                                                        : 0;
}

uint16_t WholeSeconds(double timerSeconds) {
  return static_cast<uint16_t>(static_cast<unsigned long long>(timerSeconds > 0 ? timerSeconds : 0));
}

uint16_t WholeSecondsSince(uint16_t mark, double timerSeconds) {
  const double elapsed = timerSeconds - mark;
  return static_cast<uint16_t>(static_cast<unsigned long long>(elapsed > 0 ? elapsed : 0));
}

namespace {

size_t WithoutCarriageReturn(const char *line, size_t length) {
  return length > 0 && line[length - 1] == '\r' ? length - 1 : length;
}

bool StartsWith(const char *text, size_t length, const char *prefix) {
  const size_t n = std::strlen(prefix);
  return length >= n && std::memcmp(text, prefix, n) == 0;
}

// Blanks, then at least one digit, then blanks to the end.
bool IsPaddedNumber(const char *text, size_t length) {
  size_t i = 0;
  while (i < length && text[i] == ' ') ++i;
  const size_t first = i;
  while (i < length && text[i] >= '0' && text[i] <= '9') ++i;
  if (i == first) return false;
  while (i < length && text[i] == ' ') ++i;
  return i == length;
}

// "MM-DD-YYYY HH:MM:SS": digits where DateStr and TimeStr put them.
bool IsDateAndTime(const char *text) {
  const char pattern[] = "00-00-0000 00:00:00";
  for (size_t i = 0; pattern[i] != '\0'; ++i) {
    if (pattern[i] == '0' ? (text[i] < '0' || text[i] > '9') : text[i] != pattern[i]) return false;
  }
  return true;
}

// One field of a sample line: blanks, an optional minus where allowed,
// digits, blanks; the number within [low, high].
bool ParseField(const char *text, size_t length, long long low, long long high, long long *value) {
  size_t i = 0;
  while (i < length && text[i] == ' ') ++i;
  bool negative = false;
  if (i < length && text[i] == '-' && low < 0) {
    negative = true;
    ++i;
  }
  const size_t first = i;
  long long v = 0;
  while (i < length && text[i] >= '0' && text[i] <= '9') {
    v = v * 10 + (text[i] - '0');
    if (v > high + 1) return false;  // no overflow, and far out of range
    ++i;
  }
  if (i == first) return false;
  while (i < length && text[i] == ' ') ++i;
  if (i != length) return false;
  if (negative) v = -v;
  if (v < low || v > high) return false;
  *value = v;
  return true;
}

}  // namespace

int IsRecorderHeaderLine(int lineNumber, const char *line, size_t length) {
  length = WithoutCarriageReturn(line, length);
  if (lineNumber == 1) {
    const size_t stamp = 19;  // "MM-DD-YYYY HH:MM:SS"
    const size_t literal = sizeof kIntervalLiteral - 1;
    if (length < stamp + literal || !IsDateAndTime(line)) return 0;
    if (!StartsWith(line + stamp, length - stamp, kIntervalLiteral)) return 0;
    return IsPaddedNumber(line + stamp + literal, length - stamp - literal) ? 1 : 0;
  }
  if (lineNumber == 2) {
    // The micro sign is the byte B5; a file an editor saved again as UTF-8
    // has C2 B5.
    const char kUtf8Literal[] = "SETPOINT-VALUE [\xC2\xB5m]: ";
    const char *const literals[] = {kSetpointLiteral, kUtf8Literal};
    for (const char *literal : literals) {
      if (!StartsWith(line, length, literal)) continue;
      const size_t n = std::strlen(literal);
      return IsPaddedNumber(line + n, length - n) ? 1 : 0;
    }
  }
  return 0;
}

int ParseRecorderSample(const char *line, size_t length, RecorderSample *sample) {
  length = WithoutCarriageReturn(line, length);
  long long v[6];
  size_t begin = 0;
  for (int field = 0; field < 6; ++field) {
    size_t end = begin;
    while (end < length && line[end] != '\t') ++end;
    if ((field < 5) != (end < length)) return 0;  // five tabs, no more, no fewer
    const long long low = field == 3 ? INT32_MIN : 0;
    const long long high = field == 3 ? INT32_MAX : UINT16_MAX;
    if (!ParseField(line + begin, end - begin, low, high, &v[field])) return 0;
    begin = end + 1;
  }
  sample->aval = static_cast<uint16_t>(v[0]);
  sample->bval = static_cast<uint16_t>(v[1]);
  sample->mvalue = static_cast<uint16_t>(v[2]);
  sample->umValue = static_cast<int32_t>(v[3]);
  sample->edcntA = static_cast<uint16_t>(v[4]);
  sample->edcntB = static_cast<uint16_t>(v[5]);
  return 1;
}
