// The simulated sensor's frame assembler on any byte stream, arriving in
// pieces at times the input chooses, taken from at times the input chooses,
// on a line with or without pacing.
//
// Invariants: every frame taken is 36 bytes starting with the sync word, is
// exactly the stretch of the stream just consumed, arrived within the frame
// lifetime and is not complete before its bytes are; nextDue() says when
// take() next has work; nothing is held once every partial frame has
// expired; and a good frame after any garbage still comes through whole.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "sim/frame_assembler.h"

namespace {

const size_t kFrame = 36;
const double kPacedByteTime = 10.0 / 19200.0;
const double kSlack = 1e-9;

class Driver {
 public:
  explicit Driver(double byteTime) : byteTime_(byteTime) { assembler_.setByteTime(byteTime); }

  void Feed(const uint8_t *bytes, size_t count) {
    assembler_.feed(bytes, count, clock_);
    stream_.insert(stream_.end(), bytes, bytes + count);
    arrivals_.insert(arrivals_.end(), count, clock_);
    FUZZ_CHECK(assembler_.pending() <= stream_.size() - consumed_);
  }

  void Wait(double seconds) { clock_ += seconds; }

  // Takes every frame complete by now; returns how many.
  int Drain() {
    int frames = 0;
    std::vector<uint8_t> frame;
    double completed = 0;
    while (assembler_.take(clock_, &frame, &completed)) {
      CheckFrame(frame, completed);
      ++frames;
    }
    CheckIdle();
    return frames;
  }

  size_t pending() const { return assembler_.pending(); }
  double clock() const { return clock_; }
  const std::vector<uint8_t> &lastFrame() const { return lastFrame_; }

 private:
  void CheckFrame(const std::vector<uint8_t> &frame, double completed) {
    FUZZ_CHECK(frame.size() == kFrame);
    FUZZ_CHECK(frame[0] == 0x00 && frame[1] == 0x55);

    const size_t end = stream_.size() - assembler_.pending();
    FUZZ_CHECK(end >= consumed_ + kFrame);
    const size_t start = end - kFrame;
    for (size_t i = 0; i < kFrame; ++i) FUZZ_CHECK(frame[i] == stream_[start + i]);
    consumed_ = end;

    const double first = arrivals_[start];
    const double last = arrivals_[end - 1];
    const double lifetime = 2.0 * kFrame * byteTime_ > kvorsim::FrameAssembler::kPartialFrameLifetime
                                ? 2.0 * kFrame * byteTime_
                                : kvorsim::FrameAssembler::kPartialFrameLifetime;
    FUZZ_CHECK(last - first <= lifetime + kSlack);
    FUZZ_CHECK(completed <= clock_);
    FUZZ_CHECK(completed >= last);
    FUZZ_CHECK(completed + kSlack >= first + static_cast<double>(kFrame) * byteTime_);
    FUZZ_CHECK(completed >= lastCompleted_);
    lastCompleted_ = completed;
    lastFrame_ = frame;
  }

  // take() said there is nothing to do now: nextDue() must point past now,
  // or say that only more bytes can help.
  void CheckIdle() const {
    const double due = assembler_.nextDue();
    if (assembler_.pending() == 0) {
      FUZZ_CHECK(due < 0);
    } else {
      FUZZ_CHECK(due > clock_);
    }
  }

  kvorsim::FrameAssembler assembler_;
  double byteTime_;
  double clock_ = 1000.0;
  double lastCompleted_ = 0;
  std::vector<uint8_t> stream_;
  std::vector<double> arrivals_;
  size_t consumed_ = 0;
  std::vector<uint8_t> lastFrame_;
};

}  // namespace

// Byte 0 bit 0: paced line. Then steps: a byte with its top bit set waits
// (low 7 bits) milliseconds and takes what is complete; any other byte feeds
// its low 6 bits' count of the bytes that follow, after a wait of the next
// byte's value in milliseconds when bit 6 is set.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size == 0) return 0;
  Driver driver((data[0] & 1) ? kPacedByteTime : 0.0);
  size_t i = 1;
  while (i < size) {
    const uint8_t step = data[i++];
    if (step & 0x80) {
      driver.Wait((step & 0x7F) / 1000.0);
      driver.Drain();
      continue;
    }
    if ((step & 0x40) && i < size) driver.Wait(data[i++] / 1000.0);
    size_t count = step & 0x3F;
    if (count > size - i) count = size - i;
    driver.Feed(data + i, count);
    i += count;
  }

  // Long after the last byte every frame is complete and every partial
  // frame has expired: nothing may be held back.
  driver.Wait(10.0);
  driver.Drain();
  FUZZ_CHECK(driver.pending() == 0);

  // Whatever came before, a good frame on the quiet line comes through.
  uint8_t good[kFrame] = {0x00, 0x55, 0x00, 0x05};
  for (size_t k = 6; k < kFrame; ++k) good[k] = static_cast<uint8_t>(data[k % size] & 0x7F);
  driver.Feed(good, kFrame);
  driver.Wait(1.0);
  FUZZ_CHECK(driver.Drain() == 1);
  FUZZ_CHECK(driver.lastFrame() == std::vector<uint8_t>(good, good + kFrame));
  FUZZ_CHECK(driver.pending() == 0);
  return 0;
}
