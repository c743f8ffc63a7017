// Soak of the real program against the simulated sensor, in-process: run mode
// for N minutes, then a recording for N minutes. The resident memory is
// sampled every 10 s and must not grow by more than a small bound after the
// first minute; the recorder file must hold exactly as many well-formed
// sample lines as the sample counter shows, and no raw-values reply the
// program received may be missing from it.
//
//   bench_soak [--minutes N] [--phase run|record|both] [--interval S]
//              [--unpaced] [--rss-bound-kb K] [--file PATH] [--keep-file]
//
// Exit status 0 when every check held, 1 when one failed, 2 on bad usage.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>
#include <unistd.h>

#include "app/app.h"
#include "app/controls.h"
#include "app/globals.h"
#include "sim/sensor_sim.h"
#include "runtime/testkit/testkit.h"
#include "runtime/userint/userint.h"
#include "runtime/utility/utility.h"

namespace {

struct Options {
  double minutes = 10;
  bool run = true, record = true;
  int interval = -1;  // -1: 0 s when the sample counter cannot overflow, else 1 s
  bool paced = true;
  long rssBoundKb = 4096;
  std::string file;
  bool keepFile = false;
};

void Usage() {
  std::fprintf(stderr,
               "usage: bench_soak [--minutes N] [--phase run|record|both] [--interval S]\n"
               "                  [--unpaced] [--rss-bound-kb K] [--file PATH] [--keep-file]\n");
}

bool ParseOptions(int argc, char **argv, Options *o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool hasValue = i + 1 < argc;
    if (a == "--minutes" && hasValue) {
      o->minutes = std::atof(argv[++i]);
    } else if (a == "--phase" && hasValue) {
      const std::string p = argv[++i];
      o->run = p == "run" || p == "both";
      o->record = p == "record" || p == "both";
      if (!o->run && !o->record) return false;
    } else if (a == "--interval" && hasValue) {
      o->interval = std::atoi(argv[++i]);
    } else if (a == "--unpaced") {
      o->paced = false;
    } else if (a == "--rss-bound-kb" && hasValue) {
      o->rssBoundKb = std::atol(argv[++i]);
    } else if (a == "--file" && hasValue) {
      o->file = argv[++i];
    } else if (a == "--keep-file") {
      o->keepFile = true;
    } else {
      return false;
    }
  }
  return o->minutes > 0 && o->rssBoundKb >= 0 && o->interval >= -1;
}

long ResidentKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  return -1;
}

struct RssSample {
  double seconds;
  long kb;
};

// Runs one phase: clicks `start` and, from the loop's own event processing,
// samples the resident memory every 10 s and presses `stop` once the phase
// has lasted its minutes. Returns the seconds the phase took.
// The sensor's record of received frames is emptied at each sample: it is
// the benchmark's bookkeeping, not the program's memory (what is kept still
// shows the last seconds of the line).
double RunPhase(kvorsim::SensorSim &sensor, int startPanel, int start, int stopPanel, int stop,
                double minutes, std::vector<RssSample> *rss) {
  const double begin = Timer();
  auto active = std::make_shared<bool>(true);
  auto nextSample = std::make_shared<double>(0);
  auto tick = std::make_shared<std::function<void()>>();
  *tick = [=, &sensor] {
    if (!*active) return;
    const double t = Timer() - begin;
    if (t >= *nextSample) {
      sensor.clearReceived();
      rss->push_back({t, ResidentKb()});
      std::printf("  %7.0f s  RSS %ld kB\n", t, rss->back().kb);
      std::fflush(stdout);
      *nextSample += 10;
    }
    if (t >= minutes * 60) {
      testkit::Click(stopPanel, stop);
      return;
    }
    testkit::RunLater(0.5, *tick);
  };
  testkit::RunLater(0, *tick);
  testkit::Click(startPanel, start);
  *active = false;
  const double took = Timer() - begin;
  rss->push_back({took, ResidentKb()});
  return took;
}

struct RssFigures {
  long start = 0, atOneMinute = 0, end = 0, maxAfterOneMinute = 0;
  long Growth() const { return maxAfterOneMinute - atOneMinute; }
};

RssFigures Summarise(const std::vector<RssSample> &rss) {
  RssFigures f;
  if (rss.empty()) return f;
  f.start = rss.front().kb;
  f.end = rss.back().kb;
  f.atOneMinute = rss.front().kb;
  for (const RssSample &s : rss)
    if (s.seconds <= 60) f.atOneMinute = s.kb;
  f.maxAfterOneMinute = f.atOneMinute;
  for (const RssSample &s : rss)
    if (s.seconds > 60 && s.kb > f.maxAfterOneMinute) f.maxAfterOneMinute = s.kb;
  return f;
}

