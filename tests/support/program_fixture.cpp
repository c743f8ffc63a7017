#include "support/program_fixture.h"

#include <QByteArray>
#include <QtGlobal>

#include <cstdlib>
#include <utility>

#include "app/app.h"
#include "app/controls.h"
#include "app/globals.h"
#include "runtime/rs232/port_table.h"
#include "runtime/testkit/testkit.h"
#include "runtime/userint/userint.h"
#include "runtime/utility/internal.h"
#include "runtime/utility/utility.h"
#include "sim/sensor_sim.h"

namespace support {

bool PeerInProcess() {
  if (!kvorsim::havePseudoTerminals()) return true;
  const char *peer = std::getenv("KVOR_TEST_PEER");
  return peer != nullptr && std::string(peer) == "inprocess";
}

ProgramTest::ProgramTest() : peerInProcess(PeerInProcess()), tempDir_(temp_.path()) {
  sensorOptions.moving = false;
  // The user's settings (Verify after sending) of this test alone, never the
  // machine's nor an earlier test's: the settings look for their folder on
  // every use, so the tests of one executable may also run in one process.
  // (Windows keeps them in the registry: there they are forgotten.)
  qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(tempDir_ + "/config"));
  ForgetUserSettings();
}

ProgramTest::~ProgramTest() = default;

int ProgramTest::StartProgramWithPort(const std::string &device) {
  argStorage_ = {"K-VOR-NE-ZevevU301"};
  if (!device.empty()) argStorage_.insert(argStorage_.end(), {"--port", "1=" + device});
  argStorage_.insert(argStorage_.end(), extraArgs.begin(), extraArgs.end());
  argv_.clear();
  for (auto &s : argStorage_) argv_.push_back(&s[0]);
  argv_.push_back(nullptr);
  // The program's own write times, from its first frame on (a test restarts
  // the log where it wants to look).
  testkit::StartWriteLog();
  const double begin = Timer();
  const int result = StartProgram(static_cast<int>(argStorage_.size()), argv_.data());
  startupSeconds = Timer() - begin;
  programStarted_ = result == 0;
  return result;
}

bool ProgramTest::StartSensor() {
  sensor_ = std::make_unique<kvorsim::SensorSim>(sensorOptions);
  if (!(peerInProcess ? sensor_->startInProcess("simulated") : sensor_->start())) {
    ADD_FAILURE() << "simulated sensor did not start: " << sensor_->lastError();
    return false;
  }
  return true;
}

bool ProgramTest::StartAnotherSensor(kvorsim::SensorSim &sensor) {
  const std::string name = "simulated:" + std::to_string(++otherSensors_ + 1);
  if (!(peerInProcess ? sensor.startInProcess(name) : sensor.start())) {
    ADD_FAILURE() << "simulated sensor did not start: " << sensor.lastError();
    return false;
  }
  return true;
}

int ProgramTest::StartProgramOnSensor() { return StartProgramWithPort(sensor_->devicePath()); }

int ProgramTest::Start() {
  if (!StartSensor()) return -100;
  return StartProgramOnSensor();
}

int ProgramTest::RestartProgram() {
  if (programStarted_) {
    stop_flag = 1;
    EndProgram();
    programStarted_ = false;
  }
  return StartProgramOnSensor();
}

int ProgramTest::StartOnDevice(const std::string &device) { return StartProgramWithPort(device); }

void ProgramTest::FakeMachineDevices(std::vector<SerialDevice> devices) {
  machineDevices_ = std::move(devices);
  machineFaked_ = true;
  SetSerialDeviceLister([this] { return machineDevices_; });
}

int ProgramTest::StartProgramOnMachineDevices() { return StartProgramWithPort(""); }

int ProgramTest::StartWithSilentLine() {
  if (!StartSensor()) return -100;
  sensor_->setMute(true);
  return StartProgramWithPort(sensor_->devicePath());
}

int ProgramTest::StartOffline() { return StartProgramWithPort("/dev/kvor-offline-no-device"); }

std::vector<kvorsim::ReceivedFrame> ProgramTest::Frames() const {
  return sensor_ ? sensor_->received() : std::vector<kvorsim::ReceivedFrame>();
}

std::vector<double> ProgramTest::WriteTimes() const {
  std::vector<double> times;
  for (const testkit::Write &w : testkit::WriteLog()) times.push_back(w.time);
  return times;
}

std::vector<int> ProgramTest::Commands() const {
  std::vector<int> out;
  for (const auto &f : Frames()) out.push_back(f.command());
  return out;
}

std::string ProgramTest::Status() const { return testkit::Text(pHandle, MAIN_STATUS); }

std::string ProgramTest::TempPath(const std::string &name) const { return tempDir_ + "/" + name; }

void ProgramTest::TearDown() {
  testkit::StopWriteLog();
  if (programStarted_) {
    stop_flag = 1;
    EndProgram();
    programStarted_ = false;
  }
  if (sensor_) sensor_->stop();
  if (machineFaked_) SetSerialDeviceLister(nullptr);
  machineFaked_ = false;
}

void ProgramTest::SaveParameterFile(const std::string &path) {
  testkit::QueueFileSelectAnswer(VAL_NEW_FILE_SELECTED, path);
  testkit::Click(pHandle, MAIN_BTNSEND);
}

void ProgramTest::LoadParameterFile(const std::string &path) {
  testkit::QueueFileSelectAnswer(VAL_EXISTING_FILE_SELECTED, path);
  testkit::Click(pHandle, MAIN_BTNGET);
}

std::vector<int> DataWords(const kvorsim::ReceivedFrame &frame) {
  std::vector<int> words;
  for (int i = 0; i < 15; ++i) words.push_back(frame.dataWord(i));
  return words;
}

std::vector<int> StartFrame0() { return {500, 50, 512, 1, 2048, 50, 50, 1, 1, 1, 1, 0, 1, 1, 0}; }
std::vector<int> StartFrame1() { return {500, 50, 512, 1, 2048, 0, 0, 0, 0, 0, 0, 4096, 0, 37000, 0}; }

}  // namespace support
