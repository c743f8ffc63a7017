// What the hardware description means: the reply's words, the sample
// positions of the video curves and the description of the CCD line. Pure:
// the window and the command-line tool both read a sensor through these.
#ifndef KVOR_LINK_CCD_TABLES_H
#define KVOR_LINK_CCD_TABLES_H

#include <cstdint>

// Step between the video samples' x positions for a line of virtPixel
// virtual pixels; 0 when the sensor reports a length the program does not know.
uint16_t SampleStepForVirtPixel(uint16_t virtPixel);

enum { CCD_DESCRIPTION_LINES = 3 };
struct CcdDescription {
  const char *line[CCD_DESCRIPTION_LINES];
  uint16_t adcFullScale;   // 256 or 1024
};
// adcWord: the reply word that carries the ADC full scale.
CcdDescription DescribeCcd(uint16_t ccdType, uint16_t hardwareType, uint16_t adcWord);

// The device description of a hardware-information reply, word by word as
// the sensor sent it (nothing replaced).
struct HardwareDescription {
  uint16_t echo;            // word 1: 10 (CMD_GET_HARDWARE) for a reply that counts
  uint16_t ccdType;         // word 2
  uint16_t ccdMaxPixel;     // word 3: physical pixels of the line
  uint16_t ccdResolution;   // word 4
  uint16_t pcbType;         // word 5: how the firmware text is sent
  uint16_t ccdVirtPixel;    // word 6: virtual (sub-pixel) positions of the line
  uint16_t ccdSubPixel;     // word 7
  uint16_t ccdPixB;         // word 8
  uint16_t ccdPixE;         // word 9
  uint16_t softVersion;     // word 10
  uint16_t hardwareType;    // word 11
  uint16_t adcWord;         // word 12: the ADC full scale, 256 or 1024
};
// Reads the 36-byte reply into *d; 1 when its echo is 10 (the reply counts),
// 0 otherwise (the words are read all the same).
int DecodeHardwareReply(const unsigned char *frame, HardwareDescription *d);
// The line length the program works with: the sensor's when the sample table
// knows it, else 2048.
uint16_t UsableVirtPixel(uint16_t virtPixel);

#endif
