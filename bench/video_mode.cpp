// Video mode against the simulated sensor, paced at 19200 baud and unpaced:
// how many video lines (both channels, 128 samples each) reach the screen
// per second, against what the line allows, and what the UI thread spends.
//
//   bench_video_mode [--seconds S] [--screenshot PATH]
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/controls.h"
#include "app/globals.h"
#include "bench/common/line_budget.h"
#include "bench/common/mode_run.h"
#include "bench/common/options.h"
#include "bench/common/process_stats.h"
#include "bench/common/program_session.h"
#include "bench/common/replot_watch.h"
#include "bench/common/report.h"
#include "bench/common/stats.h"
#include "bench/common/wire_record.h"
#include "link/protocol.h"
#include "runtime/testkit/testkit.h"

namespace {

const char kBench[] = "video mode";

// The last block of a line: channel B, samples 64..127. Asked for only when
// the three before it arrived.
bool IsLastBlockRequest(const kvorsim::ReceivedFrame &f) {
  return f.command() == CMD_READ_BLOCK && f.argument() == DATA_BLOCK_SAMPLES && f.dataWord(0) == 0;
}

// Every pass starts with a raw-values request; a line is drawn in a pass
// once its fourth block has arrived. Lines per second are the fourth blocks
// asked for between the first and the last pass start, over that time (the
// reply to a fourth block is never missing here: the sensor has no faults).
struct Subject {
  bench::ProgramSession session;
  std::unique_ptr<bench::ReplotWatch> watch;
  int cutShort = 0;  // stretches the program ended by itself
  void Watch() { watch = std::make_unique<bench::ReplotWatch>(pHandle); }
};

bool MeasureOnePacing(Subject &subject, bool paced, double seconds, const std::string &screenshot) {
  const std::string label = paced ? "paced 19200 baud" : "unpaced";
  bench::ProgramSession &session = subject.session;
  session.Sensor().setPacing(paced);
  int videoReplots = 0;
  const auto beforeStop = [&] {
    videoReplots = subject.watch->Replots({MAIN_VIDEO_A});
    if (!screenshot.empty() && !testkit::SaveScreenshot(pHandle, screenshot))
      bench::Note("could not save the screenshot to " + screenshot);
  };
  const auto startRecords = [&] {
    session.Sensor().clearReceived();
    subject.watch->Clear();
  };
  startRecords();
  const bench::ModeWindow w =
      bench::RunModeRetrying(session, MAIN_BTNVIDEO, seconds, beforeStop, 3, &subject.cutShort, startRecords);
  if (!w.stoppedByBench) {
    bench::Note("video mode (" + label + ") never ran its whole stretch");
    return false;
  }
  const auto frames = session.Sensor().received();
  const auto passStarts = bench::RequestTimes(
      frames, [](const kvorsim::ReceivedFrame &f) { return bench::IsCommand(f, CMD_GET_RAW); },
      w.begin, w.end);
  if (passStarts.size() < 2) {
    bench::Note("video mode (" + label + "): fewer than two passes in " + bench::Fixed(w.Seconds(), 1) + " s");
    return false;
  }
  const auto lines = bench::RequestTimes(frames, IsLastBlockRequest, passStarts.front(), passStarts.back());
  const double span = passStarts.back() - passStarts.front();
  const double perSecond = lines.size() / span;
  const bench::Cadence c = bench::CadenceOf(passStarts);
  const double limit = bench::VideoLinesPerSecondLimit();
  const double secs = w.Seconds();

  bench::Report(kBench, "lines shown, " + label, perSecond, "1/s", 2,
                "line limit " + bench::Fixed(limit, 2) + "/s (" +
                    std::to_string(bench::kVideoLineBytes) + " bytes a line), ratio " +
                    bench::Fixed(perSecond / limit, 2));
  bench::Report(kBench, "pass interval median, " + label, c.medianGapMs, "ms", 1,
                "p99 " + bench::Fixed(c.p99GapMs, 1) + " ms; " + std::to_string(lines.size()) +
                    " lines in " + std::to_string(c.requests - 1) + " passes");
  bench::Report(kBench, "UI thread CPU, " + label, 100.0 * w.threadCpuSeconds / secs, "%", 1,
                "of one core; whole process incl. simulated sensor " +
                    bench::Fixed(100.0 * w.processCpuSeconds / secs, 1) + " %");
  bench::Report(kBench, "video graph A redraws, " + label, videoReplots / secs, "1/s", 1);
  bench::Report(kBench, "RSS at start / end, " + label, w.rssBeginKb, "KB", 0,
                "end " + std::to_string(w.rssEndKb) + " KB");
  return true;
}

}  // namespace

int main(int argc, char **argv) {
  bench::Options options(argc, argv);
  const double seconds = options.Number("--seconds", 10, 1, 3600);
  const std::string screenshot = options.Text("--screenshot", "");
  if (!options.Valid()) {
    std::fprintf(stderr, "%s", options.Errors().c_str());
    return 2;
  }
  kvorsim::Options sensor;
  sensor.moving = true;
  Subject subject;
  bench::ProgramSession &session = subject.session;
  if (!session.Start(sensor)) {
    std::fprintf(stderr, "%s\n", session.Error().c_str());
    return 1;
  }
  bench::Note("load average at start " + bench::LoadAverage());
  subject.Watch();
  bool ok = MeasureOnePacing(subject, true, seconds, screenshot);
  ok = MeasureOnePacing(subject, false, seconds, "") && ok;
  bench::Report(kBench, "stretches ended by the program before Stop", subject.cutShort, "", 0,
                "each repeated after choosing the port again; see the comment lines");
  bench::Report(kBench, "peak RSS of the process (ru_maxrss)", bench::PeakResidentKb(), "KB", 0);
  bench::Note("load average at end " + bench::LoadAverage());
  session.End();
  return ok ? 0 : 1;
}
