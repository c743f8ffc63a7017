// Internal to the run-time layer: the serial port table's start-up.
#ifndef KVOR_UI_PORT_TABLE_H
#define KVOR_UI_PORT_TABLE_H

// Fills the table from the machine's serial devices, then applies every
// "--port N=DEVICE" (or "--port" "N=DEVICE") of the command line. Returns 0,
// or a negative value for a malformed --port argument.
int InitPortTable(int argc, char **argv);

#endif
