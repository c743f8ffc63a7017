// Internal to the run-time layer: pieces of the path utilities that tests
// reach directly.
#ifndef KVOR_UI_UTILITY_INTERNAL_H
#define KVOR_UI_UTILITY_INTERNAL_H

#include <cstddef>

// True when a file can be created in the folder (tried, not guessed from
// permission bits: read-only mounts and access lists count).
bool IsWritableDir(const char *directory);

// preferred when it can be written to, else fallback, created when missing.
// UTIL_FILE_ERROR when neither can be used, UTIL_TOO_LONG when the chosen
// folder does not fit out (out is left empty then).
int ChooseDataDir(const char *preferred, const char *fallback, char *out, size_t size);

#endif
