// Time, paths and text files for the system code. Plain C++; no Qt here.
#ifndef KVOR_RUNTIME_UTILITY_UTILITY_H
#define KVOR_RUNTIME_UTILITY_UTILITY_H

#include <cstddef>

// ---- Time ------------------------------------------------------------------
double Timer(void);                 // monotonic seconds
void Delay(double seconds);         // blocks, runs no events
// Blocks and runs no events; meanwhile the layer draws the graph frames that
// fall due and paints what changed. (On Windows this is the layer's own
// Sleep, beside the system's Sleep(DWORD), which no program file includes.)
void Sleep(unsigned int milliseconds);
// From BeginFineTimer to the matching EndFineTimer the system's timer wakes
// sleepers to the millisecond (Windows: timeBeginPeriod(1)), so a 20 ms
// sleep is 20 ms; the programs hold it from start to end. Calls nest.
void BeginFineTimer(void);
void EndFineTimer(void);
const char *DateStr(void);          // "MM-DD-YYYY", local time
const char *TimeStr(void);          // "HH:MM:SS", local time, 24-hour clock

// ---- Console -------------------------------------------------------------------
// For a window program's --help and --version: on Windows its standard
// output and error, where they lead nowhere, go to the console of whoever
// started it (a window program has none of its own). Nothing elsewhere.
void UseCallersConsole(void);

// ---- Paths -------------------------------------------------------------------
enum {
  UTIL_NO_ERROR = 0,
  UTIL_TOO_LONG = -1,       // result does not fit the buffer; buffer left empty
  UTIL_FILE_ERROR = -2,     // the file could not be opened, read or written
  UTIL_FORMAT_ERROR = -3,   // the file's content is not what was asked for
  UTIL_BAD_ARGUMENT = -4,
};

// The folder that holds the program.
int GetProjectDir(char *directory, size_t size);
// The folder for the program's default files: the program's folder when it can
// be written to and is not an install, else the per-user data folder
// (created when missing).
int GetDataDir(char *directory, size_t size);
// directory + separator + fileName into out.
int MakePathname(const char *directory, const char *fileName, char *out, size_t size);
int DeleteFile(const char *path);   // 0, or UTIL_FILE_ERROR when it existed and stays

// ---- Folders -------------------------------------------------------------------
// Makes the folder, and any folder above it that is missing: 0 when it is
// there afterwards, UTIL_FILE_ERROR when it cannot be made (a file has its
// name, no permission).
int MakeDir(const char *path);
// 1 when a file or folder of that path exists, else 0.
int FileExists(const char *path);
// The name (without the folder) of the file at position index (from 0) among
// the files of directory whose names match the wildcard pattern
// ("eeprom-*.cfg"), in the order of their names: 1 when written, 0 when no
// file is at that position (or the folder cannot be read), UTIL_TOO_LONG when
// the name does not fit (name left empty), UTIL_BAD_ARGUMENT.
int GetFileInFolder(const char *directory, const char *pattern, int index, char *name,
                    size_t size);

// ---- User settings ---------------------------------------------------------------
// Operator choices that are no parameters, kept for the next start in the
// user's settings (the desktop's usual place for them). A key is a short
// name ("verifyAfterSending").
int GetUserSetting(const char *key, int defaultValue);  // defaultValue when none is stored
// 0 once the value is stored, UTIL_FILE_ERROR when the settings cannot be
// written, UTIL_BAD_ARGUMENT.
int SetUserSetting(const char *key, int value);

// ---- Text files --------------------------------------------------------------
enum {
  VAL_TRUNCATE = 0,
  VAL_APPEND = 1,
};
enum {
  VAL_ONE_PER_LINE = 0,     // each value on a line of its own
  VAL_ONE_LINE_TABS = 1,    // all values on one line, separated by tabs, then a line end
  VAL_PLAIN_TEXT = 2,       // a VAL_CHAR array written as it is (line ends the system's), no line end added
};

// How this system ends the lines of the text files the programs write: "\r\n"
// on Windows, "\n" elsewhere. The readers take either.
const char *TextLineEnd(void);

// Writes count values of the given type (VAL_* of userint.h), each right-aligned
// in a field of fieldWidth characters (0: no padding), with TextLineEnd() line
// ends; VAL_PLAIN_TEXT writes its bytes as they are, but for a line feed not
// after a carriage return, which becomes TextLineEnd().
// The bytes reach the operating system before it returns (the file is closed,
// and synced to disk). An append that fails part-way is cut back to the end
// the file had before, so the file never keeps part of what one call wrote.
// Returns the number of bytes written or UTIL_*.
int ArrayToFile(const char *path, const void *array, int dataType, int count, int layout,
                int fieldWidth, int action);

// Where a text of numbers went wrong: the line (from 1; 0 for the file as a
// whole) and what was found there.
enum {
  NUMBERS_FINE = 0,
  NUMBERS_NOT_A_NUMBER,   // a character that is neither a digit nor a blank or line end
  NUMBERS_TOO_MANY,       // a number beyond the count asked for
  NUMBERS_TOO_FEW,        // the text ended before count numbers
  NUMBERS_LINE_TOO_LONG,
  NUMBERS_LONE_CR,        // a carriage return not followed by a line feed
  NUMBERS_TOO_LARGE,      // the file is larger than any such text
  NUMBERS_OUT_OF_RANGE,   // a number above 4294967295
};
// A number is on one line, and a line holds at most this many characters.
enum { NUMBER_DIGITS_MAX = 64 };
struct NumberListFault {
  int kind = NUMBERS_FINE;
  int line = 0;
  unsigned char byte = 0;  // the character of NUMBERS_NOT_A_NUMBER
  int found = 0;           // numbers read before the fault
  // The digits of the number of NUMBERS_OUT_OF_RANGE, leading zeros left off.
  char digits[NUMBER_DIGITS_MAX + 1] = "";
};

// Reads the file as unsigned decimal numbers separated by blanks, tabs and
// line ends (LF or CRLF), each from 0 to 4294967295 (leading zeros allowed).
// Returns how many numbers the file holds when that is exactly count, else
// UTIL_FORMAT_ERROR (anything that is not such a number, a number that does
// not fit, too few or too many numbers, an over-long line; fault, when
// given, says where) or UTIL_FILE_ERROR. values
// (and lines, when given: the line of each number, from 1) are written only
// on success.
int FileToArray(const char *path, unsigned int *values, int count, NumberListFault *fault = nullptr,
                int *lines = nullptr);

// The same rules over text already in memory.
int ParseUnsignedList(const char *text, size_t length, unsigned int *values, int count,
                      NumberListFault *fault = nullptr, int *lines = nullptr);

#endif
