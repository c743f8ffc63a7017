// Identification of the sensor: its hardware description and firmware text.
#include <algorithm>
#include <cstdio>

#include "app/controls.h"
#include "app/globals.h"
#include "app/status.h"
#include "link/ccd_tables.h"
#include "link/com232.h"
#include "link/protocol.h"
#include "runtime/rs232/rs232.h"
#include "runtime/userint/userint.h"
#include "runtime/utility/utility.h"

namespace {

// The firmware text of the last complete reply, whatever the board's type
// (szVersion keeps it only for type 0); empty until one arrived.
char g_firmwareText[FIRMWARE_TEXT_CHARS + 1];

void ApplyHardwareDescription(const HardwareDescription &reply) {
  SetAxisScalingMode(pHandle, MAIN_VIDEO_A, VAL_BOTTOM_XAXIS, VAL_MANUAL, 1.0, ccdvirtpixel);
  SetAxisScalingMode(pHandle, MAIN_VIDEO_B, VAL_BOTTOM_XAXIS, VAL_MANUAL, 1.0, ccdvirtpixel);

  ccdvirtpixel = UsableVirtPixel(ccdvirtpixel);
  const uint16_t step = SampleStepForVirtPixel(ccdvirtpixel);
  for (int i = 0; i < VIDEO_SAMPLES; ++i) xArray8[i] = static_cast<double>(i * step);
  // The bar graphs span this sensor's line from now on, so the grey band the
  // panel values draw fills them before run mode first scales them.
  SetAxisScalingMode(pHandle, MAIN_BAR_A, VAL_BOTTOM_XAXIS, VAL_MANUAL, 0.0, ccdvirtpixel);
  SetAxisScalingMode(pHandle, MAIN_BAR_B, VAL_BOTTOM_XAXIS, VAL_MANUAL, 0.0, ccdvirtpixel);

  const CcdDescription d = DescribeCcd(ccdtype, hardwaretype, reply.adcWord);
  for (int line = 0; line < CCD_DESCRIPTION_LINES; ++line)
    ReplaceTextBoxLine(pCalib, CALIB_DESCRIPTION, line, d.line[line]);
  YMAXADC = d.adcFullScale;
}

}  // namespace

int GetHARDWAREInfo(void) {
  int result = 0;
  parameter.command = CMD_GET_HARDWARE;
  parameter.frameNo = 0;
  FillTxBuf(parameter.command, parameter.frameNo, pp);
  FlushOutQ(com);
  FlushInQ(com);
  rx_flag = 0;
  nBytesW = ComWrt(com, szWriteBuf, FRAME_BYTES);

  WaitForReply(POLL_REPLY_MS);
  if (rx_flag) {
    // Every field is taken before the echo is looked at.
    HardwareDescription reply;
    const int counts = DecodeHardwareReply(reinterpret_cast<const unsigned char *>(szReadBuf), &reply);
    ccdtype = reply.ccdType;
    ccdmaxpixel = reply.ccdMaxPixel;
    ccdresolution = reply.ccdResolution;
    pcbtype = reply.pcbType;
    ccdvirtpixel = reply.ccdVirtPixel;
    ccdsubpixel = reply.ccdSubPixel;
    ccdpixB = reply.ccdPixB;
    ccdpixE = reply.ccdPixE;
    softversion = reply.softVersion;
    hardwaretype = reply.hardwareType;
    if (counts) {
      result = 1;
      ApplyHardwareDescription(reply);
    }
  }
  return result;
}

void CopyFIRMWAREText(char *text, size_t size) {
  if (text == nullptr || size == 0) return;
  std::snprintf(text, size, "%s", g_firmwareText);
}

int GetVERSIONInfo(void) {
  // The 72-byte reply must stay in the queue: no callback may take 36 of it.
  InstallComCallback(com, 0, RX_NOTIFY_BYTES, EVENT_CHARACTER, nullptr, nullptr);
  FlushInQ(com);
  FlushOutQ(com);
  parameter.command = CMD_GET_VERSION;
  parameter.frameNo = 0;
  FillTxBuf(parameter.command, parameter.frameNo, pp);
  nBytesW = ComWrt(com, szWriteBuf, FRAME_BYTES);
  ShowText("Waiting for firmware info ...");

  // A blocking wait: no events run until the reply is complete or late.
  int waiting = 0;
  tstart = Timer();
  do {
    waiting = GetInQLen(com);
    // The device vanished meanwhile: nothing more can arrive (the loss is
    // told by the next event processing).
    if (waiting < 0) break;
    if (Timer() - tstart > TIMEOUT) {
      SetStatus("Timeout - reading firmware info!");
      break;
    }
    Sleep(POLL_FIRMWARE_MS);
  } while (waiting < FIRMWARE_REPLY_BYTES);

  szVersion[0] = '\0';
  g_firmwareText[0] = '\0';
  const int toRead = std::min(std::max(waiting, 0), static_cast<int>(SERIAL_BUFFER_SIZE));
  nBytesR = toRead > 0 ? ComRd(com, szReadBuf, toRead) : 0;
  if (nBytesR == FIRMWARE_REPLY_BYTES) {
    const unsigned char *reply = reinterpret_cast<const unsigned char *>(szReadBuf);
    if (pcbtype == 0) {
      DecodeFirmwareText(reply, pcbtype, szVersion, sizeof szVersion);
      SetStatus(szVersion);
    } else {
      DecodeFirmwareText(reply, pcbtype, szStatus, sizeof szStatus);
    }
    DecodeFirmwareText(reply, pcbtype, g_firmwareText, sizeof g_firmwareText);
  }

  AttachReceiveCallback();
  FlushInQ(com);
  FlushOutQ(com);
  rx_flag = 0;
  ShowStatus();
  return waiting;
}
