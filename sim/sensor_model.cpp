#include "sim/sensor_model.h"

#include <algorithm>
#include <cmath>

#include "sim/video_line.h"

namespace kvorsim {

namespace {
// Parameter words the sensor acts on.
constexpr int kTeachWord = 2;        // teachA in frame 0, teachB in frame 1
constexpr int kTolUpperWord = 5;     // frame 0
constexpr int kTolLowerWord = 6;     // frame 0
constexpr int kEvalModeWord = 9;     // frame 0
constexpr int kCalibLowWord = 11;    // frame 1, then the high word
constexpr int64_t kCalibUnit = 16384;

uint16_t toWord(int64_t v) { return static_cast<uint16_t>(std::clamp<int64_t>(v, 0, 65535)); }
int32_t toInt32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}
}  // namespace

SensorModel::SensorModel(const Identity &id, uint32_t seed, bool moving)
    : identity_(id),
      motion_(powerUpEdge(1, id), powerUpEdge(0, id), id.ccdVirtPixel, seed),
      moving_(moving),
      seed_(seed) {
  for (int f = 0; f < 2; ++f) ram_[f] = eeprom_[f] = factoryFrame(f, id);
}

ParamFrame SensorModel::fifteen(const ParamFrame &words) {
  ParamFrame out(words.begin(), words.begin() + std::min<size_t>(words.size(), proto::kFrameDataWords));
  out.resize(proto::kFrameDataWords, 0);
  return out;
}

void SensorModel::setIdentity(const Identity &id) {
  const bool spanChanged = id.ccdVirtPixel != identity_.ccdVirtPixel;
  identity_ = id;
  if (spanChanged) motion_.setSpan(id.ccdVirtPixel);
}

void SensorModel::setMoving(bool moving) {
  if (moving && pinned_) {
    motion_.placeAt(pinned_->aval, pinned_->bval);
    pinned_.reset();
  }
  moving_ = moving;
}

void SensorModel::setEdges(double edgeA, double edgeB) {
  pinned_.reset();
  motion_.placeAt(edgeA, edgeB);
}

uint16_t SensorModel::edgeWord(int channel) const { return toWord(std::llround(motion_.edge(channel))); }

Measurement SensorModel::evaluate() const {
  const ParamFrame &f0 = ram_[0], &f1 = ram_[1];
  const int64_t a = edgeWord(1), b = edgeWord(0);
  const int64_t virt = identity_.ccdVirtPixel;
  const int64_t calib = static_cast<int64_t>(f1[kCalibLowWord]) | (static_cast<int64_t>(f1[kCalibLowWord + 1]) << 16);
  const uint16_t mode = f0[kEvalModeWord];
  // Modes 3 and 4 measure the deviation from the taught positions, centred
  // on the middle of the virtual-pixel scale so that it stays unsigned.
  const bool centred = mode == 3 || mode == 4;

  int64_t value = a;
  if (mode == 0) value = b;
  else if (mode == 2) value = a + b;
  else if (centred) value = virt + (a - f0[kTeachWord]) + (b - f1[kTeachWord]);

  Measurement m;
  m.aval = toWord(a);
  m.bval = toWord(b);
  m.mvalue = toWord(value);
  const int64_t measured = centred ? static_cast<int64_t>(m.mvalue) - virt : m.mvalue;
  m.umValue = toInt32(measured * calib / kCalibUnit);
  m.tolup = f0[kTolUpperWord];
  m.tollo = f0[kTolLowerWord];
  m.edcntA = moving_ ? motion_.edgeCount(1) : 1;
  m.edcntB = moving_ ? motion_.edgeCount(0) : 1;
  m.tValA = f0[kTeachWord];
  m.tValB = f1[kTeachWord];
  m.anaMax = haveExtremes_ ? std::max(anaMax_, m.mvalue) : m.mvalue;
  m.anaMin = haveExtremes_ ? std::min(anaMin_, m.mvalue) : m.mvalue;
  m.raw13 = static_cast<uint16_t>(motion_.readings() & 0xFFFF);
  return m;
}

Measurement SensorModel::measurement() const { return pinned_ ? *pinned_ : evaluate(); }

