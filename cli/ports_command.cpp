// kvor ports: the machine's serial devices by the window's port table.
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

#include "cli/commands.h"
#include "cli/exit_status.h"
#include "cli/port_names.h"
#include "cli/stop_signals.h"
#include "runtime/rs232/port_table.h"
#include "runtime/runtime.h"

namespace kvorcli {

int RunPorts(const CliRequest &request) {
  // Nothing here can be cut: a stop is only told by the exit status.
  StopSignals stop(nullptr);
  std::string unused;
  ResolvePort("1", &unused);  // loads the table as the window starts it
  int listed = 0;
  for (int port = 1; port <= GetComPortCount(); ++port) {
    PortEntryDetails entry;
    char label[1024];
    if (!GetPortEntryDetails(port, &entry) || GetComPortLabel(port, label, sizeof label) < 0) continue;
    ++listed;
    if (request.json) {
      QJsonObject o;
      o.insert("port", port);
      o.insert("device", QString::fromLocal8Bit(entry.device.c_str()));
      o.insert("description", QString::fromStdString(entry.description));
      o.insert("serialNumber", QString::fromStdString(entry.serialNumber));
      o.insert("present", entry.present);
      // As every object kvor prints: the entry is listed, and its label is
      // what the window's port selector shows.
      o.insert("ok", true);
      o.insert("message", QString::fromUtf8(label));
      std::printf("%s\n", QJsonDocument(o).toJson(QJsonDocument::Compact).constData());
    } else if (!request.quiet) {
      // The label the window's port selector shows.
      std::printf("%s\n", label);
    }
  }
  if (listed == 0 && !request.json && !request.quiet) std::fprintf(stderr, "kvor: no serial devices found\n");
  return stop.Caught() ? EXIT_INTERRUPTED : EXIT_ALL_OK;
}

}  // namespace kvorcli
