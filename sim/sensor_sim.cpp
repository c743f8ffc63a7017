#include "sim/sensor_sim.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "sim/clock.h"
#include "sim/fault_plan.h"
#include "sim/frame_assembler.h"
#include "sim/in_process_line.h"
#include "sim/line_endpoint.h"
#include "sim/sensor_model.h"
#include "sim/wire_format.h"
#include "sim/wire_trace.h"

namespace kvorsim {

uint16_t ReceivedFrame::sync() const { return bytes.size() >= 2 ? wire::wordAt(bytes.data(), 0) : 0; }
uint16_t ReceivedFrame::command() const { return bytes.size() >= 4 ? wire::wordAt(bytes.data(), 1) : 0; }
uint16_t ReceivedFrame::argument() const { return bytes.size() >= 6 ? wire::wordAt(bytes.data(), 2) : 0; }
uint16_t ReceivedFrame::dataWord(int i) const {
  if (i < 0 || bytes.size() < static_cast<size_t>(2 * (3 + i) + 2)) return 0;
  return wire::wordAt(bytes.data(), 3 + i);
}

namespace {
constexpr size_t kMaxRecordedFrames = 100000;  // about half an hour of run mode
}  // namespace

struct SensorSim::Impl {
  explicit Impl(const Options &o)
      : model(o.identity, o.seed, o.moving), faults(o.seed), paced(o.paced), baud(o.baud) {}

  // Serves `endpoint` from a new thread; false (the reason in error) when
  // there is none.
  bool launch(std::unique_ptr<LineEndpoint> endpoint, const std::string &failure);
  void shutDown();
  void forgetInProcessLine() {
    std::lock_guard<std::mutex> lock(mutex);
    inProcess.reset();
  }
  void serve();
  // Reads what has arrived into the assembler, once the line has something
  // or `timeout` seconds have passed; false when the line is gone.
  bool readLine(double timeout);
  // Takes every complete frame off the assembler: traced and recorded at
  // once, answered in turn from `pending`.
  void takeFrames();
  // Waits until t (monotonic) while frames go on arriving; false once told
  // to quit.
  bool listenUntil(double t);
  void answer(const std::vector<uint8_t> &frame, double completed);
  bool hangUpDue();
  // Seconds per byte on the line (10 bit times), 0 when not paced.
  double byteTimeLocked() const { return paced && baud > 0 ? 10.0 / baud : 0.0; }

  mutable std::mutex mutex;
  mutable std::condition_variable framesArrived;
  // Frames whose answer (a reply, a drop, a held-back reply) is not yet done.
  int framesInHand = 0;
  mutable std::condition_variable framesAnswered;
  SensorModel model;
  FaultPlan faults;
  bool paced;
  int baud;
  std::vector<ReceivedFrame> frames;
  std::string error;
  std::string path;

  // Made before the serving thread starts and destroyed after it ended.
  std::unique_ptr<LineEndpoint> line;
  std::shared_ptr<InProcessLine> inProcess;  // the program's end, when in process
  // Used by the serving thread only, and opened while it does not run.
  WireTrace trace;
  std::vector<uint8_t> discarded;  // bytes of no frame, not yet traced
  FrameAssembler assembler;
  struct Pending {
    std::vector<uint8_t> frame;
    double completed;
  };
  std::deque<Pending> pending;     // taken, not yet answered
  std::thread thread;
  std::atomic<bool> quit{false};
  std::atomic<bool> serving{false};
  std::atomic<int> replies{0};
  size_t hangUpAfterFrames = 0;  // 0: never
};

bool SensorSim::Impl::launch(std::unique_ptr<LineEndpoint> endpoint, const std::string &failure) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (!endpoint) {
      error = failure;
      return false;
    }
    path = endpoint->path();
    error.clear();
  }
  line = std::move(endpoint);
  quit = false;
  serving = true;
  thread = std::thread(&Impl::serve, this);
  return true;
}

void SensorSim::Impl::shutDown() {
  quit = true;
  if (line) line->interrupt();
  if (thread.joinable()) thread.join();
  // Closed (the program's end sees a hang-up) and gone.
  line.reset();
  serving = false;
}

