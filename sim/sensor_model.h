// The sensor itself, without the line: its identity, parameter frames in RAM
// and EEPROM, the moving object it measures, and the answer it gives to each
// command frame. Not thread-safe; the simulator guards it.
#ifndef KVOR_SIM_SENSOR_MODEL_H
#define KVOR_SIM_SENSOR_MODEL_H

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "sim/edge_motion.h"
#include "sim/sensor_sim.h"
#include "sim/wire_format.h"

namespace kvorsim {

class SensorModel {
 public:
  SensorModel(const Identity &id, uint32_t seed, bool moving);

  // Acts on one 36-byte command frame. Returns false when the sensor gives
  // no answer (unknown command, a block request it cannot serve).
  bool answer(const uint8_t *frame, wire::Bytes *reply);

  Identity identity() const { return identity_; }
  void setIdentity(const Identity &id);
  ParamFrame ram(int frame) const { return ram_[slot(frame)]; }
  ParamFrame eeprom(int frame) const { return eeprom_[slot(frame)]; }
  void setRam(int frame, const ParamFrame &words) { ram_[slot(frame)] = fifteen(words); }
  void setEeprom(int frame, const ParamFrame &words) { eeprom_[slot(frame)] = fifteen(words); }

  // A word of the parameter set (0-14 frame 0, 15-29 frame 1) that a write
  // stores one higher than sent, while the write is acknowledged as usual:
  // a write that did not stick. -1: every word is stored as sent.
  void setCorruptedWord(int word) { corruptedWord_ = word; }

  void setMoving(bool moving);
  void setMeasurement(const Measurement &m) { pinned_ = m; }
  void setEdges(double edgeA, double edgeB);
  // What the next raw-values reply would carry if nothing moved before it.
  Measurement measurement() const;

  std::vector<uint16_t> videoLine(int channel) const;
  void setVideoLine(int channel, const std::vector<uint16_t> &samples);

 private:
  // Frame number 0 is frame 0; any other number addresses frame 1.
  static int slot(int frame) { return frame == 0 ? 0 : 1; }
  static ParamFrame fifteen(const ParamFrame &words);

  Measurement takeReading();
  Measurement evaluate() const;
  void resetExtremes();
  uint16_t edgeWord(int channel) const;

  Identity identity_;
  std::array<ParamFrame, 2> ram_, eeprom_;
  EdgeMotion motion_;
  bool moving_;
  uint64_t seed_;
  std::optional<Measurement> pinned_;
  int corruptedWord_ = -1;
  bool haveExtremes_ = false;
  uint16_t anaMax_ = 0, anaMin_ = 0;
  std::array<std::vector<uint16_t>, 2> videoOverride_;
};

}  // namespace kvorsim

#endif
