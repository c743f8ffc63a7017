// The in-process simulated sensor as a device: the program's end of its line
// (sim/in_process_line.h) as a QIODevice, so the code that reads and writes a
// QSerialPort reads and writes it the same way: read, write, bytesAvailable,
// readyRead, waitForReadyRead, and a loss when the sensor hangs up, as an
// unplugged adapter. For the window's ports and kvor's lines alike; QtCore
// only.
//
// Device names: "simulated" is the simulated sensor; a test that runs more
// than one in its process names the others "simulated:NAME". On every system
// (on Windows, where there are no pseudo-terminals, it is the only way to
// the sensor without a COM port).
#ifndef KVOR_RUNTIME_RS232_SIMULATED_LINE_H
#define KVOR_RUNTIME_RS232_SIMULATED_LINE_H

#include <QIODevice>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace kvorsim {
class InProcessLine;
class SensorSim;
}  // namespace kvorsim

// "simulated" or "simulated:NAME".
bool IsSimulatedDevice(const std::string &device);

class SimulatedLine : public QIODevice {
 public:
  // Which sensor a name reaches when no sensor of this process serves it.
  enum class SensorSource {
    // "simulated" is one sensor for the whole program, started at its first
    // opening and kept to the end, so it remembers its RAM and EEPROM across
    // closing and opening the port (the window).
    Shared,
    // Every opening starts a sensor of its own, which ends at close (kvor:
    // one a session).
    Own,
  };

  explicit SimulatedLine(SensorSource source, QObject *parent = nullptr);
  ~SimulatedLine() override;

  // Opens the device: 0, RS_NO_SERIAL_PORT (no sensor serves the name, or
  // it has hung up), RS_CANNOT_OPEN_PORT (open elsewhere already: one
  // program end at a time, as for a serial device) or
  // RS_UNKNOWN_SYSTEM_ERROR (the sensor could not start).
  int OpenDevice(const std::string &device);
  void close() override;
  const QString &Name() const { return name_; }

  // Drops what the sensor sent and nobody has read.
  void ClearInput();
  // Called once when the sensor hangs up while the device is open: the
  // device is gone. It may run inside a call on this device (as
  // QSerialPort's errorOccurred does), so it should only note the loss.
  void SetLostHandler(std::function<void()> lost) { lost_ = std::move(lost); }
  bool Lost() const { return lostTold_; }

  bool isSequential() const override { return true; }
  qint64 bytesAvailable() const override;
  // Emits readyRead for bytes that arrived since the last readyRead, as
  // QSerialPort does for bytes it fetched; false when there are none.
  bool waitForReadyRead(int msecs) override;
  // Written bytes are with the sensor at once: nothing ever waits.
  bool waitForBytesWritten(int msecs) override;

 protected:
  qint64 readData(char *data, qint64 maxSize) override;
  qint64 writeData(const char *data, qint64 size) override;

 private:
  // readyRead for new bytes (true), the loss once the sensor has hung up.
  bool Announce();
  void TellLost();

  SensorSource source_;
  std::unique_ptr<kvorsim::SensorSim> ownSensor_;
  std::shared_ptr<kvorsim::InProcessLine> line_;
  QString name_;
  uint64_t announced_ = 0;  // the line's delivered() at the last readyRead
  bool lostTold_ = false;
  std::function<void()> lost_;
};

// Ends the sensor that SensorSource::Shared started, if any (at the end of
// the program; an open device sees it hang up).
void StopSharedSimulatedSensor();

#endif
