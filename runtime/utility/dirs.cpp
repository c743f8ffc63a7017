// The program's folder, its own files and the folder for its default files.
#include "runtime/utility/utility.h"
#include "runtime/utility/program_files.h"
#include "runtime/utility/internal.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QString>

#include <cstring>

#ifdef _WIN32
#include <QFileInfo>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

// The executable's folder in the local file-name encoding, empty when unknown.
QByteArray ProgramDir() {
  if (QCoreApplication::instance() != nullptr)
    return QFile::encodeName(QDir::toNativeSeparators(QCoreApplication::applicationDirPath()));
#ifdef __linux__
  // Before the application object exists (or without one, in tools).
  char link[4096];
  const ssize_t n = ::readlink("/proc/self/exe", link, sizeof link - 1);
  if (n > 0) {
    link[n] = '\0';
    char *slash = std::strrchr(link, '/');
    if (slash != nullptr) {
      *slash = '\0';
      return QByteArray(link[0] != '\0' ? link : "/");
    }
  }
#elif defined(_WIN32)
  wchar_t path[32768];
  const DWORD n = ::GetModuleFileNameW(nullptr, path, sizeof path / sizeof path[0]);
  if (n > 0 && n < sizeof path / sizeof path[0])
    return QFile::encodeName(QDir::toNativeSeparators(
        QFileInfo(QString::fromWCharArray(path, static_cast<int>(n))).absolutePath()));
#endif
  return QByteArray();
}

}  // namespace

namespace uilayer {

QString FindProgramFile(const QString &name) {
  const QByteArray dir = ProgramDir();
  char path[4096];
  if (dir.isEmpty() ||
      FindProgramFileIn(dir.constData(), QFile::encodeName(name).constData(), path, sizeof path) !=
          UTIL_NO_ERROR)
    return QString();
  return QFile::decodeName(path);
}

}  // namespace uilayer

int GetProjectDir(char *directory, size_t size) {
  if (directory == nullptr || size == 0) return UTIL_BAD_ARGUMENT;
  directory[0] = '\0';
  const QByteArray dir = ProgramDir();
  if (dir.isEmpty()) return UTIL_FILE_ERROR;
  if (static_cast<size_t>(dir.size()) >= size) return UTIL_TOO_LONG;
  std::memcpy(directory, dir.constData(), static_cast<size_t>(dir.size()) + 1);
  return UTIL_NO_ERROR;
}

int GetDataDir(char *directory, size_t size) {
  if (directory == nullptr || size == 0) return UTIL_BAD_ARGUMENT;
  directory[0] = '\0';
  QByteArray program = ProgramDir();
  // An installed program's folder is shared by every user and belongs to the
  // package manager, even where this user may write to it (the superuser).
  if (IsInstalledLayout(program.constData())) program.clear();
  // ~/.local/share/<program> (XDG), %LOCALAPPDATA%\<program> on Windows.
  const QByteArray perUser = QFile::encodeName(QDir::toNativeSeparators(
      QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation)));
  return ChooseDataDir(program.isEmpty() ? nullptr : program.constData(),
                       perUser.isEmpty() ? nullptr : perUser.constData(), directory, size);
}
