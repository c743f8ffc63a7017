#include "params/parameter_file.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "runtime/userint/userint.h"
#include "runtime/utility/utility.h"

namespace {

const char kTemporarySuffix[] = ".tmp";
// A parameter word is 16 bits.
const unsigned int kWordMax = 0xFFFFu;
// Room for any path the program keeps, and the suffix.
const size_t kPathRoom = 4096;

void Describe(const NumberListFault &f, char *fault, size_t size) {
  switch (f.kind) {
    case NUMBERS_NOT_A_NUMBER:
      if (f.byte >= 0x21 && f.byte < 0x7F)
        std::snprintf(fault, size, "line %d: '%c' is not part of a number", f.line, f.byte);
      else
        std::snprintf(fault, size, "line %d: byte 0x%02X is not part of a number", f.line, f.byte);
      break;
    case NUMBERS_TOO_MANY:
      std::snprintf(fault, size, "line %d: more than %d numbers", f.line, PARA_FILE_NUMBERS);
      break;
    case NUMBERS_TOO_FEW:
      std::snprintf(fault, size, "line %d: only %d numbers, %d needed", f.line, f.found, PARA_FILE_NUMBERS);
      break;
    case NUMBERS_LINE_TOO_LONG:
      std::snprintf(fault, size, "line %d: too long for a parameter file", f.line);
      break;
    case NUMBERS_LONE_CR:
      std::snprintf(fault, size, "line %d: carriage return without line feed", f.line);
      break;
    case NUMBERS_TOO_LARGE:
      std::snprintf(fault, size, "too large for a parameter file");
      break;
    case NUMBERS_OUT_OF_RANGE:
      std::snprintf(fault, size, "line %d: %s is above %u", f.line, f.digits, kWordMax);
      break;
    default:
      std::snprintf(fault, size, "not a parameter file");
      break;
  }
}

// What a read of 30 numbers gave, as a parameter set or the fault.
int TakeNumbers(int read, const NumberListFault &f, const unsigned int *numbers, const int *lines,
                ParameterSet *set, char *fault, size_t size, int *faultLine) {
  if (read == UTIL_FORMAT_ERROR) {
    Describe(f, fault, size);
    if (faultLine != nullptr) *faultLine = f.line;
    return f.kind == NUMBERS_OUT_OF_RANGE ? PARA_FILE_NUMBER_TOO_LARGE : PARA_FILE_MALFORMED;
  }
  if (read != PARA_FILE_NUMBERS) {
    std::snprintf(fault, size, "cannot be read");
    return PARA_FILE_UNREADABLE;
  }
  for (int i = 0; i < PARA_FILE_NUMBERS; ++i) {
    if (numbers[i] <= kWordMax) continue;
    std::snprintf(fault, size, "line %d: %u is above %u", lines[i], numbers[i], kWordMax);
    if (faultLine != nullptr) *faultLine = lines[i];
    return PARA_FILE_NUMBER_TOO_LARGE;
  }
  for (int i = 0; i < PARA_FILE_NUMBERS; ++i) set->words[i] = static_cast<uint16_t>(numbers[i]);
  return PARA_FILE_READ;
}

}  // namespace

int ReadParameterFile(const char *path, ParameterSet *set, char *fault, size_t size, int *faultLine) {
  char unused[8];
  if (fault == nullptr || size == 0) fault = unused, size = sizeof unused;
  fault[0] = '\0';
  if (faultLine != nullptr) *faultLine = 0;
  unsigned int numbers[PARA_FILE_NUMBERS];
  int lines[PARA_FILE_NUMBERS];
  NumberListFault f;
  const int read = FileToArray(path, numbers, PARA_FILE_NUMBERS, &f, lines);
  return TakeNumbers(read, f, numbers, lines, set, fault, size, faultLine);
}

int ParseParameterText(const char *text, size_t length, ParameterSet *set, char *fault, size_t size,
                       int *faultLine) {
  char unused[8];
  if (fault == nullptr || size == 0) fault = unused, size = sizeof unused;
  fault[0] = '\0';
  if (faultLine != nullptr) *faultLine = 0;
  NumberListFault f;
  int read = UTIL_FORMAT_ERROR;
  unsigned int numbers[PARA_FILE_NUMBERS];
  int lines[PARA_FILE_NUMBERS];
  if (length > PARA_FILE_MAX_BYTES)
    f.kind = NUMBERS_TOO_LARGE;
  else
    read = ParseUnsignedList(text, length, numbers, PARA_FILE_NUMBERS, &f, lines);
  return TakeNumbers(read, f, numbers, lines, set, fault, size, faultLine);
}

int WriteParameterFile(const char *path, const ParameterSet &set) {
  if (path == nullptr || path[0] == '\0') return 0;
  char temporary[kPathRoom + sizeof kTemporarySuffix];
  const int fits = std::snprintf(temporary, sizeof temporary, "%s%s", path, kTemporarySuffix);
  if (fits < 0 || fits >= static_cast<int>(sizeof temporary)) return 0;
  unsigned int numbers[PARA_FILE_NUMBERS];
  for (int i = 0; i < PARA_FILE_NUMBERS; ++i) numbers[i] = set.words[i];
  if (ArrayToFile(temporary, numbers, VAL_UNSIGNED_INTEGER, PARA_FILE_NUMBERS, VAL_ONE_PER_LINE,
                  PARA_FILE_FIELD_WIDTH, VAL_TRUNCATE) < 0) {
    DeleteFile(temporary);
    return 0;
  }
  // std::rename refuses an existing target on Windows; this one replaces it
  // everywhere, in one step where the system can.
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  if (error) {
    DeleteFile(temporary);
    return 0;
  }
  return 1;
}
