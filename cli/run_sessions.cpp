// Several sensors side by side: one session each, one event loop for all.
#include <QCoreApplication>
#include <QTimer>

#include <memory>

#include "cli/commands.h"
#include "cli/exit_status.h"
#include "cli/port_names.h"
#include "cli/sensor_session.h"
#include "cli/stop_signals.h"
#include "link/port_errors.h"

namespace kvorcli {

OutputStyle StyleOf(const CliRequest &request) {
  OutputStyle style;
  style.json = request.json;
  style.quiet = request.quiet;
  return style;
}

int RunSessions(const std::vector<std::string> &ports, const OutputStyle &style,
                const SessionStart &start) {
  ResultPrinter printer(static_cast<int>(ports.size()), style);
  std::vector<std::unique_ptr<SensorSession>> sessions;
  bool looping = false;
  for (size_t i = 0; i < ports.size(); ++i) {
    const QString port = QString::fromLocal8Bit(ports[i].c_str());
    std::string device;
    const int resolved = ResolvePort(ports[i], &device);
    if (resolved < 0) {
      SensorResult failed;
      failed.port = port;
      failed.status = EXIT_LINE_FAULT;
      failed.message = PortErrorMessage(resolved);
      printer.Done(static_cast<int>(i), failed);
      continue;
    }
    const int index = static_cast<int>(i);
    sessions.push_back(std::make_unique<SensorSession>(
        port, device, [&printer, &looping, index](const SensorResult &result) {
          printer.Done(index, result);
          if (printer.AllDone() && looping) QCoreApplication::quit();
        }));
  }
  // A stop ends every session that is still running, each as far as it
  // got (a transfer after its frame 1); each prints its line.
  // Behind the starts posted below, so that each session has begun and
  // tells its own story.
  QObject stopping;
  StopSignals stop([&sessions, &stopping] {
    QTimer::singleShot(0, &stopping, [&sessions] {
      for (auto &session : sessions) session->Stop();
    });
  });
  // Every session starts in the loop, so none of them waits for another.
  for (auto &session : sessions) {
    SensorSession *s = session.get();
    QTimer::singleShot(0, s, [s, &start] { start(s); });
  }
  if (!printer.AllDone()) {
    looping = true;
    QCoreApplication::exec();
    looping = false;
  }
  return printer.WorstStatus();
}

}  // namespace kvorcli
