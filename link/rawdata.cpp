// Requests for the live displays: raw values, video data blocks and the
// reset of the sensor's minimum and maximum.
#include <algorithm>

#include "app/globals.h"
#include "app/status.h"
#include "link/com232.h"
#include "link/protocol.h"
#include "runtime/rs232/rs232.h"
#include "runtime/userint/userint.h"
#include "runtime/utility/utility.h"

int PushGETRAW(void) {
  int result = 0;
  if (LineLost()) {
    ShowLineLost();
    stop_flag = 1;
    return 0;
  }
  FlushInQ(com);
  FlushOutQ(com);
  parameter.command = CMD_GET_RAW;
  parameter.frameNo = 0;
  FillTxBuf(parameter.command, parameter.frameNo, pp);
  nBytesW = ComWrt(com, szWriteBuf, FRAME_BYTES);
  if (nBytesW == FRAME_BYTES) ShowText("Line Ok!");

  graph_flag = 0;
  tstart = Timer();
  for (;;) {
    // Only a raw-values reply ends the wait; other replies only raise rx_flag.
    if (graph_flag == 1) {
      result = 1;
      break;
    }
    ProcessSystemEvents();
    if (LineLost()) break;  // told once, and stop_flag is set
    tdiff = Timer() - tstart;
    if (tdiff > TIMEOUT) {
      ShowText("Timeout RS232-Line!");
      stop_flag = 1;
      break;
    }
    Sleep(POLL_REPLY_MS);
  }
  return result;
}

int ReadData64(int start, int channel) {
  int result = 0;
  int waiting = 0;
  // A block belongs at index 0 or 64 of the line; any other start would be
  // stored past the line buffer, so it is not even asked for.
  if (start != 0 && start != DATA_BLOCK_SAMPLES) return 0;
  if (LineLost()) return 0;
  parameter.command = CMD_READ_BLOCK;
  FlushOutQ(com);
  FlushInQ(com);
  EncodeBlockRequest(reinterpret_cast<unsigned char *>(szWriteBuf), parameter.start,
                     static_cast<uint16_t>(start), static_cast<uint16_t>(channel));
  nBytesW = ComWrt(com, szWriteBuf, FRAME_BYTES);
  ShowText(start == 0 ? "Waiting for Data[64] Block 0 ..." : "Waiting for Data[64] Block 1 ...");

  tstart = Timer();
  do {
    waiting = GetInQLen(com);
    if (LineLost()) break;
    if (Timer() - tstart > TIMEOUT) {
      SetStatus("Timeout-RS-232 while reading 64 data-words!");
      break;
    }
    ProcessSystemEvents();
  } while (waiting < DATA_BLOCK_BYTES);
  if (LineLost()) return 0;

  const int toRead = std::min(std::max(waiting, 0), static_cast<int>(SERIAL_BUFFER_SIZE));
  nBytesR = toRead > 0 ? ComRd(com, szReadBuf, toRead) : 0;
  // Only a block of exactly 128 bytes is a block.
  if (nBytesR == DATA_BLOCK_BYTES) {
    SetStatus("Data[64] block received!");
    u16 *line = channel == 1 ? adcbufA : adcbufB;
    DecodeDataBlock(reinterpret_cast<const unsigned char *>(szReadBuf), line + start);
    result = 1;
  }
  ShowStatus();
  return result;
}

void ResetMaxMin(void) {
  if (LineLost()) {
    ShowLineLost();
    return;
  }
  parameter.command = CMD_RESET_MAXMIN;
  FlushInQ(com);
  FlushOutQ(com);
  rx_flag = 0;
  FillTxBuf(CMD_RESET_MAXMIN, 0, pp);
  nBytesW = ComWrt(com, szWriteBuf, FRAME_BYTES);
  ShowText("Reset Max/Min values...");

  double elapsed = 0.0;
  tstart = Timer();
  do {
    if (rx_flag == 1) break;
    ProcessSystemEvents();
    if (LineLost()) return;  // the loss is the last word, not an OK
    elapsed = Timer() - tstart;
    Sleep(POLL_REPLY_MS);
  } while (elapsed < TIMEOUT);

  SetStatus(elapsed <= TIMEOUT ? "Reset Max/Min OK!" : "Timeout-RS-232...");
  ShowStatus();
}
