#include "sim/wire_trace.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "sim/clock.h"
#include "sim/sensor_sim.h"
#include "sim/wire_format.h"

namespace kvorsim {
namespace {

// "2025-03-14T09:26:53" for seconds since 1970 (UTC), by the civil calendar's
// arithmetic rather than the C library's, which differs between systems.
std::string utcDateTime(long long seconds) {
  long long days = seconds / 86400, rest = seconds % 86400;
  if (rest < 0) rest += 86400, days -= 1;
  days += 719468;  // from 1970-01-01 to 0000-03-01
  const long long era = (days >= 0 ? days : days - 146096) / 146097;
  const long long dayOfEra = days - era * 146097;
  const long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const long long monthIndex = (5 * dayOfYear + 2) / 153;  // March is 0
  const long long day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
  const long long month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
  const long long year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
  char text[64];
  std::snprintf(text, sizeof text, "%04lld-%02lld-%02lldT%02lld:%02lld:%02lld", year, month, day, rest / 3600,
                rest / 60 % 60, rest % 60);
  return text;
}

const char *commandName(uint16_t code) {
  switch (code) {
    case proto::WriteRam: return "CMD_WRITE_RAM";
    case proto::ReadRam: return "CMD_READ_RAM";
    case proto::WriteEeprom: return "CMD_WRITE_EEPROM";
    case proto::ReadEeprom: return "CMD_READ_EEPROM";
    case proto::Echo: return "CMD_ECHO";
    case proto::Teach: return "CMD_TEACH";
    case proto::GetVersion: return "CMD_GET_VERSION";
    case proto::GetRaw: return "CMD_GET_RAW";
    case proto::ReadBlock: return "CMD_READ_BLOCK";
    case proto::GetHardware: return "CMD_GET_HARDWARE";
    case proto::ResetMaxMin: return "CMD_RESET_MAXMIN";
    default: return nullptr;
  }
}

std::string command(uint16_t code) {
  const char *name = commandName(code);
  return name ? std::string(name) + " (" + std::to_string(code) + ")"
              : "command " + std::to_string(code) + " (unknown)";
}

std::string hexWord(uint16_t word) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%04X", word);
  return text;
}

std::string lengthNote(size_t count, size_t expected) {
  if (count < expected)
    return ", short frame (" + std::to_string(count) + " of " + std::to_string(expected) + " bytes)";
  if (count > expected)
    return ", long frame (" + std::to_string(count) + " of " + std::to_string(expected) + " bytes)";
  return "";
}

std::string describeReply(const uint8_t *bytes, size_t count, const std::vector<uint8_t> &request) {
  const uint16_t asked = wire::wordAt(request.data(), 1);
  if (asked == proto::GetVersion)
    return "reply to " + command(asked) + ": firmware text" + lengthNote(count, proto::kFirmwareBytes);
  if (asked == proto::ReadBlock) {
    const int start = wire::wordAt(request.data(), 2);
    const bool channelA = wire::wordAt(request.data(), 3) == 1;
    return "reply to " + command(asked) + ": samples " + std::to_string(start) + " to " +
           std::to_string(start + proto::kBlockBytes / 2 - 1) + " of channel " + (channelA ? "A" : "B") +
           lengthNote(count, proto::kBlockBytes);
  }
  if (count < 4) return "short frame (" + std::to_string(count) + " of 36 bytes)";
  const uint16_t echo = wire::wordAt(bytes, 1);
  std::string s = "reply " + command(echo);
  if (echo != proto::GetRaw && count >= 6) s += ", argument " + std::to_string(wire::wordAt(bytes, 2));
  const uint16_t sync = wire::wordAt(bytes, 0);
  s += ", sync " + hexWord(sync);
  if (sync != proto::kSyncReply) s += ", bad sync";
  if (sync == proto::kSyncReply && echo != asked) s += ", not the command sent (" + command(asked) + ")";
  return s + lengthNote(count, proto::kFrameBytes);
}

}  // namespace

bool WireTrace::open(const std::string &path, std::string *error) {
  close();
  file_ = std::fopen(path.c_str(), "w");
  if (file_ == nullptr && error) *error = std::strerror(errno);
  return file_ != nullptr;
}

void WireTrace::close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

void WireTrace::line(const char *direction, const uint8_t *bytes, size_t count,
                     const std::string &summary, long long micros) {
  if (file_ == nullptr || count == 0) return;
  using namespace std::chrono;
  if (micros < 0) micros = duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
  char fraction[16];
  std::snprintf(fraction, sizeof fraction, ".%06lldZ", micros % 1000000);
  std::string text = utcDateTime(micros / 1000000) + fraction;
  text += ' ';
  text += direction;
  text += ' ';
  text += std::to_string(count);
  static const char kHex[] = "0123456789ABCDEF";
  for (size_t i = 0; i < count; ++i) {
    text += ' ';
    text += kHex[bytes[i] >> 4];
    text += kHex[bytes[i] & 0x0F];
  }
  text += " | " + summary + "\n";
  std::fwrite(text.data(), 1, text.size(), file_);
  std::fflush(file_);
}

void WireTrace::received(const std::vector<uint8_t> &frame, double completed) {
  if (frame.size() < 6) return;
  const uint16_t code = wire::wordAt(frame.data(), 1);
  std::string s = command(code) + ", argument " + std::to_string(wire::wordAt(frame.data(), 2));
  if (code == proto::ReadBlock) s += std::string(", channel ") + (wire::wordAt(frame.data(), 3) == 1 ? "A" : "B");
  // The wall clock at the monotonic time `completed`.
  using namespace std::chrono;
  const long long now = duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
  const double ago = monotonicSeconds() - completed;
  line("RX", frame.data(), frame.size(), s, now - (ago > 0 ? static_cast<long long>(ago * 1e6) : 0));
}

void WireTrace::discarded(const std::vector<uint8_t> &bytes) {
  for (size_t done = 0; done < bytes.size(); done += kUnframedLineBytes) {
    const size_t n = std::min(kUnframedLineBytes, bytes.size() - done);
    line("RX", bytes.data() + done, n, "unframed bytes, discarded");
  }
}

void WireTrace::sent(const std::vector<uint8_t> &bytes, size_t garbageBytes,
                     const std::vector<uint8_t> &request, bool written) {
  const std::string note = written ? "" : ", not all written";
  const size_t junk = std::min(garbageBytes, bytes.size());
  if (junk > 0) line("TX", bytes.data(), junk, "garbage in front of the reply (fault)" + note);
  if (request.size() < 6 || bytes.size() == junk) return;
  line("TX", bytes.data() + junk, bytes.size() - junk,
       describeReply(bytes.data() + junk, bytes.size() - junk, request) + note);
}

}  // namespace kvorsim
