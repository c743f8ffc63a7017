// What kvor tells about each sensor: one result line per sensor
// ("PORT: OK ..." / "PORT: FAILED ..."), with --json one JSON object a line
// (port, ok, message and the command's data), printed in the order the ports
// were given, each as soon as it and those before it are done.
#ifndef KVOR_CLI_RESULTS_H
#define KVOR_CLI_RESULTS_H

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <vector>

namespace kvorcli {

struct SensorResult {
  QString port;           // the PORT (or file) as given on the command line
  QString nameKey = QStringLiteral("port");  // its key in the JSON object
  int status = 0;         // ExitStatus
  QString message;
  QJsonObject data;       // the command's data, merged into the JSON object
  QStringList details;    // further text lines (two blanks in front)
};

struct OutputStyle {
  bool json = false;
  bool quiet = false;     // only the sensors that did not succeed
};

// Prints one result at once.
void PrintResult(const SensorResult &result, const OutputStyle &style);

// Collects the results of sensors that finish in any order and prints them
// in the order of their indices.
class ResultPrinter {
 public:
  ResultPrinter(int count, OutputStyle style);
  void Done(int index, const SensorResult &result);
  bool AllDone() const { return printed_ == static_cast<int>(results_.size()); }
  int WorstStatus() const { return worst_; }

 private:
  std::vector<SensorResult> results_;
  std::vector<bool> done_;
  OutputStyle style_;
  int printed_ = 0;
  int worst_ = 0;
};

}  // namespace kvorcli

#endif
