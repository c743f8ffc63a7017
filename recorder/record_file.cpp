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
