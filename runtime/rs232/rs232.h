// The serial half of the run-time layer: ports addressed by number through
// the port table (see runtime.h), each opened on a real serial device, a
// pseudo-terminal, or (device name "simulated") the simulated sensor running
// inside the program, which behaves as a device on a line: the same calls,
// the same receive callback, and a hang-up of the sensor is a lost device.
//
// Results: >= 0 success (a byte count where one is asked for), negative an
// error code of the table below. A device that vanishes while open (USB
// unplug, the far end of a pseudo-terminal closed) closes the port once in
// the layer; the com-lost callback is told once, and further operations on
// the port return RS_PORT_NOT_OPEN until it is opened again.
#ifndef KVOR_RUNTIME_RS232_RS232_H
#define KVOR_RUNTIME_RS232_RS232_H

enum {
  RS_UNKNOWN_SYSTEM_ERROR = -1,
  RS_INVALID_PORT_NUMBER = -2,  // no entry in the port table
  RS_PORT_NOT_OPEN = -3,
  RS_UNKNOWN_IO_ERROR = -4,
  RS_NO_SERIAL_PORT = -6,       // the table names a device that is not there
  RS_CANNOT_OPEN_PORT = -7,     // busy, refused or no permission
  RS_INVALID_PARAMETER = -13,
  RS_TIMEOUT = -99,
};

enum {
  RS_NO_PARITY = 0,
  RS_ODD_PARITY = 1,
  RS_EVEN_PARITY = 2,
};

// Event bits of the receive callback.
enum {
  LWRS_RXCHAR = 0x0001,
  LWRS_RXFLAG = 0x0002,     // the event character arrived (never delivered)
  LWRS_TXEMPTY = 0x0004,    // output queue empty (never delivered)
  LWRS_RECEIVE = 0x8000,    // at least notifyCount bytes wait in the input queue
};

typedef void (*ComCallbackPtr)(int port, int eventMask, void *callbackData);
typedef void (*ComLostCallbackPtr)(int port);

// deviceName may be empty or null: the port table's device for the number is used.
int OpenComConfig(int port, const char *deviceName, long baudRate, int parity, int dataBits,
                  int stopBits, int inputQueueSize, int outputQueueSize);
int CloseCom(int port);
int SetComTime(int port, double timeoutSeconds);
int SetCTSMode(int port, int mode);
int FlushInQ(int port);
int FlushOutQ(int port);
// Returns once the bytes have left the program (or the port time-out passed);
// the result is the number of bytes written.
int ComWrt(int port, const char *buffer, int count);
// Reads up to count bytes that are already waiting or arrive within the port
// time-out; returns the number read.
int ComRd(int port, char *buffer, int count);
// For a reader that takes frames off the bytes itself: ComRd without a line
// in the wire trace, and the line for each piece it took, one frame (framed
// 1; note, when not null, is added to its summary) or bytes no frame took
// (framed 0; note says how they went).
int ComRdUntraced(int port, char *buffer, int count);
void TraceComRead(int port, const char *bytes, int count, int framed, const char *note);
// Bytes waiting, including those the device has delivered that no event
// processing has fetched yet. Never runs the event loop.
int GetInQLen(int port);
// Calls fn from event processing only, once at least notifyCount bytes are
// waiting and LWRS_RECEIVE is in eventMask. fn == nullptr stops the calls.
int InstallComCallback(int port, int eventMask, int notifyCount, int eventCharacter,
                       ComCallbackPtr fn, void *callbackData);
// Called once, from event processing, when an open port's device vanishes.
int InstallComLostCallback(ComLostCallbackPtr fn);

#endif
