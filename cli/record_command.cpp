// kvor record: the window's recording. One raw-values request at a time,
// carrying parameter frame 0; a sample whenever the whole seconds since the
// last sample reach the interval; the recorder file as the window writes it,
// and optionally a CSV file beside it. Every line reaches the disk whole
// before the next step, so a stop by signal leaves whole lines only. The
// files are begun with the first sample: a stop before it leaves an
// earlier recording under the same names as it was.
#include <QDateTime>
#include <QFileInfo>

#include <cstdio>

#include <memory>
#include <string>

#include "cli/commands.h"
#include "cli/exit_status.h"
#include "cli/sensor_session.h"
#include "cli/stats_summary.h"
#include "display/centred_value.h"
#include "display/statistics.h"
#include "link/ccd_tables.h"
#include "link/protocol.h"
#include "params/value_frame.h"
#include "recorder/recorder.h"
#include "runtime/userint/userint.h"
#include "runtime/utility/utility.h"

namespace kvorcli {

namespace {

const char kCsvHeader[] = "time,Aval,Bval,Mvalue,umValue,edcntA,edcntB\n";

struct Recording {
  SensorSession *session = nullptr;
  std::string dat, csv;
  uint16_t limit = 0, interval = 0;
  uint16_t samples = 0;
  uint16_t lastSample = 0;  // whole seconds of the timer
  bool stopped = false;
  // The header, as of the start, written with the first sample.
  char date[32] = "", time[32] = "";
  uint32_t setpoint = 0;
  bool begun = false;
  // The summary at the end: the samples' statistics against the limits
  // the window fills in, from the set-point and the first reply's tolerances.
  StatsMoments moments{};
  uint64_t below = 0, above = 0;
  StatsLimits limits{};
};

bool WriteText(const std::string &path, const QByteArray &text, int action) {
  return ArrayToFile(path.c_str(), text.constData(), VAL_CHAR, static_cast<int>(text.size()),
                     VAL_PLAIN_TEXT, 0, action) >= 0;
}

// ISO 8601 with the local zone's offset and milliseconds; '.' whatever the locale.
QByteArray CsvLine(const ValueFrame &v, uint16_t mvalue) {
  const QDateTime now = QDateTime::currentDateTime();
  const QString time = now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODateWithMs);
  return QString("%1,%2,%3,%4,%5,%6,%7\n")
      .arg(time)
      .arg(v.aval)
      .arg(v.bval)
      .arg(mvalue)
      .arg(v.umValue)
      .arg(v.edcntA)
      .arg(v.edcntB)
      .toUtf8();
}

void Finish(const std::shared_ptr<Recording> &r) {
  SensorSession *s = r->session;
  StatsFigures figures;
  ComputeStatsFigures(&r->moments, r->below, r->above, &r->limits, &figures);
  AddStatsSummary(figures, r->limits, &s->result);
  s->result.data.insert("samples", r->samples);
  if (r->stopped)
    s->Succeed(QString("recording stopped after %1 of %2 samples").arg(r->samples).arg(r->limit));
  else
    s->Succeed(QString("%1 samples recorded into %2").arg(r->samples).arg(QString::fromLocal8Bit(r->dat.c_str())));
}

QString Name(const std::string &path) { return QString::fromLocal8Bit(path.c_str()); }

// Whether the file could be written without writing it: an existing file
// that may be written, or a new one in a folder that may be written.
bool LooksWritable(const std::string &path) {
  const QFileInfo file(Name(path));
  if (file.exists()) return file.isFile() && file.isWritable();
  const QFileInfo folder(file.absolutePath());
  return folder.isDir() && folder.isWritable();
}

void FailNotStarted(const std::shared_ptr<Recording> &r, const std::string &path) {
  r->session->Fail(EXIT_BAD_FILE, QString("cannot write %1 - recording not started").arg(Name(path)));
}

// The header lines of both files, replacing what was there.
bool Begin(const std::shared_ptr<Recording> &r) {
  if (!WriteRecorderHeader(r->dat.c_str(), r->date, r->time, r->interval, r->setpoint)) {
    FailNotStarted(r, r->dat);
    return false;
  }
  if (!r->csv.empty() && !WriteText(r->csv, kCsvHeader, VAL_TRUNCATE)) {
    FailNotStarted(r, r->csv);
    return false;
  }
  r->begun = true;
  return true;
}

// A stop: the lines written so far are the recording; before the first
// sample there is none, and the files are not touched.
void StopRecording(const std::shared_ptr<Recording> &r) {
  r->stopped = true;
  if (r->begun) {
    Finish(r);
    return;
  }
  SensorSession *s = r->session;
  s->result.data.insert("interrupted", true);
  s->result.data.insert("samples", 0);
  QString names = Name(r->dat);
  if (!r->csv.empty()) names += " or " + Name(r->csv);
  s->Fail(EXIT_INTERRUPTED, QString("interrupted: recording not started, nothing written to %1").arg(names));
}

bool AppendSample(const std::shared_ptr<Recording> &r, const ValueFrame &v) {
  SensorSession *s = r->session;
  if (!r->begun && !Begin(r)) return false;
  const uint16_t evalMode = ParameterFieldValue(s->record, *FindParameterField("evalMode"));
  // The value as the window's bar graph leaves it, which is what it records.
  const uint16_t mvalue = ShownMvalue(v.mvalue, evalMode, UsableVirtPixel(s->hardware.ccdVirtPixel));
  if (!AppendRecorderSample(r->dat.c_str(), v.aval, v.bval, mvalue, v.umValue, v.edcntA, v.edcntB)) {
    s->Fail(EXIT_BAD_FILE, QString("cannot write %1 - recording stopped after %2 samples")
                               .arg(QString::fromLocal8Bit(r->dat.c_str()), QString::number(r->samples)));
    return false;
  }
  ++r->samples;
  const double mm = v.umValue / 1000.0;
  AddStatsValue(&r->moments, mm);
  r->below += IsBelowLimits(&r->limits, mm);
  r->above += IsAboveLimits(&r->limits, mm);
  if (!r->csv.empty() && !WriteText(r->csv, CsvLine(v, mvalue), VAL_APPEND)) {
    s->Fail(EXIT_BAD_FILE, QString("cannot write %1 - recording stopped after %2 samples")
                               .arg(QString::fromLocal8Bit(r->csv.c_str()), QString::number(r->samples)));
    return false;
  }
  s->result.data.insert("samples", r->samples);
  return true;
}

void Request(const std::shared_ptr<Recording> &r) {
  SensorSession *s = r->session;
  uint16_t words[PARAMETER_FRAME_WORDS];
  ParameterFrameWords(s->record, 0, words);
  s->Exchange(CMD_GET_RAW, words, "the raw-values request", [r](const QByteArray &reply) {
    SensorSession *s = r->session;
    // Another reply than raw values writes no sample but asks again.
    const bool values = ReadWordBE(reinterpret_cast<const unsigned char *>(reply.constData()) + 2) == CMD_GET_RAW;
    if (values && !r->limits.hasLower) {
      const ValueFrame first = DecodeValueFrame(s->lastWords);
      StatsLimitsFromSetpoint(ParameterFieldValue(s->record, *FindParameterField("setpointUm")),
                              ParameterFieldValue(s->record, *FindParameterField("calib")), first.tollo,
                              first.tolup, &r->limits);
    }
    if (values && WholeSecondsSince(r->lastSample, Timer()) >= r->interval) {
      if (!AppendSample(r, DecodeValueFrame(s->lastWords))) return;
      r->lastSample = WholeSeconds(Timer());
    }
    if (r->samples >= r->limit) {
      Finish(r);
      return;
    }
    // The window's pass: a pause of RUN_PASS_MS before the next request.
    s->Pause(RUN_PASS_MS, [r] { Request(r); });
  });
}

void Start(const std::shared_ptr<Recording> &r) {
  SensorSession *s = r->session;
  r->setpoint = ParameterFieldValue(s->record, *FindParameterField("setpointUm"));
  std::snprintf(r->date, sizeof r->date, "%s", DateStr());
  std::snprintf(r->time, sizeof r->time, "%s", TimeStr());
  // A file that cannot be written is told now, not at the first sample.
  for (const std::string *path : {&r->dat, &r->csv}) {
    if (!path->empty() && !LooksWritable(*path)) {
      FailNotStarted(r, *path);
      return;
    }
  }
  s->result.data.insert("setpointUm", static_cast<double>(r->setpoint));
  s->result.data.insert("file", Name(r->dat));
  if (!r->csv.empty()) s->result.data.insert("csv", Name(r->csv));
  Request(r);
  // The first sample's seconds count from the first request, as in the window.
  r->lastSample = WholeSeconds(Timer());
  // No sample to wait for: the header is the whole recording.
  if (r->limit == 0 && !s->Ended() && Begin(r)) Finish(r);
}

}  // namespace

int RunRecord(const CliRequest &request) {
  auto r = std::make_shared<Recording>();
  r->dat = request.output;
  r->csv = request.csv;
  r->limit = static_cast<uint16_t>(request.samples);
  r->interval = static_cast<uint16_t>(request.interval);
  return RunSessions(request.operands, StyleOf(request), [r](SensorSession *s) {
    r->session = s;
    // The loop runs this between two steps: every line written so far is
    // whole on disk, and no further one is begun.
    s->SetStopAction([r] { StopRecording(r); });
    s->OpenAndCheck([r, s] {
      // The window's start-up: the line's length for the recorded value,
      // then both RAM frames (frame 0 rides on every request, the set-point
      // goes into the header).
      s->ReadHardware([r, s] { s->ReadSet(Store::Ram, [r] { Start(r); }); });
    });
  });
}

}  // namespace kvorcli
