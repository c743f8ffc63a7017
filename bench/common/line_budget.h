// What the serial line itself allows: every byte takes 10 bit times (start
// bit, 8 data bits, stop bit), and one exchange is outstanding at a time, so
// an exchange costs its request and its reply back to back.
#ifndef KVOR_BENCH_LINE_BUDGET_H
#define KVOR_BENCH_LINE_BUDGET_H

namespace bench {

constexpr int kLineBaud = 19200;
constexpr int kBitsPerByte = 10;
constexpr int kFrameBytes = 36;       // every request, and a reply frame
constexpr int kBlockReplyBytes = 128;  // one video data block

constexpr double LineSeconds(int bytes, int baud = kLineBaud) {
  return static_cast<double>(bytes) * kBitsPerByte / baud;
}
// Run mode: one raw-values request and its reply frame.
constexpr int kRunExchangeBytes = kFrameBytes + kFrameBytes;
// Video mode: the raw-values exchange and four block exchanges per line.
constexpr int kVideoLineBytes = kRunExchangeBytes + 4 * (kFrameBytes + kBlockReplyBytes);

constexpr double RunExchangesPerSecondLimit() { return 1.0 / LineSeconds(kRunExchangeBytes); }
constexpr double VideoLinesPerSecondLimit() { return 1.0 / LineSeconds(kVideoLineBytes); }

}  // namespace bench

#endif
