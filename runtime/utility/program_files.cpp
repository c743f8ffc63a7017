// Where the program's own files are: beside it, or in the data folder of an
// install. Plain C++, no Qt.
#include "runtime/utility/utility.h"
#include "runtime/utility/internal.h"

#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

// The install rules put the data folder here relative to the program's folder
// (../share/<package> for bin/); the build passes it in.
#ifndef KVOR_DATA_DIR_FROM_BIN
#define KVOR_DATA_DIR_FROM_BIN "../share/k-vor-ne-zevevu301"
#endif

// The uninstaller the Windows installer leaves beside the program.
#define KVOR_INSTALLER_UNINSTALLER "Uninstall.exe"

namespace {

std::filesystem::path InstalledDataDir(const char *programDir) {
  return (std::filesystem::path(programDir) / KVOR_DATA_DIR_FROM_BIN).lexically_normal();
}

bool IsFile(const std::filesystem::path &path) {
  std::error_code ignored;
  return std::filesystem::is_regular_file(path, ignored);
}

}  // namespace

bool IsInstalledLayout(const char *programDir) {
  if (programDir == nullptr || programDir[0] == '\0') return false;
  std::error_code ignored;
  // The Windows installer keeps everything in one folder, its uninstaller
  // among the files.
  return std::filesystem::is_directory(InstalledDataDir(programDir), ignored) ||
         IsFile(std::filesystem::path(programDir) / KVOR_INSTALLER_UNINSTALLER);
}

int FindProgramFileIn(const char *programDir, const char *name, char *out, size_t size) {
  if (out == nullptr || size == 0) return UTIL_BAD_ARGUMENT;
  out[0] = '\0';
  if (programDir == nullptr || programDir[0] == '\0' || name == nullptr || name[0] == '\0')
    return UTIL_BAD_ARGUMENT;
  const std::filesystem::path candidates[] = {std::filesystem::path(programDir) / name,
                                              InstalledDataDir(programDir) / name};
  for (const std::filesystem::path &candidate : candidates) {
    if (!IsFile(candidate)) continue;
    const std::string path = candidate.string();
    if (path.size() >= size) return UTIL_TOO_LONG;
    std::memcpy(out, path.c_str(), path.size() + 1);
    return UTIL_NO_ERROR;
  }
  return UTIL_FILE_ERROR;
}
