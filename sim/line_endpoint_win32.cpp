// The sensor's end of a COM port, on Windows: plain Win32 calls on a
// synchronous handle (they work under Wine as well). Windows has no
// pseudo-terminals.
#include "sim/line_endpoint.h"
#include "sim/sensor_sim.h"

#include <windows.h>

#include <algorithm>

#include "sim/clock.h"

namespace kvorsim {

namespace {

// A read waits this long for a first byte, so an interrupt is seen within it.
constexpr DWORD kReadSliceMs = 10;
// A write gives back what went out within this time, so a cancel is seen.
constexpr DWORD kWriteSliceMs = 100;

std::string describe(const std::string &what) {
  const DWORD code = GetLastError();
  char text[256] = "";
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                 text, sizeof text, nullptr);
  std::string reason(text, n);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == '.'))
    reason.pop_back();
  if (reason.empty()) reason = "error " + std::to_string(code);
  return what + ": " + reason;
}

// COM10 and above open only under the device namespace: COMn becomes \\.\COMn,
// as does any other bare device name (a virtual pair's CNCA0); a name that
// already starts with \\ stays as given.
std::string deviceNamespacePath(const std::string &name) {
  if (name.rfind("\\\\", 0) == 0) return name;
  return "\\\\.\\" + name;
}

class Win32SerialEndpoint : public LineEndpoint {
 public:
  Win32SerialEndpoint(HANDLE handle, std::string path) : handle_(handle), path_(std::move(path)) {}
  ~Win32SerialEndpoint() override { close(); }

  Wait waitForInput(double seconds) override {
    if (!pending_.empty()) return Wait::Input;
    const double deadline = monotonicSeconds() + seconds;
    int failures = 0;
    for (;;) {
      if (interrupted_.exchange(false) || handle_ == INVALID_HANDLE_VALUE) return Wait::Quiet;
      uint8_t buffer[512];
      DWORD got = 0;
      if (ReadFile(handle_, buffer, sizeof buffer, &got, nullptr)) {
        failures = 0;
        if (got > 0) {
          pending_.insert(pending_.end(), buffer, buffer + got);
          return Wait::Input;
        }
      } else {
        // A line error (framing, overrun) is cleared and the read tried
        // again; a port that keeps failing, or cannot be asked, has gone.
        DWORD errors = 0;
        if (!ClearCommError(handle_, &errors, nullptr) || ++failures >= 3) return Wait::Closed;
      }
      if (monotonicSeconds() >= deadline) return Wait::Quiet;
    }
  }

  void interrupt() override { interrupted_ = true; }

  size_t readAvailable(uint8_t *buffer, size_t size) override {
    size_t n = std::min(size, pending_.size());
    std::copy_n(pending_.begin(), n, buffer);
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(n));
    if (n == size || handle_ == INVALID_HANDLE_VALUE) return n;
    // Only what the driver holds already, so the read returns at once.
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(handle_, &errors, &status) || status.cbInQue == 0) return n;
    const DWORD want = static_cast<DWORD>(std::min<size_t>(size - n, status.cbInQue));
    DWORD got = 0;
    if (ReadFile(handle_, buffer + n, want, &got, nullptr)) n += got;
    return n;
  }

  void close() override {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

  std::string path() const override { return path_; }

 protected:
  bool writeSome(const uint8_t *bytes, size_t count, const std::atomic<bool> &cancel) override {
    double lastProgress = monotonicSeconds();
    while (count > 0) {
      if (cancel.load() || handle_ == INVALID_HANDLE_VALUE) return false;
      DWORD written = 0;
      const DWORD chunk = static_cast<DWORD>(std::min<size_t>(count, 65536));
      if (!WriteFile(handle_, bytes, chunk, &written, nullptr)) {
        DWORD errors = 0;
        if (!ClearCommError(handle_, &errors, nullptr)) return false;
      }
      if (written > 0) {
        bytes += written;
        count -= written;
        lastProgress = monotonicSeconds();
      } else if (monotonicSeconds() - lastProgress > 2.0) {
        return false;
      }
    }
    return true;
  }

 private:
  HANDLE handle_;
  std::string path_;
  std::atomic<bool> interrupted_{false};
  std::vector<uint8_t> pending_;  // read while waiting, not yet taken
};

}  // namespace

bool havePseudoTerminals() { return false; }

std::unique_ptr<LineEndpoint> openPseudoTerminal(std::string *error) {
  *error = "there are no pseudo-terminals on Windows: serve a COM port with --device COMn";
  return nullptr;
}

std::unique_ptr<LineEndpoint> openSerialDevice(const std::string &path, int baud, std::string *error) {
  const std::string device = deviceNamespacePath(path);
  HANDLE handle = CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    *error = describe("open " + path);
    return nullptr;
  }
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  bool ok = GetCommState(handle, &dcb) != 0;
  if (ok) {
    dcb.BaudRate = static_cast<DWORD>(baud);
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fNull = FALSE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fAbortOnError = FALSE;
    ok = SetCommState(handle, &dcb) != 0;
  }
  if (ok) {
    // A read gives what is there at once, else waits a slice for the first
    // byte; a write gives back after a slice at most.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
    timeouts.ReadTotalTimeoutConstant = kReadSliceMs;
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = kWriteSliceMs;
    ok = SetCommTimeouts(handle, &timeouts) != 0;
  }
  if (!ok) {
    *error = describe("serial settings on " + path);
    CloseHandle(handle);
    return nullptr;
  }
  PurgeComm(handle, PURGE_RXCLEAR | PURGE_TXCLEAR);
  return std::make_unique<Win32SerialEndpoint>(handle, path);
}

}  // namespace kvorsim
