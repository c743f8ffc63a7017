// The parameter set: the record's frame mapping, the panel values, transfers
// to and from the sensor and the parameter file.
#ifndef KVOR_PARAMS_PARAMS_H
#define KVOR_PARAMS_PARAMS_H

#include <cstddef>
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

// ---- The fields on the panels ---------------------------------------------------
// The parameter set as the panels hold it, read as GetPanelValues reads it:
// the record's set with every field a control shows replaced by the
// control's value. Neither the record nor the panels change.
ParameterSet PanelParameterSet(void);
// A field's name on the panels (its control's accessible name, "a1 (channel
// A)"); a field shown nowhere by its record name.
void FieldLabelOnPanels(const ParameterField &field, char *text, size_t size);
// A field's value as its control shows it: a ring by its entry, the
// calibration factor in micrometres per virtual pixel, the others as numbers.
void FieldValueAsShown(const ParameterField &field, uint32_t value, char *text, size_t size);

// ---- Transfer --------------------------------------------------------------------
enum { TARGET_RAM = 1, TARGET_EEPROM = 2, TARGET_FILE = 3 };
void PushGET(uint16_t source, uint16_t frame);
void SelectStorageTarget(int newTarget);
// The panels and the tolerance window from the record, as after a Get.
void ShowRecordOnPanels(void);
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

// ---- Reading a target without taking it ----------------------------------------
// Reads both frames of the sensor's RAM or EEPROM into *set, 50 ms apart, as
// a Get asks for them, but leaves the record and the panels alone, and takes
// for each frame only a reply that answers its read command (a late
// acknowledgement of a write is passed over). 1 when both frames arrived;
// 0 with szStatus "Timeout-RS-232..." (not shown) or the lost device's
// message (shown), and *set unchanged.
int ReadTargetParameterSet(int source, ParameterSet *set);
// Waits up to TIMEOUT for a reply frame whose command word is command (and,
// unless argument is negative, whose argument word is argument), taking the
// frames off the line itself and passing over others; 1 when it came (then
// in szReadBuf, rx_flag set). Sets no status.
int WaitForReplyTo(uint16_t command, int argument);
// 1 while one of the two waits above runs: a click meanwhile starts no
// further exchange (its frames would meet the awaited reply).
int ExchangeWaiting(void);

// ---- Compare, verify after sending, EEPROM backup --------------------------------
int CC_BTNCompare(int panel, int control, int event, void *callbackData, int eventData1,
                  int eventData2);
int CC_BTNCompareTake(int panel, int control, int event, void *callbackData, int eventData1,
                      int eventData2);
int CC_BTNCompareClose(int panel, int control, int event, void *callbackData, int eventData1,
                       int eventData2);
int CC_COMPARE(int panel, int event, void *callbackData, int eventData1, int eventData2);
// Lists in the compare pop-up the fields in which ours (the panels', or what
// was sent) and theirs (what the target holds) differ, and shows it; its
// "Take" button then loads theirs into the panels. afterSend names the
// columns for a verify.
void ShowDifferences(const ParameterSet &ours, const ParameterSet &theirs, int source,
                     bool afterSend);
// "the sensor's RAM", "the sensor's EEPROM", "the file".
const char *TargetDescription(int source);

int CC_CHKVerify(int panel, int control, int event, void *callbackData, int eventData1,
                 int eventData2);
// The check box as the user's settings left it at the last end.
void LoadVerifySetting(void);
int VerifyAfterSendingOn(void);
// After the two writes of a Send: reads the target back and compares all 30
// words with what went out; tells the result. 1 when every word matches.
int VerifySentParameters(void);
// Reads the EEPROM and saves it in the backups folder of the data folder
// before a verified EEPROM write, keeping the newest 50. 0 (told) when the
// read or the save failed: then nothing may be written.
int BackupEEPROM(void);

// ---- Parameter file (format in parameter_file.h) -------------------------------
// Writes the panels' parameter set to file_name; 1 on success, 0 with a
// message in the status box when the file cannot be written.
int SendParaToFile(void);
// Asks for a file and loads it into the record; 1 when loaded, 0 otherwise.
int ReadParaFromFile(void);
// The Load dialog, and the chosen file read whole into *set (unchanged
// otherwise). chosen gets the path (empty when cancelled). 1 when read; 0
// when cancelled, or refused with szStatus saying why (not shown).
int ChooseAndReadParameterFile(ParameterSet *set, char *chosen, size_t size);

#endif
