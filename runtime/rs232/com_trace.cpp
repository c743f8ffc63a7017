// Writing the wire trace: the file, the line layout, and the last frame sent
// on each port, which the summary of a reply is read against.
#include "runtime/rs232/com_trace.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <mutex>
#include <string>

namespace {

// Longest command frame kept as a reply's context.
const int kKeptFrameBytes = 36;
const int kKeptPorts = 64;
const size_t kSummaryBytes = 512;

struct SentFrame {
  std::string port;
  unsigned char bytes[kKeptFrameBytes] = {};
  int count = 0;
};

std::mutex g_mutex;
std::FILE *g_file = nullptr;
// Read without the lock: the cheap test of every call while tracing is off.
std::atomic<bool> g_on{false};
bool g_namePorts = false;
ComTraceSummaryPtr g_summary = nullptr;
SentFrame g_sent[kKeptPorts];
int g_nextSlot = 0;

SentFrame *SentFrameOf(const char *port, bool create) {
  for (SentFrame &frame : g_sent)
    if (frame.count > 0 && frame.port == port) return &frame;
  if (!create) return nullptr;
  // More ports than slots: the one written longest ago makes room.
  SentFrame *slot = &g_sent[g_nextSlot];
  g_nextSlot = (g_nextSlot + 1) % kKeptPorts;
  slot->port = port;
  slot->count = 0;
  return slot;
}

void ForgetSentFrames() {
  for (SentFrame &frame : g_sent) {
    frame.port.clear();
    frame.count = 0;
  }
  g_nextSlot = 0;
}

// "2025-03-14T09:26:53.589793Z"
void AppendTimeNow(std::string *line) {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const auto micros = duration_cast<microseconds>(now.time_since_epoch()).count();
  std::time_t seconds = static_cast<std::time_t>(micros / 1000000);
  long fraction = static_cast<long>(micros % 1000000);
  if (fraction < 0) {
    fraction += 1000000;
    seconds -= 1;
  }
  std::tm utc{};
#ifdef _WIN32
  gmtime_s(&utc, &seconds);
#else
  gmtime_r(&seconds, &utc);
#endif
  char text[40];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &utc);
  line->append(text);
  std::snprintf(text, sizeof text, ".%06ldZ", fraction);
  line->append(text);
}

void AppendBytes(std::string *line, const unsigned char *bytes, int count) {
  static const char kHex[] = "0123456789ABCDEF";
  for (int i = 0; i < count; ++i) {
    line->push_back(' ');
    line->push_back(kHex[bytes[i] >> 4]);
    line->push_back(kHex[bytes[i] & 0x0F]);
  }
}

// Writes one whole line and hands it to the operating system at once, so a
// program that ends abruptly leaves every line it traced.
void WriteLine(const char *port, int direction, const unsigned char *bytes, int count,
               const char *summary) {
  std::string line;
  line.reserve(64 + 3 * static_cast<size_t>(count) + std::strlen(summary));
  AppendTimeNow(&line);
  line.append(direction == TRACE_TX ? " TX " : " RX ");
  line.append(std::to_string(count));
  AppendBytes(&line, bytes, count);
  line.append(" | ");
  if (g_namePorts) {
    line.append(port);
    line.append(": ");
  }
  line.append(summary);
  line.push_back('\n');
  std::fwrite(line.data(), 1, line.size(), g_file);
  std::fflush(g_file);
}

}  // namespace

int OpenComTrace(const char *path, int namePorts, char *reason, size_t reasonSize) {
  if (reason != nullptr && reasonSize > 0) reason[0] = '\0';
  std::lock_guard<std::mutex> lock(g_mutex);
  if (g_file != nullptr) {
    std::fclose(g_file);
    g_file = nullptr;
    g_on = false;
  }
  if (path == nullptr || path[0] == '\0') {
    if (reason != nullptr && reasonSize > 0) std::snprintf(reason, reasonSize, "no file name");
    return -1;
  }
  std::FILE *file = std::fopen(path, "w");
  if (file == nullptr) {
    if (reason != nullptr && reasonSize > 0) std::snprintf(reason, reasonSize, "%s", std::strerror(errno));
    return -1;
  }
  g_file = file;
  g_on = true;
  g_namePorts = namePorts != 0;
  ForgetSentFrames();
  return 0;
}

void CloseComTrace(void) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (g_file == nullptr) return;
  std::fclose(g_file);
  g_file = nullptr;
  g_on = false;
  ForgetSentFrames();
}

int ComTraceOn(void) { return g_on ? 1 : 0; }

void SetComTraceSummary(ComTraceSummaryPtr summary) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_summary = summary;
}

void TraceComFrame(const char *port, int direction, const void *bytes, int count,
                   const char *note) {
  if (!g_on || bytes == nullptr || count <= 0) return;
  std::lock_guard<std::mutex> lock(g_mutex);
  if (g_file == nullptr) return;
  if (port == nullptr) port = "";
  const unsigned char *data = static_cast<const unsigned char *>(bytes);
  char summary[kSummaryBytes];
  summary[0] = '\0';
  if (g_summary != nullptr) {
    const SentFrame *sent = SentFrameOf(port, false);
    g_summary(direction, data, count, sent ? sent->bytes : nullptr, sent ? sent->count : 0,
              summary, sizeof summary);
  } else {
    std::snprintf(summary, sizeof summary, "%d bytes", count);
  }
  if (note != nullptr && note[0] != '\0') {
    const size_t used = std::strlen(summary);
    std::snprintf(summary + used, sizeof summary - used, "%s%s", used ? ", " : "", note);
  }
  WriteLine(port, direction, data, count, summary);
  if (direction == TRACE_TX) {
    SentFrame *sent = SentFrameOf(port, true);
    sent->count = count < kKeptFrameBytes ? count : kKeptFrameBytes;
    std::memcpy(sent->bytes, data, static_cast<size_t>(sent->count));
  }
}

void TraceComUnframed(const char *port, const void *bytes, int count, const char *how) {
  if (!g_on || bytes == nullptr || count <= 0) return;
  std::lock_guard<std::mutex> lock(g_mutex);
  if (g_file == nullptr) return;
  if (port == nullptr) port = "";
  char summary[kSummaryBytes];
  std::snprintf(summary, sizeof summary, "unframed bytes%s%s", how && how[0] ? ", " : "",
                how ? how : "");
  const unsigned char *data = static_cast<const unsigned char *>(bytes);
  for (int done = 0; done < count; done += TRACE_UNFRAMED_LINE_BYTES) {
    const int n = count - done < TRACE_UNFRAMED_LINE_BYTES ? count - done : TRACE_UNFRAMED_LINE_BYTES;
    WriteLine(port, TRACE_RX, data + done, n, summary);
  }
}
