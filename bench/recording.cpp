// A recording against the simulated sensor, paced at 19200 baud and
// unpaced: the recording loop is run mode's exchange plus a line in the
// recorder file per sample (interval 0: every reply is a sample). How often
// the sensor is asked (and so served), what the UI thread and the process
// spend, and whether every sample reached the file.
//
//   bench_recording [--seconds S]
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "app/controls.h"
#include "app/globals.h"
#include "bench/common/line_budget.h"
#include "bench/common/mode_run.h"
#include "bench/common/options.h"
#include "bench/common/program_session.h"
#include "bench/common/report.h"
#include "bench/common/wire_record.h"
#include "link/protocol.h"
#include "runtime/testkit/testkit.h"
#include "runtime/userint/userint.h"
#include "support/temp_dir.h"

namespace {

const char kBench[] = "recording";

int SampleLines(const std::string &path) {
  std::ifstream in(path);
  std::string line;
  int lines = 0;
  while (std::getline(in, line)) ++lines;
  return lines > 2 ? lines - 2 : 0;  // two header lines
}

bool MeasureOnePacing(bench::ProgramSession &session, bool paced, double seconds,
                      const std::string &file, int *cutShort) {
  const std::string label = paced ? "paced 19200 baud" : "unpaced";
  session.Sensor().setPacing(paced);
  session.Sensor().clearReceived();
  const bench::LoopButtons recorder = {panelPopUp, REC_BTNSTARTRECORD, panelPopUp,
                                       REC_BTNSTOPRECORD};
  const bench::ModeWindow w = bench::RunModeRetrying(
      session, recorder, seconds, {}, 3, cutShort, [&] { session.Sensor().clearReceived(); });
  if (!w.stoppedByBench) {
    bench::Note("the recording (" + label + ") never ran its whole stretch");
    return false;
  }
  const auto times = bench::RequestTimes(
      session.Sensor().received(),
      [](const kvorsim::ReceivedFrame &f) { return bench::IsCommand(f, CMD_GET_RAW); }, w.begin,
      w.end);
  const bench::Cadence c = bench::CadenceOf(times);
  const double limit = bench::RunExchangesPerSecondLimit();
  const double secs = w.Seconds();
  bench::ReportCadence(kBench, "samples per second", label, c, limit, secs);
  bench::Report(kBench, "UI thread CPU, " + label, 100.0 * w.threadCpuSeconds / secs, "%", 1,
                "of one core; whole process incl. simulated sensor " +
                    bench::Fixed(100.0 * w.processCpuSeconds / secs, 1) + " %");
  unsigned short counter = 0;
  GetCtrlVal(panelPopUp, REC_SAMPLE_COUNTER, &counter);
  const int lines = SampleLines(file);
  bench::Report(kBench, "sample lines in the file, " + label, lines, "", 0,
                "sample counter " + std::to_string(counter) +
                    (lines == counter ? ", equal" : ", NOT equal"));
  return lines == counter;
}

}  // namespace

int main(int argc, char **argv) {
  bench::Options options(argc, argv);
  const double seconds = options.Number("--seconds", 10, 1, 3600);
  if (!options.Valid()) {
    std::fprintf(stderr, "%s", options.Errors().c_str());
    return 2;
  }
  kvorsim::Options sensor;
  sensor.moving = true;
  bench::ProgramSession session;
  if (!session.Start(sensor)) {
    std::fprintf(stderr, "%s\n", session.Error().c_str());
    return 1;
  }
  bench::Note("load average at start " + bench::LoadAverage());
  const TempDir folder;
  const std::string file = folder.File("record.dat");
  testkit::Click(pHandle, MAIN_TOGGBTN_RECORDER);
  testkit::QueueFileSelectAnswer(VAL_NEW_FILE_SELECTED, file);
  testkit::Click(panelPopUp, REC_RECORDFILENAMEBTN);
  testkit::TypeValue(panelPopUp, REC_NEDITRECSAMPLES, "65535");
  testkit::TypeValue(panelPopUp, REC_NEDITRECTIME, "0");

  int cutShort = 0;
  bool ok = MeasureOnePacing(session, true, seconds, file, &cutShort);
  ok = MeasureOnePacing(session, false, seconds, file, &cutShort) && ok;
  bench::Report(kBench, "stretches ended by the program before Stop", cutShort, "", 0,
                "each repeated after choosing the port again; see the comment lines");
  bench::Note("load average at end " + bench::LoadAverage());
  std::remove(file.c_str());
  session.End();
  return ok ? 0 : 1;
}
