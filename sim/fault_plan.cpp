#include "sim/fault_plan.h"

#include <algorithm>

#include "sim/sensor_sim.h"

namespace kvorsim {

bool FaultPlan::appliesTo(uint16_t command) const {
  const std::vector<int> &only = settings_.faultCommands;
  return only.empty() || std::find(only.begin(), only.end(), command) != only.end();
}

bool FaultPlan::shape(uint16_t command, wire::Bytes *reply) {
  const FaultSettings &f = settings_;
  if (f.mute) return false;
  if (std::find(f.muteCommands.begin(), f.muteCommands.end(), command) != f.muteCommands.end()) return false;
  if (!appliesTo(command)) return true;
  ++answered_;
  if (f.dropEvery > 0 && answered_ % static_cast<uint64_t>(f.dropEvery) == 0) return false;

  // The firmware text and the sample blocks are bare bytes: no sync word and
  // no echo to falsify.
  const bool framed = command != proto::GetVersion && command != proto::ReadBlock;
  if (framed && f.echoOverride >= 0) wire::setWordAt(*reply, 1, static_cast<uint16_t>(f.echoOverride));
  if (framed && f.wrongSync) wire::setWordAt(*reply, 0, proto::kSyncCommand);

  if (f.lengthDelta < 0) {
    const size_t cut = std::min<size_t>(reply->size(), static_cast<size_t>(-f.lengthDelta));
    reply->resize(reply->size() - cut);
  } else {
    for (int i = 0; i < f.lengthDelta; ++i) reply->push_back(static_cast<uint8_t>(random_.next()));
  }
  if (f.garbage > 0) {
    wire::Bytes junk(static_cast<size_t>(f.garbage));
    for (uint8_t &b : junk) b = static_cast<uint8_t>(random_.next());
    reply->insert(reply->begin(), junk.begin(), junk.end());
  }
  return true;
}

}  // namespace kvorsim
