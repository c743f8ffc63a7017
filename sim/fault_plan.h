// The faults a test can switch on, and what they do to one reply on its way
// out: a deaf sensor, a wrong sync word, a reply cut short or overlong,
// garbage in front, every n-th reply lost, selected commands unanswered, a
// wrong command echo.
#ifndef KVOR_SIM_FAULT_PLAN_H
#define KVOR_SIM_FAULT_PLAN_H

#include <cstdint>
#include <vector>

#include "sim/random_source.h"
#include "sim/wire_format.h"

namespace kvorsim {

struct FaultSettings {
  bool mute = false;
  bool wrongSync = false;
  int lengthDelta = 0;
  int delayMs = 0;
  int garbage = 0;
  int dropEvery = 0;
  std::vector<int> muteCommands;
  int echoOverride = -1;
  // When not empty, the shaping faults (all but mute) touch only these commands.
  std::vector<int> faultCommands;
};

class FaultPlan {
 public:
  explicit FaultPlan(uint64_t seed) : random_(RandomSource::mix(seed) ^ 0xFA17) {}

  FaultSettings &settings() { return settings_; }
  // Starts counting afresh, so "every n-th" counts from the change on.
  void restartDropCount() { answered_ = 0; }

  // Shapes the sensor's answer to `command` for the line. Returns false when
  // the answer does not go out at all.
  bool shape(uint16_t command, wire::Bytes *reply);
  // Whether the shaping faults apply to the answer to `command`.
  bool appliesTo(uint16_t command) const;

 private:
  FaultSettings settings_;
  uint64_t answered_ = 0;
  RandomSource random_;
};

}  // namespace kvorsim

#endif
