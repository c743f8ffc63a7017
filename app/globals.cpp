// Storage of the process-wide state; the values here are those at load.
// InitVars gives every global its start value.
#include "app/globals.h"

#include "link/protocol.h"

const int MAXPOINT = 128;
const double TIMEOUT = REPLY_TIMEOUT_MS / 1000.0;
const int eventMask = 0x8006;
u16 YMAXADC = 256;
double tstart = 0.0;
double tdiff = 0.0;

int pHandle, pPara1, pPara2, pCalib, panelPopUp, pCompare, pStats;

char proj_dir[PATH_BUFFER_SIZE];
char szStatus[STATUS_TEXT_SIZE];
char szSoftName[72];
char szSoftVersion[72];
int stop_flag = 1;

int com = 1;
int rx_flag, graph_flag;
char szWriteBuf[SERIAL_BUFFER_SIZE];
char szReadBuf[SERIAL_BUFFER_SIZE];
int nBytesW, nBytesR;

char szVersion[72];
u16 ccdvirtpixel = 4096, ccdmaxpixel = 1024, ccdsubpixel = 2048;
u16 softversion, hardwaretype, pcbtype, ccdtype, ccdresolution, ccdpixB, ccdpixE;
double xArray8[VIDEO_SAMPLES];

ParameterRecord parameter;
u16 pp[16];

u16 Aval, Bval, Mvalue, tolup, tollo, edcntA, edcntB, tValA, tValB, anaMax, anaMin, raw13, raw14,
    raw15;
int32_t umValue;

int target = 1;
char file_name[PATH_BUFFER_SIZE];
char recfile_name[PATH_BUFFER_SIZE];
char szDate[24];
char szTime[12];
int ret;

u16 adcbufA[VIDEO_SAMPLES], adcbufB[VIDEO_SAMPLES];
u16 thdArrayA[VIDEO_SAMPLES], thdArrayB[VIDEO_SAMPLES];
u16 tVal, curposA, curposB;
u16 yaxisMAX = 2048;
double arrayNORM[STRIP_HISTORY_SIZE];
