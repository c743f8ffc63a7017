// The serial link to the sensor: the port, the command and reply frames in
// the shared buffers, the receive callback, the echo check, identification,
// raw values, data blocks and the max/min reset.
#ifndef KVOR_LINK_COM232_H
#define KVOR_LINK_COM232_H

#include <cstddef>
#include <cstdint>

#include "link/port_errors.h"

// ---- Frames in szWriteBuf / szReadBuf ---------------------------------------
void FillTxBuf(uint16_t command, uint16_t argument, const uint16_t *words);
int GetRxBuf(void);

// ---- Port and receive callback ------------------------------------------------
void RX_Receive_Function(int port, int eventWord, void *callbackData);
void AttachReceiveCallback(void);   // the receive callback as installed at start-up
void DetachReceiveCallback(void);   // same settings, no function: bytes stay queued
void InitRS232(int port);
int CheckComLine(int port);
int WaitRxFull(void);
// Waits for rx_flag by the request/reply pattern with the given poll interval:
// 1 when a reply frame arrived, 0 after TIMEOUT with szStatus "Timeout-RS-232...".
int WaitForReply(int pollMs);
// 1 from the moment the device of the port in use vanished until a port is
// opened again: nothing more can be exchanged, so no exchange is started and
// no wait goes on.
int LineLost(void);
// Tells the operator again that the device is gone (the last word of an
// action that the loss cut short).
void ShowLineLost(void);
int CC_DropDCom(int panel, int control, int event, void *callbackData, int eventData1,
                int eventData2);

// ---- Identification ---------------------------------------------------------------
int GetHARDWAREInfo(void);
int GetVERSIONInfo(void);
// The firmware text of the last complete firmware reply ("" before one, and
// after a reply that was not 72 bytes), into text of size bytes.
void CopyFIRMWAREText(char *text, size_t size);

// ---- Raw values, data blocks, max/min reset --------------------------------------
int PushGETRAW(void);
int ReadData64(int start, int channel);
void ResetMaxMin(void);

#endif
