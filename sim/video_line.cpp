#include "sim/video_line.h"

#include <algorithm>
#include <cmath>

#include "sim/random_source.h"
#include "sim/sensor_sim.h"

namespace kvorsim {

namespace {
constexpr double kBrightCentre = 0.88;   // of full scale, in the middle of the line
constexpr double kVignetting = 0.06;     // lost at both ends
constexpr double kShadow = 0.10;
constexpr double kBrightNoise = 0.012;
constexpr double kShadowNoise = 0.006;
constexpr double kTransitionWidth = 0.8; // samples; the step spans about four

double noiseAt(uint64_t seed, int i) {
  const uint64_t h = RandomSource::mix(seed * 131 + static_cast<uint64_t>(i) + 1);
  return static_cast<double>(h >> 11) / 9007199254740992.0 * 2.0 - 1.0;
}
}  // namespace

std::vector<uint16_t> makeVideoLine(double edge, uint16_t virtPixel, uint16_t fullScale,
                                    uint64_t noiseSeed) {
  const double span = virtPixel > 0 ? virtPixel : 4096;
  const double full = fullScale > 1 ? fullScale : 256;
  const double edgeSample = edge * proto::kVideoSamples / span;
  const double centre = (proto::kVideoSamples - 1) / 2.0;
  std::vector<uint16_t> line(proto::kVideoSamples);
  for (int i = 0; i < proto::kVideoSamples; ++i) {
    const double u = (i - centre) / centre;
    const double bright = full * (kBrightCentre - kVignetting * u * u + kBrightNoise * noiseAt(noiseSeed, i));
    const double dark = full * (kShadow + kShadowNoise * noiseAt(noiseSeed ^ 0xDA4C, i));
    const double shade = 1.0 / (1.0 + std::exp(-(i - edgeSample) / kTransitionWidth));
    const double v = bright * (1.0 - shade) + dark * shade;
    line[i] = static_cast<uint16_t>(std::clamp(std::lround(v), 0L, static_cast<long>(full) - 1));
  }
  return line;
}

}  // namespace kvorsim
