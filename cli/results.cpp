#include "cli/results.h"

#include <QJsonDocument>

#include <cstdio>

#include "cli/exit_status.h"

namespace kvorcli {

void PrintResult(const SensorResult &result, const OutputStyle &style) {
  const bool ok = result.status == EXIT_ALL_OK;
  if (style.quiet && ok) return;
  if (style.json) {
    QJsonObject object = result.data;
    object.insert(result.nameKey, result.port);
    object.insert("ok", ok);
    object.insert("message", result.message);
    const QByteArray line = QJsonDocument(object).toJson(QJsonDocument::Compact);
    std::printf("%s\n", line.constData());
  } else {
    std::printf("%s: %s %s\n", result.port.toUtf8().constData(), ok ? "OK" : "FAILED",
                result.message.toUtf8().constData());
    for (const QString &line : result.details) std::printf("  %s\n", line.toUtf8().constData());
  }
  // A script reading the lines as they come sees each sensor's at once.
  std::fflush(stdout);
}

ResultPrinter::ResultPrinter(int count, OutputStyle style)
    : results_(static_cast<size_t>(count)), done_(static_cast<size_t>(count), false), style_(style) {}

void ResultPrinter::Done(int index, const SensorResult &result) {
  if (index < 0 || index >= static_cast<int>(results_.size()) || done_[index]) return;
  results_[index] = result;
  done_[index] = true;
  worst_ = WorseStatus(worst_, result.status);
  while (printed_ < static_cast<int>(results_.size()) && done_[printed_]) PrintResult(results_[printed_++], style_);
}

}  // namespace kvorcli
