#include "sim/edge_motion.h"

#include <algorithm>
#include <cmath>

namespace kvorsim {

namespace {
constexpr double kTwoPi = 6.283185307179586;
// Two slow waves per channel: about 480 and 131 readings long (24 s and 6.5 s
// in run mode), together up to 1.8 % of the line, a little more than a
// typical tolerance so the measurement wanders in and out of its window.
constexpr double kSlowPeriod = 480.0, kSlowAmplitude = 0.012;
constexpr double kFastPeriod = 131.0, kFastAmplitude = 0.006;
// Jitter of one reading: 1.5 virtual pixels on a 4096-pixel line.
constexpr double kJitterPerSpan = 1.5 / 4096.0;
// About one reading in 50 has a channel without an edge.
constexpr double kNoEdgeChance = 0.01;
constexpr double kSecondEdgeChance = 0.08;
}  // namespace

EdgeMotion::EdgeMotion(double restA, double restB, double span, uint32_t seed)
    : span_(span > 0 ? span : 4096), random_(RandomSource::mix(seed) ^ 0x5EED) {
  for (auto &channel : phase_)
    for (double &p : channel) p = kTwoPi * random_.uniform();
  placeAt(restA, restB);
}

void EdgeMotion::placeAt(double restA, double restB) {
  rest_[1] = clampToLine(restA);
  rest_[0] = clampToLine(restB);
  edge_[1] = rest_[1];
  edge_[0] = rest_[0];
  count_[0] = count_[1] = 1;
}

void EdgeMotion::setSpan(double span) {
  span_ = span > 0 ? span : 4096;
  placeAt(rest_[1], rest_[0]);
}

void EdgeMotion::step() {
  ++readings_;
  const double k = static_cast<double>(readings_);
  for (int ch = 0; ch < 2; ++ch) {
    const double drift = kSlowAmplitude * std::sin(kTwoPi * k / kSlowPeriod + phase_[ch][0]) +
                         kFastAmplitude * std::sin(kTwoPi * k / kFastPeriod + phase_[ch][1]);
    const double jitter = std::max(0.5, kJitterPerSpan * span_) * random_.symmetric();
    edge_[ch] = clampToLine(rest_[ch] + drift * span_ + jitter);
    const double r = random_.uniform();
    count_[ch] = r < kNoEdgeChance ? 0 : (r < kNoEdgeChance + kSecondEdgeChance ? 2 : 1);
  }
}

double EdgeMotion::edge(int channel) const { return edge_[channel == 1 ? 1 : 0]; }
double EdgeMotion::restPosition(int channel) const { return rest_[channel == 1 ? 1 : 0]; }
uint16_t EdgeMotion::edgeCount(int channel) const { return count_[channel == 1 ? 1 : 0]; }

double EdgeMotion::clampToLine(double x) const { return std::clamp(x, 0.0, span_); }

}  // namespace kvorsim
