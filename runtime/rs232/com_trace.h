// The wire trace: one line per frame that goes over a serial line, written
// and flushed as it happens, so a support engineer sees the bytes exchanged
// with the sensor. Plain C++ and the standard library only, so any program
// can call it: the serial layer writes it for every path to the line of the
// window program; a tool that drives its own serial ports calls it itself
// for each write and each read.
//
// A line:
//   2025-03-14T09:26:53.589793Z TX 36 00 55 00 05 00 00 ... | CMD_ECHO (5), argument 0
// the time in UTC with microseconds, TX (to the line) or RX (from it), the
// byte count, the bytes in hex separated by blanks, then " | " and a summary.
// A trace opened with namePorts begins each summary with the port's name and
// a colon ("/dev/ttyUSB0: CMD_ECHO (5), argument 0"), for a file that holds
// several ports.
//
// Off (no file open) every call returns at once.
#ifndef KVOR_RUNTIME_RS232_COM_TRACE_H
#define KVOR_RUNTIME_RS232_COM_TRACE_H

#include <cstddef>

enum {
  TRACE_TX = 0,  // the program wrote the bytes to the line
  TRACE_RX = 1,  // the program took the bytes from the line
};

// Bytes that arrive outside a frame go on lines of at most this many bytes.
enum { TRACE_UNFRAMED_LINE_BYTES = 36 };

// Writes a summary of one frame into out (size bytes with the NUL).
// lastSent is the last frame sent on the same port (lastSentCount 0: none
// yet), so a reply can be read in its light.
typedef void (*ComTraceSummaryPtr)(int direction, const unsigned char *bytes, int count,
                                   const unsigned char *lastSent, int lastSentCount, char *out,
                                   size_t size);

// Creates the trace file (an existing one is emptied) and starts tracing.
// Returns 0, or -1 with the reason in reason (reasonSize bytes) when the file
// cannot be written; a trace already open is closed first.
int OpenComTrace(const char *path, int namePorts, char *reason, size_t reasonSize);
void CloseComTrace(void);
int ComTraceOn(void);  // 1 while a trace file is open

// The decoder of the summaries; without one, a frame's summary is its size.
void SetComTraceSummary(ComTraceSummaryPtr summary);

// One frame the program wrote (TRACE_TX) or read as one piece (TRACE_RX) on
// the named port. note, when not null, is added to the summary ("only 20
// written").
void TraceComFrame(const char *port, int direction, const void *bytes, int count,
                   const char *note);
// Bytes that came from the line and were thrown away or never read as part
// of a frame (flushed, left behind a frame, left at close): RX lines marked
// "unframed bytes", with how they went ("flushed unread").
void TraceComUnframed(const char *port, const void *bytes, int count, const char *how);

#endif
