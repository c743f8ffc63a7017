// Control ids of the seven panels, as the panel files give them, and the
// resource ids of the panels in the resource file.
#ifndef KVOR_APP_CONTROLS_H
#define KVOR_APP_CONTROLS_H

#define UIR_FILE "K-VOR-NE-ZevevU301.uir"

enum PanelResource {
  RES_CALIB = 1,
  RES_MAIN = 2,
  RES_PARA1 = 3,
  RES_PARA2 = 4,
  RES_RECORDER = 5,
  RES_COMPARE = 6,
  RES_STATS = 7,
};

// Main panel.
enum {
  MAIN_DROPDCOM = 2,           // port selector
  MAIN_BTNGET = 3,             // released by the Stop buttons
  MAIN_BUTTONTEACH = 4,        // locked by video mode and recording
  MAIN_RBTFILE = 8,
  MAIN_RBTEEPROM = 9,
  MAIN_RBTRAM = 10,
  MAIN_BTNVIDEO = 11,          // locked by video mode and recording
  MAIN_BTNRUN = 13,            // locked by every mode
  MAIN_VALUE_MM = 14,          // measured value in mm, coloured by tolerance
  MAIN_VALUE_VPX = 15,         // measured value in virtual pixels
  MAIN_EDGE_B = 16,
  MAIN_EDGE_A = 17,
  MAIN_BRAND_BAND = 18,
  MAIN_NEDITEACHB = 19,
  MAIN_NEDITEACHA = 20,
  MAIN_STATUS = 21,
  MAIN_VIDEO_B = 22,
  MAIN_VIDEO_A = 23,
  MAIN_BAR_B = 24,
  MAIN_BAR_A = 25,
  MAIN_STRIPCHART = 26,
  MAIN_LOGO = 27,
  MAIN_TOGGBTN_RECORDER = 28,
  MAIN_TOGBTN_ZOOM = 29,
  MAIN_TOGGBTN_CALIB = 30,
  MAIN_TOGGBTN_PARA2 = 31,
  MAIN_TOGGBTN_PARA1 = 32,
  MAIN_ANA_MIN = 33,
  MAIN_TOL_LOWER_MM = 34,
  MAIN_TOL_UPPER_MM = 35,
  MAIN_ANA_MAX = 36,
  MAIN_BTNSTOP = 37,
  MAIN_BUTTONRESET = 38,
  MAIN_BTNSEND = 39,
  MAIN_NEDITTOLLEFF = 40,
  MAIN_BTNCOMPARE = 41,         // compares the panels with the storage target
  MAIN_CHKVERIFY = 42,          // Verify after sending
  MAIN_TOGGBTN_STATS = 43,      // shows the statistics pop-up
};

// First parameter panel.
enum {
  PARA1_TOL_LOWER = 3,
  PARA1_TOL_UPPER = 4,
  PARA1_C11 = 5,
  PARA1_DROPEVALMODE = 6,
  PARA1_C12 = 15,
  PARA1_DROPHARDWAREMODE = 16,
  PARA1_C13 = 17,
  PARA1_C10 = 18,
};

// Second parameter panel.
enum {
  PARA2_SLIDEVIDEOTHD_B = 3,
  PARA2_B1 = 4,
  PARA2_SLIDEVIDEOTHD_A = 9,
  PARA2_A1 = 13,
  PARA2_C7 = 14,
  PARA2_A4 = 15,
  PARA2_A5 = 16,
  PARA2_B4 = 17,
  PARA2_B5 = 18,
  PARA2_THD_A_LABEL = 19,     // follow their sliders by themselves
  PARA2_THD_B_LABEL = 20,
};

// Calibration panel.
enum {
  CALIB_DESCRIPTION = 7,
  CALIB_SETPOINT_UM = 8,
  CALIB_FACTOR = 9,
};

// Recorder pop-up.
enum {
  REC_FILE_BOX = 2,
  REC_STATE_BOX = 3,
  REC_NEDITRECSAMPLES = 4,
  REC_NEDITRECTIME = 5,
  REC_SECONDS = 6,
  REC_MINUTES = 7,
  REC_HOURS = 8,
  REC_DAYS = 9,
  REC_SAMPLE_COUNTER = 10,
  REC_RECORDFILENAMEBTN = 11,
  REC_BTNSTOPRECORD = 12,
  REC_BTNSTARTRECORD = 13,     // locked while any loop runs
};

// Compare pop-up: the fields that differ between the panels (or what was
// sent) and a storage target.
enum {
  COMPARE_HEADING = 2,
  COMPARE_LIST = 3,
  COMPARE_BTNTAKE = 4,
  COMPARE_BTNCLOSE = 5,
};

// Statistics pop-up: the figures of the measured values over the chosen
// window, against the limits, and their histogram.
enum {
  STATS_DROPSTATSVALUES = 2,   // Since Run / Last 100 values
  STATS_SAMPLES = 3,
  STATS_MEAN = 4,
  STATS_SD = 5,
  STATS_MIN = 6,
  STATS_MAX = 7,
  STATS_RANGE = 8,
  STATS_STRSTATSLOWER = 9,     // limits, editable; empty: no limit
  STATS_STRSTATSUPPER = 10,
  STATS_WITHIN = 11,
  STATS_BELOW = 12,
  STATS_ABOVE = 13,
  STATS_GREEN = 14,
  STATS_CP = 15,
  STATS_CPK = 16,
  STATS_HISTOGRAM = 17,
};

// Graph cursors.
enum {
  CURSOR_SETPOINT = 1,
  CURSOR_MEASURED = 2,
};

#endif
