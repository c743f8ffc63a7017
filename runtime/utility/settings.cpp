// The user's settings: operator choices kept from one start to the next
// (QSettings, in the desktop's usual place: ~/.config on Linux, the registry
// on Windows).
#include "runtime/utility/utility.h"
#include "runtime/utility/internal.h"

#include <QSettings>
#include <QStandardPaths>
#include <QString>

namespace {

// Named here rather than through the application object, so the settings
// are the same whoever created it (the program, a test, a tool).
QSettings ProgramSettings() {
#ifdef _WIN32
  return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("K-VOR"),
                   QStringLiteral("K-VOR-NE-ZevevU301"));
#else
  // The file QSettings would choose, K-VOR/K-VOR-NE-ZevevU301.conf in
  // $XDG_CONFIG_HOME (else ~/.config), found anew on every use: QSettings
  // itself fixes that folder once per process.
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  return QSettings(folder + QStringLiteral("/K-VOR/K-VOR-NE-ZevevU301.conf"), QSettings::IniFormat);
#endif
}

}  // namespace

int GetUserSetting(const char *key, int defaultValue) {
  if (key == nullptr || key[0] == '\0') return defaultValue;
  bool ok = false;
  const int value = ProgramSettings().value(QString::fromUtf8(key)).toInt(&ok);
  return ok ? value : defaultValue;
}

int SetUserSetting(const char *key, int value) {
  if (key == nullptr || key[0] == '\0') return UTIL_BAD_ARGUMENT;
  QSettings settings = ProgramSettings();
  settings.setValue(QString::fromUtf8(key), value);
  // Written now: a program that is killed later keeps the choice.
  settings.sync();
  return settings.status() == QSettings::NoError ? UTIL_NO_ERROR : UTIL_FILE_ERROR;
}

void ForgetUserSettings() {
  QSettings settings = ProgramSettings();
  settings.clear();
  settings.sync();
}
