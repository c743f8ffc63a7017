// The user-interface half of the run-time layer: panels loaded from the
// resource file, controls addressed by (panel handle, control id), graphs,
// strip charts, the file dialog and the event loop.
//
// Plain C++ only: the system code includes this header and never sees Qt.
// Every operation returns a negative UIE_* code on bad input (unknown panel
// handle or control id, wrong value type, unknown attribute) and never
// crashes. Values set by the system never raise events; only the operator's
// actions call callbacks, always on the one user-interface thread.
//
// Texts are single-byte Windows-1252, one character a byte (the sensor's
// firmware text, the micro sign as B5); paths (file dialog results, controls
// marked `holdsPath`) are in the file system's own encoding.
#ifndef KVOR_RUNTIME_USERINT_USERINT_H
#define KVOR_RUNTIME_USERINT_USERINT_H

#include <cstddef>

// ---- Results ---------------------------------------------------------------
enum {
  UIE_NO_ERROR = 0,
  UIE_NOT_INITIALISED = -1,     // the layer has not been initialised
  UIE_RESOURCE_FILE = -2,       // resource file missing or damaged
  UIE_RESOURCE_ID = -3,         // no panel with that resource id
  UIE_BAD_PANEL = -4,           // unknown panel handle
  UIE_BAD_CONTROL = -5,         // unknown control id on that panel
  UIE_BAD_TYPE = -6,            // value type does not fit the control
  UIE_BAD_ATTRIBUTE = -7,       // attribute unknown or not for this control
  UIE_BAD_VALUE = -8,           // value outside what the control accepts
  UIE_BAD_CALLBACK = -9,        // panel names a callback that is not registered
  UIE_BAD_WIDGET = -10,         // panel uses a widget class the layer cannot build
  UIE_BAD_PLOT = -11,           // unknown plot handle
  UIE_PATH_TOO_LONG = -12,      // chosen path does not fit the caller's buffer
  UIE_FILE = -13,               // file could not be read
};

// ---- Events ----------------------------------------------------------------
enum {
  EVENT_COMMIT = 1,
  EVENT_VAL_CHANGED = 2,
  EVENT_LEFT_CLICK = 3,
  EVENT_CLOSE = 11,
};

// ---- Attributes (numeric codes are part of the layer's contract) ----------
enum {
  ATTR_DIMMED = 1,              // int 0/1, controls
  ATTR_VISIBLE = 2,             // int 0/1, controls and panels
  ATTR_LEFT = 531,              // int pixels, controls and panels
  ATTR_TOP = 532,               // int pixels, controls and panels
  ATTR_FRAME_COLOR = 550,       // int 0xRRGGBB, decorations: the fill colour
  ATTR_TEXT_COLOR = 680,        // int 0xRRGGBB
  ATTR_TEXT_FONT = 682,         // const char *, font name or VAL_APP_META_FONT
  ATTR_TEXT_POINT_SIZE = 686,   // int points
  ATTR_TEXT_BGCOLOR = 690,      // int 0xRRGGBB, background of a control
  ATTR_CTRL_VAL_TYPE = 700,     // read only: VAL_* data type of the value
  ATTR_POINTS_PER_SCREEN = 1070,  // int, strip charts
  ATTR_NUM_TRACES = 1071,         // int, strip charts
  ATTR_SMOOTH_UPDATE = 1088,      // int 0/1, strip charts: repaint once per frame
  ATTR_TRACE_COLOR = 1230,        // int 0xRRGGBB, strip-chart traces
  ATTR_TRACE_REFERENCE = 1234,    // int 0/1, strip-chart traces: dashed reference line
  ATTR_TRACE_LG_TEXT = 1231,      // const char *, strip-chart traces: the trace's name
  ATTR_PLOT_LG_TEXT = 2150,       // const char *, graph plots: the plot's name
  ATTR_CURSOR_POINT_STYLE = 1201, // int VAL_* point style, graph cursors
  ATTR_LABEL_TEXT = 1300,         // const char *, label of a control (also its accessible name)
  ATTR_ACCESSIBLE_NAME = 1301,    // const char *, what assistive technology names the control
};

#define VAL_APP_META_FONT "<app font>"

// ---- Value types (ATTR_CTRL_VAL_TYPE, plot data types) ---------------------
enum {
  VAL_CHAR = 0,
  VAL_INTEGER = 1,              // int (32-bit signed)
  VAL_SHORT_INTEGER = 2,
  VAL_FLOAT = 3,
  VAL_DOUBLE = 4,
  VAL_STRING = 5,
  VAL_UNSIGNED_SHORT_INTEGER = 6,
  VAL_UNSIGNED_INTEGER = 7,
};