void SensorSim::Impl::serve() {
  assembler = FrameAssembler();
  pending.clear();
  discarded.clear();
  if (trace.isOpen()) assembler.setDiscardSink(&discarded);
  while (!quit) {
    const double due = assembler.nextDue();
    const double wait = due < 0 ? 0.05 : std::clamp(due - monotonicSeconds(), 0.0, 0.05);
    if (!readLine(wait)) break;
    takeFrames();
    // Frames that arrive while one is answered are taken meanwhile, and
    // answered after it.
    while (!quit && !pending.empty()) {
      const Pending next = pending.front();
      pending.pop_front();
      answer(next.frame, next.completed);
    }
    if (hangUpDue()) {
      line->close();
      break;
    }
  }
  serving = false;
}

bool SensorSim::Impl::readLine(double timeout) {
  const LineEndpoint::Wait seen = line->waitForInput(std::clamp(timeout, 0.0, 0.5));
  if (quit) return false;
  if (seen == LineEndpoint::Wait::Input) {
    // A bounded helping per pass, so a flood of bytes is answered as it comes.
    uint8_t buffer[4096];
    size_t got = 0, n = 0;
    for (int reads = 0; reads < 16 && (n = line->readAvailable(buffer, sizeof buffer)) > 0; ++reads) {
      assembler.feed(buffer, n, monotonicSeconds());
      got += n;
    }
    if (got == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  } else if (seen == LineEndpoint::Wait::Closed) {
    // A real device that went away; a pseudo-terminal never gets here
    // while the simulator holds its slave open.
    std::lock_guard<std::mutex> lock(mutex);
    error = "the line was closed at the far end";
    return false;
  }
  return true;
}

void SensorSim::Impl::takeFrames() {
  {
    // Pacing may have been switched while the thread waited.
    std::lock_guard<std::mutex> lock(mutex);
    assembler.setByteTime(byteTimeLocked());
  }
  // Bytes thrown away go into the trace before the frame that follows them.
  const auto traceDiscarded = [this] {
    if (discarded.empty()) return;
    trace.discarded(discarded);
    discarded.clear();
  };
  std::vector<uint8_t> frame;
  double completed = 0;
  while (!quit && assembler.take(monotonicSeconds(), &frame, &completed)) {
    traceDiscarded();
    trace.received(frame, completed);
    {
      std::lock_guard<std::mutex> lock(mutex);
      if (frames.size() >= kMaxRecordedFrames) {
        // A long session (the program's --simulate, the command-line sensor)
        // must not grow without bound: the oldest tenth goes at once.
        frames.erase(frames.begin(), frames.begin() + kMaxRecordedFrames / 10);
      }
      frames.push_back(ReceivedFrame{completed, frame});
      ++framesInHand;
      framesArrived.notify_all();
    }
    pending.push_back(Pending{frame, completed});
  }
  traceDiscarded();
}

bool SensorSim::Impl::listenUntil(double t) {
  for (;;) {
    if (quit) return false;
    const double now = monotonicSeconds();
    if (now >= t) return true;
    const double due = assembler.nextDue();
    double wait = std::min(t - now, 0.01);
    if (due >= 0) wait = std::clamp(due - now, 0.0, wait);
    if (!readLine(wait)) return false;
    takeFrames();
  }
}

bool SensorSim::Impl::hangUpDue() {
  std::lock_guard<std::mutex> lock(mutex);
  if (hangUpAfterFrames == 0 || frames.size() < hangUpAfterFrames) return false;
  error = "hung up";
  return true;
}

void SensorSim::Impl::answer(const std::vector<uint8_t> &frame, double completed) {
  const uint16_t command = wire::wordAt(frame.data(), 1);
  // Declared before the lock below, so every way out releases the frame
  // after that lock is gone.
  struct Done {
    Impl &impl;
    ~Done() {
      std::lock_guard<std::mutex> lock(impl.mutex);
      --impl.framesInHand;
      impl.framesAnswered.notify_all();
    }
  } done{*this};
  wire::Bytes reply;
  size_t garbage = 0;
  int delayMs = 0;
  double byteTime = 0;
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (!model.answer(frame.data(), &reply)) return;
    if (!faults.shape(command, &reply)) return;
    delayMs = faults.appliesTo(command) ? faults.settings().delayMs : 0;
    if (faults.appliesTo(command)) garbage = static_cast<size_t>(faults.settings().garbage);
    byteTime = byteTimeLocked();
  }
  // The line is listened to while the answer waits and goes out: a frame
  // that arrives meanwhile is taken (and traced) when it is complete.
  const auto listen = [this](double t) { return listenUntil(t); };
  double start = completed;
  if (delayMs > 0) {
    start = completed + delayMs / 1000.0;
    if (!listenUntil(start)) return;
  }
  // Keep to the line's clock from the frame's end, unless the thread woke so
  // late that catching up would send a burst.
  const double now = monotonicSeconds();
  if (byteTime <= 0 || now - start > 10 * byteTime) start = now;
  const bool written = line->write(reply, byteTime, start, quit, listen);
  if (written) ++replies;
  trace.sent(reply, garbage, frame, written);
}

