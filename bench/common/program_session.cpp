#include "bench/common/program_session.h"

#include <QByteArray>
#include <QtGlobal>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/controls.h"
#include "app/globals.h"
#include "runtime/testkit/testkit.h"

namespace bench {

void UseOffscreenPlatformByDefault() {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
}

ProgramSession::~ProgramSession() { End(); }

bool ProgramSession::Start(const kvorsim::Options &sensorOptions) {
  UseOffscreenPlatformByDefault();
  sensor_ = std::make_unique<kvorsim::SensorSim>(sensorOptions);
  // Where there are no pseudo-terminals (Windows), the sensor inside the
  // program, as --simulate gives it there.
  if (!(kvorsim::havePseudoTerminals() ? sensor_->start() : sensor_->startInProcess("simulated"))) {
    error_ = "the simulated sensor did not start: " + sensor_->lastError();
    return false;
  }
  return StartProgramOn(sensor_->devicePath());
}

bool ProgramSession::StartOnDevice(const std::string &device) {
  UseOffscreenPlatformByDefault();
  return StartProgramOn(device);
}

bool ProgramSession::StartProgramOn(const std::string &device) {
  // The application object keeps argc and argv for the life of the process.
  static std::vector<std::string> argStorage;
  static std::vector<char *> argv;
  argStorage = {"K-VOR-NE-ZevevU301", "--port", "1=" + device, "--port",
                "2=/dev/kvor-bench-no-such-device"};
  argv.clear();
  for (std::string &s : argStorage) argv.push_back(&s[0]);
  argv.push_back(nullptr);
  if (StartProgram(static_cast<int>(argStorage.size()), argv.data()) != 0) {
    error_ = "the program could not load its panels";
    return false;
  }
  programStarted_ = true;
  return true;
}

void ProgramSession::Reconnect() {
  testkit::SelectRingValue(pHandle, MAIN_DROPDCOM, 2);
  testkit::SelectRingValue(pHandle, MAIN_DROPDCOM, 1);
}

void ProgramSession::End() {
  if (programStarted_) {
    stop_flag = 1;
    EndProgram();
    programStarted_ = false;
  }
  if (sensor_) sensor_->stop();
}

std::string ProgramSession::Status() const { return testkit::Text(pHandle, MAIN_STATUS); }

}  // namespace bench
