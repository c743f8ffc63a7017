// The parameter file: 30 numbers, one a line, each in a field of 10: the 15
// words of parameter frame 0, then the 15 words of parameter frame 1.
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "app/globals.h"
#include "app/status.h"
#include "link/protocol.h"
#include "params/params.h"
#include "ui/userint.h"
#include "ui/utility.h"

namespace {

void TakeFrameFromPP(unsigned int *numbers) {
  for (int i = 0; i < FRAME_DATA_WORDS; ++i) numbers[i] = pp[i];
}

void PutNumbersIntoPP(const unsigned int *numbers) {
  for (int i = 0; i < FRAME_DATA_WORDS; ++i) pp[i] = static_cast<u16>(numbers[i] & 0xFFFFu);
}

const char kTemporarySuffix[] = ".tmp";

// Writes next to the file first and renames it into place, so a failed
// write (disk full) never leaves an earlier parameter file half-overwritten.
int WriteNumbersSafely(const char *path, const unsigned int *numbers) {
  // Room for any path that fits file_name, so the safe way is always taken.
  char temporary[PATH_BUFFER_SIZE + sizeof kTemporarySuffix];
  const int fits = std::snprintf(temporary, sizeof temporary, "%s%s", path, kTemporarySuffix);
  if (fits < 0 || fits >= static_cast<int>(sizeof temporary)) return UTIL_TOO_LONG;
  const int written = ArrayToFile(temporary, numbers, VAL_UNSIGNED_INTEGER, PARA_FILE_NUMBERS,
                                  VAL_ONE_PER_LINE, PARA_FILE_FIELD_WIDTH, VAL_TRUNCATE);
  if (written < 0) {
    DeleteFile(temporary);
    return written;
  }
  // std::rename refuses an existing target on Windows; this one replaces it
  // everywhere, in one step where the system can.
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  if (error) {
    DeleteFile(temporary);
    return UTIL_FILE_ERROR;
  }
  return written;
}

}  // namespace

int SendParaToFile(void) {
  unsigned int numbers[PARA_FILE_NUMBERS];
  GetPanelValues();
  CopyVarsToPP(0);
  TakeFrameFromPP(numbers);
  CopyVarsToPP(1);
  TakeFrameFromPP(numbers + FRAME_DATA_WORDS);
  if (WriteNumbersSafely(file_name, numbers) < 0) {
    SetStatus("Error writing parameter file!");
    ShowStatus();
    return 0;
  }
  return 1;
}

int ReadParaFromFile(void) {
  char chosen[PATH_BUFFER_SIZE] = "";
  const int result = FileSelectPopup(proj_dir, PARA_FILE_DEFAULT_NAME, "*.cfg",
                                     "K-VOR-MS-Series-Parameter-File", VAL_LOAD_BUTTON, 0, 1, 1,
                                     1, chosen, sizeof chosen);
  if (result == UIE_PATH_TOO_LONG) {
    SetStatus("File path too long - file not loaded!");
    return 0;
  }
  if (result <= 0) return 0;
  std::snprintf(file_name, sizeof file_name, "%s", chosen);

  // Only a whole, well-formed file of 30 numbers changes the record.
  unsigned int numbers[PARA_FILE_NUMBERS];
  const int read = FileToArray(file_name, numbers, PARA_FILE_NUMBERS);
  if (read == UTIL_FORMAT_ERROR) {
    SetStatus("Parameter file not loaded: it must hold 30 numbers!");
    return 0;
  }
  if (read != PARA_FILE_NUMBERS) {
    SetStatus("Cannot read parameter file!");
    return 0;
  }
  PutNumbersIntoPP(numbers);
  CopyPPtoVars(0);
  PutNumbersIntoPP(numbers + FRAME_DATA_WORDS);
  CopyPPtoVars(1);
  SetStatus("Parameter file loaded!");
  return 1;
}
