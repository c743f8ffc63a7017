// Arrays to and from text files. Plain C++, no Qt: the parameter file and the
// recorder file go through here, and the parser must take any bytes it is
// given without harm.
#include "runtime/userint/userint.h"
#include "runtime/utility/utility.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// A text of numbers larger than this is not one the program writes.
const long kMaxNumberFileSize = 64 * 1024;
// The longest line the reader accepts, line end not counted.
const size_t kMaxLineLength = NUMBER_DIGITS_MAX;
// Padding beyond this is a caller's mistake, not a layout.
const int kMaxFieldWidth = 1024;

// ---- Low-level file access ---------------------------------------------------

#ifdef _WIN32
int OpenForWrite(const char *path, bool append) {
  const int flags = _O_WRONLY | _O_CREAT | _O_BINARY | (append ? _O_APPEND : _O_TRUNC);
  return _open(path, flags, _S_IREAD | _S_IWRITE);
}
int OpenForRead(const char *path) { return _open(path, _O_RDONLY | _O_BINARY); }
long WriteSome(int fd, const char *data, size_t n) { return _write(fd, data, static_cast<unsigned>(n)); }
long ReadSome(int fd, char *data, size_t n) { return _read(fd, data, static_cast<unsigned>(n)); }
bool SyncToDisk(int fd) { return _commit(fd) == 0; }
bool CloseFile(int fd) { return _close(fd) == 0; }
long long EndOffset(int fd) { return _lseeki64(fd, 0, SEEK_END); }
bool CutBackTo(int fd, long long size) { return _chsize_s(fd, size) == 0; }
bool IsRegularFile(int fd, long *size) {
  struct _stat64 st;
  if (_fstat64(fd, &st) != 0 || (st.st_mode & _S_IFMT) != _S_IFREG) return false;
  *size = st.st_size > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<long>(st.st_size);
  return true;
}
#else
int OpenForWrite(const char *path, bool append) {
  const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (append ? O_APPEND : O_TRUNC);
  int fd;
  do {
    fd = ::open(path, flags, 0666);
  } while (fd < 0 && errno == EINTR);
  return fd;
}
// Non-blocking, so that a FIFO at the path cannot hang the program; it is
// refused as not a regular file right after.
int OpenForRead(const char *path) {
  int fd;
  do {
    fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  } while (fd < 0 && errno == EINTR);
  return fd;
}
long WriteSome(int fd, const char *data, size_t n) {
  ssize_t r;
  do {
    r = ::write(fd, data, n);
  } while (r < 0 && errno == EINTR);
  return static_cast<long>(r);
}
long ReadSome(int fd, char *data, size_t n) {
  ssize_t r;
  do {
    r = ::read(fd, data, n);
  } while (r < 0 && errno == EINTR);
  return static_cast<long>(r);
}
// A device or pipe at the path cannot be synced (EINVAL); its bytes are out.
bool SyncToDisk(int fd) {
#if defined(__APPLE__)
  return ::fsync(fd) == 0 || errno == EINVAL;
#else
  return ::fdatasync(fd) == 0 || errno == EINVAL;
#endif
}
bool CloseFile(int fd) { return ::close(fd) == 0; }
long long EndOffset(int fd) { return static_cast<long long>(::lseek(fd, 0, SEEK_END)); }
bool CutBackTo(int fd, long long size) {
  int r;
  do {
    r = ::ftruncate(fd, static_cast<off_t>(size));
  } while (r < 0 && errno == EINTR);
  return r == 0;
}
bool IsRegularFile(int fd, long *size) {
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return false;
  *size = st.st_size > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<long>(st.st_size);
  return true;
}
#endif

bool WriteAll(int fd, const char *data, size_t n) {
  while (n > 0) {
    const long w = WriteSome(fd, data, n);
    if (w <= 0) return false;  // ENOSPC, EIO, ...
    data += w;
    n -= static_cast<size_t>(w);
  }
  return true;
}

// ---- Writing -----------------------------------------------------------------

// Collects the text in a fixed buffer and hands it to the file in pieces, so
// an array of any length needs no allocation.
class Writer {
 public:
  explicit Writer(int fd) : fd_(fd) {}
  bool Put(const char *text, size_t n) {
    if (failed_) return false;
    while (n > 0) {
      if (used_ == sizeof buffer_ && !Drain()) return false;
      size_t take = sizeof buffer_ - used_;
      if (take > n) take = n;
      std::memcpy(buffer_ + used_, text, take);
      used_ += take;
      text += take;
      n -= take;
      total_ += static_cast<long>(take);
    }
    return true;
  }
  bool Drain() {
    if (!failed_ && used_ > 0 && !WriteAll(fd_, buffer_, used_)) failed_ = true;
    used_ = 0;
    return !failed_;
  }
  long total() const { return total_; }

 private:
  int fd_;
  char buffer_[8192];
  size_t used_ = 0;
  long total_ = 0;
  bool failed_ = false;
};

