// Windows-1252, the code page of the system's texts and of the sensor's
// firmware text: every byte is one character (the micro sign is B5). Plain
// C++; the window's controls and the command-line tool both convert here.
#ifndef KVOR_RUNTIME_UTILITY_CODE_PAGE_H
#define KVOR_RUNTIME_UTILITY_CODE_PAGE_H

// The character a byte stands for (a UTF-16 code unit: all of them are in the
// basic plane).
char16_t Cp1252ToUnicode(unsigned char byte);
// The byte for a character; -1 when the code page has none.
int UnicodeToCp1252(char16_t character);

#endif
