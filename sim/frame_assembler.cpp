#include "sim/frame_assembler.h"

#include "sim/sensor_sim.h"

namespace kvorsim {

void FrameAssembler::feed(const uint8_t *bytes, size_t count, double arrival) {
  bytes_.insert(bytes_.end(), bytes, bytes + count);
  arrivals_.insert(arrivals_.end(), count, arrival);
}

void FrameAssembler::dropFront(size_t n) {
  bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<long>(n));
  arrivals_.erase(arrivals_.begin(), arrivals_.begin() + static_cast<long>(n));
}

void FrameAssembler::discardBeforeSync() {
  const uint8_t hi = proto::kSyncCommand >> 8, lo = proto::kSyncCommand & 0xFF;
  size_t i = 0;
  while (i + 1 < bytes_.size() && !(bytes_[i] == hi && bytes_[i + 1] == lo)) ++i;
  // A lone last byte may still be the start of a sync word.
  if (i + 1 >= bytes_.size() && !bytes_.empty() && bytes_.back() != hi) i = bytes_.size();
  dropFront(i);
}

bool FrameAssembler::take(double now, std::vector<uint8_t> *frame, double *completed) {
  const size_t n = proto::kFrameBytes;
  for (;;) {
    discardBeforeSync();
    if (bytes_.empty()) return false;
    if (bytes_.size() < n) {
      if (now - arrivals_.front() <= lifetime()) return false;
      // The rest of this frame is not coming; whatever follows starts afresh.
      dropFront(bytes_.size() < 2 ? bytes_.size() : 2);
      continue;
    }
    if (arrivals_[n - 1] - arrivals_.front() > lifetime()) {
      // Its last bytes came too late to belong to it: the front is a partial
      // frame whose time ran out before the thread came round to drop it.
      dropFront(2);
      continue;
    }
    if (looksLikeFalseSync()) {
      dropFront(1);
      continue;
    }
    const double lastByte = arrivals_[n - 1];
    const double paced = arrivals_.front() + static_cast<double>(n) * byteTime_;
    const double ready = lastByte > paced ? lastByte : paced;
    if (now < ready) return false;
    frame->assign(bytes_.begin(), bytes_.begin() + n);
    *completed = ready;
    dropFront(n);
    return true;
  }
}

double FrameAssembler::lifetime() const {
  const double slowLine = 2.0 * proto::kFrameBytes * byteTime_;
  return slowLine > kPartialFrameLifetime ? slowLine : kPartialFrameLifetime;
}

bool FrameAssembler::looksLikeFalseSync() const {
  const uint16_t command = static_cast<uint16_t>((bytes_[2] << 8) | bytes_[3]);
  if (command != 0 && command <= proto::ResetMaxMin) return false;
  const uint8_t hi = proto::kSyncCommand >> 8, lo = proto::kSyncCommand & 0xFF;
  for (size_t k = 1; k + 1 < static_cast<size_t>(proto::kFrameBytes); ++k)
    if (bytes_[k] == hi && bytes_[k + 1] == lo) return true;
  return false;
}

double FrameAssembler::nextDue() const {
  if (bytes_.empty()) return -1;
  const size_t n = proto::kFrameBytes;
  // A millisecond beyond the lifetime, so the partial frame has expired by then.
  if (bytes_.size() < n) return arrivals_.front() + lifetime() + 0.001;
  const double paced = arrivals_.front() + n * byteTime_;
  return arrivals_[n - 1] > paced ? arrivals_[n - 1] : paced;
}

}  // namespace kvorsim
