#include "runtime/rs232/simulated_line.h"

#include "runtime/rs232/rs232.h"
#include "sim/in_process_line.h"
#include "sim/sensor_sim.h"

#include <QMetaObject>

namespace {

const std::string kNamedPrefix = std::string(kvorsim::kInProcessLineName) + ":";

// The sensor SensorSource::Shared starts for "simulated".
std::unique_ptr<kvorsim::SensorSim> g_sharedSensor;

}  // namespace

bool IsSimulatedDevice(const std::string &device) {
  return device == kvorsim::kInProcessLineName ||
         (device.size() > kNamedPrefix.size() && device.compare(0, kNamedPrefix.size(), kNamedPrefix) == 0);
}

SimulatedLine::SimulatedLine(SensorSource source, QObject *parent) : QIODevice(parent), source_(source) {}

SimulatedLine::~SimulatedLine() { close(); }

int SimulatedLine::OpenDevice(const std::string &device) {
  close();
  if (!IsSimulatedDevice(device)) return RS_NO_SERIAL_PORT;
  std::shared_ptr<kvorsim::InProcessLine> line;
  if (source_ == SensorSource::Own) {
    ownSensor_ = std::make_unique<kvorsim::SensorSim>();
    if (!ownSensor_->startInProcess(std::string())) {
      ownSensor_.reset();
      return RS_UNKNOWN_SYSTEM_ERROR;
    }
    line = ownSensor_->inProcessLine();
  } else {
    // A sensor this process serves under the name (a test's) comes first.
    line = kvorsim::findInProcessLine(device);
    if (line == nullptr && device == kvorsim::kInProcessLineName) {
      if (!g_sharedSensor) g_sharedSensor = std::make_unique<kvorsim::SensorSim>();
      if (!g_sharedSensor->running() && !g_sharedSensor->startInProcess(device)) return RS_UNKNOWN_SYSTEM_ERROR;
      line = g_sharedSensor->inProcessLine();
    }
  }
  // A sensor that has hung up is a device that is gone.
  if (line == nullptr || line->hungUp()) {
    ownSensor_.reset();
    return RS_NO_SERIAL_PORT;
  }
  if (!line->open()) {
    ownSensor_.reset();
    return line->hungUp() ? RS_NO_SERIAL_PORT : RS_CANNOT_OPEN_PORT;
  }
  line_ = line;
  name_ = QString::fromStdString(device);
  announced_ = 0;
  lostTold_ = false;
  setErrorString(QString());
  QIODevice::open(QIODevice::ReadWrite);
  // Runs on the sensor's thread: it only posts. close() removes it before
  // this object can go, and Qt drops what is still posted to a deleted one.
  line_->setWakeUp([this] {
    QMetaObject::invokeMethod(
        this,
        [this] {
          if (line_ == nullptr) return;
          line_->rearmWakeUp();
          Announce();
        },
        Qt::QueuedConnection);
  });
  return 0;
}

void SimulatedLine::close() {
  if (line_ != nullptr) line_->close();
  line_.reset();
  ownSensor_.reset();
  if (isOpen()) QIODevice::close();
}

void SimulatedLine::ClearInput() {
  if (line_ == nullptr) return;
  line_->clearInput();
  announced_ = line_->delivered();
  // What this device had buffered goes as well.
  skip(QIODevice::bytesAvailable());
}

qint64 SimulatedLine::bytesAvailable() const {
  return QIODevice::bytesAvailable() + static_cast<qint64>(line_ != nullptr ? line_->available() : 0);
}

bool SimulatedLine::waitForReadyRead(int msecs) {
  if (line_ == nullptr) return false;
  if (Announce()) return true;
  if (msecs == 0 || line_ == nullptr || line_->hungUp()) return false;
  line_->waitForInput(announced_, msecs < 0 ? 86400.0 : msecs / 1000.0);
  return Announce();
}

bool SimulatedLine::waitForBytesWritten(int) { return false; }

qint64 SimulatedLine::readData(char *data, qint64 maxSize) {
  if (line_ == nullptr) return -1;
  const size_t n = line_->read(reinterpret_cast<uint8_t *>(data), static_cast<size_t>(maxSize));
  if (n == 0 && line_->hungUp()) TellLost();
  return static_cast<qint64>(n);
}

qint64 SimulatedLine::writeData(const char *data, qint64 size) {
  if (line_ == nullptr) return -1;
  const size_t n = line_->write(reinterpret_cast<const uint8_t *>(data), static_cast<size_t>(size));
  if (n == 0 && size > 0) {
    TellLost();
    return -1;
  }
  return static_cast<qint64>(n);
}

bool SimulatedLine::Announce() {
  if (line_ == nullptr) return false;
  const uint64_t delivered = line_->delivered();
  const bool fresh = delivered > announced_;
  if (fresh) {
    announced_ = delivered;
    emit readyRead();
  }
  // The handler of readyRead may have closed the device.
  if (line_ != nullptr && line_->hungUp()) TellLost();
  return fresh;
}

void SimulatedLine::TellLost() {
  if (lostTold_) return;
  lostTold_ = true;
  setErrorString(QStringLiteral("the simulated sensor hung up"));
  if (lost_) lost_();
}

void StopSharedSimulatedSensor() {
  if (g_sharedSensor) g_sharedSensor->stop();
  g_sharedSensor.reset();
}
