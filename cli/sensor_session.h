// One sensor served by kvor: its line, the PC's copy of its parameter set
// (the record the window would hold) and the window's exchanges as steps
// that run from the event loop. A step either goes on with its continuation
// or ends the session with a result; a session that has ended runs nothing
// more. Several sessions run side by side in one event loop.
#ifndef KVOR_CLI_SENSOR_SESSION_H
#define KVOR_CLI_SENSOR_SESSION_H

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <string>

#include "cli/results.h"
#include "cli/sensor_line.h"
#include "link/ccd_tables.h"
#include "params/parameter_set.h"

namespace kvorcli {

// Where parameters are read from or written to.
enum class Store { Ram, Eeprom };
const char *StoreName(Store store);  // "RAM", "EEPROM"

class SensorSession : public QObject {
 public:
  using Then = std::function<void()>;
  using Finished = std::function<void(const SensorResult &)>;

  // port: as given on the command line; device: what it opens.
  SensorSession(const QString &port, const std::string &device, Finished finished,
                QObject *parent = nullptr);

  // The PC's values of the parameter set: what read requests and the echo
  // carry, and what a send writes. Start values until something is read.
  ParameterSet record;
  // The data words of the last reply frame, sent again by the commands
  // whose data words are not significant (as the window's pp).
  uint16_t lastWords[16] = {};
  HardwareDescription hardware{};
  QString firmwareText;
  SensorResult result;

  // ---- Steps: each ends the session on a fault, else calls then ----
  // Opens the port and checks the line with the echo frame.
  void OpenAndCheck(Then then);
  void ReadHardware(Then then);
  void ReadFirmware(Then then);
  // Reads one parameter frame into the record.
  void ReadFrame(Store from, int frame, Then then);
  // Both frames, TRANSFER_SPACING_MS apart, as the window's Get.
  void ReadSet(Store from, Then then);
  // Both frames of the record, TRANSFER_SPACING_MS apart, as the window's
  // Send; no reply is awaited. A stop meanwhile waits for frame 1.
  void WriteSet(Store to, Then then);
  // After WriteSet: the sensor's answer to frame 1, so that nothing is on
  // its way when the next request empties the queues. A sensor that answers
  // no write costs the time-out, and then goes on as well.
  void AwaitWriteAnswer(Store to, Then then);
  // A command with data words and any reply frame as the answer; the
  // frame's bytes go to then. failure: the message for a time-out.
  void Exchange(uint16_t command, const uint16_t *words, const char *failure,
                std::function<void(const QByteArray &)> then);
  void Pause(int ms, Then then);

  void Succeed(const QString &message);
  void Fail(int status, const QString &message);
  bool Ended() const { return ended_; }

  // ---- A stop (Ctrl+C, SIGTERM): nothing new begins ----
  // What the sensor has got so far, in the line a stop ends the session
  // with ("interrupted: " and this text); the command keeps it current.
  void SetStopText(const QString &gotSoFar);
  // Runs instead of that ending; it must end the session itself.
  void SetStopAction(Then action);
  // Ends the session at once, or, while WriteSet is between its two
  // frames, right after frame 1 has gone out. Again and again: no effect.
  void Stop();
  const QString &Port() const { return result.port; }

 private:
  void FailLine(LineOutcome outcome, const QString &what);
  void EndStopped();

  SensorLine line_;
  std::string device_;
  Finished finished_;
  bool ended_ = false;
  QString stopText_ = "nothing done";
  Then stopAction_;
  bool stopAsked_ = false;
  bool writingPair_ = false;  // between frame 0 and frame 1 of WriteSet
};

}  // namespace kvorcli

#endif
