// One sensor's serial line for kvor: its own QSerialPort (or, for the port
// "simulated", a simulated sensor of its own inside kvor), the window's line
// settings, and the request/reply pattern of every exchange (empty both
// queues, write the frame, wait for the reply until more than the time-out
// has passed since the write). Everything runs from the one event loop;
// nothing here blocks, so any number of lines are served side by side.
//
// Every byte that goes to the sensor leaves through WriteToLine() and every
// byte from it arrives through ReadFromLine(): a wire trace belongs there.
#ifndef KVOR_CLI_SENSOR_LINE_H
#define KVOR_CLI_SENSOR_LINE_H

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QSerialPort>
#include <QTimer>

#include <functional>
#include <string>

#include "runtime/rs232/simulated_line.h"

namespace kvorcli {

enum class LineOutcome {
  Reply,     // the awaited bytes arrived
  TimedOut,  // more than the reply time-out passed since the write
  Lost,      // the device vanished (unplugged, the far end closed)
};

class SensorLine : public QObject {
 public:
  explicit SensorLine(QObject *parent = nullptr);
  ~SensorLine() override;

  // Opens the device at 19200 baud, 8N1, no handshake. 0, or the layer's
  // RS_* code (PortErrorMessage tells it). "simulated" starts a simulated
  // sensor for this line alone, which ends when the line closes.
  int Open(const std::string &device);
  void Close();
  bool Lost() const { return lost_; }

  // Empties both queues and writes the frame. True when all its bytes went
  // to the port; false when the device is gone (nothing more can go out).
  bool Send(const unsigned char *frame, int count);

  // After a Send: waits for `bytes` bytes (a 36-byte frame or the 72-byte
  // firmware text). For a frame with command -1, the first 36 bytes are the
  // reply and what came behind them is discarded, as the window's receive
  // callback takes a reply. Otherwise only a reply frame with that command
  // word (and, unless argument is negative, that argument word) is the
  // reply: frames are taken off the bytes by NextReplyPiece, whatever else
  // is skipped (and traced as it goes) and the bytes behind the reply stay
  // for the next Send to empty. The firmware text comes with every byte that
  // had arrived when it was complete.
  using ReplyHandler = std::function<void(LineOutcome, const QByteArray &)>;
  void AwaitReply(int bytes, int command, int argument, ReplyHandler done);

  // Calls done after ms milliseconds (at least), from the event loop. A loss
  // meanwhile is kept for the next Send.
  void Pause(int ms, std::function<void()> done);

 private:
  qint64 WriteToLine(const char *bytes, qint64 count);
  void ReadFromLine();
  void OfferInput();
  void OnError(QSerialPort::SerialPortError error);
  // The device has gone: the waiter hears of it from the event loop.
  void OnLineGone();
  // Empties both queues of the line.
  void ClearLine();
  void CheckTimeout();
  void Deliver(LineOutcome outcome, const QByteArray &bytes);

  // Bytes from the line that no reply takes, told to the wire trace.
  void DropInput(const QByteArray &bytes, const char *how);
  // The bytes a reply wait passed over, in one piece.
  void TraceSkipped();

  // The line is the serial port or the simulated sensor's; line_ is the one
  // in use, through which every read and write goes.
  QSerialPort port_;
  SimulatedLine simulated_{SimulatedLine::SensorSource::Own};
  QIODevice *line_ = &port_;
  std::string device_;  // as given, the wire trace's name for the port
  QByteArray input_;
  QByteArray skipped_;  // passed over by the reply wait, not yet traced
  QElapsedTimer sinceWrite_;
  QTimer timeout_;
  QTimer pause_;
  std::function<void()> afterPause_;
  ReplyHandler waiting_;
  int awaitedBytes_ = 0;
  int awaitedCommand_ = -1;
  int awaitedArgument_ = -1;
  bool lost_ = false;
};

}  // namespace kvorcli

#endif