bool IsNumericType(int dataType) {
  switch (dataType) {
    case VAL_CHAR:
    case VAL_INTEGER:
    case VAL_SHORT_INTEGER:
    case VAL_FLOAT:
    case VAL_DOUBLE:
    case VAL_UNSIGNED_SHORT_INTEGER:
    case VAL_UNSIGNED_INTEGER:
      return true;
    default:
      return false;
  }
}

// Value i of the array as text; returns its length.
int FormatValue(const void *array, int dataType, int i, char *out, size_t size) {
  switch (dataType) {
    case VAL_CHAR:
      return std::snprintf(out, size, "%d", static_cast<int>(static_cast<const char *>(array)[i]));
    case VAL_INTEGER:
      return std::snprintf(out, size, "%d", static_cast<const int *>(array)[i]);
    case VAL_SHORT_INTEGER:
      return std::snprintf(out, size, "%d", static_cast<int>(static_cast<const short *>(array)[i]));
    case VAL_UNSIGNED_SHORT_INTEGER:
      return std::snprintf(out, size, "%u",
                           static_cast<unsigned>(static_cast<const unsigned short *>(array)[i]));
    case VAL_UNSIGNED_INTEGER:
      return std::snprintf(out, size, "%u", static_cast<const unsigned int *>(array)[i]);
    case VAL_FLOAT:
      return std::snprintf(out, size, "%.9g", static_cast<double>(static_cast<const float *>(array)[i]));
    case VAL_DOUBLE:
      return std::snprintf(out, size, "%.17g", static_cast<const double *>(array)[i]);
    default:
      return -1;
  }
}

bool PutPadded(Writer &w, const char *text, int length, int fieldWidth) {
  static const char blanks[] = "                                                                ";
  int pad = fieldWidth - length;
  while (pad > 0) {
    const int n = pad < 64 ? pad : 64;
    if (!w.Put(blanks, static_cast<size_t>(n))) return false;
    pad -= n;
  }
  return w.Put(text, static_cast<size_t>(length));
}

bool PutLineEnd(Writer &w) {
  const char *end = TextLineEnd();
  return w.Put(end, std::strlen(end));
}

// The bytes as they are, each line feed not after a carriage return as the
// system ends a line.
bool PutPlainText(Writer &w, const char *text, size_t n) {
  size_t from = 0;
  for (size_t i = 0; i < n; ++i) {
    if (text[i] != '\n' || (i > 0 && text[i - 1] == '\r')) continue;
    if (!w.Put(text + from, i - from) || !PutLineEnd(w)) return false;
    from = i + 1;
  }
  return w.Put(text + from, n - from);
}

bool WriteValues(Writer &w, const void *array, int dataType, int count, int layout, int fieldWidth) {
  if (layout == VAL_PLAIN_TEXT) return PutPlainText(w, static_cast<const char *>(array), static_cast<size_t>(count));
  char text[64];
  for (int i = 0; i < count; ++i) {
    const int length = FormatValue(array, dataType, i, text, sizeof text);
    if (length < 0 || static_cast<size_t>(length) >= sizeof text) return false;
    if (layout == VAL_ONE_LINE_TABS && i > 0 && !w.Put("\t", 1)) return false;
    if (!PutPadded(w, text, length, fieldWidth)) return false;
    if (layout == VAL_ONE_PER_LINE && !PutLineEnd(w)) return false;
  }
  if (layout == VAL_ONE_LINE_TABS && count > 0 && !PutLineEnd(w)) return false;
  return true;
}

// ---- Reading -----------------------------------------------------------------

// One pass over the text: checks the form and counts the numbers; stores them
// in values only when store is set (the second pass, after the first agreed).
int ScanNumbers(const char *text, size_t length, unsigned int *values, int count, bool store,
                NumberListFault *fault, int *lines) {
  int found = 0, line = 1;
  size_t lineLength = 0;
  bool inNumber = false, tooLarge = false;
  size_t numberStart = 0;
  uint32_t value = 0;
  const auto refuse = [&](int kind, unsigned char byte) -> int {
    if (fault != nullptr) {
      fault->kind = kind;
      fault->line = line;
      fault->byte = byte;
      fault->found = found;
    }
    return UTIL_FORMAT_ERROR;
  };
  // The number that began at numberStart and ends before end: stored, or
  // refused when it does not fit.
  const auto endNumber = [&](size_t end) -> int {
    inNumber = false;
    if (tooLarge) {
      if (fault != nullptr) {
        while (numberStart + 1 < end && text[numberStart] == '0') ++numberStart;
        size_t n = end - numberStart;
        if (n > NUMBER_DIGITS_MAX) n = NUMBER_DIGITS_MAX;
        std::memcpy(fault->digits, text + numberStart, n);
        fault->digits[n] = '\0';
      }
      return refuse(NUMBERS_OUT_OF_RANGE, 0);
    }
    if (store) values[found] = value;
    if (store && lines != nullptr) lines[found] = line;
    ++found;
    return 0;
  };
  for (size_t i = 0; i < length; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= '0' && c <= '9') {
      if (!inNumber) {
        if (found == count) return refuse(NUMBERS_TOO_MANY, c);  // one more than asked
        inNumber = true;
        tooLarge = false;
        numberStart = i;
        value = 0;
      }
      const uint32_t digit = static_cast<uint32_t>(c - '0');
      // Once too large, it is told where the number ends (unless its line
      // turns out too long first).
      if (value > (UINT32_MAX - digit) / 10u) tooLarge = true;
      else value = value * 10u + digit;
    } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
      if (c == '\r' && (i + 1 >= length || text[i + 1] != '\n')) return refuse(NUMBERS_LONE_CR, c);
      if (inNumber && endNumber(i) < 0) return UTIL_FORMAT_ERROR;
    } else {
      return refuse(NUMBERS_NOT_A_NUMBER, c);  // signs, points, letters, NUL, other bytes
    }
    if (c == '\n') {
      lineLength = 0;
      ++line;
    } else if (c != '\r' && ++lineLength > kMaxLineLength) {
      return refuse(NUMBERS_LINE_TOO_LONG, c);
    }
  }
  if (inNumber && endNumber(length) < 0) return UTIL_FORMAT_ERROR;
  if (found != count) {
    // The line of the last number read, not the empty one a final line end opens.
    if (length > 0 && text[length - 1] == '\n') --line;
    return refuse(NUMBERS_TOO_FEW, 0);
  }
  return found;
}

}  // namespace

