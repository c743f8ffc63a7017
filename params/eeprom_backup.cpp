// The EEPROM as it was, saved before a verified EEPROM write: a parameter
// file in the folder "backups" of the data folder, named by the local date
// and time (eeprom-20261208-143012.cfg; eeprom-20261208-143012-2.cfg for a
// second one in the same second). The newest 50 are kept.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/globals.h"
#include "app/status.h"
#include "link/com232.h"
#include "link/protocol.h"
#include "params/parameter_file.h"
#include "params/params.h"
#include "runtime/utility/utility.h"

namespace {

enum {
  BACKUPS_KEPT = 50,
  STAMP_CHARS = 15,        // YYYYMMDD-HHMMSS
  MAX_SAME_SECOND = 99,
  NAME_SIZE = 64,
};
const char kBackupFolder[] = "backups";
const char kBackupPattern[] = "eeprom-*.cfg";

bool Digits(const char *text, int count) {
  for (int i = 0; i < count; ++i)
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
  return true;
}

// A backup's name into its stamp and its number in that second (1 for the
// first, which has none): false for any other name in the folder, which is
// left alone.
bool ParseBackupName(const char *name, char *stamp, int *number) {
  const size_t length = std::strlen(name);
  if (length < 26 || std::strncmp(name, "eeprom-", 7) != 0 ||
      std::strcmp(name + length - 4, ".cfg") != 0)
    return false;
  const char *s = name + 7;
  if (!Digits(s, 8) || s[8] != '-' || !Digits(s + 9, 6)) return false;
  std::memcpy(stamp, s, STAMP_CHARS);
  stamp[STAMP_CHARS] = '\0';
  const char *rest = s + STAMP_CHARS;
  const size_t restLength = static_cast<size_t>(name + length - 4 - rest);
  if (restLength == 0) {
    *number = 1;
    return true;
  }
  if (rest[0] != '-' || restLength < 2 || restLength > 3 ||
      !Digits(rest + 1, static_cast<int>(restLength - 1)))
    return false;
  *number = std::atoi(rest + 1);
  return *number >= 2;
}

// True when backup a was made before backup b (both parsed).
bool MadeBefore(const char *stampA, int numberA, const char *stampB, int numberB) {
  const int order = std::strcmp(stampA, stampB);
  return order < 0 || (order == 0 && numberA < numberB);
}

// Local date and time as YYYYMMDD-HHMMSS; read again when the date turned
// between the two reads.
void NowStamp(char *stamp, size_t size) {
  char date[16], time[16];
  for (int tries = 0; tries < 3; ++tries) {
    std::snprintf(date, sizeof date, "%s", DateStr());  // MM-DD-YYYY
    std::snprintf(time, sizeof time, "%s", TimeStr());  // HH:MM:SS
    if (std::strcmp(date, DateStr()) == 0) break;
  }
  std::snprintf(stamp, size, "%.4s%.2s%.2s-%.2s%.2s%.2s", date + 6, date, date + 3, time,
                time + 3, time + 6);
}

// A name no earlier backup has: the same second gets a number.
int FreeBackupPath(const char *folder, char *path, size_t size) {
  char stamp[24], name[NAME_SIZE];
  NowStamp(stamp, sizeof stamp);
  for (int number = 1; number <= MAX_SAME_SECOND; ++number) {
    if (number == 1)
      std::snprintf(name, sizeof name, "eeprom-%s.cfg", stamp);
    else
      std::snprintf(name, sizeof name, "eeprom-%s-%d.cfg", stamp, number);
    if (MakePathname(folder, name, path, size) < 0) return 0;
    if (!FileExists(path)) return 1;
  }
  return 0;
}

// Deletes the oldest backups until BACKUPS_KEPT are left.
void PruneBackups(const char *folder) {
  for (;;) {
    int count = 0;
    char oldest[NAME_SIZE] = "", oldestStamp[24] = "";
    int oldestNumber = 0;
    char name[NAME_SIZE], stamp[24];
    int number = 0;
    for (int i = 0;; ++i) {
      const int found = GetFileInFolder(folder, kBackupPattern, i, name, sizeof name);
      if (found == 0) break;
      if (found < 0 || !ParseBackupName(name, stamp, &number)) continue;
      ++count;
      if (oldest[0] == '\0' || MadeBefore(stamp, number, oldestStamp, oldestNumber)) {
        std::snprintf(oldest, sizeof oldest, "%s", name);
        std::snprintf(oldestStamp, sizeof oldestStamp, "%s", stamp);
        oldestNumber = number;
      }
    }
    if (count <= BACKUPS_KEPT) return;
    char path[PATH_BUFFER_SIZE];
    // A file that cannot be deleted would be found oldest again and again.
    if (MakePathname(folder, oldest, path, sizeof path) < 0 || DeleteFile(path) < 0) return;
  }
}

}  // namespace

int BackupEEPROM(void) {
  ParameterSet eeprom;
  if (!ReadTargetParameterSet(TARGET_EEPROM, &eeprom)) {
    if (!LineLost()) SetStatus("EEPROM backup: Timeout-RS-232... - nothing sent");
    ShowStatus();
    return 0;
  }
  char folder[PATH_BUFFER_SIZE], path[PATH_BUFFER_SIZE];
  if (proj_dir[0] == '\0' || MakePathname(proj_dir, kBackupFolder, folder, sizeof folder) < 0 ||
      MakeDir(folder) < 0 || !FreeBackupPath(folder, path, sizeof path) ||
      !WriteParameterFile(path, eeprom)) {
    SetStatus("EEPROM backup not saved - nothing sent");
    ShowStatus();
    return 0;
  }
  PruneBackups(folder);
  // The writes that follow are the next frames of this transfer.
  Sleep(TRANSFER_SPACING_MS);
  return 1;
}
