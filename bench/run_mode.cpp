// Run mode against the simulated sensor, once with the sensor paced at 19200
// baud and once unpaced: how many replies reach the screen per second, what
// the UI thread spends, how often the graphs are redrawn and what the
// process holds in memory; then what one update costs to draw.
//
//   bench_run_mode [--seconds S] [--draw-samples N] [--screenshot PATH]
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <QCoreApplication>

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
#include "display/gui.h"
#include "link/com232.h"
#include "link/protocol.h"
#include "params/params.h"
#include "runtime/rs232/rs232.h"
#include "runtime/userint/userint.h"
#include "runtime/testkit/testkit.h"
#include "runtime/utility/utility.h"

namespace {

const char kBench[] = "run mode";
const std::vector<int> kRunGraphs = {MAIN_STRIPCHART, MAIN_BAR_A, MAIN_BAR_B};

// Replies shown: the loop sends its next raw-values request only in a pass
// that has taken a reply, and a raw-values reply is drawn in that same pass
// before the request goes out. So between two consecutive requests exactly
// one reply was shown, and the requests' cadence is the display rate.
// The program under measurement, with a watch on its main panel's graphs.
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
  std::vector<double> replotMs;
  int stripReplots = 0, paints = 0;
  const auto beforeStop = [&] {
    // Taken before the screenshot, which draws everything once more.
    replotMs = subject.watch->ReplotTimes(kRunGraphs);
    stripReplots = subject.watch->Replots({MAIN_STRIPCHART});
    paints = subject.watch->Paints({MAIN_STRIPCHART});
    if (!screenshot.empty() && !testkit::SaveScreenshot(pHandle, screenshot))
      bench::Note("could not save the screenshot to " + screenshot);
  };
  const auto startRecords = [&] {
    session.Sensor().clearReceived();
    subject.watch->Clear();
  };
  startRecords();
  const bench::ModeWindow w =
      bench::RunModeRetrying(session, MAIN_BTNRUN, seconds, beforeStop, 3, &subject.cutShort, startRecords);
  if (!w.stoppedByBench) {
    bench::Note("run mode (" + label + ") never ran its whole stretch");
    return false;
  }
  const auto times = bench::RequestTimes(
      session.Sensor().received(), [](const kvorsim::ReceivedFrame &f) { return bench::IsCommand(f, CMD_GET_RAW); },
      w.begin, w.end);
  const bench::Cadence c = bench::CadenceOf(times);
  const double limit = bench::RunExchangesPerSecondLimit();
  const double secs = w.Seconds();

  bench::ReportCadence(kBench, "replies shown", label, c, limit, secs);
  // A pass is a 20 ms sleep plus the pass's work: an exchange served in one
  // pass is shorter than one and a half.
  int onePass = 0;
  for (double gap : c.gapsMs) onePass += gap < 1.5 * RUN_PASS_MS ? 1 : 0;
  bench::Report(kBench, "exchanges served within one loop pass, " + label,
                c.gapsMs.empty() ? 0 : 100.0 * onePass / c.gapsMs.size(), "%", 0,
                "the others took two passes or more (>= " + std::to_string(RUN_PASS_MS * 3 / 2) +
                    " ms between requests)");
  bench::Report(kBench, "UI thread CPU, " + label, 100.0 * w.threadCpuSeconds / secs, "%", 1,
                "of one core; whole process incl. simulated sensor " +
                    bench::Fixed(100.0 * w.processCpuSeconds / secs, 1) + " %");
  bench::Report(kBench, "strip chart redraws, " + label, stripReplots / secs, "1/s", 1,
                "painted " + bench::Fixed(paints / secs, 1) + "/s; the layer coalesces redraws");
  bench::Report(kBench, "graph redraw (replot) median, " + label, bench::Median(replotMs), "ms", 2,
                "p99 " + bench::Fixed(bench::Percentile(replotMs, 99), 2) +
                    " ms; strip chart and both bar graphs, " + std::to_string(replotMs.size()) +
                    " redraws");
  bench::Report(kBench, "RSS at start / end, " + label, w.rssBeginKb, "KB", 0,
                "end " + std::to_string(w.rssEndKb) + " KB");
  return true;
}

