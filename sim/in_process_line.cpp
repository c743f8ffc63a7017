#include "sim/in_process_line.h"

#include <algorithm>
#include <chrono>
#include <map>

#include "sim/line_endpoint.h"

namespace kvorsim {

namespace {

std::chrono::duration<double> secondsOf(double seconds) {
  // A day is as good as for ever, and keeps the deadline arithmetic in range.
  return std::chrono::duration<double>(std::clamp(seconds, 0.0, 86400.0));
}

size_t takeFrom(std::deque<uint8_t> &queue, uint8_t *buffer, size_t size) {
  const size_t n = std::min(size, queue.size());
  std::copy_n(queue.begin(), n, buffer);
  queue.erase(queue.begin(), queue.begin() + static_cast<std::ptrdiff_t>(n));
  return n;
}

class InProcessEndpoint : public LineEndpoint {
 public:
  InProcessEndpoint(std::shared_ptr<InProcessLine> line, std::string name)
      : line_(std::move(line)), name_(std::move(name)) {}
  ~InProcessEndpoint() override { close(); }

  Wait waitForInput(double seconds) override {
    return line_->waitForProgram(seconds) ? Wait::Input : Wait::Quiet;
  }
  void interrupt() override { line_->interruptSensor(); }
  size_t readAvailable(uint8_t *buffer, size_t size) override { return line_->takeFromProgram(buffer, size); }
  void close() override { line_->hangUp(); }
  std::string path() const override { return name_; }

 protected:
  bool writeSome(const uint8_t *bytes, size_t count, const std::atomic<bool> &cancel) override {
    if (cancel.load() || line_->hungUp()) return false;
    line_->sendToProgram(bytes, count);
    return true;
  }

 private:
  std::shared_ptr<InProcessLine> line_;
  std::string name_;
};

std::mutex g_registryMutex;
std::map<std::string, std::shared_ptr<InProcessLine>> g_registry;

}  // namespace

bool InProcessLine::open() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (programOpen_ || hungUp_) return false;
  programOpen_ = true;
  toProgram_.clear();
  delivered_ = 0;
  return true;
}

void InProcessLine::close() {
  setWakeUp(nullptr);
  std::lock_guard<std::mutex> lock(mutex_);
  programOpen_ = false;
  toProgram_.clear();
}

bool InProcessLine::isOpen() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return programOpen_;
}

bool InProcessLine::hungUp() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return hungUp_;
}

size_t InProcessLine::write(const uint8_t *bytes, size_t count) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!programOpen_ || hungUp_) return 0;
    toSensor_.insert(toSensor_.end(), bytes, bytes + count);
  }
  sensorInput_.notify_all();
  return count;
}

size_t InProcessLine::read(uint8_t *buffer, size_t size) {
  std::lock_guard<std::mutex> lock(mutex_);
  return takeFrom(toProgram_, buffer, size);
}

size_t InProcessLine::available() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return toProgram_.size();
}

void InProcessLine::clearInput() {
  std::lock_guard<std::mutex> lock(mutex_);
  toProgram_.clear();
}

uint64_t InProcessLine::delivered() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return delivered_;
}

bool InProcessLine::waitForInput(uint64_t since, double seconds) const {
  std::unique_lock<std::mutex> lock(mutex_);
  programInput_.wait_for(lock, secondsOf(seconds), [&] { return delivered_ > since || hungUp_; });
  return delivered_ > since;
}

void InProcessLine::setWakeUp(std::function<void()> wake) {
  std::lock_guard<std::mutex> lock(wakeMutex_);
  wake_ = std::move(wake);
  wakeArmed_ = static_cast<bool>(wake_);
}

void InProcessLine::rearmWakeUp() {
  std::lock_guard<std::mutex> lock(wakeMutex_);
  wakeArmed_ = static_cast<bool>(wake_);
}

void InProcessLine::wakeProgram() {
  std::lock_guard<std::mutex> lock(wakeMutex_);
  if (!wakeArmed_) return;
  wakeArmed_ = false;
  wake_();
}

size_t InProcessLine::takeFromProgram(uint8_t *buffer, size_t size) {
  std::lock_guard<std::mutex> lock(mutex_);
  return takeFrom(toSensor_, buffer, size);
}

bool InProcessLine::waitForProgram(double seconds) {
  std::unique_lock<std::mutex> lock(mutex_);
  sensorInput_.wait_for(lock, secondsOf(seconds), [&] { return !toSensor_.empty() || interrupted_; });
  interrupted_ = false;
  return !toSensor_.empty();
}

void InProcessLine::interruptSensor() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    interrupted_ = true;
  }
  sensorInput_.notify_all();
}

void InProcessLine::sendToProgram(const uint8_t *bytes, size_t count) {
  if (count == 0) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!programOpen_ || hungUp_) return;
    toProgram_.insert(toProgram_.end(), bytes, bytes + count);
    delivered_ += count;
  }
  programInput_.notify_all();
  wakeProgram();
}

void InProcessLine::hangUp() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (hungUp_) return;
    hungUp_ = true;
  }
  programInput_.notify_all();
  wakeProgram();
}

std::unique_ptr<LineEndpoint> openInProcessEndpoint(std::shared_ptr<InProcessLine> line, const std::string &name) {
  return std::make_unique<InProcessEndpoint>(std::move(line), name);
}

bool registerInProcessLine(const std::string &name, std::shared_ptr<InProcessLine> line, std::string *error) {
  std::lock_guard<std::mutex> lock(g_registryMutex);
  auto found = g_registry.find(name);
  if (found != g_registry.end() && found->second != line && !found->second->hungUp()) {
    if (error) *error = "a simulated sensor is served as '" + name + "' already";
    return false;
  }
  g_registry[name] = std::move(line);
  return true;
}

std::shared_ptr<InProcessLine> findInProcessLine(const std::string &name) {
  std::lock_guard<std::mutex> lock(g_registryMutex);
  auto found = g_registry.find(name);
  return found == g_registry.end() ? nullptr : found->second;
}

}  // namespace kvorsim
