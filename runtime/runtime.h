// Start and end of the run-time layer, and the serial port table.
#ifndef KVOR_RUNTIME_RUNTIME_H
#define KVOR_RUNTIME_RUNTIME_H

#include <cstddef>

// Creates the application object and reads the layer's own options:
//   --port N=DEVICE      port N is DEVICE (may repeat); "simulated" is the
//                        simulated sensor inside the program
//   --close-when-shown   the first panel shown as a window gets one close
//                        request from the event loop, as from its close box
// Other arguments are left to the caller. Returns 0, or a negative value when
// the user interface cannot be started. A further call reads the --port
// options again (the port table starts afresh) and changes nothing else.
int InitCVIRTE(int argc, char **argv);
void CloseCVIRTE(void);

// ---- Port table ------------------------------------------------------------------
// Port numbers start at 1. --port and SetComPortDevice set single entries,
// which stay as given; the machine's serial devices (USB and ACM adapters
// first, then the others, each group sorted by name) take the numbers left
// free; a device given by another of its names (a bare "ttyUSB0", a link
// such as /dev/serial/by-id/...) gets no second number. Opening the port
// selector looks at the machine again: a device keeps its number while it is
// there, a new one takes the lowest free number, and one that has gone stays
// in the table marked as not present.
enum { MAX_COM_PORTS = 64 };
int SetComPortDevice(int port, const char *device);   // device "" removes the entry
// The device port N opens: a given name resolved to the device it leads to.
// UIE/RS error if none; RS_NO_SERIAL_PORT for a gone adapter's entry whose
// device name another device has now.
int GetComPortDevice(int port, char *device, size_t size);
int GetComPortCount(void);            // highest port number in the table
// Fills out with "N: DEVICE" for port N, followed where known by the
// adapter's description and serial number ("2: /dev/ttyUSB0 — USB serial
// adapter (A10KX3)") and a mark for a device that has gone (UTF-8).
int GetComPortLabel(int port, char *out, size_t size);

#endif
