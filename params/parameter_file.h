// The parameter file (*.cfg): 30 lines, one unsigned number each, right-
// aligned in a field of 10 characters: the 15 words of parameter frame 0,
// then the 15 of frame 1, as they travel to the sensor. No header, no names.
// Read and written here for the window and the command-line tool alike.
#ifndef KVOR_PARAMS_PARAMETER_FILE_H
#define KVOR_PARAMS_PARAMETER_FILE_H

#include <cstddef>

#include "params/parameter_set.h"

enum { PARA_FILE_NUMBERS = 30, PARA_FILE_FIELD_WIDTH = 10 };
#define PARA_FILE_DEFAULT_NAME "KVORpara.cfg"

enum {
  PARA_FILE_READ = 1,
  PARA_FILE_UNREADABLE = -1,  // cannot be opened or read (missing, a folder, no permission)
  PARA_FILE_MALFORMED = -2,   // not 30 numbers
  PARA_FILE_NUMBER_TOO_LARGE = -3,  // a number above 65535, however it is written
};
// No parameter file is longer than this.
enum { PARA_FILE_MAX_BYTES = 64 * 1024 };

// Reads the whole file into *set, which changes only when the file is read
// whole: 30 numbers from 0 to 65535 (leading zeros allowed). On failure fault
// (size bytes) names the line and what is wrong there, e.g. "line 12: 70000
// is above 65535", and *faultLine (when given) gets that line, 0 for the
// file as a whole.
int ReadParameterFile(const char *path, ParameterSet *set, char *fault, size_t size,
                      int *faultLine = nullptr);

// The same rules over the bytes of a parameter file already in memory (one
// read from a pipe).
int ParseParameterText(const char *text, size_t length, ParameterSet *set, char *fault, size_t size,
                       int *faultLine = nullptr);

// Replaces the file by the set: written beside it first and renamed into
// place, so a failed write never leaves an earlier file half overwritten.
// Returns 1, or 0 when it cannot be written.
int WriteParameterFile(const char *path, const ParameterSet &set);

#endif
