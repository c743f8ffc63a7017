// The real program in this process, on Qt's offscreen platform, with port 1
// on a pseudo-terminal served by the simulated sensor (on Windows the sensor
// inside the program): the same chain the end-to-end tests use, with no test
// framework around it.
#ifndef KVOR_BENCH_PROGRAM_SESSION_H
#define KVOR_BENCH_PROGRAM_SESSION_H

#include <memory>
#include <string>

#include "sim/sensor_sim.h"

namespace bench {

// Chooses the offscreen platform unless the caller chose one; call before
// anything creates the application object.
void UseOffscreenPlatformByDefault();

class ProgramSession {
 public:
  ProgramSession() = default;
  ~ProgramSession();
  ProgramSession(const ProgramSession &) = delete;
  ProgramSession &operator=(const ProgramSession &) = delete;

  // Starts the sensor, then the program with port 1 on it and port 2 on a
  // device that does not exist; false (with the reason in Error()) when
  // either fails. The program's start-up is the whole of it: panels, start
  // values, serial start-up, main window shown.
  bool Start(const kvorsim::Options &sensorOptions);
  // The program alone, with port 1 on a device served by someone else (the
  // sensor program kvor-sensor-sim, or a sensor on a real line).
  bool StartOnDevice(const std::string &device);
  bool HasSensor() const { return sensor_ != nullptr; }

  // What the operator does when the line has stopped answering: choose
  // another port in the port selector, then port 1 again. The program closes
  // the port, opens it afresh and runs its serial start-up on it.
  void Reconnect();
  // Ends the program (port closed, panels discarded) and stops the sensor.
  void End();

  kvorsim::SensorSim &Sensor() { return *sensor_; }
  const std::string &Error() const { return error_; }
  // What the status box shows now.
  std::string Status() const;

 private:
  bool StartProgramOn(const std::string &device);
  std::unique_ptr<kvorsim::SensorSim> sensor_;
  bool programStarted_ = false;
  std::string error_;
};

}  // namespace bench

#endif
