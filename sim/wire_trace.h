// The sensor's side of the wire trace: one line per frame it received or
// sent, in the layout the program's trace has, so the two can be laid side by
// side:
//   2025-03-14T09:26:53.589793Z RX 36 00 55 00 05 00 00 ... | CMD_ECHO (5), argument 0
// UTC time with microseconds, RX (from the program) or TX (to it), the byte
// count, the bytes in hex, " | " and a summary. Bytes that belong to no frame
// (garbage in front of a frame, a partial frame that never completed) are RX
// lines marked "unframed bytes", at most 36 to a line. Written as it happens
// (a frame once it is complete, before it is answered) and flushed; used by
// the sensor's thread only.
#ifndef KVOR_SIM_WIRE_TRACE_H
#define KVOR_SIM_WIRE_TRACE_H

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace kvorsim {

class WireTrace {
 public:
  static constexpr size_t kUnframedLineBytes = 36;

  WireTrace() = default;
  ~WireTrace() { close(); }
  WireTrace(const WireTrace &) = delete;
  WireTrace &operator=(const WireTrace &) = delete;

  // Creates the file (an existing one is emptied); false with the reason.
  bool open(const std::string &path, std::string *error);
  void close();
  bool isOpen() const { return file_ != nullptr; }

  // A command frame as it was taken from the line, stamped with the time its
  // last byte arrived (seconds on the monotonic clock), however long its
  // answer waits.
  void received(const std::vector<uint8_t> &frame, double completed);
  // Bytes the sensor threw away because they belonged to no frame.
  void discarded(const std::vector<uint8_t> &bytes);
  // What went out in answer to `request` (a 36-byte command frame): the
  // garbage a fault put in front (garbageBytes of them) on a line of its
  // own, then the reply; written says whether the line took it all.
  void sent(const std::vector<uint8_t> &bytes, size_t garbageBytes,
            const std::vector<uint8_t> &request, bool written);

 private:
  // micros: the line's time, microseconds since the epoch; negative for now.
  void line(const char *direction, const uint8_t *bytes, size_t count, const std::string &summary,
            long long micros = -1);

  std::FILE *file_ = nullptr;
};

}  // namespace kvorsim

#endif
