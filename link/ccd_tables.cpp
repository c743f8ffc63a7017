#include "link/ccd_tables.h"

#include "link/protocol.h"

uint16_t SampleStepForVirtPixel(uint16_t virtPixel) {
  switch (virtPixel) {
    case 256: return 2;
    case 512: return 4;
    case 768: return 6;
    case 1024: return 8;
    case 1280: return 10;
    case 1536: return 12;
    case 2048: return 16;
    case 2560: return 20;
    case 4096: return 32;
    case 8192: return 64;
    default: return 0;
  }
}

namespace {
const char kBlankLine[] = "                                ";  // 32 blanks
const char kNoInfo[] = "CCD-SENSOR: No Info Avialable!";
}  // namespace

CcdDescription DescribeCcd(uint16_t ccdType, uint16_t hardwareType, uint16_t adcWord) {
  const uint16_t fullScale = adcWord == 1024 ? 1024 : 256;
  if (ccdType == 20 && hardwareType == 80)
    return {{"1024-pixel; 7.8\xB5m pixel-pitch", "4096-subpixel; resolution=2\xB5m",
             "working-range = 7.98mm"},
            fullScale};
  if (ccdType == 20) return {{kNoInfo, kBlankLine, kBlankLine}, fullScale};
  if (ccdType == 202)
    return {{"256-pixel; 63.5\xB5m pixel-pitch", "1024-subpixel; resolution=16\xB5m",
             "working-range = 16.6mm"},
            fullScale};
  return {{kNoInfo, kBlankLine, kBlankLine}, 256};
}

int DecodeHardwareReply(const unsigned char *frame, HardwareDescription *d) {
  const auto word = [frame](int n) { return ReadWordBE(frame + 2 * n); };
  d->echo = word(1);
  d->ccdType = word(2);
  d->ccdMaxPixel = word(3);
  d->ccdResolution = word(4);
  d->pcbType = word(5);
  d->ccdVirtPixel = word(6);
  d->ccdSubPixel = word(7);
  d->ccdPixB = word(8);
  d->ccdPixE = word(9);
  d->softVersion = word(10);
  d->hardwareType = word(11);
  // Word 11 is the hardware type, so the full scale has a word of its own.
  d->adcWord = word(12);
  return d->echo == CMD_GET_HARDWARE ? 1 : 0;
}

uint16_t UsableVirtPixel(uint16_t virtPixel) {
  return SampleStepForVirtPixel(virtPixel) == 0 ? 2048 : virtPixel;
}
