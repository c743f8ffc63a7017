// Cuts the byte stream from the line into 36-byte command frames: it finds
// the sync word 00 55, throws away whatever came before it (and a sync word
// that turns out to be part of the garbage), drops a partial
// frame that stays incomplete for more than 200 ms, and on a paced line
// counts a frame complete only when its last byte could have arrived (36 byte
// times after its first).
#ifndef KVOR_SIM_FRAME_ASSEMBLER_H
#define KVOR_SIM_FRAME_ASSEMBLER_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kvorsim {

class FrameAssembler {
 public:
  // Seconds a frame may take to arrive whole; twice a frame's time on a line
  // paced slower than about 3600 baud.
  static constexpr double kPartialFrameLifetime = 0.2;

  // 0: frames are complete as soon as their bytes are here.
  void setByteTime(double seconds) { byteTime_ = seconds; }
  void feed(const uint8_t *bytes, size_t count, double arrival);
  // Takes the next complete frame, if one is complete at `now`; `completed`
  // gets the time it became complete.
  bool take(double now, std::vector<uint8_t> *frame, double *completed);
  // When take() next has something to do: a frame becomes complete or a
  // partial frame expires. Negative when it waits for bytes only.
  double nextDue() const;
  size_t pending() const { return bytes_.size() - head_; }
  // Every byte thrown away from now on (not part of a frame) is appended to
  // sink, for the wire trace; nullptr: none are kept.
  void setDiscardSink(std::vector<uint8_t> *sink) { discarded_ = sink; }

 private:
  uint8_t byte(size_t i) const { return bytes_[head_ + i]; }
  double arrival(size_t i) const { return arrivals_[head_ + i]; }
  // When the whole frame at the front counts as arrived.
  double readyTime() const;
  void discardBeforeSync();
  // A candidate frame without a known command that has another sync word
  // inside it began at 00 55 bytes in garbage: the frame starts later.
  bool looksLikeFalseSync() const;
  double lifetime() const;
  void dropFront(size_t n);
  // dropFront for bytes that belong to no frame.
  void discardFront(size_t n);

  std::vector<uint8_t> bytes_;
  std::vector<double> arrivals_;   // one per byte
  size_t head_ = 0;                // bytes before it are consumed
  double byteTime_ = 0;
  std::vector<uint8_t> *discarded_ = nullptr;
};

}  // namespace kvorsim

#endif
