// Reproducible random numbers: the same seed gives the same motion, noise
// and garbage on every machine, so a test can rely on a seed's sequence.
#ifndef KVOR_SIM_RANDOM_SOURCE_H
#define KVOR_SIM_RANDOM_SOURCE_H

#include <cstdint>

namespace kvorsim {

class RandomSource {
 public:
  explicit RandomSource(uint64_t seed) : state_(seed) {}
  uint32_t next() { return static_cast<uint32_t>(mix(state_ += 0x9E3779B97F4A7C15ULL) >> 32); }
  double uniform() { return next() / 4294967296.0; }          // [0, 1)
  double symmetric() { return 2.0 * uniform() - 1.0; }        // [-1, 1)

  // A stateless hash (splitmix64's finaliser): noise that depends only on
  // where it is taken, not on how often it was asked for before.
  static uint64_t mix(uint64_t z) {
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }

 private:
  uint64_t state_;
};

}  // namespace kvorsim

#endif