// What one update costs on screen: the two drawing routines of a pass,
// then the layer's own redraw of the three graphs and Qt's repaint, both by
// event processing as in the loop. The routines are given values that move
// from update to update like live ones; the pause before each update lets
// the layer's frame pacing draw at once, so no waiting is counted.
void MeasureDrawing(bench::ReplotWatch &watch, int samples) {
  testkit::Pump(0.25);  // whatever the last run left to draw is drawn
  std::vector<double> callsMs, fullMs;
  const u16 a0 = Aval, b0 = Bval, m0 = Mvalue;
  int incomplete = 0;
  for (int i = 0; i < samples; ++i) {
    Sleep(45);  // more than the layer's 40 ms frame
    const int step = (i % 21) - 10;
    Aval = static_cast<u16>(a0 + 3 * step);
    Bval = static_cast<u16>(b0 - 3 * step);
    Mvalue = static_cast<u16>(m0 + 2 * step);
    watch.Clear();
    const double t0 = kvorsim::monotonicSeconds();
    PlotVIDEOBarGraph();
    PlotRAWGraph();
    const double t1 = kvorsim::monotonicSeconds();
    auto drawn = [&] {
      for (int control : kRunGraphs)
        if (watch.Replots({control}) == 0 || watch.Paints({control}) == 0) return false;
      return true;
    };
    while (!drawn() && kvorsim::monotonicSeconds() - t0 < 1.0)
      QCoreApplication::processEvents(QEventLoop::AllEvents);
    const double t2 = kvorsim::monotonicSeconds();
    if (!drawn()) {
      ++incomplete;
      continue;
    }
    callsMs.push_back((t1 - t0) * 1000.0);
    fullMs.push_back((t2 - t0) * 1000.0);
  }
  const std::string n = std::to_string(callsMs.size()) + " updates";
  bench::Report(kBench, "update routines median (PlotVIDEOBarGraph+PlotRAWGraph)",
                bench::Median(callsMs), "ms", 3,
                "p99 " + bench::Fixed(bench::Percentile(callsMs, 99), 3) + " ms, " + n);
  bench::Report(kBench, "update drawn on screen median (routines+redraw+repaint)",
                bench::Median(fullMs), "ms", 2,
                "p99 " + bench::Fixed(bench::Percentile(fullMs, 99), 2) + " ms, " + n);
  if (incomplete) bench::Note(std::to_string(incomplete) + " updates were not drawn within 1 s");
}

// Where a pass's time goes when the sensor answers at once: one raw-values
// request sent as the loop sends it, the reply left to arrive whole, then
// one event-processing call (ProcessSystemEvents, as each pass makes) at a
// time until the receive callback has taken the reply. A loop pass makes
// one such call, so every call needed beyond the first costs a pass.
void MeasureReplyDelivery(bench::ProgramSession &session, int trials) {
  session.Sensor().setPacing(false);
  testkit::Pump(0.25);  // nothing of the last run still on the line
  std::vector<double> calls;
  for (int i = 0; i < trials; ++i) {
    FlushInQ(com);
    FlushOutQ(com);
    rx_flag = 0;
    const int repliesBefore = session.Sensor().repliesSent();
    CopyVarsToPP(0);
    FillTxBuf(CMD_GET_RAW, 0, pp);
    ComWrt(com, szWriteBuf, FRAME_BYTES);
    const double sent = kvorsim::monotonicSeconds();
    while (session.Sensor().repliesSent() == repliesBefore && kvorsim::monotonicSeconds() - sent < 1)
      Sleep(1);
    Sleep(5);  // the reply is in the input queue of the line by now
    int n = 0;
    while (rx_flag == 0 && n < 20) {
      ProcessSystemEvents();
      ++n;
    }
    if (rx_flag == 1) calls.push_back(n);
  }
  rx_flag = 0;
  graph_flag = 0;
  bench::Report(kBench, "event-processing calls until a waiting reply is taken", bench::Median(calls),
                "calls", 0,
                std::to_string(calls.size()) + " of " + std::to_string(trials) +
                    " replies taken within 20 calls, max " + bench::Fixed(bench::Maximum(calls), 0) +
                    "; in run mode each call beyond the first costs a 20 ms pass");
}

}  // namespace

int main(int argc, char **argv) {
  bench::Options options(argc, argv);
  const double seconds = options.Number("--seconds", 10, 1, 3600);
  const int drawSamples = static_cast<int>(options.Number("--draw-samples", 150, 10, 100000));
  const std::string screenshot = options.Text("--screenshot", "");
  if (!options.Valid()) {
    std::fprintf(stderr, "%s", options.Errors().c_str());
    return 2;
  }

  kvorsim::Options sensor;
  sensor.moving = true;  // edges that drift, so every update changes the picture
  Subject subject;
  bench::ProgramSession &session = subject.session;
  if (!session.Start(sensor)) {
    std::fprintf(stderr, "%s\n", session.Error().c_str());
    return 1;
  }
  bench::Note("load average at start " + bench::LoadAverage());
  const long rssStart = bench::ResidentKb();
  subject.Watch();

  bool ok = MeasureOnePacing(subject, true, seconds, screenshot);
  ok = MeasureOnePacing(subject, false, seconds, "") && ok;
  bench::Report(kBench, "stretches ended by the program before Stop", subject.cutShort, "", 0,
                "each repeated after choosing the port again; see the comment lines");
  MeasureDrawing(*subject.watch, drawSamples);
  MeasureReplyDelivery(session, 20);

  bench::Report(kBench, "RSS after start-up / at the end", rssStart, "KB", 0,
                "end " + std::to_string(bench::ResidentKb()) + " KB");
  bench::Report(kBench, "peak RSS of the process (ru_maxrss)", bench::PeakResidentKb(), "KB", 0,
                "program, Qt and the simulated sensor in one process");
  bench::Note("load average at end " + bench::LoadAverage());
  session.End();
  return ok ? 0 : 1;
}
