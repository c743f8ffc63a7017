// What every kind of line shares: pacing the bytes of a reply.
#include "sim/line_endpoint.h"

#include "sim/clock.h"

namespace kvorsim {

bool LineEndpoint::write(const std::vector<uint8_t> &bytes, double byteTime, double start,
                         const std::atomic<bool> &cancel, const WaitUntil &wait) {
  if (byteTime <= 0) return writeSome(bytes.data(), bytes.size(), cancel);
  for (size_t k = 0; k < bytes.size(); ++k) {
    const double due = start + static_cast<double>(k + 1) * byteTime;
    if (!(wait ? wait(due) : sleepUntilUnless(due, cancel)) || cancel.load()) return false;
    if (!writeSome(&bytes[k], 1, cancel)) return false;
  }
  return true;
}

}  // namespace kvorsim