// ---- Colours ----------------------------------------------------------------
#define MakeColor(r, g, b) ((((r) & 0xFF) << 16) | (((g) & 0xFF) << 8) | ((b) & 0xFF))
enum {
  VAL_RED = 0xFF0000,
  VAL_DK_GREEN = 0x008000,
  VAL_GREEN = 0x00FF00,
  VAL_BLACK = 0x000000,
  VAL_WHITE = 0xFFFFFF,
  VAL_GRAY = 0x808080,
  VAL_LT_GRAY = 0xE0E0E0,
};

// ---- Graph styles -------------------------------------------------------------
enum {
  VAL_CONNECTED_POINTS = 5,     // plot style: points joined by lines
  VAL_VERTICAL_BAR = 6,         // plot style: a bar from 0 to each point, as wide as the
                                // spacing of the x values (evenly spaced, at least two)
  VAL_SMALL_SOLID_SQUARE = 10,  // point style of the video curves
  VAL_CURSOR_MARKER = 13,       // visible cursor marker
  VAL_NO_POINT = 24,            // no marker: the cursor's point is invisible
  VAL_SOLID = 0,                // line style
};
enum {
  VAL_IMMEDIATE_DRAW = 1,
  VAL_DELAYED_DRAW = 2,
  VAL_NO_DRAW = 0,
};
enum {
  VAL_BOTTOM_XAXIS = 0,
  VAL_LEFT_YAXIS = 1,
  VAL_RIGHT_YAXIS = 2,
};
enum {
  VAL_MANUAL = 0,
  VAL_AUTOSCALE = 1,
};
#define VAL_ALL_PLOTS (-1)

// ---- Control styles for NewCtrl --------------------------------------------
enum {
  CTRL_TEXT_MSG = 160,
};

// ---- File dialog ------------------------------------------------------------
enum {
  VAL_NO_FILE_SELECTED = 0,
  VAL_EXISTING_FILE_SELECTED = 1,
  VAL_NEW_FILE_SELECTED = 2,
};
enum {
  VAL_OK_BUTTON = 0,
  VAL_SAVE_BUTTON = 1,
  VAL_SELECT_BUTTON = 2,
  VAL_LOAD_BUTTON = 3,
};

// ---- Callbacks ----------------------------------------------------------------
typedef int (*CtrlCallbackPtr)(int panel, int control, int event, void *callbackData,
                               int eventData1, int eventData2);
typedef int (*PanelCallbackPtr)(int panel, int event, void *callbackData, int eventData1,
                                int eventData2);

// Registers a callback under the name a panel file gives it ("CC_BTNRun").
// Must happen before LoadPanel; a panel naming an unregistered callback fails
// to load with UIE_BAD_CALLBACK.
int RegisterCtrlCallback(const char *name, CtrlCallbackPtr fn);
int RegisterPanelCallback(const char *name, PanelCallbackPtr fn);

// ---- Panels and the event loop ---------------------------------------------
// parent 0: top-level window. Returns the new panel handle (> 0) or UIE_*.
int LoadPanel(int parentPanel, const char *resourceFile, int resourceId);
int DisplayPanel(int panel);   // shows it and brings it to the front
int HidePanel(int panel);
int DiscardPanel(int panel);
int SetPanelAttribute(int panel, int attribute, int value);
int SetPanelAttribute(int panel, int attribute, const char *value);
int GetPanelAttribute(int panel, int attribute, int *value);

int RunUserInterface(void);    // returns the code given to QuitUserInterface
int QuitUserInterface(int code);
int ProcessSystemEvents(void); // runs pending events once; callbacks may nest

// ---- Controls ----------------------------------------------------------------
// Set converts a number to the control's own type; a string goes only to a
// string control. Get insists on the exact type of the control.
int SetCtrlVal(int panel, int control, int value);
int SetCtrlVal(int panel, int control, unsigned int value);
int SetCtrlVal(int panel, int control, double value);
int SetCtrlVal(int panel, int control, const char *value);
int GetCtrlVal(int panel, int control, unsigned short *value);
int GetCtrlVal(int panel, int control, short *value);
int GetCtrlVal(int panel, int control, int *value);
int GetCtrlVal(int panel, int control, unsigned int *value);
int GetCtrlVal(int panel, int control, float *value);
int GetCtrlVal(int panel, int control, double *value);
int GetCtrlVal(int panel, int control, char *buffer, size_t bufferSize);

int SetCtrlAttribute(int panel, int control, int attribute, int value);
int SetCtrlAttribute(int panel, int control, int attribute, const char *value);
int GetCtrlAttribute(int panel, int control, int attribute, int *value);
int GetCtrlAttribute(int panel, int control, int attribute, char *buffer, size_t bufferSize);

// Creates a control on a panel at (top, left); returns its new id or UIE_*.
int NewCtrl(int panel, int style, const char *label, int top, int left);
int DisplayImageFile(int panel, int control, const char *path);

// Text boxes: lines numbered from 0. Replacing a line past the end appends
// empty lines up to it. SetCtrlVal on a text box replaces its whole text.
int ResetTextBox(int panel, int control, const char *text);
int ReplaceTextBoxLine(int panel, int control, int line, const char *text);
int GetTextBoxLine(int panel, int control, int line, char *buffer, size_t bufferSize);
int GetNumTextBoxLines(int panel, int control, int *count);

