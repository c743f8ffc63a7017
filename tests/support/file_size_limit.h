// A disk that fills up, for this process only: while a FileSizeLimit lives,
// no file of the process grows beyond the given size (a write that would is
// cut short and then fails, as on a full disk), also for the superuser.
// Windows has no such limit: there Available() is false, and the tests that
// need a full disk are skipped.
#ifndef KVOR_TESTS_SUPPORT_FILE_SIZE_LIMIT_H
#define KVOR_TESTS_SUPPORT_FILE_SIZE_LIMIT_H

#ifdef _WIN32

namespace support {

class FileSizeLimit {
 public:
  explicit FileSizeLimit(long long) {}
  static bool Available() { return false; }
};

}  // namespace support

#else

#include <csignal>
#include <sys/resource.h>

namespace support {

class FileSizeLimit {
 public:
  static bool Available() { return true; }
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &before_);
    // A write beyond the limit fails with EFBIG instead of ending the process.
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = before_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &before_);
    std::signal(SIGXFSZ, previousHandler_);
  }
  FileSizeLimit(const FileSizeLimit &) = delete;
  FileSizeLimit &operator=(const FileSizeLimit &) = delete;

 private:
  rlimit before_{};
  void (*previousHandler_)(int) = SIG_DFL;
};

}  // namespace support

#endif
#endif
