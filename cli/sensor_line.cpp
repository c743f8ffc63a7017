#include "cli/sensor_line.h"

#include <cstdio>
#include <utility>

#include "link/protocol.h"
#include "runtime/rs232/com_trace.h"
#include "runtime/rs232/rs232.h"
#include "runtime/rs232/serial_errors.h"

namespace kvorcli {

namespace {

const qint64 kNanosPerMs = 1000000;

}  // namespace

SensorLine::SensorLine(QObject *parent) : QObject(parent) {
  timeout_.setSingleShot(true);
  timeout_.setTimerType(Qt::PreciseTimer);
  pause_.setSingleShot(true);
  pause_.setTimerType(Qt::PreciseTimer);
  connect(&timeout_, &QTimer::timeout, this, [this] { CheckTimeout(); });
  connect(&port_, &QSerialPort::readyRead, this, [this] { ReadFromLine(); });
  connect(&port_, &QSerialPort::errorOccurred, this,
          [this](QSerialPort::SerialPortError error) { OnError(error); });
  connect(&simulated_, &QIODevice::readyRead, this, [this] { ReadFromLine(); });
  simulated_.SetLostHandler([this] { OnLineGone(); });
}

SensorLine::~SensorLine() { Close(); }

int SensorLine::Open(const std::string &device) {
  if (IsSimulatedDevice(device)) {
    const int opened = simulated_.OpenDevice(device);
    if (opened < 0) return opened;
    line_ = &simulated_;
    device_ = device;
    lost_ = false;
    return 0;
  }
  const int nodeError = CheckSerialDeviceNode(device);
  if (nodeError < 0) return nodeError;
  port_.setPortName(QString::fromLocal8Bit(device.c_str()));
  port_.setBaudRate(LINE_BAUD_RATE);
  port_.setDataBits(QSerialPort::Data8);
  port_.setParity(QSerialPort::NoParity);
  port_.setStopBits(QSerialPort::OneStop);
  port_.setFlowControl(QSerialPort::NoFlowControl);
  port_.setReadBufferSize(0);
  if (!port_.open(QIODevice::ReadWrite)) return MapSerialOpenError(port_);
  line_ = &port_;
  device_ = device;
  lost_ = false;
  return 0;
}

void SensorLine::Close() {
  timeout_.stop();
  pause_.stop();
  waiting_ = nullptr;
  afterPause_ = nullptr;
  TraceSkipped();
  if (line_->isOpen()) {
    DropInput(std::exchange(input_, QByteArray()) + line_->readAll(), "left at close");
    line_->close();
  }
}

void SensorLine::DropInput(const QByteArray &bytes, const char *how) {
  if (!bytes.isEmpty()) TraceComUnframed(device_.c_str(), bytes.constData(), static_cast<int>(bytes.size()), how);
}

qint64 SensorLine::WriteToLine(const char *bytes, qint64 count) {
  const qint64 written = line_->write(bytes, count);
  // Out now rather than at the next turn of the event loop, so the time-out
  // counts from the moment the frame left, as in the window. (The simulated
  // sensor has the bytes at once.)
  if (written > 0 && line_ == &port_) port_.flush();
  if (ComTraceOn()) {
    char note[40] = "";
    if (written != count) std::snprintf(note, sizeof note, "only %lld written", static_cast<long long>(written < 0 ? 0 : written));
    TraceComFrame(device_.c_str(), TRACE_TX, bytes, static_cast<int>(count), note[0] ? note : nullptr);
  }
  return written;
}

void SensorLine::ReadFromLine() {
  const QByteArray bytes = line_->readAll();
  if (bytes.isEmpty()) return;
  input_.append(bytes);
  OfferInput();
}

bool SensorLine::Send(const unsigned char *frame, int count) {
  if (lost_ || !line_->isOpen()) return false;
  // What came before belongs to no exchange: both queues start empty.
  DropInput(std::exchange(input_, QByteArray()) + line_->readAll(), "flushed unread");
  ClearLine();
  const qint64 written = WriteToLine(reinterpret_cast<const char *>(frame), count);
  sinceWrite_.start();
  return written == count && !lost_;
}

void SensorLine::AwaitReply(int bytes, int command, int argument, ReplyHandler done) {
  waiting_ = std::move(done);
  awaitedBytes_ = bytes;
  awaitedCommand_ = command;
  awaitedArgument_ = argument;
  if (lost_) {
    QTimer::singleShot(0, this, [this] { Deliver(LineOutcome::Lost, QByteArray()); });
    return;
  }
  CheckTimeout();
  OfferInput();
}

void SensorLine::OfferInput() {
  if (!waiting_) return;  // kept for nobody: the next Send empties it
  if (awaitedBytes_ != FRAME_BYTES) {
    if (input_.size() >= awaitedBytes_) {
      const QByteArray block = std::exchange(input_, QByteArray());
      TraceComFrame(device_.c_str(), TRACE_RX, block.constData(), static_cast<int>(block.size()), nullptr);
      Deliver(LineOutcome::Reply, block);
    }
    return;
  }
  if (awaitedCommand_ < 0) {
    if (input_.size() < FRAME_BYTES) return;
    // As the window's receive callback: the first 36 bytes are the frame,
    // whatever arrived behind them is discarded.
    const QByteArray frame = input_.left(FRAME_BYTES);
    const QByteArray behind = input_.mid(FRAME_BYTES);
    input_.clear();
    TraceComFrame(device_.c_str(), TRACE_RX, frame.constData(), FRAME_BYTES, nullptr);
    DropInput(behind, "discarded behind a frame");
    Deliver(LineOutcome::Reply, frame);
    return;
  }
  int piece = 0, kind;
  while (waiting_ && (kind = NextReplyPiece(reinterpret_cast<const unsigned char *>(input_.constData()),
                                            static_cast<int>(input_.size()), static_cast<uint16_t>(awaitedCommand_),
                                            awaitedArgument_, &piece)) != REPLY_PIECE_NONE) {
    const QByteArray bytes = input_.left(piece);
    input_.remove(0, piece);
    if (kind == REPLY_PIECE_UNFRAMED) {
      // Bytes trickle in; their trace line waits for the next piece.
      skipped_ += bytes;
      continue;
    }
    TraceSkipped();
    TraceComFrame(device_.c_str(), TRACE_RX, bytes.constData(), piece,
                  kind == REPLY_PIECE_AWAITED ? nullptr : "not the awaited reply, skipped");
    if (kind == REPLY_PIECE_AWAITED) Deliver(LineOutcome::Reply, bytes);
  }
}

void SensorLine::CheckTimeout() {
  if (!waiting_) return;
  const qint64 limit = static_cast<qint64>(REPLY_TIMEOUT_MS) * kNanosPerMs;
  const qint64 elapsed = sinceWrite_.nsecsElapsed();
  if (elapsed <= limit) {
    // Fires just past the limit: late is strictly more than the time-out.
    timeout_.start(static_cast<int>((limit - elapsed) / kNanosPerMs) + 1);
    return;
  }
  // A reply that is waiting in the device when the time-out falls due
  // still counts.
  line_->waitForReadyRead(0);
  if (waiting_) Deliver(LineOutcome::TimedOut, QByteArray());
}

void SensorLine::Pause(int ms, std::function<void()> done) {
  afterPause_ = std::move(done);
  QElapsedTimer since;
  since.start();
  // Qt may wake a timer a fraction of a millisecond early: the pause is a
  // minimum, so it is measured and topped up.
  disconnect(&pause_, &QTimer::timeout, this, nullptr);
  connect(&pause_, &QTimer::timeout, this, [this, since, ms] {
    const qint64 left = static_cast<qint64>(ms) * kNanosPerMs - since.nsecsElapsed();
    if (left > 0) {
      pause_.start(static_cast<int>(left / kNanosPerMs) + 1);
      return;
    }
    std::function<void()> then = std::exchange(afterPause_, nullptr);
    if (then) then();
  });
  pause_.start(ms);
}

void SensorLine::OnError(QSerialPort::SerialPortError error) {
  // An open that fails reports here first; Open maps that error itself.
  if (error == QSerialPort::NoError || lost_ || !port_.isOpen()) return;
  if (!SerialDeviceGone(&port_, error)) {
    // A read that found nothing; Qt has stopped watching the device. After
    // its read has returned, it watches again.
    if (error == QSerialPort::ResourceError || error == QSerialPort::ReadError)
      QTimer::singleShot(0, this, [this] {
        if (!lost_ && port_.isOpen()) {
          WatchSerialInputAgain(&port_);
          ReadFromLine();
        }
      });
    port_.clearError();
    return;
  }
  OnLineGone();
}

void SensorLine::OnLineGone() {
  if (lost_) return;
  lost_ = true;
  // This may run inside a call on the line: the waiter hears of it from the
  // event loop.
  QTimer::singleShot(0, this, [this] {
    if (waiting_) Deliver(LineOutcome::Lost, QByteArray());
  });
}

void SensorLine::ClearLine() {
  if (line_ == &port_) port_.clear(QSerialPort::AllDirections);
  else simulated_.ClearInput();
}

void SensorLine::TraceSkipped() { DropInput(std::exchange(skipped_, QByteArray()), "not the awaited reply, skipped"); }

void SensorLine::Deliver(LineOutcome outcome, const QByteArray &bytes) {
  TraceSkipped();
  timeout_.stop();
  ReplyHandler done = std::exchange(waiting_, nullptr);
  if (done) done(outcome, bytes);
}

}  // namespace kvorcli