Measurement SensorModel::takeReading() {
  if (pinned_) return *pinned_;
  if (moving_) motion_.step();
  const Measurement m = evaluate();
  anaMax_ = m.anaMax;
  anaMin_ = m.anaMin;
  haveExtremes_ = true;
  return m;
}

void SensorModel::resetExtremes() {
  if (pinned_) {
    pinned_->anaMax = pinned_->anaMin = pinned_->mvalue;
    return;
  }
  haveExtremes_ = false;
  const uint16_t now = evaluate().mvalue;
  anaMax_ = anaMin_ = now;
  haveExtremes_ = true;
}

std::vector<uint16_t> SensorModel::videoLine(int channel) const {
  const int ch = channel == 1 ? 1 : 0;
  if (!videoOverride_[ch].empty()) return videoOverride_[ch];
  const double edge = pinned_ ? (ch == 1 ? pinned_->aval : pinned_->bval) : motion_.edge(ch);
  const uint64_t noiseSeed = RandomSource::mix(seed_ * 0x10001ULL + motion_.readings() * 2 + ch);
  return makeVideoLine(edge, identity_.ccdVirtPixel, identity_.adcFullScale, noiseSeed);
}

void SensorModel::setVideoLine(int channel, const std::vector<uint16_t> &samples) {
  std::vector<uint16_t> &line = videoOverride_[channel == 1 ? 1 : 0];
  line = samples;
  if (!line.empty()) line.resize(proto::kVideoSamples, 0);
}

bool SensorModel::answer(const uint8_t *frame, wire::Bytes *reply) {
  const wire::Command c = wire::decodeCommand(frame);
  const ParamFrame data(c.data, c.data + proto::kFrameDataWords);
  switch (c.code) {
    case proto::WriteRam:
    case proto::WriteEeprom: {
      ParamFrame &stored = (c.code == proto::WriteRam ? ram_ : eeprom_)[slot(c.argument)];
      stored = data;
      *reply = wire::replyFrame(c.code, c.argument, stored);
      const int first = slot(c.argument) * proto::kFrameDataWords;
      if (corruptedWord_ >= first && corruptedWord_ < first + proto::kFrameDataWords)
        stored[corruptedWord_ - first] = static_cast<uint16_t>(stored[corruptedWord_ - first] + 1);
      return true;
    }
    case proto::ReadRam:
    case proto::ReadEeprom:
      *reply = wire::replyFrame(c.code, c.argument, (c.code == proto::ReadRam ? ram_ : eeprom_)[slot(c.argument)]);
      return true;
    case proto::Echo:
      *reply = wire::replyFrame(proto::Echo, 0, data);
      return true;
    case proto::Teach: {
      const Measurement now = measurement();
      ram_[0][kTeachWord] = now.aval;
      ram_[1][kTeachWord] = now.bval;
      *reply = wire::replyFrame(proto::Teach, 0, ram_[0]);
      return true;
    }
    case proto::GetVersion:
      *reply = wire::firmwareText(identity_.firmwareText, identity_.pcbType == 0,
                                  identity_.firmwareHighBytes);
      return true;
    case proto::GetRaw:
      *reply = wire::valueFrame(takeReading());
      return true;
    case proto::ReadBlock: {
      // A block starts at sample 0 or 64 of channel B (0) or A (1); the
      // sensor does not answer anything else.
      const uint16_t channel = c.data[0];
      if ((c.argument != 0 && c.argument != 64) || channel > 1) return false;
      *reply = wire::sampleBlock(videoLine(channel), c.argument);
      return true;
    }
    case proto::GetHardware: {
      const Identity &id = identity_;
      // The CCD type rides in the argument word; the ADC full scale is word 12.
      *reply = wire::replyFrame(proto::GetHardware, id.ccdType,
                                {id.ccdMaxPixel, id.ccdResolution, id.pcbType, id.ccdVirtPixel,
                                 id.ccdSubPixel, id.ccdPixB, id.ccdPixE, id.softVersion,
                                 id.hardwareType, id.adcFullScale, 0, 0, 0, 0, 0});
      return true;
    }
    case proto::ResetMaxMin: {
      resetExtremes();
      const Measurement now = measurement();
      *reply = wire::replyFrame(proto::ResetMaxMin, 0, {now.mvalue, now.anaMax, now.anaMin});
      return true;
    }
    default:
      return false;
  }
}

}  // namespace kvorsim
