// Start-up: from launching a process to the main window on screen, against
// the simulated sensor (paced at 19200 baud, as a real line), against a
// line on which nobody answers, and with a port whose device is missing.
//
// Each launch is a fresh process, so nothing is warm but the disk cache.
// Two ways, both timed from the launch on the shared monotonic clock:
// - the real program, K-VOR-NE-ZevevU301, on Qt's offscreen platform with
//   Qt's widget-painting log switched on: the first time Qt draws the main
//   panel as a top-level window is the main window on screen. The log only
//   adds lines on stderr; the program does what it always does.
// - this bench started again in its child mode, which runs the program's own
//   start-up (StartProgram: panels, start values, serial start-up, main
//   window shown) in-process, and reports how long that took and when the
//   main window was first painted.
//
//   bench_startup [--launches N]
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include "app/app.h"
#include "app/controls.h"
#include "app/globals.h"
#include "bench/common/mode_run.h"
#include "bench/common/options.h"
#include "bench/common/program_session.h"
#include "bench/common/report.h"
#include "bench/common/stats.h"
#include "sim/sensor_sim.h"
#include "runtime/userint/panel_registry.h"
#include "runtime/testkit/testkit.h"

namespace {

const char kBench[] = "start-up";
const char kChildMode[] = "--child";

// ---- Child: one start-up of the program --------------------------------------

class FirstPaint : public QObject {
 public:
  bool painted = false;

