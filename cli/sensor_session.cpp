#include "cli/sensor_session.h"

#include <QJsonValue>

#include <utility>

#include "cli/exit_status.h"
#include "link/port_errors.h"
#include "link/protocol.h"
#include "runtime/utility/code_page.h"

namespace kvorcli {

namespace {

const char kLostMessage[] = "Serial device lost";

uint16_t ReadCommand(Store from) { return from == Store::Eeprom ? CMD_READ_EEPROM : CMD_READ_RAM; }
uint16_t WriteCommand(Store to) { return to == Store::Eeprom ? CMD_WRITE_EEPROM : CMD_WRITE_RAM; }

const unsigned char *Bytes(const QByteArray &a) {
  return reinterpret_cast<const unsigned char *>(a.constData());
}

}  // namespace

const char *StoreName(Store store) { return store == Store::Eeprom ? "EEPROM" : "RAM"; }

SensorSession::SensorSession(const QString &port, const std::string &device, Finished finished,
                             QObject *parent)
    : QObject(parent), record(StartParameterSet()), device_(device), finished_(std::move(finished)) {
  result.port = port;
  result.data.insert("device", QString::fromLocal8Bit(device.c_str()));
}

void SensorSession::Succeed(const QString &message) {
  if (ended_) return;
  result.status = EXIT_ALL_OK;
  result.message = message;
  ended_ = true;
  line_.Close();
  if (finished_) finished_(result);
}

void SensorSession::Fail(int status, const QString &message) {
  if (ended_) return;
  result.status = status;
  result.message = message;
  ended_ = true;
  line_.Close();
  if (finished_) finished_(result);
}

void SensorSession::SetStopText(const QString &gotSoFar) { stopText_ = gotSoFar; }

void SensorSession::SetStopAction(Then action) { stopAction_ = std::move(action); }

void SensorSession::Stop() {
  if (ended_) return;
  stopAsked_ = true;
  if (!writingPair_) EndStopped();
}

void SensorSession::EndStopped() {
  if (ended_) return;
  if (stopAction_) {
    Then action = std::exchange(stopAction_, nullptr);
    action();
    return;
  }
  result.data.insert("interrupted", true);
  Fail(EXIT_INTERRUPTED, "interrupted: " + stopText_);
}

void SensorSession::FailLine(LineOutcome outcome, const QString &what) {
  if (outcome == LineOutcome::Lost)
    Fail(EXIT_LINE_FAULT, QString("%1 while waiting for %2").arg(kLostMessage, what));
  else
    Fail(EXIT_LINE_FAULT, QString("Timeout-RS-232... (no reply to %1)").arg(what));
}

void SensorSession::Pause(int ms, Then then) {
  if (ended_) return;
  line_.Pause(ms, [this, then = std::move(then)] {
    if (!ended_) then();
  });
}

void SensorSession::OpenAndCheck(Then then) {
  if (ended_) return;
  const int opened = line_.Open(device_);
  if (opened < 0) {
    Fail(EXIT_LINE_FAULT, PortErrorMessage(opened));
    return;
  }
  ParameterFrameWords(record, 0, lastWords);
  unsigned char frame[FRAME_BYTES];
  EncodeCommandFrame(frame, CMD_ECHO, 0, lastWords);
  if (!line_.Send(frame, FRAME_BYTES)) {
    Fail(EXIT_LINE_FAULT, QString("%1: the echo frame was not sent").arg(kLostMessage));
    return;
  }
  line_.AwaitReply(FRAME_BYTES, -1, -1, [this, then = std::move(then)](LineOutcome outcome, const QByteArray &reply) {
    if (outcome != LineOutcome::Reply) {
      FailLine(outcome, "the echo check");
      return;
    }
    if (ReadWordBE(Bytes(reply)) != SYNC_REPLY) {
      Fail(EXIT_LINE_FAULT, "read error - not sync byte 0xAA!");
      return;
    }
    DecodeReplyFrame(Bytes(reply), lastWords);
    then();
  });
}

void SensorSession::Exchange(uint16_t command, const uint16_t *words, const char *failure,
                             std::function<void(const QByteArray &)> then) {
  if (ended_) return;
  unsigned char frame[FRAME_BYTES];
  EncodeCommandFrame(frame, command, 0, words);
  const QString what = QString::fromLatin1(failure);
  if (!line_.Send(frame, FRAME_BYTES)) {
    Fail(EXIT_LINE_FAULT, QString("%1: %2 was not sent").arg(kLostMessage, what));
    return;
  }
  line_.AwaitReply(FRAME_BYTES, -1, -1,
                   [this, what, then = std::move(then)](LineOutcome outcome, const QByteArray &reply) {
                     if (outcome != LineOutcome::Reply) {
                       FailLine(outcome, what);
                       return;
                     }
                     DecodeReplyFrame(Bytes(reply), lastWords);
                     then(reply);
                   });
}

void SensorSession::ReadHardware(Then then) {
  Exchange(CMD_GET_HARDWARE, lastWords, "the hardware request", [this, then = std::move(then)](const QByteArray &reply) {
    if (!DecodeHardwareReply(Bytes(reply), &hardware)) {
      Fail(EXIT_LINE_FAULT, "Error reading HARDWARE-info! (the reply is not one to the hardware request)");
      return;
    }
    then();
  });
}

void SensorSession::ReadFirmware(Then then) {
  if (ended_) return;
  unsigned char frame[FRAME_BYTES];
  EncodeCommandFrame(frame, CMD_GET_VERSION, 0, lastWords);
  if (!line_.Send(frame, FRAME_BYTES)) {
    Fail(EXIT_LINE_FAULT, QString("%1: the firmware request was not sent").arg(kLostMessage));
    return;
  }
  line_.AwaitReply(FIRMWARE_REPLY_BYTES, -1, -1,
                   [this, then = std::move(then)](LineOutcome outcome, const QByteArray &reply) {
                     if (outcome == LineOutcome::Lost) {
                       FailLine(outcome, "the firmware text");
                       return;
                     }
                     if (outcome == LineOutcome::TimedOut) {
                       Fail(EXIT_LINE_FAULT, "Error reading firmware-info! (Timeout - reading firmware info!)");
                       return;
                     }
                     // More than the 72 bytes: the text cannot be told from what came with it.
                     if (reply.size() != FIRMWARE_REPLY_BYTES) {
                       Fail(EXIT_LINE_FAULT, QString("Error reading firmware-info! (%1 bytes instead of %2)")
                                                 .arg(reply.size())
                                                 .arg(int(FIRMWARE_REPLY_BYTES)));
                       return;
                     }
                     char text[FIRMWARE_TEXT_CHARS + 1];
                     DecodeFirmwareText(Bytes(reply), hardware.pcbType, text, sizeof text);
                     firmwareText.clear();
                     for (const char *c = text; *c; ++c)
                       firmwareText.append(QChar(Cp1252ToUnicode(static_cast<unsigned char>(*c))));
                     then();
                   });
}

void SensorSession::ReadFrame(Store from, int frame, Then then) {
  if (ended_) return;
  const uint16_t command = ReadCommand(from);
  // The request carries the PC's current values of the frame, as the window's.
  uint16_t words[PARAMETER_FRAME_WORDS];
  ParameterFrameWords(record, frame, words);
  unsigned char bytes[FRAME_BYTES];
  EncodeCommandFrame(bytes, command, static_cast<uint16_t>(frame), words);
  const QString what = QString("parameter frame %1 from %2").arg(frame).arg(StoreName(from));
  if (!line_.Send(bytes, FRAME_BYTES)) {
    Fail(EXIT_LINE_FAULT, QString("%1: the request for %2 was not sent").arg(kLostMessage, what));
    return;
  }
  // Only a reply to this request is taken as the frame: the answer a
  // sensor may give to a write just before must not pass for what it holds.
  line_.AwaitReply(FRAME_BYTES, command, -1,
                   [this, frame, what, then = std::move(then)](LineOutcome outcome, const QByteArray &reply) {
                     if (outcome != LineOutcome::Reply) {
                       FailLine(outcome, "the request for " + what);
                       return;
                     }
                     DecodeReplyFrame(Bytes(reply), lastWords);
                     SetParameterFrameWords(&record, frame, lastWords);
                     then();
                   });
}

void SensorSession::ReadSet(Store from, Then then) {
  ReadFrame(from, 0, [this, from, then = std::move(then)] {
    Pause(TRANSFER_SPACING_MS, [this, from, then] { ReadFrame(from, 1, then); });
  });
}

void SensorSession::WriteSet(Store to, Then then) {
  if (ended_) return;
  const uint16_t command = WriteCommand(to);
  uint16_t words[PARAMETER_FRAME_WORDS];
  unsigned char bytes[FRAME_BYTES];
  ParameterFrameWords(record, 0, words);
  EncodeCommandFrame(bytes, command, 0, words);
  if (!line_.Send(bytes, FRAME_BYTES)) {
    Fail(EXIT_LINE_FAULT, QString("%1: no parameter frame was sent to %2").arg(kLostMessage, StoreName(to)));
    return;
  }
  // Frame 0 alone would leave the sensor a set nobody wrote: a stop waits.
  writingPair_ = true;
  Pause(TRANSFER_SPACING_MS, [this, to, command, then = std::move(then)] {
    writingPair_ = false;
    uint16_t words1[PARAMETER_FRAME_WORDS];
    unsigned char bytes1[FRAME_BYTES];
    ParameterFrameWords(record, 1, words1);
    EncodeCommandFrame(bytes1, command, 1, words1);
    if (!line_.Send(bytes1, FRAME_BYTES)) {
      Fail(EXIT_LINE_FAULT, QString("%1 after parameter frame 0 was sent to %2; frame 1 was not sent")
                                .arg(kLostMessage, StoreName(to)));
      return;
    }
    if (stopAsked_) {
      EndStopped();
      return;
    }
    then();
  });
}

void SensorSession::AwaitWriteAnswer(Store to, Then then) {
  if (ended_) return;
  line_.AwaitReply(FRAME_BYTES, WriteCommand(to), 1,
                   [this, to, then = std::move(then)](LineOutcome outcome, const QByteArray &) {
                     if (outcome == LineOutcome::Lost) {
                       FailLine(outcome, QString("the answer to parameter frame 1 sent to %1").arg(StoreName(to)));
                       return;
                     }
                     then();
                   });
}

}  // namespace kvorcli