bool CheckRss(const char *phase, const std::vector<RssSample> &rss, const Options &o) {
  const RssFigures f = Summarise(rss);
  std::printf("%s: RSS start %ld kB, at 1 min %ld kB, end %ld kB, highest after 1 min %ld kB, "
              "growth after 1 min %ld kB (bound %ld kB)\n",
              phase, f.start, f.atOneMinute, f.end, f.maxAfterOneMinute, f.Growth(), o.rssBoundKb);
  if (f.Growth() > o.rssBoundKb) {
    std::printf("FAIL %s: resident memory grew by %ld kB after the first minute\n", phase, f.Growth());
    return false;
  }
  return true;
}

std::string StatusText() { return testkit::Text(pHandle, MAIN_STATUS); }

// What the line did last, for a phase that ended before its time.
void ReportLine(const kvorsim::SensorSim &sensor) {
  const std::vector<kvorsim::ReceivedFrame> frames = sensor.received();
  std::printf("  now %.3f s; the sensor received %zu frames since the last sample and sent %d replies; last frames:\n",
              kvorsim::monotonicSeconds(), frames.size(), sensor.repliesSent());
  for (size_t i = frames.size() > 5 ? frames.size() - 5 : 0; i < frames.size(); ++i)
    std::printf("    %.3f s  command %d\n", frames[i].time, frames[i].command());
}

bool SoakRunMode(const Options &o, kvorsim::SensorSim &sensor) {
  std::printf("run mode for %.1f min\n", o.minutes);
  std::vector<RssSample> rss;
  const int repliesBefore = sensor.repliesSent();
  const double took = RunPhase(sensor, pHandle, MAIN_BTNRUN, pHandle, MAIN_BTNSTOP, o.minutes, &rss);
  const int replies = sensor.repliesSent() - repliesBefore;
  std::printf("run mode: %.1f s, %d raw-values replies (%.1f per second), status \"%s\"\n", took,
              replies, replies / took, StatusText().c_str());
  bool ok = CheckRss("run mode", rss, o);
  if (took < o.minutes * 60) {
    std::printf("FAIL run mode: ended after %.1f s, before its %.1f min\n", took, o.minutes);
    ReportLine(sensor);
    ok = false;
  }
  // Releases what a run that ended by itself leaves locked (the recorder's start).
  testkit::Click(pHandle, MAIN_BTNSTOP);
  return ok;
}

struct FileCheck {
  bool opened = false, headerOk = false, closedByLineEnd = false;
  int samples = 0, malformed = 0;
};

FileCheck CheckRecorderFile(const std::string &path, int interval) {
  FileCheck c;
  std::ifstream in(path, std::ios::binary);
  c.opened = static_cast<bool>(in);
  const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  c.closedByLineEnd = !content.empty() && content.back() == '\n';
  const std::regex first("\\d\\d-\\d\\d-\\d{4} \\d\\d:\\d\\d:\\d\\d  K-VOR-RECORDER-FILE: "
                         "Time-Interval\\[s\\]: " + std::to_string(interval) + "\\r?");
  const std::regex second("SETPOINT-VALUE \\[\xB5m\\]: \\d+\\r?");
  const std::regex sample("-?\\d+(\\t-?\\d+){5}\\r?");
  std::istringstream lines(content);
  std::string line;
  int n = 0;
  bool headerOk = true;
  while (std::getline(lines, line)) {
    if (n == 0) headerOk = headerOk && std::regex_match(line, first);
    if (n == 1) headerOk = headerOk && std::regex_match(line, second);
    if (n >= 2) {
      ++c.samples;
      if (!std::regex_match(line, sample)) ++c.malformed;
    }
    ++n;
  }
  c.headerOk = headerOk && n >= 2;
  return c;
}