// ---- Rings ------------------------------------------------------------------------
// The position (from 0) of the ring item that has the value; UIE_BAD_VALUE
// when no item has it.
int GetIndexFromValue(int panel, int control, int *index, double value);
// The text of the ring item at the position, as the ring shows it.
int GetLabelFromIndex(int panel, int control, int index, char *label, size_t labelSize);

// ---- Graphs --------------------------------------------------------------------
// Plot handles are > 0 and unique per graph.
int PlotXY(int panel, int control, const void *xArray, const void *yArray, int numPoints,
           int xDataType, int yDataType, int plotStyle, int pointStyle, int lineStyle,
           int pointFrequency, int color);
int PlotRectangle(int panel, int control, double x1, double y1, double x2, double y2,
                  int color, int fillColor);
int DeleteGraphPlot(int panel, int control, int plotHandle, int refresh);
int SetAxisScalingMode(int panel, int control, int axis, int mode, double min, double max);
int SetGraphCursor(int panel, int control, int cursorNumber, double x, double y);
int SetCursorAttribute(int panel, int control, int cursorNumber, int attribute, int value);
// ATTR_PLOT_LG_TEXT: names a plot; a curve's name heads its column in the
// graph's data file ("curve 1", "curve 2" ... for unnamed ones).
int SetPlotAttribute(int panel, int control, int plotHandle, int attribute, const char *value);
// Named numbers a graph carries for its data file: what the drawing shows
// without saying it in numbers (an edge position, a set-point). A graph
// without curves saves its readings, one row each, in the order first set;
// setting a name again changes its value in place. Deleting all plots
// (DeleteGraphPlot with VAL_ALL_PLOTS) removes them, as does ClearGraphReadings.
int SetGraphReading(int panel, int control, const char *name, double value);
int ClearGraphReadings(int panel, int control);

// ---- Strip charts ------------------------------------------------------------
// numPoints values, taken from array[start] every (skip + 1)th element, are
// points of the traces in turn (trace 1, trace 2, ..., trace 1, ...).
int PlotStripChart(int panel, int control, const void *array, int numPoints, int start,
                   int skip, int dataType);
int ClearStripChart(int panel, int control);
int SetTraceAttribute(int panel, int control, int trace, int attribute, int value);
// ATTR_TRACE_LG_TEXT: names a trace; the name heads its column in the data file.
int SetTraceAttribute(int panel, int control, int trace, int attribute, const char *value);

// ---- Saving graphs --------------------------------------------------------------
// Every graph and strip chart has a context menu (right click, or the
// context-menu key while it has the focus) with "Save picture…" and "Save
// data…", open whenever the graph is shown, also while a polling loop runs.
// The graph is taken as it is when the operator chooses; the file dialog
// that follows lets the loop go on. A picture is the graph at its on-screen
// size with a caption line above it, as PNG, or SVG or PDF for a name ending
// .svg or .pdf (a name without extension gets .png). Data is CSV with a
// header row and '.' as decimal mark: a graph's curves one row per sample
// (with the panel file's dataX: one row per point of the first curve, its x
// first), or its readings; a strip chart one row per point shown, a column per trace
// (a name without extension gets .csv). Files are written under a temporary
// name and renamed once complete.
enum {
  GRAPH_PICTURE = 1,
  GRAPH_DATA = 2,
};
enum {
  GRAPH_SAVED = 0,
  GRAPH_NOT_DRAWN = -1,     // nothing drawn (or no numbers) yet: no dialog, no file
  GRAPH_NOT_WRITTEN = -2,   // the file could not be written: nothing left behind
  GRAPH_BAD_PICTURE_NAME = -3,  // a picture name ending in neither .png, .svg nor .pdf
};
// Writes the picture's caption line (Windows-1252, at most size bytes with
// the NUL): what the program wants a reader to know of it.
typedef void (*GraphCaptionPtr)(char *caption, size_t size);
// Told, from event processing, how a save the operator asked for ended
// (GRAPH_SAVED or a GRAPH_* fault; nothing when the dialog was cancelled).
typedef void (*GraphSavedPtr)(int panel, int control, int kind, int result);
int InstallGraphSaveCallbacks(GraphCaptionPtr caption, GraphSavedPtr saved);

// ---- File dialog -------------------------------------------------------------
// Writes the chosen path into path (at most pathSize bytes with the NUL) and
// returns VAL_*_FILE_SELECTED. A path that does not fit is refused with
// UIE_PATH_TOO_LONG and path is left empty.
int FileSelectPopup(const char *defaultDirectory, const char *defaultFileSpec,
                    const char *fileTypeList, const char *title, int buttonLabel,
                    int restrictDirectory, int restrictExtension, int allowCancel,
                    int allowMakeDirectory, char *path, size_t pathSize);

#endif
