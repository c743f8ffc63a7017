// Saving the panels to the parameter file and loading it into the record
// (the file's format: parameter_file.h).
#include <cstdio>

#include "app/globals.h"
#include "app/status.h"
#include "link/protocol.h"
#include "params/parameter_file.h"
#include "params/params.h"
#include "runtime/userint/userint.h"
#include "runtime/utility/utility.h"

int SendParaToFile(void) {
  GetPanelValues();
  // The 30 numbers pass through pp, frame by frame, as they would to the sensor.
  ParameterSet set;
  for (uint16_t frame = 0; frame < 2; ++frame) {
    CopyVarsToPP(frame);
    SetParameterFrameWords(&set, frame, pp);
  }
  if (!WriteParameterFile(file_name, set)) {
    SetStatus("Error writing parameter file!");
    ShowStatus();
    return 0;
  }
  return 1;
}

int ChooseAndReadParameterFile(ParameterSet *set, char *chosen, size_t size) {
  chosen[0] = '\0';
  const int result = FileSelectPopup(proj_dir, PARA_FILE_DEFAULT_NAME, "*.cfg",
                                     "K-VOR-MS-Series-Parameter-File", VAL_LOAD_BUTTON, 0, 1, 1,
                                     1, chosen, size);
  if (result == UIE_PATH_TOO_LONG) {
    chosen[0] = '\0';
    SetStatus("File path too long - file not loaded!");
    return 0;
  }
  if (result <= 0) {
    chosen[0] = '\0';
    return 0;
  }
  // Only a whole, well-formed file of 30 words counts: a number that does
  // not fit a word is refused, not cut to some of its bits.
  char fault[96];
  int line = 0;
  const int read = ReadParameterFile(chosen, set, fault, sizeof fault, &line);
  if (read == PARA_FILE_NUMBER_TOO_LARGE) {
    char text[STATUS_TEXT_SIZE];
    std::snprintf(text, sizeof text, "Parameter file not loaded: a number in line %d is above 65535!",
                  line);
    SetStatus(text);
    return 0;
  }
  if (read == PARA_FILE_MALFORMED) {
    SetStatus("Parameter file not loaded: it must hold 30 numbers!");
    return 0;
  }
  if (read != PARA_FILE_READ) {
    SetStatus("Cannot read parameter file!");
    return 0;
  }
  return 1;
}

int ReadParaFromFile(void) {
  char chosen[PATH_BUFFER_SIZE];
  ParameterSet set = RecordParameterSet();
  const int read = ChooseAndReadParameterFile(&set, chosen, sizeof chosen);
  if (chosen[0] != '\0') std::snprintf(file_name, sizeof file_name, "%s", chosen);
  if (!read) return 0;
  for (uint16_t frame = 0; frame < 2; ++frame) {
    ParameterFrameWords(set, frame, pp);
    CopyPPtoVars(frame);
  }
  SetStatus("Parameter file loaded!");
  return 1;
}