bool SoakRecording(const Options &o, kvorsim::SensorSim &sensor, const std::string &path) {
  // Every raw-values reply is a sample at interval 0; the counter holds 65535.
  const int interval = o.interval >= 0 ? o.interval : (o.minutes * 60 * 40 < 65535 ? 0 : 1);
  std::printf("recording for %.1f min, interval %d s, into %s\n", o.minutes, interval, path.c_str());
  testkit::Click(pHandle, MAIN_TOGGBTN_RECORDER);
  testkit::QueueFileSelectAnswer(VAL_NEW_FILE_SELECTED, path);
  testkit::Click(panelPopUp, REC_RECORDFILENAMEBTN);
  testkit::TypeValue(panelPopUp, REC_NEDITRECSAMPLES, "65535");
  testkit::TypeValue(panelPopUp, REC_NEDITRECTIME, std::to_string(interval));

  std::vector<RssSample> rss;
  // The reply to the request run mode left open may still be on its way;
  // it is not the recording's.
  testkit::Pump(0.3);
  const int repliesBefore = sensor.repliesSent();
  const double took =
      RunPhase(sensor, panelPopUp, REC_BTNSTARTRECORD, panelPopUp, REC_BTNSTOPRECORD, o.minutes, &rss);
  const int replies = sensor.repliesSent() - repliesBefore;
  unsigned short counter = 0;
  GetCtrlVal(panelPopUp, REC_SAMPLE_COUNTER, &counter);
  const FileCheck file = CheckRecorderFile(path, interval);
  // At interval 0 each raw-values reply taken is a sample; the reply to the
  // request still open when the recording stops is flushed unseen.
  const int lost = interval == 0 ? replies - file.samples - 1 : 0;
  std::printf("recording: %.1f s, %d raw-values replies, counter %d, sample lines %d, malformed %d, "
              "header %s, last line %s, lost samples %d, status \"%s\"\n",
              took, replies, counter, file.samples, file.malformed, file.headerOk ? "ok" : "BAD",
              file.closedByLineEnd ? "complete" : "CUT", interval == 0 ? (lost < 0 ? 0 : lost) : 0,
              StatusText().c_str());

  bool ok = CheckRss("recording", rss, o);
  if (took < o.minutes * 60) {
    std::printf("FAIL recording: ended after %.1f s, before its %.1f min\n", took, o.minutes);
    ReportLine(sensor);
    ok = false;
  }
  if (!file.opened || !file.headerOk || !file.closedByLineEnd || file.malformed != 0) {
    std::printf("FAIL recording: the file is not whole and well-formed\n");
    ok = false;
  }
  if (file.samples != counter) {
    std::printf("FAIL recording: %d sample lines but the counter shows %d\n", file.samples, counter);
    ok = false;
  }
  if (interval == 0 && lost > 0) {
    std::printf("FAIL recording: %d raw-values replies are not in the file\n", lost);
    ok = false;
  }
  if (interval > 0 && file.samples < static_cast<int>(took / interval) - 1) {
    std::printf("FAIL recording: %d samples in %.0f s at one every %d s\n", file.samples, took, interval);
    ok = false;
  }
  return ok;
}

}  // namespace

int main(int argc, char **argv) {
  Options o;
  if (!ParseOptions(argc, argv, &o)) {
    Usage();
    return 2;
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  setvbuf(stdout, nullptr, _IOLBF, 0);

  kvorsim::Options simOptions;
  simOptions.paced = o.paced;
  simOptions.moving = true;
  kvorsim::SensorSim sensor(simOptions);
  if (!sensor.start()) {
    std::fprintf(stderr, "bench_soak: the simulated sensor did not start: %s\n", sensor.lastError().c_str());
    return 1;
  }
  std::vector<std::string> args = {"K-VOR-NE-ZevevU301", "--port", "1=" + sensor.devicePath()};
  std::vector<char *> programArgv;
  for (std::string &a : args) programArgv.push_back(&a[0]);
  programArgv.push_back(nullptr);
  if (StartProgram(static_cast<int>(args.size()), programArgv.data()) != 0) {
    std::fprintf(stderr, "bench_soak: the program did not start\n");
    return 1;
  }
  std::printf("sensor %s (%s), start-up status \"%s\"\n", sensor.devicePath().c_str(),
              o.paced ? "paced at 19200 baud" : "unpaced", StatusText().c_str());

  std::string path = o.file;
  char folder[] = "/tmp/kvor-soak-XXXXXX";
  if (path.empty()) {
    if (mkdtemp(folder) == nullptr) return 1;
    path = std::string(folder) + "/soak.dat";
  }

  bool ok = true;
  if (o.run) ok = SoakRunMode(o, sensor) && ok;
  if (o.record) ok = SoakRecording(o, sensor, path) && ok;

  stop_flag = 1;
  EndProgram();
  sensor.stop();
  if (!o.keepFile) {
    std::remove(path.c_str());
    if (o.file.empty()) rmdir(folder);
  }
  std::printf("%s\n", ok ? "SOAK PASSED" : "SOAK FAILED");
  return ok ? 0 : 1;
}
