// The parameter set: the record's frame mapping, the panel values, transfers
// to and from the sensor and the parameter file.
#ifndef KVOR_PARAMS_PARAMS_H
#define KVOR_PARAMS_PARAMS_H

#include <cstdint>

#include "params/parameter_set.h"

// ---- Record <-> pp ---------------------------------------------------------------
// The record's 30 words as a value, and back; the header words stay.
ParameterSet RecordParameterSet(void);
void StoreParameterSet(const ParameterSet &set);
void CopyVarsToPP(uint16_t frame);
void CopyPPtoVars(uint16_t frame);
void CopyPPtoRAWVars(void);

// ---- Record <-> panels -----------------------------------------------------------
void GetPanelValues(void);
void SetPanelValues(void);
// Repairs out-of-range fields of the record, each with its own replacement.
void RepairParameterRecord(void);
// The evaluation mode's dimming of the two set-point inputs and the strip
// chart's range; returns the new yaxisMAX.
uint16_t ApplyEvalModeToInputs(uint16_t mode);

// ---- Transfer --------------------------------------------------------------------
enum { TARGET_RAM = 1, TARGET_EEPROM = 2, TARGET_FILE = 3 };
void PushGET(uint16_t source, uint16_t frame);
void SelectStorageTarget(int newTarget);
int CC_BTNGet(int panel, int control, int event, void *callbackData, int eventData1,
              int eventData2);
int CC_BTNSend(int panel, int control, int event, void *callbackData, int eventData1,
               int eventData2);
int CC_RBTRam(int panel, int control, int event, void *callbackData, int eventData1,
              int eventData2);
int CC_RBTEeprom(int panel, int control, int event, void *callbackData, int eventData1,
                 int eventData2);
int CC_RBTFile(int panel, int control, int event, void *callbackData, int eventData1,
               int eventData2);

// ---- Parameter file (format in parameter_file.h) -------------------------------
// Writes the panels' parameter set to file_name; 1 on success, 0 with a
// message in the status box when the file cannot be written.
int SendParaToFile(void);
// Asks for a file and loads it into the record; 1 when loaded, 0 otherwise.
int ReadParaFromFile(void);

#endif
