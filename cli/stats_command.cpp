// kvor stats FILE.dat...: the statistics of the measured values (umValue)
// of recorder files, the window's or kvor's, one result a file, with the
// window's figures. A file that is not a recorder file is named with the
// line where it stops being one, and nothing of it is computed.
#include <QFile>

#include <memory>

#include "cli/commands.h"
#include "cli/exit_status.h"
#include "cli/stats_summary.h"
#include "display/statistics.h"
#include "recorder/recorder.h"

namespace kvorcli {

namespace {

// Far longer than any line of a recorder file (six numbers and a header).
const qint64 kLineMax = 1024;

struct FileFigures {
  StatsMoments moments;
  uint64_t below = 0, above = 0;
};

bool IsBlank(const QByteArray &line) {
  for (char c : line)
    if (c != ' ' && c != '\t' && c != '\r') return false;
  return true;
}

// Reads the file line by line into the moments; false with the reason
// when it cannot be read or is no recorder file.
bool ReadRecorderFile(const QString &path, const StatsLimits &limits, FileFigures *out, QString *fault) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    *fault = QString("cannot read %1: %2").arg(path, file.errorString());
    return false;
  }
  ClearStatsMoments(&out->moments);
  int number = 0;
  int firstBlank = 0;  // blank lines may end the file, nothing else may follow them
  while (!file.atEnd()) {
    QByteArray line = file.readLine(kLineMax + 1);
    ++number;
    if (line.endsWith('\n')) {
      line.chop(1);
    } else if (line.size() > kLineMax) {
      *fault = QString("not a recorder file: line %1 is too long").arg(number);
      return false;
    }
    if (number <= 2) {
      if (!IsRecorderHeaderLine(number, line.constData(), static_cast<size_t>(line.size()))) {
        *fault = QString("not a recorder file: line %1 is not its %2 line")
                     .arg(number)
                     .arg(number == 1 ? "\"K-VOR-RECORDER-FILE\" header" : "\"SETPOINT-VALUE\"");
        return false;
      }
      continue;
    }
    if (IsBlank(line)) {
      if (firstBlank == 0) firstBlank = number;
      continue;
    }
    RecorderSample sample;
    if (firstBlank != 0 || !ParseRecorderSample(line.constData(), static_cast<size_t>(line.size()), &sample)) {
      *fault = QString("not a recorder file: line %1 is not a sample (six whole numbers separated by tabs)")
                   .arg(firstBlank != 0 ? firstBlank : number);
      return false;
    }
    const double mm = sample.umValue / 1000.0;
    AddStatsValue(&out->moments, mm);
    out->below += IsBelowLimits(&limits, mm);
    out->above += IsAboveLimits(&limits, mm);
  }
  if (file.error() != QFileDevice::NoError) {
    *fault = QString("cannot read %1: %2").arg(path, file.errorString());
    return false;
  }
  if (number < 2) {
    *fault = QString("not a recorder file: it ends before its two header lines");
    return false;
  }
  return true;
}

SensorResult StatsOfFile(const std::string &operand, const CliRequest &request, const StatsLimits &limits) {
  SensorResult result;
  result.port = QString::fromLocal8Bit(operand.c_str());
  result.nameKey = QStringLiteral("file");
  FileFigures read;
  QString fault;
  if (!ReadRecorderFile(result.port, limits, &read, &fault)) {
    result.status = EXIT_BAD_FILE;
    result.message = fault;
    AddNoStats(&result);
    return result;
  }
  StatsFigures f;
  ComputeStatsFigures(&read.moments, read.below, read.above, &limits, &f);
  AddStatsSummary(f, limits, &result);
  result.message = QString("%1 samples").arg(static_cast<qulonglong>(f.samples));
  if (request.hasMinCpk) {
    if (!f.hasCpk) {
      result.status = EXIT_DIFFERENCES;
      result.message += QString(" - Cpk cannot be computed, at least %1 wanted").arg(request.minCpk);
    } else if (f.cpk < request.minCpk) {
      result.status = EXIT_DIFFERENCES;
      result.message += QString(" - Cpk %1 is below %2").arg(f.cpk).arg(request.minCpk);
    }
  }
  return result;
}

}  // namespace

int RunStats(const CliRequest &request) {
  const StatsLimits limits = {request.hasLower ? 1 : 0, request.hasUpper ? 1 : 0, request.lower,
                              request.upper};
  int worst = EXIT_ALL_OK;
  for (const std::string &operand : request.operands) {
    const SensorResult result = StatsOfFile(operand, request, limits);
    worst = WorseStatus(worst, result.status);
    PrintResult(result, StyleOf(request));
  }
  return worst;
}

}  // namespace kvorcli
