// What a sensor is and holds when it leaves the factory.
#include <cmath>

#include "sim/sensor_sim.h"

namespace kvorsim {

Identity identityForCcdType(uint16_t ccdType) {
  Identity id;
  id.ccdType = ccdType;
  if (ccdType == 202) {
    id.ccdMaxPixel = 256;
    id.ccdResolution = 16;
    id.ccdVirtPixel = 1024;
    id.ccdSubPixel = 4;
    id.ccdPixB = 0;
    id.ccdPixE = 255;
    id.hardwareType = 81;
  }
  return id;
}

double powerUpEdge(int channel, const Identity &id) {
  const double span = id.ccdVirtPixel > 0 ? id.ccdVirtPixel : 4096;
  return std::round(span * (channel == 1 ? 0.45 : 0.55));
}

ParamFrame factoryFrame(int frame, const Identity &id) {
  const uint16_t teachA = static_cast<uint16_t>(powerUpEdge(1, id));
  const uint16_t teachB = static_cast<uint16_t>(powerUpEdge(0, id));
  if (frame == 0) {
    // a1, thdA, teachA, a4, a5, tolUpper, tolLower, c7, hardwareMode,
    // evalMode (1: the measurement is edge A), c10, c11, c12, c13, c14
    return {500, 50, teachA, 1, 2048, 50, 50, 1, 1, 1, 1, 0, 1, 1, 0};
  }
  // calib 4096 is 0.25 um per virtual pixel; the set-point in micrometres is
  // where teachA lies in evaluation mode 1. Both 32-bit fields low word first.
  const uint32_t calib = 4096;
  const uint32_t setpointUm = static_cast<uint32_t>(teachA) * calib / 16384;
  return {500, 50, teachB, 1, 2048, 0, 0, 0, 0, 0, 0,
          static_cast<uint16_t>(calib & 0xFFFF), static_cast<uint16_t>(calib >> 16),
          static_cast<uint16_t>(setpointUm & 0xFFFF), static_cast<uint16_t>(setpointUm >> 16)};
}

}  // namespace kvorsim
