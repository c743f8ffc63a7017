// The program's entry, its start values and the main window.
#ifndef KVOR_APP_APP_H
#define KVOR_APP_APP_H

int WinMain(int argc, char **argv);
// WinMain in three pieces, so tests can drive the program between them:
// loading, start values, serial start-up, main window shown (0, -1 when
// the run-time layer or a panel cannot be loaded, START_TRACE_REFUSED when
// the --trace file cannot be written: nothing is loaded then) ...
int StartProgram(int argc, char **argv);
enum { START_TRACE_REFUSED = -2 };
// ... and the end: port closed, panels discarded.
void EndProgram(void);

void InitVars(void);
void InitGUI(void);
// Registers every callback the panels name; before the panels are loaded.
void RegisterCallbacks(void);
// Gives the graphs' saving its caption and its messages in the status box.
void InitGRAPHFiles(void);

int CC_PANEL(int panel, int event, void *callbackData, int eventData1, int eventData2);
int CC_POPUP(int panel, int event, void *callbackData, int eventData1, int eventData2);
int CC_TOGGBTN_Para1(int panel, int control, int event, void *callbackData, int eventData1,
                     int eventData2);
int CC_TOGGBTN_Para2(int panel, int control, int event, void *callbackData, int eventData1,
                     int eventData2);
int CC_TOGGBTN_Calib(int panel, int control, int event, void *callbackData, int eventData1,
                     int eventData2);

// ---- Branding band ------------------------------------------------------------------
void ShowLogo(int branding);
void ShowInfoText(int id, int backgroundColour, int textColour, const char *text, int left,
                  int top, int pointSize);

#endif
