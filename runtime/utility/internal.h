// Internal to the run-time layer: pieces of the path utilities that tests
// reach directly.
#ifndef KVOR_RUNTIME_UTILITY_INTERNAL_H
#define KVOR_RUNTIME_UTILITY_INTERNAL_H

#include <cstddef>

// True when a file can be created in the folder (tried, not guessed from
// permission bits: read-only mounts and access lists count).
bool IsWritableDir(const char *directory);

// preferred when it can be written to, else fallback, created when missing.
// UTIL_FILE_ERROR when neither can be used, UTIL_TOO_LONG when the chosen
// folder does not fit out (out is left empty then).
int ChooseDataDir(const char *preferred, const char *fallback, char *out, size_t size);

// The program's own files lie beside it (a build, a copied folder) or, for an
// install, in its data folder at a fixed place relative to the program's
// folder (../share/<package> for bin/), so any prefix or DESTDIR works.
// True when that data folder exists, or the Windows installer's uninstaller
// lies beside the program: the program runs from an install.
bool IsInstalledLayout(const char *programDir);
// The path of the file of that name beside the program, else in the data
// folder; UTIL_FILE_ERROR when neither holds it, UTIL_TOO_LONG when the path
// does not fit out (out is left empty then).
int FindProgramFileIn(const char *programDir, const char *name, char *out, size_t size);

// While a caller sleeps, the run-time layer may do its own drawing: the
// graphs whose next frame falls due are drawn and what changed on the panels
// is painted, so the drawing does not lengthen a polling loop's pass. No
// event is processed and no callback runs. The function gets the end of the
// sleep (Timer seconds) and returns before it; none is set without a layer.
using BlockedTimeUse = void (*)(double untilSeconds);
void SetBlockedTimeUse(BlockedTimeUse use);

// Forgets every setting the user's settings hold (GetUserSetting), so a test
// starts from none: on Windows they are in the registry, the same for every
// test of a process.
void ForgetUserSettings();

#endif
