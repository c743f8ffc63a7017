// Heap kept per display update: the update routines of a run-mode pass
// (PlotVIDEOBarGraph, PlotRAWGraph) called with event processing after each,
// as the loop does, first with measured values that stay inside the
// tolerance window, then with values that cross its limit on every update,
// so the measured value's background turns red and green in turn.
//
//   bench_display_memory [--updates N]
//
// Heap in use is glibc's count of allocated bytes (mallinfo2), which, unlike
// the resident set, does not depend on how the allocator hands memory back.
#include <malloc.h>

#include <cstdio>
#include <string>

#include <QCoreApplication>

#include "app/controls.h"
#include "app/globals.h"
#include "bench/common/mode_run.h"
#include "bench/common/options.h"
#include "bench/common/process_stats.h"
#include "bench/common/program_session.h"
#include "bench/common/report.h"
#include "display/gui.h"
#include "runtime/testkit/testkit.h"

namespace {

const char kBench[] = "display memory";

size_t HeapInUse() { return mallinfo2().uordblks; }

// One update as a run-mode pass makes it, with edges that move a little.
void Update(int i, u16 measured) {
  const int step = (i % 21) - 10;
  Aval = static_cast<u16>(measured + step);
  Bval = static_cast<u16>(measured + 400 - step);
  Mvalue = measured;
  PlotVIDEOBarGraph();
  PlotRAWGraph();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

struct Growth {
  double firstBytesPerUpdate, laterBytesPerUpdate;
  long rssKb;
};

// Heap kept per update over the first `first` updates and over the rest.
template <typename MeasuredFor>
Growth Measure(int updates, int first, MeasuredFor measuredFor) {
  for (int i = 0; i < 200; ++i) Update(i, measuredFor(i));  // warm up
  const long rss0 = bench::ResidentKb();
  const size_t h0 = HeapInUse();
  for (int i = 0; i < first; ++i) Update(i, measuredFor(i));
  const size_t h1 = HeapInUse();
  for (int i = first; i < updates; ++i) Update(i, measuredFor(i));
  const size_t h2 = HeapInUse();
  Growth g;
  g.firstBytesPerUpdate = (static_cast<double>(h1) - static_cast<double>(h0)) / first;
  g.laterBytesPerUpdate = (static_cast<double>(h2) - static_cast<double>(h1)) / (updates - first);
  g.rssKb = bench::ResidentKb() - rss0;
  return g;
}

void Print(const std::string &label, const Growth &g, int updates, int first) {
  bench::Report(kBench, "heap kept per update, " + label + ", first " + std::to_string(first),
                g.firstBytesPerUpdate, "B", 0);
  bench::Report(kBench, "heap kept per update, " + label + ", next " + std::to_string(updates - first),
                g.laterBytesPerUpdate, "B", 0,
                "RSS grew " + std::to_string(g.rssKb) + " KB over all " + std::to_string(updates));
}

}  // namespace

int main(int argc, char **argv) {
  bench::Options options(argc, argv);
  const int updates = static_cast<int>(options.Number("--updates", 6000, 1000, 10000000));
  if (!options.Valid()) {
    std::fprintf(stderr, "%s", options.Errors().c_str());
    return 2;
  }
  kvorsim::Options sensor;
  bench::ProgramSession session;
  if (!session.Start(sensor)) {
    std::fprintf(stderr, "%s\n", session.Error().c_str());
    return 1;
  }
  testkit::Pump(0.3);
  bench::Note("load average at start " + bench::LoadAverage());
  // Evaluation mode 1 as the sensor has it: the window is teachA +- 50.
  parameter.evalMode = 1;
  edcntA = edcntB = 1;
  tolup = tollo = 50;
  const u16 setpoint = parameter.teachA;
  const int first = updates / 5;

  Print("value inside the window", Measure(updates, first, [&](int i) {
          return static_cast<u16>(setpoint + (i % 11) - 5);
        }), updates, first);
  Print("value crossing the limit each update", Measure(updates, first, [&](int i) {
          return static_cast<u16>(i % 2 ? setpoint + 100 : setpoint);
        }), updates, first);
  bench::Note("load average at end " + bench::LoadAverage());
  session.End();
  return 0;
}
