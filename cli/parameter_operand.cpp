// A parameter-file operand, POSIX: a regular file, or a pipe such as the
// /dev/fd/N of <(cat golden.cfg), read to its end.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "cli/port_names.h"
#include "params/parameter_file.h"

namespace kvorcli {

int ReadParameterOperand(const std::string &operand, ParameterSet *set, char *fault, size_t size) {
  struct stat st;
  if (::stat(operand.c_str(), &st) != 0 || !S_ISFIFO(st.st_mode))
    return ReadParameterFile(operand.c_str(), set, fault, size);
  // Opened without waiting for a writer; then read to the end of what the
  // writer sends. A pipe that nobody writes to reads as empty.
  int fd;
  do {
    fd = ::open(operand.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  } while (fd < 0 && errno == EINTR);
  const int flags = fd < 0 ? -1 : ::fcntl(fd, F_GETFL);
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) < 0) {
    if (fd >= 0) ::close(fd);
    std::snprintf(fault, size, "cannot be read");
    return PARA_FILE_UNREADABLE;
  }
  // One byte more than a parameter file may have, to know one that is longer.
  std::vector<char> text(PARA_FILE_MAX_BYTES + 1);
  size_t used = 0;
  while (used < text.size()) {
    const ssize_t n = ::read(fd, text.data() + used, text.size() - used);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ::close(fd);
      std::snprintf(fault, size, "cannot be read");
      return PARA_FILE_UNREADABLE;
    }
    if (n == 0) break;
    used += static_cast<size_t>(n);
  }
  ::close(fd);
  return ParseParameterText(text.data(), used, set, fault, size);
}

}  // namespace kvorcli
