// Windows' names of serial ports. Port n is COMn; the same port may be
// written com7, COM7 or with the device prefix \\.\COM7 (//./COM7), which
// COM10 and above need when opened by name.
#ifndef KVOR_RUNTIME_RS232_COM_NAMES_H
#define KVOR_RUNTIME_RS232_COM_NAMES_H

#include <string>

// The highest COM port number Windows gives.
const int MAX_COM_NAME_NUMBER = 256;

// n when the name is COMn in one of those spellings (n from 1 to
// MAX_COM_NAME_NUMBER, no sign, no leading zero), else 0.
int ComPortNumber(const std::string &name);

// "COMn", the name QSerialPort opens (it adds the \\.\ prefix itself); empty
// for a number out of range.
std::string ComPortName(int number);

#endif
