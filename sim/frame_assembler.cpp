#include "sim/frame_assembler.h"

#include "sim/sensor_sim.h"

namespace kvorsim {

namespace {
constexpr uint8_t kSyncHigh = proto::kSyncCommand >> 8;
constexpr uint8_t kSyncLow = proto::kSyncCommand & 0xFF;
}  // namespace

void FrameAssembler::feed(const uint8_t *bytes, size_t count, double arrival) {
  if (head_ > 0 && head_ * 2 >= bytes_.size()) {
    // Consumed bytes are given back only now and then, so a long stream of
    // frames costs no more than the frames themselves.
    bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<long>(head_));
    arrivals_.erase(arrivals_.begin(), arrivals_.begin() + static_cast<long>(head_));
    head_ = 0;
  }
  bytes_.insert(bytes_.end(), bytes, bytes + count);
  arrivals_.insert(arrivals_.end(), count, arrival);
}

void FrameAssembler::dropFront(size_t n) { head_ += n < pending() ? n : pending(); }

void FrameAssembler::discardFront(size_t n) {
  if (discarded_ != nullptr) {
    const size_t count = n < pending() ? n : pending();
    discarded_->insert(discarded_->end(), bytes_.begin() + static_cast<long>(head_),
                       bytes_.begin() + static_cast<long>(head_ + count));
  }
  dropFront(n);
}

void FrameAssembler::discardBeforeSync() {
  const size_t n = pending();
  size_t i = 0;
  while (i + 1 < n && !(byte(i) == kSyncHigh && byte(i + 1) == kSyncLow)) ++i;
  // A lone last byte may still be the start of a sync word.
  if (i + 1 >= n && n > 0 && byte(n - 1) != kSyncHigh) i = n;
  discardFront(i);
}

bool FrameAssembler::take(double now, std::vector<uint8_t> *frame, double *completed) {
  const size_t n = proto::kFrameBytes;
  for (;;) {
    discardBeforeSync();
    if (pending() == 0) return false;
    if (pending() < n) {
      if (now - arrival(0) <= lifetime()) return false;
      // The rest of this frame is not coming; whatever follows starts afresh.
      discardFront(2);
      continue;
    }
    if (arrival(n - 1) - arrival(0) > lifetime()) {
      // Its last bytes came too late to belong to it: the front is a partial
      // frame whose time ran out before the thread came round to drop it.
      discardFront(2);
      continue;
    }
    if (looksLikeFalseSync()) {
      discardFront(1);
      continue;
    }
    const double ready = readyTime();
    if (now < ready) return false;
    frame->assign(bytes_.begin() + static_cast<long>(head_), bytes_.begin() + static_cast<long>(head_ + n));
    *completed = ready;
    dropFront(n);
    return true;
  }
}

double FrameAssembler::readyTime() const {
  const size_t n = proto::kFrameBytes;
  const double paced = arrival(0) + static_cast<double>(n) * byteTime_;
  return arrival(n - 1) > paced ? arrival(n - 1) : paced;
}

double FrameAssembler::lifetime() const {
  const double slowLine = 2.0 * proto::kFrameBytes * byteTime_;
  return slowLine > kPartialFrameLifetime ? slowLine : kPartialFrameLifetime;
}

bool FrameAssembler::looksLikeFalseSync() const {
  const uint16_t command = static_cast<uint16_t>((byte(2) << 8) | byte(3));
  if (command != 0 && command <= proto::ResetMaxMin) return false;
  for (size_t k = 1; k + 1 < static_cast<size_t>(proto::kFrameBytes); ++k)
    if (byte(k) == kSyncHigh && byte(k + 1) == kSyncLow) return true;
  return false;
}

double FrameAssembler::nextDue() const {
  if (pending() == 0) return -1;
  // A millisecond beyond the lifetime, so the partial frame has expired by then.
  if (pending() < static_cast<size_t>(proto::kFrameBytes)) return arrival(0) + lifetime() + 0.001;
  return readyTime();
}

}  // namespace kvorsim
