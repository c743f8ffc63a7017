// What the hardware description means: sample positions of the video curves
// and the description of the CCD line.
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

#endif
