// What every kind of line shares: pacing the bytes of a reply.
#include "sim/line_endpoint.h"

#include "sim/clock.h"

namespace kvorsim {

bool LineEndpoint::write(const std::vector<uint8_t> &bytes, double byteTime, double start,
                         const std::atomic<bool> &cancel) {
  if (byteTime <= 0) return writeSome(bytes.data(), bytes.size(), cancel);
  for (size_t k = 0; k < bytes.size(); ++k) {
    if (!sleepUntilUnless(start + static_cast<double>(k + 1) * byteTime, cancel)) return false;
    if (!writeSome(&bytes[k], 1, cancel)) return false;
  }
  return true;
}

}  // namespace kvorsim