SensorSim::SensorSim(const Options &options) : d(new Impl(options)) {}

SensorSim::~SensorSim() { stop(); }

bool SensorSim::start() {
  if (d->serving) return false;
  d->shutDown();
  std::string error;
  std::unique_ptr<LineEndpoint> endpoint = openPseudoTerminal(&error);
  d->forgetInProcessLine();
  return d->launch(std::move(endpoint), error);
}

bool SensorSim::startOnDevice(const std::string &path) {
  if (d->serving) return false;
  d->shutDown();
  std::string error;
  int baud = 19200;
  {
    std::lock_guard<std::mutex> lock(d->mutex);
    baud = d->baud;
  }
  std::unique_ptr<LineEndpoint> endpoint = openSerialDevice(path, baud, &error);
  d->forgetInProcessLine();
  return d->launch(std::move(endpoint), error);
}

bool SensorSim::startInProcess(const std::string &name) {
  if (d->serving) return false;
  d->shutDown();
  auto line = std::make_shared<InProcessLine>();
  std::string error;
  if (!name.empty() && !registerInProcessLine(name, line, &error)) return d->launch(nullptr, error);
  {
    std::lock_guard<std::mutex> lock(d->mutex);
    d->inProcess = line;
  }
  return d->launch(openInProcessEndpoint(line, name), std::string());
}

std::shared_ptr<InProcessLine> SensorSim::inProcessLine() const {
  std::lock_guard<std::mutex> lock(d->mutex);
  return d->inProcess;
}

void SensorSim::stop() { d->shutDown(); }

bool SensorSim::openTrace(const std::string &path, std::string *error) {
  if (d->serving) {
    if (error) *error = "the sensor is running";
    return false;
  }
  return d->trace.open(path, error);
}

void SensorSim::hangUp() {
  if (!d->thread.joinable()) return;
  d->shutDown();
  std::lock_guard<std::mutex> lock(d->mutex);
  d->error = "hung up";
}

void SensorSim::setHangUpAfterFrames(int frames) {
  std::lock_guard<std::mutex> lock(d->mutex);
  d->hangUpAfterFrames = frames > 0 ? static_cast<size_t>(frames) : 0;
}

bool SensorSim::running() const { return d->serving && !d->quit; }

std::string SensorSim::devicePath() const {
  std::lock_guard<std::mutex> lock(d->mutex);
  return d->path;
}

std::string SensorSim::lastError() const {
  std::lock_guard<std::mutex> lock(d->mutex);
  return d->error;
}

void SensorSim::setIdentity(const Identity &id) {
  std::lock_guard<std::mutex> lock(d->mutex);
  d->model.setIdentity(id);
}

Identity SensorSim::identity() const {
  std::lock_guard<std::mutex> lock(d->mutex);
  return d->model.identity();
}

ParamFrame SensorSim::ram(int frame) const {
  std::lock_guard<std::mutex> lock(d->mutex);
  return d->model.ram(frame);
}

ParamFrame SensorSim::eeprom(int frame) const {
  std::lock_guard<std::mutex> lock(d->mutex);
  return d->model.eeprom(frame);
}

void SensorSim::setRam(int frame, const ParamFrame &words) {
  std::lock_guard<std::mutex> lock(d->mutex);
  d->model.setRam(frame, words);
}

