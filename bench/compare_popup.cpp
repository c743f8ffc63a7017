// The compare pop-up as the README shows it: the program against the
// simulated sensor, whose RAM another tool has changed in four fields, and
// Compare parameters clicked. Not a benchmark: scripts/screenshots.sh
// --compare runs it under Xvfb and keeps the picture.
//
//   bench_compare_popup --screenshot PATH
#include <cstdio>
#include <string>

#include "app/controls.h"
#include "app/globals.h"
#include "bench/common/options.h"
#include "bench/common/program_session.h"
#include "runtime/testkit/testkit.h"

namespace {

kvorsim::ParamFrame Changed(kvorsim::ParamFrame frame, int word, int value) {
  frame[word] = static_cast<uint16_t>(value);
  return frame;
}

}  // namespace

int main(int argc, char **argv) {
  bench::Options options(argc, argv);
  const std::string path = options.Text("--screenshot", "");
  if (path.empty()) {
    std::fprintf(stderr, "usage: bench_compare_popup --screenshot PATH\n");
    return 2;
  }
  kvorsim::Options sensor;
  sensor.moving = false;
  bench::ProgramSession session;
  if (!session.Start(sensor)) {
    std::fprintf(stderr, "%s\n", session.Error().c_str());
    return 1;
  }
  // a1, video threshold A, evaluation mode; the calibration factor 4.5.
  kvorsim::SensorSim &s = session.Sensor();
  s.setRam(0, Changed(Changed(Changed(s.ram(0), 0, 650), 1, 60), 9, 2));
  s.setRam(1, Changed(Changed(s.ram(1), 11, 73728 & 0xFFFF), 12, 1));
  testkit::Click(pHandle, MAIN_BTNCOMPARE);
  testkit::Pump(0.3);
  const bool saved = testkit::IsPanelVisible(pCompare) && testkit::SaveScreenshot(pCompare, path);
  std::printf("# %s\n", session.Status().c_str());
  session.End();
  if (!saved) std::fprintf(stderr, "no picture of the compare pop-up saved to %s\n", path.c_str());
  return saved ? 0 : 1;
}
