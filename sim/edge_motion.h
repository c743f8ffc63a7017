// The object's edges as the two channels see them, reading after reading:
// a slow drift around the rest positions, a little jitter on every reading,
// and now and then a reading in which a channel finds no edge at all (dust,
// a reflection) or finds a second one.
#ifndef KVOR_SIM_EDGE_MOTION_H
#define KVOR_SIM_EDGE_MOTION_H

#include <cstdint>

#include "sim/random_source.h"

namespace kvorsim {

class EdgeMotion {
 public:
  // span: the line's length in virtual pixels; edges stay within 0..span.
  EdgeMotion(double restA, double restB, double span, uint32_t seed);

  // New rest positions; the edges stand there, without drift or jitter,
  // until the next step.
  void placeAt(double restA, double restB);
  void setSpan(double span);
  // One reading: advances the drift and draws jitter and edge counts.
  void step();

  double edge(int channel) const;          // channel 1 = A, 0 = B
  double restPosition(int channel) const;
  uint16_t edgeCount(int channel) const;   // 1 or 2 normally, 0 now and then
  uint64_t readings() const { return readings_; }

 private:
  double clampToLine(double x) const;

  double rest_[2];        // index 1 = A, 0 = B
  double edge_[2];
  uint16_t count_[2] = {1, 1};
  double phase_[2][2];
  double span_;
  uint64_t readings_ = 0;
  RandomSource random_;
};

}  // namespace kvorsim

#endif
