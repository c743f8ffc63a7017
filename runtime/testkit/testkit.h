// What a test needs to act as the operator and to read back what the
// operator would see. Linked only into tests and benchmarks.
#ifndef KVOR_RUNTIME_TESTKIT_TESTKIT_H
#define KVOR_RUNTIME_TESTKIT_TESTKIT_H

#include <functional>
#include <string>
#include <vector>

namespace testkit {

// ---- Operator actions (real mouse and key events on the real widgets) ----
// A hidden control (or one on a hidden panel) is not acted on, and a dimmed
// one ignores the events: neither raises anything, as for the operator.
int Click(int panel, int control);                 // press and release the left button
int Press(int panel, int control);                 // the left button down, not released
int Release(int panel, int control);               // and up again
int TypeValue(int panel, int control, const std::string &text);  // select all, type, Enter
int TypeText(int panel, int control, const std::string &text);   // select all, type, no Enter (a ring: type)
// Arrow keys, up for steps > 0, down for < 0: on a numeric input, or over a
// closed ring.
int StepValue(int panel, int control, int steps);
// Wheel steps over the control, away from the operator for steps > 0.
int WheelStep(int panel, int control, int steps);
// One key with its modifiers, written as QKeySequence writes it ("Alt+Up"),
// to the control with the focus.
int PressKey(int panel, int control, const std::string &key);
// The text an input method hands the control with the focus when the
// operator ends a composition.
int CommitInput(int panel, int control, const std::string &text);
// Opens the ring's list, walks to the item with the keys and takes it with
// Enter, as the operator picks it (the item shown included). The item is
// looked up once the list is open, so a port selector has looked at the
// machine's devices first.
int SelectRingIndex(int panel, int control, int index);
int SelectRingValue(int panel, int control, double value);
// Opens the ring's list and closes it again with Escape, choosing nothing.
int OpenRingList(int panel, int control);
int MoveSlider(int panel, int control, int value);  // as a drag to that value
int ClosePanelWindow(int panel);                    // the window's close box
// Runs fn from event processing after the given delay (seconds).
void RunLater(double seconds, std::function<void()> fn);
// Every text the program puts into a string control from the start on (the
// panels need not be loaded yet); TextLog gives one control's, in order, each
// repetition of the text just before it left out: also the progress texts
// that the next text replaces before any event processing runs.
void StartTextLog();
std::vector<std::string> TextLog(int panel, int control);
void StopTextLog();
// Every write the program makes to a serial port from the start on, with
// the Timer() time at which the write began: the spacing the program itself
// keeps between frames, free of what the far end's reads add to it.
struct Write {
  int port = 0;
  double time = 0;
  std::vector<unsigned char> bytes;
};
void StartWriteLog();
std::vector<Write> WriteLog();
void StopWriteLog();
// The locale of every widget made from now on ("de_DE", "C", ...), as a
// program started under LANG=de_DE.UTF-8 would have it.
void UseLocale(const std::string &name);
// Processes events for the given time (seconds).
void Pump(double seconds);
// Processes events until pred() holds or the time-out passes; returns pred().
bool PumpUntil(const std::function<bool()> &pred, double timeoutSeconds);

// ---- Graph menus ---------------------------------------------------------------
// Opens the context menu of a graph or strip chart with a right click on it
// (byKey: the context-menu key, the graph taking the focus first); returns
// the entries of the menu that opened, none when no menu did.
std::vector<std::string> OpenGraphMenu(int panel, int control, bool byKey = false);
// Clicks the entry of the graph's open menu and lets it take effect (a queued
// file dialog answer included). UIE_BAD_VALUE when no such menu or entry is open.
int ChooseGraphMenuEntry(int panel, int control, const std::string &entry);

// ---- File dialog answers ----------------------------------------------------
// The next FileSelectPopup returns result with path, without showing a dialog.
// The path stands for what the operator chose: with restrictExtension the
// filter's extension is appended when missing, a name without extension gets
// the dialog's default suffix, and a path longer than the caller's buffer is
// refused with UIE_PATH_TOO_LONG.
void QueueFileSelectAnswer(int result, const std::string &path);
struct FileSelectCall {
  std::string directory, defaultName, filter, title;
  int buttonLabel;
  std::string defaultSuffix;  // "png": what the dialog adds to a name without extension
};
std::vector<FileSelectCall> FileSelectCalls();     // every call so far
void ClearFileSelectCalls();

// ---- The file dialog itself ---------------------------------------------------
// From now on a file dialog with no queued answer shows itself on the
// offscreen platform too, to be answered as the operator answers it.
void ShowFileDialogs(bool on);
bool IsFileDialogOpen();
// Types name into the open file dialog's name field and presses its accept
// button (Save, Load, ...); returns once the dialog has taken it (a question
// it asks meanwhile must be answered from a RunLater). False when no file
// dialog is open.
bool AnswerFileDialog(const std::string &name);
bool CancelFileDialog();
// The text of the open question box (the dialog's "already exists"), answered
// with the button labelled label ("Yes", "No"). Empty when none is open.
std::string AnswerQuestion(const std::string &label);

// ---- Read-back ------------------------------------------------------------
struct Plot {
  int handle = 0;
  enum Kind { XY, Rectangle } kind = XY;
  std::vector<double> x, y;  // XY points
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // rectangle corners
  int color = 0, fillColor = 0;
  int plotStyle = 0, pointStyle = 0, lineStyle = 0, pointFrequency = 0;
};
std::vector<Plot> GraphPlots(int panel, int control);  // in drawing order

struct Cursor {
  double x = 0, y = 0;
  int pointStyle = 0;
  bool exists = false;
};
Cursor GraphCursor(int panel, int control, int cursorNumber);

struct AxisRange {
  double min = 0, max = 0;
  int mode = 0;
};
AxisRange GraphAxis(int panel, int control, int axis);
// How often the layer has drawn the graph or strip chart (-1: no such control).
int GraphRedraws(int panel, int control);

// Strip charts: the points each trace holds now, oldest first.
std::vector<double> StripChartTrace(int panel, int control, int trace);
int StripChartTraceColor(int panel, int control, int trace);
int StripChartPointsPerScreen(int panel, int control);

// A ring's items as its list shows them, with each item's tooltip.
struct RingItem {
  std::string text, toolTip;
};
std::vector<RingItem> RingItems(int panel, int control);

bool IsVisible(int panel, int control);   // the control's own visibility flag
bool IsPanelVisible(int panel);
bool IsDimmed(int panel, int control);
bool IsRingListOpen(int panel, int control);
std::string Text(int panel, int control);  // what a text, string or numeric control shows
// What assistive technology (a screen reader) is told: the control's name,
// its value or text, and the name of the label it is labelled by ("" for
// none).
std::string AccessibleName(int panel, int control);
std::string AccessibleValue(int panel, int control);
std::string AccessibleLabel(int panel, int control);
// Every control of the panel in id order, those made by NewCtrl included.
std::vector<int> ControlIds(int panel);
// "command button", "toggle button", "radio button", "ring", "numeric input",
// "numeric indicator", "slider", "string", "text box", "text message",
// "decoration", "graph" or "strip chart"; "" for an unknown control.
std::string ControlKind(int panel, int control);
bool IsCreatedTextMessage(int panel, int control);  // made by NewCtrl
// The title a graph shows above its plot area ("" for none).
std::string GraphTitle(int panel, int control);
int ChildControlCount(int panel);          // controls including those made by NewCtrl
// The dynamically created text controls, in creation order.
struct TextMsg {
  std::string text;
  int top = 0, left = 0, pointSize = 0, color = 0, bgColor = 0;
};
std::vector<TextMsg> CreatedTextMessages(int panel);
// A PNG of the panel's window as it is drawn now.
bool SaveScreenshot(int panel, const std::string &path);

// ---- Windows and layout ------------------------------------------------------
// True once the process has its application object: screen settings made
// in the environment after that no longer take effect.
bool UserInterfaceStarted();
struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
  int right() const { return x + width; }    // one past the last column
  int bottom() const { return y + height; }  // one past the last row
  bool contains(const Rect &r) const {
    return r.x >= x && r.y >= y && r.right() <= right() && r.bottom() <= bottom();
  }
  bool overlaps(const Rect &r) const {
    return r.x < right() && x < r.right() && r.y < bottom() && y < r.bottom();
  }
};
// A top-level panel's window. Panel coordinates are those of the whole
// panel, which the window scrolls when it shows only part of it.
struct WindowView {
  Rect frame;        // the window on the screen, title bar included
  Rect screenArea;   // the available area of the window's screen
  Rect shown;        // the part of the panel the window shows now (panel coordinates)
  int panelWidth = 0, panelHeight = 0;
  bool scrollBars = false;  // a scroll bar is shown
};
WindowView Window(int panel);
// Resizes the panel's window, as the operator drags its corner (the size of
// its content, without the title bar), and lets the layout follow.
int ResizeWindow(int panel, int width, int height);
// Where a control is, in the coordinates of the top-level panel it is shown
// on (a child panel's controls included), and whether the operator can see
// it: it and every panel it sits on are shown.
Rect ControlRect(int panel, int control);
Rect PanelRect(int panel);  // a child panel's place in its top-level panel
bool IsShown(int panel, int control);
// Scrolls the control's window until the control is in view, as the window
// does when the operator tabs to it.
int ScrollTo(int panel, int control);

}  // namespace testkit

#endif
