// The EEPROM as it was, saved before a verified EEPROM write: a parameter
// file in the folder "backups" of the data folder, named by a running number
// and the local date and time (eeprom-000042-20261208-143012.cfg). The
// number, not the clock, tells which backup is newer: a clock set back (the
// end of daylight saving time, a corrected clock) loses none. The 50 with the
// highest numbers are kept, and never is the one just written deleted.
// Backups named by the date alone (eeprom-20261208-143012.cfg,
// eeprom-20261208-143012-2.cfg for a second one in the same second) count as
// older than any numbered one, the oldest stamp first.
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
  STAMP_CHARS = 15,          // YYYYMMDD-HHMMSS
  SEQUENCE_DIGITS = 6,       // as written; more once 999999 is passed
  SEQUENCE_DIGITS_MAX = 9,
  NAME_SIZE = 64,
  FREE_NAME_TRIES = 100,
};
const long SEQUENCE_MAX = 999999999L;
const char kBackupFolder[] = "backups";
const char kBackupPattern[] = "eeprom-*.cfg";

bool Digits(const char *text, int count) {
  for (int i = 0; i < count; ++i)
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
  return true;
}

// Where a backup stands among the others.
struct BackupOrder {
  long sequence = 0;           // its running number; 0 for one named by the date alone
  char stamp[STAMP_CHARS + 1] = "";
  int number = 1;              // of a backup named by the date alone, in its second
};

// YYYYMMDD-HHMMSS at text.
bool IsStamp(const char *text) { return Digits(text, 8) && text[8] == '-' && Digits(text + 9, 6); }

// A backup's name into its place in the order: false for any other name in
// the folder, which is left alone.
bool ParseBackupName(const char *name, BackupOrder *order) {
  *order = BackupOrder();
  const size_t length = std::strlen(name);
  if (length < 26 || std::strncmp(name, "eeprom-", 7) != 0 ||
      std::strcmp(name + length - 4, ".cfg") != 0)
    return false;
  const char *s = name + 7;
  const size_t rest = length - 7 - 4;  // between "eeprom-" and ".cfg"
  // eeprom-NNNNNN-YYYYMMDD-HHMMSS.cfg
  size_t digits = 0;
  while (digits < rest && std::isdigit(static_cast<unsigned char>(s[digits]))) ++digits;
  if (digits >= SEQUENCE_DIGITS && digits <= SEQUENCE_DIGITS_MAX && rest == digits + 1 + STAMP_CHARS &&
      s[digits] == '-' && IsStamp(s + digits + 1)) {
    order->sequence = std::atol(s);
    std::memcpy(order->stamp, s + digits + 1, STAMP_CHARS);
    order->stamp[STAMP_CHARS] = '\0';
    return order->sequence > 0;
  }
  // eeprom-YYYYMMDD-HHMMSS.cfg, eeprom-YYYYMMDD-HHMMSS-2.cfg
  if (!IsStamp(s)) return false;
  std::memcpy(order->stamp, s, STAMP_CHARS);
  order->stamp[STAMP_CHARS] = '\0';
  if (rest == STAMP_CHARS) return true;
  const char *tail = s + STAMP_CHARS;
  const size_t tailLength = rest - STAMP_CHARS;
  if (tail[0] != '-' || tailLength < 2 || tailLength > 3 || !Digits(tail + 1, static_cast<int>(tailLength - 1)))
    return false;
  order->number = std::atoi(tail + 1);
  return order->number >= 2;
}

// True when backup a was made before backup b.
bool MadeBefore(const BackupOrder &a, const BackupOrder &b) {
  if (a.sequence != b.sequence) return a.sequence < b.sequence;
  const int order = std::strcmp(a.stamp, b.stamp);
  return order < 0 || (order == 0 && a.number < b.number);
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

// The highest running number in the folder; 0 when none has one.
long LastSequence(const char *folder) {
  long last = 0;
  char name[NAME_SIZE];
  BackupOrder order;
  for (int i = 0;; ++i) {
    const int found = GetFileInFolder(folder, kBackupPattern, i, name, sizeof name);
    if (found == 0) break;
    if (found > 0 && ParseBackupName(name, &order) && order.sequence > last) last = order.sequence;
  }
  return last;
}

// A name no backup has, with the next running number.
int FreeBackupPath(const char *folder, char *path, size_t size, char *name, size_t nameSize) {
  char stamp[24];
  NowStamp(stamp, sizeof stamp);
  long sequence = LastSequence(folder);
  for (int tries = 0; tries < FREE_NAME_TRIES; ++tries) {
    if (++sequence > SEQUENCE_MAX) return 0;
    std::snprintf(name, nameSize, "eeprom-%0*ld-%s.cfg", static_cast<int>(SEQUENCE_DIGITS), sequence, stamp);
    if (MakePathname(folder, name, path, size) < 0) return 0;
    if (!FileExists(path)) return 1;
  }
  return 0;
}

// Deletes the oldest backups until BACKUPS_KEPT are left; never `kept`, the
// one just written.
void PruneBackups(const char *folder, const char *kept) {
  for (;;) {
    int count = 0;
    char oldest[NAME_SIZE] = "";
    BackupOrder oldestOrder, order;
    char name[NAME_SIZE];
    for (int i = 0;; ++i) {
      const int found = GetFileInFolder(folder, kBackupPattern, i, name, sizeof name);
      if (found == 0) break;
      if (found < 0 || !ParseBackupName(name, &order)) continue;
      ++count;
      if (std::strcmp(name, kept) == 0) continue;
      if (oldest[0] == '\0' || MadeBefore(order, oldestOrder)) {
        std::snprintf(oldest, sizeof oldest, "%s", name);
        oldestOrder = order;
      }
    }
    if (count <= BACKUPS_KEPT || oldest[0] == '\0') return;
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
  char folder[PATH_BUFFER_SIZE], path[PATH_BUFFER_SIZE], name[NAME_SIZE];
  if (proj_dir[0] == '\0' || MakePathname(proj_dir, kBackupFolder, folder, sizeof folder) < 0 ||
      MakeDir(folder) < 0 || !FreeBackupPath(folder, path, sizeof path, name, sizeof name) ||
      !WriteParameterFile(path, eeprom)) {
    SetStatus("EEPROM backup not saved - nothing sent");
    ShowStatus();
    return 0;
  }
  PruneBackups(folder, name);
  // The writes that follow are the next frames of this transfer.
  Sleep(TRANSFER_SPACING_MS);
  return 1;
}
