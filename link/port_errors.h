// The operator's message for a serial port error code of the run-time layer
// (RS_*), the same words in the window's status box and in kvor's output.
#ifndef KVOR_LINK_PORT_ERRORS_H
#define KVOR_LINK_PORT_ERRORS_H

const char *PortErrorMessage(int code);

#endif