void SensorSim::setEeprom(int frame, const ParamFrame &words) {
  std::lock_guard<std::mutex> lock(d->mutex);
  d->model.setEeprom(frame, words);
}

void SensorSim::setMoving(bool moving) {
  std::lock_guard<std::mutex> lock(d->mutex);
  d->model.setMoving(moving);
}

void SensorSim::setMeasurement(const Measurement &m) {
  std::lock_guard<std::mutex> lock(d->mutex);
  d->model.setMeasurement(m);
}

Measurement SensorSim::measurement() const {
  std::lock_guard<std::mutex> lock(d->mutex);
  return d->model.measurement();
}

void SensorSim::setEdges(double edgeA, double edgeB) {
  std::lock_guard<std::mutex> lock(d->mutex);
  d->model.setEdges(edgeA, edgeB);
}

std::vector<uint16_t> SensorSim::videoLine(int channel) const {
  std::lock_guard<std::mutex> lock(d->mutex);
  return d->model.videoLine(channel);
}

void SensorSim::setVideoLine(int channel, const std::vector<uint16_t> &samples) {
  std::lock_guard<std::mutex> lock(d->mutex);
  d->model.setVideoLine(channel, samples);
}

void SensorSim::setPacing(bool paced, int baud) {
  std::lock_guard<std::mutex> lock(d->mutex);
  d->paced = paced;
  d->baud = baud;
}

void SensorSim::setMute(bool on) {
  std::lock_guard<std::mutex> lock(d->mutex);
  d->faults.settings().mute = on;
}

void SensorSim::setWrongSync(bool on) {
  std::lock_guard<std::mutex> lock(d->mutex);
  d->faults.settings().wrongSync = on;
}

void SensorSim::setLengthDelta(int bytes) {
  std::lock_guard<std::mutex> lock(d->mutex);
  d->faults.settings().lengthDelta = bytes;
}

void SensorSim::setReplyDelayMs(int ms) {
  std::lock_guard<std::mutex> lock(d->mutex);
  d->faults.settings().delayMs = std::max(0, ms);
}

void SensorSim::setGarbage(int bytes) {
  std::lock_guard<std::mutex> lock(d->mutex);
  d->faults.settings().garbage = std::max(0, bytes);
}

void SensorSim::setDropEvery(int n) {
  std::lock_guard<std::mutex> lock(d->mutex);
  d->faults.settings().dropEvery = std::max(0, n);
  d->faults.restartDropCount();
}

void SensorSim::setMuteCommands(const std::vector<int> &commands) {
  std::lock_guard<std::mutex> lock(d->mutex);
  d->faults.settings().muteCommands = commands;
}

void SensorSim::setFaultCommands(const std::vector<int> &commands) {
  std::lock_guard<std::mutex> lock(d->mutex);
  d->faults.settings().faultCommands = commands;
}

void SensorSim::setCorruptedWord(int word) {
  std::lock_guard<std::mutex> lock(d->mutex);
  d->model.setCorruptedWord(word);
}

void SensorSim::setEchoOverride(int command) {
  std::lock_guard<std::mutex> lock(d->mutex);
  d->faults.settings().echoOverride = command;
}

std::vector<ReceivedFrame> SensorSim::received() const {
  std::lock_guard<std::mutex> lock(d->mutex);
  return d->frames;
}

void SensorSim::clearReceived() {
  std::lock_guard<std::mutex> lock(d->mutex);
  d->frames.clear();
}

bool SensorSim::waitForFrames(size_t n, double timeoutSeconds) const {
  std::unique_lock<std::mutex> lock(d->mutex);
  return d->framesArrived.wait_for(lock, std::chrono::duration<double>(timeoutSeconds),
                                   [&] { return d->frames.size() >= n; });
}

int SensorSim::repliesSent() const { return d->replies.load(); }

bool SensorSim::waitUntilAnswered(double timeoutSeconds) const {
  std::unique_lock<std::mutex> lock(d->mutex);
  return d->framesAnswered.wait_for(lock, std::chrono::duration<double>(timeoutSeconds),
                                    [&] { return d->framesInHand == 0; });
}

}  // namespace kvorsim
