// The real chain for end-to-end tests: the panels from the resource file,
// QSerialPort on a pseudo-terminal, and the simulated sensor at its far end.
// With KVOR_TEST_PEER=inprocess (and always on Windows, which has no
// pseudo-terminals) the sensor runs behind the serial layer's in-process line
// instead, as the device "simulated": everything above the layer is the same.
#ifndef KVOR_TESTS_PROGRAM_FIXTURE_H
#define KVOR_TESTS_PROGRAM_FIXTURE_H

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "sim/sensor_sim.h"
#include "runtime/rs232/port_table_order.h"
#include "support/temp_dir.h"

namespace support {

// Whether the fixture's sensors run in process by default
// (KVOR_TEST_PEER=inprocess, or Windows) rather than on pseudo-terminals.
bool PeerInProcess();

class ProgramTest : public ::testing::Test {
 protected:
  ProgramTest();
  ~ProgramTest() override;

  // The sensor's settings; change before Start().
  kvorsim::Options sensorOptions;
  // Where the sensors run: behind the in-process line (the device
  // "simulated") or on pseudo-terminals; change before Start().
  bool peerInProcess;

  // Starts the sensor, then the program with port 1 on it. Returns what the
  // program's start-up returned (0, or -1 when it could not load its panels).
  int Start();
  // The same in two steps, so faults can be set before the program starts.
  bool StartSensor();
  // Starts a further sensor the way the fixture starts its own (its own
  // pseudo-terminal, or an in-process line of its own); its devicePath() is
  // what the program opens.
  bool StartAnotherSensor(kvorsim::SensorSim &sensor);
  int StartProgramOnSensor();
  // Further command-line arguments for the program (e.g. "--port", "2=...").
  std::vector<std::string> extraArgs;
  // Seconds the program's start-up took.
  double startupSeconds = 0;
  // Starts the program with port 1 on the given device and no sensor.
  int StartOnDevice(const std::string &device);
  // Makes the program see these serial devices as the machine's, from now
  // to the end of the test: change MachineDevices() to plug and pull
  // adapters (the program looks again when its port selector opens).
  void FakeMachineDevices(std::vector<SerialDevice> devices);
  std::vector<SerialDevice> &MachineDevices() { return machineDevices_; }
  // Starts the program without "--port 1=": its ports are the machine's.
  int StartProgramOnMachineDevices();
  // Starts the program against a line on which nobody answers.
  int StartWithSilentLine();
  // Starts the program with no sensor and a port that does not exist: the
  // panels and every start value, at once.
  int StartOffline();

  kvorsim::SensorSim &Sensor() { return *sensor_; }
  std::vector<kvorsim::ReceivedFrame> Frames() const;
  // Commands of the received frames, in order.
  std::vector<int> Commands() const;

  // The times (Timer seconds) at which the program began each write to the
  // line since its start or the last testkit::StartWriteLog(): the spacing
  // the program keeps, exact, where the sensor's receipt times carry the
  // jitter of its reading thread.
  std::vector<double> WriteTimes() const;

  std::string Status() const;
  // With the file as storage target: Send or Get with the file dialog
  // answered by path, as the operator would choose it.
  void SaveParameterFile(const std::string &path);
  void LoadParameterFile(const std::string &path);
  // Ends the program and starts it again on the same sensor, as the
  // operator closes and reopens it (the user's settings stay).
  int RestartProgram();
  // A path in a fresh folder of this test's own.
  std::string TempPath(const std::string &name) const;
  const std::string &TempDir() const { return tempDir_; }

  void TearDown() override;

 private:
  int StartProgramWithPort(const std::string &device);
  std::unique_ptr<kvorsim::SensorSim> sensor_;
  int otherSensors_ = 0;
  ::TempDir temp_;
  std::string tempDir_;
  bool programStarted_ = false;
  std::vector<std::string> argStorage_;
  std::vector<SerialDevice> machineDevices_;
  bool machineFaked_ = false;
  std::vector<char *> argv_;
};

// The data words 0..14 of a received frame.
std::vector<int> DataWords(const kvorsim::ReceivedFrame &frame);
// The program's start values of parameter frame 0 and 1, as on the wire.
std::vector<int> StartFrame0();
std::vector<int> StartFrame1();

}  // namespace support

#endif
