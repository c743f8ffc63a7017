// kvor diff A B: two parameter sets, each from a file or read from a sensor.
#include <QCoreApplication>
#include <QTimer>

#include <memory>

#include "cli/commands.h"
#include "cli/differences.h"
#include "cli/exit_status.h"
#include "cli/port_names.h"
#include "cli/sensor_session.h"
#include "cli/stop_signals.h"
#include "link/port_errors.h"
#include "params/parameter_file.h"

namespace kvorcli {

namespace {

struct Side {
  QString name;
  bool ready = false;
  bool failed = false;
  ParameterSet set{};
  SensorResult fault;  // why it could not be had
  std::unique_ptr<SensorSession> session;
};

void FailSide(Side *side, int status, const QString &message) {
  side->failed = true;
  side->fault.port = side->name;
  side->fault.status = status;
  side->fault.message = message;
}

// A file is read at once; a PORT is opened, checked and read from `from`.
void StartSide(const std::string &operand, Store from, Side *side, const std::function<void()> &changed) {
  side->name = QString::fromLocal8Bit(operand.c_str());
  if (!LooksLikePort(operand)) {
    char fault[160];
    if (ReadParameterOperand(operand, &side->set, fault, sizeof fault) == PARA_FILE_READ)
      side->ready = true;
    else
      FailSide(side, EXIT_BAD_FILE, QString("%1 %2").arg(side->name, fault));
    return;
  }
  std::string device;
  const int resolved = ResolvePort(operand, &device);
  if (resolved < 0) {
    FailSide(side, EXIT_LINE_FAULT, PortErrorMessage(resolved));
    return;
  }
  side->session = std::make_unique<SensorSession>(side->name, device, [side, changed](const SensorResult &r) {
    // The session ends once its set is read (success) or on a fault.
    if (r.status == EXIT_ALL_OK) {
      side->set = side->session->record;
      side->ready = true;
    } else {
      side->failed = true;
      side->fault = r;
    }
    changed();
  });
  SensorSession *s = side->session.get();
  s->SetStopText("nothing compared");
  QTimer::singleShot(0, s, [s, from] {
    s->OpenAndCheck([s, from] { s->ReadSet(from, [s, from] { s->Succeed(QString("read from %1").arg(StoreName(from))); }); });
  });
}

}  // namespace

int RunDiff(const CliRequest &request) {
  const Store from = request.from == "eeprom" ? Store::Eeprom : Store::Ram;
  Side a, b;
  bool looping = false;
  const auto settled = [&] { return (a.ready || a.failed) && (b.ready || b.failed); };
  const auto changed = [&] {
    if (settled() && looping) QCoreApplication::quit();
  };
  StartSide(request.operands[0], from, &a, changed);
  StartSide(request.operands[1], from, &b, changed);
  // A stop ends the reading of each side still at it: nothing is compared.
  StopSignals stop([&a, &b] {
    for (Side *side : {&a, &b})
      if (side->session) side->session->Stop();
  });
  if (!settled()) {
    looping = true;
    QCoreApplication::exec();
  }

  SensorResult result;
  const OutputStyle style = StyleOf(request);
  if (a.failed || b.failed) {
    // Each side that could not be had tells why; the worse fault wins.
    int worst = 0;
    for (Side *side : {&a, &b}) {
      if (!side->failed) continue;
      PrintResult(side->fault, style);
      worst = WorseStatus(worst, side->fault.status);
    }
    return worst;
  }
  result.port = b.name;
  result.data.insert("a", a.name);
  result.data.insert("b", b.name);
  QStringList details;
  const QJsonArray differences = ListDifferences(a.set, b.set, "a", "b", a.name, b.name, &details);
  result.data.insert("differences", differences);
  if (differences.isEmpty()) {
    result.status = EXIT_ALL_OK;
    result.message = QString("no differences from %1").arg(a.name);
  } else {
    result.status = EXIT_DIFFERENCES;
    result.message = QString("%1 field%2 differ%3 from %4")
                         .arg(differences.size())
                         .arg(differences.size() == 1 ? "" : "s")
                         .arg(differences.size() == 1 ? "s" : "")
                         .arg(a.name);
    result.details = details;
  }
  PrintResult(result, style);
  return result.status;
}

}  // namespace kvorcli