 protected:
  bool eventFilter(QObject *, QEvent *event) override {
    if (event->type() == QEvent::Paint) painted = true;
    return false;
  }
};

// Prints "<StartProgram seconds> <launch to shown> <launch to first paint> <status>".
int RunChild(const std::string &device, double launchTime) {
  bench::UseOffscreenPlatformByDefault();
  std::vector<std::string> args = {"K-VOR-NE-ZevevU301", "--port", "1=" + device};
  std::vector<char *> argv;
  for (std::string &a : args) argv.push_back(&a[0]);
  argv.push_back(nullptr);
  const double begin = kvorsim::monotonicSeconds();
  if (StartProgram(static_cast<int>(args.size()), argv.data()) != 0) return 1;
  const double shown = kvorsim::monotonicSeconds();
  if (!testkit::IsPanelVisible(pHandle)) return 1;
  QWidget *window = uilayer::FindPanelWidget(pHandle);
  if (!window) return 1;
  // The first paint is what the operator sees; it comes from event
  // processing, as under RunUserInterface.
  FirstPaint paint;
  window->installEventFilter(&paint);
  window->update();
  while (!paint.painted && kvorsim::monotonicSeconds() - shown < 5)
    QCoreApplication::processEvents(QEventLoop::AllEvents);
  const double painted = kvorsim::monotonicSeconds();
  window->removeEventFilter(&paint);
  std::printf("%.6f %.6f %.6f %d %s\n", shown - begin, shown - launchTime, painted - launchTime,
              paint.painted ? 1 : 0, testkit::Text(pHandle, MAIN_STATUS).c_str());
  std::fflush(stdout);
  EndProgram();
  return 0;
}

// ---- Parent: launches and their figures ---------------------------------------

struct Launch {
  bool ok = false;
  double startProgram = 0, toShown = 0, toPainted = 0;
  std::string status;
};

std::string SelfPath() {
  char path[4096];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return "";
  path[n] = '\0';
  return path;
}

Launch LaunchChild(const std::string &self, const std::string &device) {
  Launch result;
  int fds[2];
  if (pipe(fds) != 0) return result;
  const double launchTime = kvorsim::monotonicSeconds();
  const std::string launchText = bench::Fixed(launchTime, 6);
  const pid_t pid = fork();
  if (pid < 0) {
    close(fds[0]);
    close(fds[1]);
    return result;
  }
  if (pid == 0) {
    dup2(fds[1], STDOUT_FILENO);
    close(fds[0]);
    close(fds[1]);
    execl(self.c_str(), self.c_str(), kChildMode, device.c_str(), launchText.c_str(),
          static_cast<char *>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  std::string out;
  char buffer[512];
  ssize_t n;
  while ((n = read(fds[0], buffer, sizeof buffer)) > 0) out.append(buffer, static_cast<size_t>(n));
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  int painted = 0;
  int consumed = 0;
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0 &&
      std::sscanf(out.c_str(), "%lf %lf %lf %d %n", &result.startProgram, &result.toShown,
                  &result.toPainted, &painted, &consumed) == 4 &&
      painted == 1) {
    result.ok = true;
    result.status = out.substr(static_cast<size_t>(consumed));
    while (!result.status.empty() && result.status.back() == '\n') result.status.pop_back();
  }
  return result;
}

// The line Qt logs when it draws the main panel's window.
bool IsMainWindowPaint(const std::string &line) {
  return line.find("qt.widgets.painting: Drawing QRegion(") != std::string::npos &&
         line.find("name=\"MainPanelWindow\")") != std::string::npos &&
         line.find("DrawAsRoot") != std::string::npos;
}

// The environment of the launched program: this one, on the offscreen
// platform and with Qt's painting log on. Built before fork, since only
// async-signal-safe calls may follow it while the sensor's thread runs.
std::vector<std::string> ProgramEnvironment() {
  std::vector<std::string> env;
  for (char **e = environ; *e; ++e) {
    const std::string entry = *e;
    if (entry.rfind("QT_QPA_PLATFORM=", 0) == 0 || entry.rfind("QT_LOGGING_RULES=", 0) == 0) continue;
    env.push_back(entry);
  }
  env.push_back("QT_QPA_PLATFORM=offscreen");
  env.push_back("QT_LOGGING_RULES=qt.widgets.painting=true");
  return env;
}

std::vector<char *> Pointers(std::vector<std::string> &strings) {
  std::vector<char *> out;
  for (std::string &s : strings) out.push_back(&s[0]);
  out.push_back(nullptr);
  return out;
}

Launch LaunchProgram(const std::string &device) {
  Launch result;
  std::vector<std::string> args = {KVOR_PROGRAM_PATH, "--port", "1=" + device};
  std::vector<std::string> env = ProgramEnvironment();
  std::vector<char *> argv = Pointers(args), envp = Pointers(env);
  int fds[2];
  if (pipe(fds) != 0) return result;
  const double launchTime = kvorsim::monotonicSeconds();
  const pid_t pid = fork();
  if (pid < 0) {
    close(fds[0]);
    close(fds[1]);
    return result;
  }
  if (pid == 0) {
    dup2(fds[1], STDERR_FILENO);
    const int devnull = open("/dev/null", O_WRONLY);
    if (devnull >= 0) dup2(devnull, STDOUT_FILENO);
    close(fds[0]);
    close(fds[1]);
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  close(fds[1]);
  std::string pending;
  char buffer[4096];
  bool found = false;
  while (!found && kvorsim::monotonicSeconds() - launchTime < 15) {
    pollfd p{fds[0], POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) continue;
    const ssize_t n = read(fds[0], buffer, sizeof buffer);
    if (n <= 0) break;  // the program ended without painting its window
    const double now = kvorsim::monotonicSeconds();
    pending.append(buffer, static_cast<size_t>(n));
    size_t end;
    while (!found && (end = pending.find('\n')) != std::string::npos) {
      if (IsMainWindowPaint(pending.substr(0, end))) {
        found = true;
        result.toPainted = now - launchTime;
      }
      pending.erase(0, end + 1);
    }
  }
  kill(pid, SIGTERM);
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  result.ok = found;
  return result;
}

bool MeasureProgram(const std::string &label, const std::string &device, int launches) {
  std::vector<double> toPainted;
  for (int i = 0; i < launches; ++i) {
    const Launch l = LaunchProgram(device);
    if (!l.ok) {
      bench::Note(label + ": the program's window was not seen painted at launch " +
                  std::to_string(i + 1));
      return false;
    }
    toPainted.push_back(l.toPainted * 1000);
  }
  bench::Report(kBench, "K-VOR-NE-ZevevU301 launch to window painted, " + label,
                bench::Median(toPainted), "ms", 0,
                "median of " + std::to_string(launches) + ", max " +
                    bench::Fixed(bench::Maximum(toPainted), 0) + " ms");
  return true;
}

bool MeasureScenario(const std::string &self, const std::string &label, const std::string &device,
                     int launches) {
  std::vector<double> startProgram, toShown, toPainted;
  std::string status;
  for (int i = 0; i < launches; ++i) {
    const Launch l = LaunchChild(self, device);
    if (!l.ok) {
      bench::Note(label + ": launch " + std::to_string(i + 1) + " failed");
      return false;
    }
    startProgram.push_back(l.startProgram * 1000);
    toShown.push_back(l.toShown * 1000);
    toPainted.push_back(l.toPainted * 1000);
    status = l.status;
  }
  const std::string n = "median of " + std::to_string(launches);
  bench::Report(kBench, "in-process start-up, launch to window painted, " + label, bench::Median(toPainted), "ms", 0,
                n + ", max " + bench::Fixed(bench::Maximum(toPainted), 0) + " ms; status \"" +
                    status + "\"");
  bench::Report(kBench, "in-process start-up, launch to window shown, " + label, bench::Median(toShown), "ms", 0,
                n + ", max " + bench::Fixed(bench::Maximum(toShown), 0) + " ms");
  bench::Report(kBench, "in-process start-up, StartProgram alone, " + label, bench::Median(startProgram), "ms", 0,
                n + ", max " + bench::Fixed(bench::Maximum(startProgram), 0) + " ms");
  return true;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc == 4 && std::string(argv[1]) == kChildMode)
    return RunChild(argv[2], std::strtod(argv[3], nullptr));

  bench::Options options(argc, argv);
  const int launches = static_cast<int>(options.Number("--launches", 5, 1, 1000));
  if (!options.Valid()) {
    std::fprintf(stderr, "%s", options.Errors().c_str());
    return 2;
  }
  const std::string self = SelfPath();
  if (self.empty()) {
    std::fprintf(stderr, "cannot find this program's own path\n");
    return 1;
  }
  bench::Note("load average at start " + bench::LoadAverage());

  kvorsim::Options sensorOptions;
  sensorOptions.paced = true;
  kvorsim::SensorSim sensor(sensorOptions);
  if (!sensor.start()) {
    std::fprintf(stderr, "the simulated sensor did not start: %s\n", sensor.lastError().c_str());
    return 1;
  }
  const std::string missing = "/dev/kvor-bench-no-such-device";
  const std::string sensorLabel = "simulated sensor (paced)";
  bool ok = MeasureProgram(sensorLabel, sensor.devicePath(), launches);
  ok = MeasureScenario(self, sensorLabel, sensor.devicePath(), launches) && ok;
  sensor.setMute(true);
  ok = MeasureProgram("silent line", sensor.devicePath(), launches) && ok;
  ok = MeasureScenario(self, "silent line", sensor.devicePath(), launches) && ok;
  sensor.stop();
  ok = MeasureProgram("missing port", missing, launches) && ok;
  ok = MeasureScenario(self, "missing port", missing, launches) && ok;
  bench::Note("load average at end " + bench::LoadAverage());
  return ok ? 0 : 1;
}
