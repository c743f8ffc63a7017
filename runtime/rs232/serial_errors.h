// What a QSerialPort's failures mean, for every user of QSerialPort in the
// project (the layer's ports and the command-line tool's own): an open that
// failed as one of the layer's RS_* codes, and whether an error means the
// device is gone. QtCore and QtSerialPort only.
#ifndef KVOR_RUNTIME_RS232_SERIAL_ERRORS_H
#define KVOR_RUNTIME_RS232_SERIAL_ERRORS_H

#include <QSerialPort>

#include <string>

// What the device node itself says before Qt is asked: RS_NO_SERIAL_PORT for
// a missing device, RS_CANNOT_OPEN_PORT for no permission or something that
// can never be a serial port (a folder, a regular file), 0 when it may open.
int CheckSerialDeviceNode(const std::string &device);

// The RS_* code of a failed QSerialPort::open.
int MapSerialOpenError(const QSerialPort &serial);

// Whether the error QSerialPort reported means the device is gone (the far
// end of a pseudo-terminal closed, a USB adapter pulled), as opposed to a
// read that merely found nothing.
bool SerialDeviceGone(QSerialPort *serial, QSerialPort::SerialPortError error);

// After a read or resource error that is not a gone device: QSerialPort has
// stopped watching the device for input (it takes a read that found nothing
// for a failure); this makes it watch again. Call it from event processing,
// after Qt's read has returned.
void WatchSerialInputAgain(QSerialPort *serial);

#endif
