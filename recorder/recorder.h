// The data recorder: its pop-up, the recording loop and the recorder file.
#ifndef KVOR_RECORDER_RECORDER_H
#define KVOR_RECORDER_RECORDER_H

#include <cstddef>
#include <cstdint>

#define RECORDER_DEFAULT_FILE "KVorRecord.dat"

void CalcRecTime(void);
int CC_NEDITRecTime(int panel, int control, int event, void *callbackData, int eventData1,
                    int eventData2);
int CC_NEDITRecSamples(int panel, int control, int event, void *callbackData, int eventData1,
                       int eventData2);
int CC_TOGGBTN_Recorder(int panel, int control, int event, void *callbackData, int eventData1,
                        int eventData2);
int CC_RecordFileNameBtn(int panel, int control, int event, void *callbackData,
                         int eventData1, int eventData2);
int CC_BTNStartRecord(int panel, int control, int event, void *callbackData, int eventData1,
                      int eventData2);
int CC_BTNStopRecord(int panel, int control, int event, void *callbackData, int eventData1,
                     int eventData2);

// ---- Recorder file ----------------------------------------------------------------
// Replaces any file at path by the two header lines; 1 on success, 0 when the
// file cannot be written.
int WriteRecorderHeader(const char *path, const char *date, const char *time,
                        uint16_t intervalSeconds, uint32_t setpointUm);
// Appends one sample line; 1 on success, 0 when it cannot be written.
int AppendRecorderSample(const char *path, uint16_t aval, uint16_t bval, uint16_t mvalue,
                         int32_t umValue, uint16_t edcntA, uint16_t edcntB);

// ---- Reading a recorder file ------------------------------------------------------
// What kvor stats reads back. Lines are given without their line end; a
// carriage return before it (a file written on Windows) is allowed.
struct RecorderSample {
  uint16_t aval, bval, mvalue;
  int32_t umValue;
  uint16_t edcntA, edcntB;
};
// 1 when the line is header line lineNumber (1: date, time and interval;
// 2: the set-point) as WriteRecorderHeader writes it, numbers padded or not.
int IsRecorderHeaderLine(int lineNumber, const char *line, size_t length);
// A sample line: six whole numbers separated by tabs (blanks beside them
// allowed), each within its type. 1 with *sample filled, else 0.
int ParseRecorderSample(const char *line, size_t length, RecorderSample *sample);

// ---- When a sample is due ----------------------------------------------------------
// The recording counts whole seconds of the timer modulo 65536 (correct
// however long the program has been running, for intervals up to 65535 s):
// a sample is due at the first raw-values reply whose whole seconds since
// the last sample (the start, for the first) reach the interval.
uint16_t WholeSeconds(double timerSeconds);
uint16_t WholeSecondsSince(uint16_t mark, double timerSeconds);

// ---- Duration ------------------------------------------------------------------------
struct RecordingDuration {
  uint32_t days, hours, minutes, seconds;
};
RecordingDuration SplitRecordingTime(uint16_t intervalSeconds, uint16_t samples);

#endif
