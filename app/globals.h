// The process-wide state of the program. Every routine reads and writes these
// globals; nothing is allocated per request and nothing is passed between
// operations except through them. Start values are set by InitVars.
#ifndef KVOR_APP_GLOBALS_H
#define KVOR_APP_GLOBALS_H

#include <cstdint>

typedef uint16_t u16;

// ---- Fixed sizes ------------------------------------------------------------
enum {
  PATH_BUFFER_SIZE = 260,     // paths, terminator included
  STATUS_TEXT_SIZE = 73,      // 72 characters and the terminator
  SERIAL_BUFFER_SIZE = 1024,  // szWriteBuf, szReadBuf
  VIDEO_SAMPLES = 128,
  STRIP_HISTORY_SIZE = 500,   // 100 points of 5 traces
};

// ---- Constants and values set at load ---------------------------------------
extern const int MAXPOINT;     // samples of a video curve and its threshold line
extern const double TIMEOUT;   // reply time-out of every exchange, seconds
extern const int eventMask;    // event mask of the serial receive callback
extern u16 YMAXADC;            // full scale of the video signal: 256 or 1024
extern double tstart;          // start of the exchange in progress (Timer seconds)
extern double tdiff;           // time elapsed since tstart

// ---- Panel handles ----------------------------------------------------------
extern int pHandle;            // main panel
extern int pPara1;             // first parameter panel
extern int pPara2;             // second parameter panel
extern int pCalib;             // calibration panel
extern int panelPopUp;         // recorder pop-up
extern int pCompare;           // compare pop-up
extern int pStats;             // statistics pop-up

// ---- Application state --------------------------------------------------------
extern char proj_dir[PATH_BUFFER_SIZE];
extern char szStatus[STATUS_TEXT_SIZE];
extern char szSoftName[72];
extern char szSoftVersion[72];
extern int stop_flag;          // 0 while a run, video or record loop runs

// ---- Sensor link ------------------------------------------------------------------
extern int com;                // serial port number, 1 = first port
extern int rx_flag;            // a reply frame has been taken from the input queue
extern int graph_flag;         // the last reply frame was a raw-values reply
extern char szWriteBuf[SERIAL_BUFFER_SIZE];
extern char szReadBuf[SERIAL_BUFFER_SIZE];
extern int nBytesW, nBytesR;

// ---- Device description ---------------------------------------------------------
extern char szVersion[72];
extern u16 ccdvirtpixel, ccdmaxpixel, ccdsubpixel;
extern u16 softversion, hardwaretype, pcbtype, ccdtype, ccdresolution, ccdpixB, ccdpixE;
extern double xArray8[VIDEO_SAMPLES];

// ---- Parameter set ----------------------------------------------------------------
// Field order is the order of the words on the wire: three header words,
// parameter frame 0, then parameter frame 1 with its two 32-bit fields.
struct ParameterRecord {
  u16 start, command, frameNo;
  // parameter frame 0
  u16 a1, thdA, teachA, a4, a5, tolUpper, tolLower, c7, hardwareMode, evalMode, c10, c11, c12,
      c13, c14;
  // parameter frame 1
  u16 b1, thdB, teachB, b4, b5, r5, r6, r7, r8, r9, r10;
  uint32_t calib;       // micrometres per virtual pixel times 16384
  uint32_t setpointUm;  // set-point in micrometres
};
extern ParameterRecord parameter;
extern u16 pp[16];     // data words of the next command frame and the last reply

// ---- Measured values of the last raw-values reply --------------------------------
extern u16 Aval, Bval, Mvalue, tolup, tollo, edcntA, edcntB, tValA, tValB, anaMax, anaMin,
    raw13, raw14, raw15;
extern int32_t umValue;

// ---- Storage target and files ---------------------------------------------------------
extern int target;     // 1 sensor RAM, 2 sensor EEPROM, 3 parameter file
extern char file_name[PATH_BUFFER_SIZE];
extern char recfile_name[PATH_BUFFER_SIZE];
extern char szDate[24];
extern char szTime[12];
extern int ret;        // result of the recorder file selection

// ---- Display state ----------------------------------------------------------------
extern u16 adcbufA[VIDEO_SAMPLES], adcbufB[VIDEO_SAMPLES];
extern u16 thdArrayA[VIDEO_SAMPLES], thdArrayB[VIDEO_SAMPLES];
extern u16 tVal, curposA, curposB;
extern u16 yaxisMAX;
extern double arrayNORM[STRIP_HISTORY_SIZE];

#endif