const char *TextLineEnd(void) {
#ifdef _WIN32
  return "\r\n";
#else
  return "\n";
#endif
}

int ArrayToFile(const char *path, const void *array, int dataType, int count, int layout,
                int fieldWidth, int action) {
  if (path == nullptr || path[0] == '\0' || count < 0 || (array == nullptr && count > 0) ||
      fieldWidth < 0 || fieldWidth > kMaxFieldWidth || !IsNumericType(dataType) ||
      (action != VAL_TRUNCATE && action != VAL_APPEND))
    return UTIL_BAD_ARGUMENT;
  if (layout == VAL_PLAIN_TEXT ? dataType != VAL_CHAR
                               : (layout != VAL_ONE_PER_LINE && layout != VAL_ONE_LINE_TABS))
    return UTIL_BAD_ARGUMENT;

  const int fd = OpenForWrite(path, action == VAL_APPEND);
  if (fd < 0) return UTIL_FILE_ERROR;
  // An append is all or nothing: one that fails part-way (disk full) is cut
  // back to where the file ended, so a recording never ends in half a line.
  const long long before = action == VAL_APPEND ? EndOffset(fd) : 0;
  Writer w(fd);
  // Every call ends with the bytes on disk and the file closed: a recording
  // cut short by a crash or a power loss keeps every line written so far.
  bool ok = before >= 0 && WriteValues(w, array, dataType, count, layout, fieldWidth) && w.Drain();
  if (!ok && before >= 0) CutBackTo(fd, before);
  ok = SyncToDisk(fd) && ok;
  ok = CloseFile(fd) && ok;
  if (!ok) return UTIL_FILE_ERROR;
  return w.total() > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(w.total());
}

int ParseUnsignedList(const char *text, size_t length, unsigned int *values, int count,
                      NumberListFault *fault, int *lines) {
  if (fault != nullptr) *fault = NumberListFault();
  if (count < 0 || (text == nullptr && length > 0) || (values == nullptr && count > 0))
    return UTIL_BAD_ARGUMENT;
  const int found = ScanNumbers(text, length, values, count, false, fault, nullptr);
  if (found < 0) return found;
  return ScanNumbers(text, length, values, count, true, nullptr, lines);
}

int FileToArray(const char *path, unsigned int *values, int count, NumberListFault *fault,
                int *lines) {
  if (fault != nullptr) *fault = NumberListFault();
  if (path == nullptr || path[0] == '\0' || count < 0 || (values == nullptr && count > 0))
    return UTIL_BAD_ARGUMENT;
  const int fd = OpenForRead(path);
  if (fd < 0) return UTIL_FILE_ERROR;
  long size = 0;
  if (!IsRegularFile(fd, &size)) {  // folders, devices, pipes
    CloseFile(fd);
    return UTIL_FILE_ERROR;
  }
  if (size > kMaxNumberFileSize) {
    CloseFile(fd);
    if (fault != nullptr) fault->kind = NUMBERS_TOO_LARGE;
    return UTIL_FORMAT_ERROR;
  }
  // One byte more than the limit is asked for, so a file that grew since
  // fstat is still recognised as too large.
  static char text[kMaxNumberFileSize + 1];
  size_t used = 0;
  for (;;) {
    const long n = ReadSome(fd, text + used, sizeof text - used);
    if (n < 0) {
      CloseFile(fd);
      return UTIL_FILE_ERROR;
    }
    if (n == 0) break;
    used += static_cast<size_t>(n);
    if (used == sizeof text) break;
  }
  CloseFile(fd);
  if (used > static_cast<size_t>(kMaxNumberFileSize)) {
    if (fault != nullptr) fault->kind = NUMBERS_TOO_LARGE;
    return UTIL_FORMAT_ERROR;
  }
  return ParseUnsignedList(text, used, values, count, fault, lines);
}
