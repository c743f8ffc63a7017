// Folders for the program's own files: making one, looking for a file, and
// walking the files of a folder by name.
#include "runtime/utility/utility.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cstring>

int MakeDir(const char *path) {
  if (path == nullptr || path[0] == '\0') return UTIL_BAD_ARGUMENT;
  const QString folder = QFile::decodeName(path);
  if (QFileInfo(folder).isDir()) return UTIL_NO_ERROR;
  // mkpath also reports success for a path that a file already holds.
  if (!QDir().mkpath(folder) || !QFileInfo(folder).isDir()) return UTIL_FILE_ERROR;
  return UTIL_NO_ERROR;
}

int FileExists(const char *path) {
  if (path == nullptr || path[0] == '\0') return 0;
  return QFileInfo::exists(QFile::decodeName(path)) ? 1 : 0;
}

int GetFileInFolder(const char *directory, const char *pattern, int index, char *name,
                    size_t size) {
  if (name == nullptr || size == 0) return UTIL_BAD_ARGUMENT;
  name[0] = '\0';
  if (directory == nullptr || directory[0] == '\0' || pattern == nullptr || index < 0)
    return UTIL_BAD_ARGUMENT;
  const QDir folder(QFile::decodeName(directory));
  const QStringList names =
      folder.entryList(QStringList(QFile::decodeName(pattern)), QDir::Files, QDir::Name);
  if (index >= names.size()) return 0;
  const QByteArray found = QFile::encodeName(names.at(index));
  if (static_cast<size_t>(found.size()) >= size) return UTIL_TOO_LONG;
  std::memcpy(name, found.constData(), static_cast<size_t>(found.size()) + 1);
  return 1;
}
