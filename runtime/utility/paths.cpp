// Path names, deleting files, and the choice of the folder for default files.
// Plain C++, no Qt.
#include "runtime/utility/utility.h"
#include "runtime/utility/internal.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#define KVOR_UNLINK _unlink
#define KVOR_GETPID _getpid
#define KVOR_CLOSE _close
// A new file, never one that is there (msvcrt's fopen knows no "x").
#define KVOR_CREATE_NEW(path) _open(path, _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE)
#else
#include <fcntl.h>
#include <unistd.h>
#define KVOR_UNLINK ::unlink
#define KVOR_GETPID ::getpid
#define KVOR_CLOSE ::close
#define KVOR_CREATE_NEW(path) ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600)
#endif

namespace {

// Names a write probe tries before the folder counts as not writable.
const int kProbeAttempts = 100;

#ifdef _WIN32
const char kSeparator = '\\';
bool IsSeparator(char c) { return c == '\\' || c == '/'; }
#else
const char kSeparator = '/';
bool IsSeparator(char c) { return c == '/'; }
#endif

// Copies text into out when it fits with its terminator; otherwise leaves out
// empty.
int CopyWhole(const char *text, size_t length, char *out, size_t size) {
  if (length >= size) {
    out[0] = '\0';
    return UTIL_TOO_LONG;
  }
  std::memcpy(out, text, length);
  out[length] = '\0';
  return UTIL_NO_ERROR;
}

}  // namespace

int MakePathname(const char *directory, const char *fileName, char *out, size_t size) {
  if (out == nullptr || size == 0) return UTIL_BAD_ARGUMENT;
  out[0] = '\0';
  if (directory == nullptr || fileName == nullptr) return UTIL_BAD_ARGUMENT;
  const size_t dirLength = std::strlen(directory);
  const size_t nameLength = std::strlen(fileName);
  const bool needSeparator = dirLength > 0 && !IsSeparator(directory[dirLength - 1]);
  const size_t total = dirLength + (needSeparator ? 1 : 0) + nameLength;
  if (total >= size) return UTIL_TOO_LONG;
  std::memcpy(out, directory, dirLength);
  size_t at = dirLength;
  if (needSeparator) out[at++] = kSeparator;
  std::memcpy(out + at, fileName, nameLength);
  out[total] = '\0';
  return UTIL_NO_ERROR;
}

int DeleteFile(const char *path) {
  if (path == nullptr || path[0] == '\0') return UTIL_BAD_ARGUMENT;
  // unlink, not remove: a folder at the path is not the file asked for.
  if (KVOR_UNLINK(path) == 0 || errno == ENOENT) return UTIL_NO_ERROR;
  return UTIL_FILE_ERROR;
}

bool IsWritableDir(const char *directory) {
  if (directory == nullptr || directory[0] == '\0') return false;
  static unsigned counter = 0;
  // A probe left behind by a program that ended before removing it may have
  // this one's name (process ids come again, on Windows soon): that name is
  // passed over.
  for (int attempt = 0; attempt < kProbeAttempts; ++attempt) {
    char probe[4096];
    char name[64];
    std::snprintf(name, sizeof name, ".kvor-write-probe-%ld-%u", static_cast<long>(KVOR_GETPID()),
                  ++counter);
    if (MakePathname(directory, name, probe, sizeof probe) != UTIL_NO_ERROR) return false;
    const int fd = KVOR_CREATE_NEW(probe);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return false;
    }
    KVOR_CLOSE(fd);
    KVOR_UNLINK(probe);
    return true;
  }
  return false;
}

int ChooseDataDir(const char *preferred, const char *fallback, char *out, size_t size) {
  if (out == nullptr || size == 0) return UTIL_BAD_ARGUMENT;
  out[0] = '\0';
  if (preferred != nullptr && IsWritableDir(preferred))
    return CopyWhole(preferred, std::strlen(preferred), out, size);
  if (fallback == nullptr || fallback[0] == '\0') return UTIL_FILE_ERROR;
  std::error_code ignored;
  std::filesystem::create_directories(fallback, ignored);
  if (!IsWritableDir(fallback)) return UTIL_FILE_ERROR;
  return CopyWhole(fallback, std::strlen(fallback), out, size);
}
