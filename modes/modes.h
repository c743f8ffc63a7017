// The operating modes: run mode, video mode, teach, and the evaluation and
// hardware mode selectors.
#ifndef KVOR_MODES_MODES_H
#define KVOR_MODES_MODES_H

int CC_BTNRun(int panel, int control, int event, void *callbackData, int eventData1,
              int eventData2);
void PushRUN(void);
int CC_BTNStop(int panel, int control, int event, void *callbackData, int eventData1,
               int eventData2);
// Releases the controls the modes lock (the Stop buttons' undimming).
void ReleaseModeLocks(void);

int CC_BTNVideo(int panel, int control, int event, void *callbackData, int eventData1,
                int eventData2);
void PushVIDEO(void);

int CC_ButtonTeach(int panel, int control, int event, void *callbackData, int eventData1,
                   int eventData2);
int CC_NEDITeachA(int panel, int control, int event, void *callbackData, int eventData1,
                  int eventData2);
int CC_NEDITeachB(int panel, int control, int event, void *callbackData, int eventData1,
                  int eventData2);
int CC_ButtonReset(int panel, int control, int event, void *callbackData, int eventData1,
                   int eventData2);
int CC_NEDITTolLeff(int panel, int control, int event, void *callbackData, int eventData1,
                    int eventData2);
int CC_DropEvalMode(int panel, int control, int event, void *callbackData, int eventData1,
                    int eventData2);
int CC_DROPHardwareMode(int panel, int control, int event, void *callbackData, int eventData1,
                        int eventData2);
// Modes 1 and 3 lock the two tolerance fields of the first parameter panel.
void ApplyHardwareMode(unsigned short mode);
// The evaluation mode's dimming, cursor markers and strip-chart range.
void ApplyEvalMode(unsigned short mode);

#endif
