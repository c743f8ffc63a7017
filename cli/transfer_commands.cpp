// kvor get and kvor send: the parameter set between a sensor and a file.
#include <QJsonArray>

#include "cli/commands.h"
#include "cli/differences.h"
#include "cli/exit_status.h"
#include "cli/port_names.h"
#include "cli/sensor_session.h"
#include "link/protocol.h"
#include "params/parameter_file.h"

namespace kvorcli {

namespace {

Store StoreOf(const std::string &name) { return name == "eeprom" ? Store::Eeprom : Store::Ram; }

QJsonArray WordList(const ParameterSet &set) {
  QJsonArray words;
  for (uint16_t w : set.words) words.append(w);
  return words;
}

void Verify(SensorSession *s, Store to, const ParameterSet &sent) {
  s->ReadSet(to, [s, to, sent] {
    QStringList details;
    const QJsonArray differences = ListDifferences(sent, s->record, "sent", "read", "sent", "read", &details);
    s->result.data.insert("verified", differences.isEmpty());
    s->result.data.insert("differences", differences);
    if (differences.isEmpty()) {
      s->Succeed(QString("sent to %1 and verified: all %2 words read back as sent")
                     .arg(StoreName(to))
                     .arg(int(PARAMETER_WORDS)));
      return;
    }
    s->result.details = details;
    s->Fail(EXIT_DIFFERENCES, QString("sent to %1, but verify found %2 field%3 differing")
                                  .arg(StoreName(to))
                                  .arg(differences.size())
                                  .arg(differences.size() == 1 ? "" : "s"));
  });
}

}  // namespace

int RunGet(const CliRequest &request) {
  const Store from = StoreOf(request.from);
  const std::string output = request.output;
  return RunSessions(request.operands, StyleOf(request), [from, output](SensorSession *s) {
    s->SetStopText(QString("%1 not written").arg(QString::fromLocal8Bit(output.c_str())));
    s->OpenAndCheck([s, from, output] {
      s->ReadSet(from, [s, from, output] {
        const QString file = QString::fromLocal8Bit(output.c_str());
        s->result.data.insert("file", file);
        s->result.data.insert("from", StoreName(from));
        s->result.data.insert("words", WordList(s->record));
        // The words exactly as the sensor sent them: no repair.
        if (!WriteParameterFile(output.c_str(), s->record)) {
          s->Fail(EXIT_BAD_FILE, QString("cannot write %1").arg(file));
          return;
        }
        s->Succeed(QString("parameter set read from %1 written to %2").arg(StoreName(from), file));
      });
    });
  });
}

int RunSend(const CliRequest &request) {
  const std::string file = request.operands.front();
  const std::vector<std::string> ports(request.operands.begin() + 1, request.operands.end());
  const Store to = StoreOf(request.to);
  const bool verify = request.verify;
  ParameterSet set;
  char fault[160];
  // The whole file is checked before any port is opened: a bad file sends nothing.
  if (ReadParameterOperand(file, &set, fault, sizeof fault) != PARA_FILE_READ) {
    const OutputStyle style = StyleOf(request);
    for (const std::string &port : ports) {
      SensorResult result;
      result.port = QString::fromLocal8Bit(port.c_str());
      result.status = EXIT_BAD_FILE;
      result.message = QString("nothing sent: %1 %2").arg(QString::fromLocal8Bit(file.c_str()), fault);
      result.data.insert("file", QString::fromLocal8Bit(file.c_str()));
      PrintResult(result, style);
    }
    return EXIT_BAD_FILE;
  }
  return RunSessions(ports, StyleOf(request), [set, to, verify](SensorSession *s) {
    s->record = set;
    s->result.data.insert("to", StoreName(to));
    s->SetStopText("nothing sent");
    s->OpenAndCheck([s, set, to, verify] {
      // From the first frame on, a stop lets the second follow.
      s->SetStopText(QString("frames 0 and 1 written to %1%2").arg(StoreName(to), verify ? ", not verified" : ""));
      s->WriteSet(to, [s, set, to, verify] {
        if (!verify) {
          s->Succeed(QString("both parameter frames sent to %1").arg(StoreName(to)));
          return;
        }
        // The sensor's answer to the last write is in before the read-back
        // empties the queues, as in the window; then the window's spacing.
        s->AwaitWriteAnswer(to, [s, set, to] {
          s->Pause(TRANSFER_SPACING_MS, [s, set, to] { Verify(s, to, set); });
        });
      });
    });
  });
}

}  // namespace kvorcli
