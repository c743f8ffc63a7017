// kvor-sensor-sim as an operator starts it.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "request_builder.h"
#include "sim_fixture.h"

#ifndef KVOR_SENSOR_SIM_PATH
#error "the test needs the path of kvor-sensor-sim"
#endif

extern char **environ;

namespace simtest {
namespace {

// The program, running with its standard output and error on pipes.
class SimProcess {
 public:
  explicit SimProcess(std::vector<std::string> args) {
    args.insert(args.begin(), KVOR_SENSOR_SIM_PATH);
    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, err[0]);
    std::vector<char *> argv;
    for (std::string &a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    out_ = out[0];
    err_ = err[0];
  }
  ~SimProcess() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) close(out_);
    if (err_ >= 0) close(err_);
  }

  bool started() const { return pid_ > 0; }
  // Standard output up to the first newline, waiting at most `timeout`.
  std::string firstLine(double timeout) {
    std::string line;
    const double end = now() + timeout;
    char c = 0;
    while (now() < end) {
      pollfd p{out_, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) continue;
      if (read(out_, &c, 1) != 1 || c == '\n') break;
      line += c;
    }
    return line;
  }
  std::string rest(int fd) {
    std::string text;
    char buf[1024];
    ssize_t n = 0;
    while ((n = read(fd, buf, sizeof buf)) > 0) text.append(buf, static_cast<size_t>(n));
    return text;
  }
  std::string allOutput() { return rest(out_); }
  std::string allErrors() { return rest(err_); }
  void signal(int sig) { kill(pid_, sig); }
  // The exit code, or -1 if it did not exit normally within `timeout`.
  int exitCode(double timeout) {
    const double end = now() + timeout;
    while (now() < end) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      usleep(10000);
    }
    return -1;
  }

 private:
  pid_t pid_ = -1;
  int out_ = -1, err_ = -1;
};

TEST(SimCommandLine, PrintsTheDeviceAnswersAndStopsOnSigterm) {
  SimProcess sim({"--ccd-type", "202", "--pcb-type=1", "--firmware", "Bench V9", "--still", "--seed", "4"});
  ASSERT_TRUE(sim.started());
  const std::string path = sim.firstLine(5.0);
  ASSERT_EQ(path.rfind("/dev/", 0), 0u) << path;
  LineProbe line(path);
  ASSERT_TRUE(line.isOpen());
  EXPECT_EQ(toHex(line.exchange(hex("00 55 00 05 00 00 00 2A") + zeros(28), 36)),
            toHex(hex("00 AA 00 05 00 00 00 2A") + zeros(28)));
  // The options reached the sensor: CCD type 202 with its 1024 virtual
  // pixels, board type 1, the firmware text as plain bytes.
  const Bytes hardware = line.exchange(request(10, 0), 36);
  ASSERT_EQ(hardware.size(), 36u);
  EXPECT_EQ(wordAt(hardware, 4), 202);
  EXPECT_EQ(wordAt(hardware, 10), 1);
  EXPECT_EQ(wordAt(hardware, 12), 1024);
  EXPECT_EQ(toHex(line.exchange(request(7, 0), 72)), toHex(hex("42 65 6E 63 68 20 56 39") + zeros(64)));

  sim.signal(SIGTERM);
  EXPECT_EQ(sim.exitCode(3.0), 0);
  EXPECT_EQ(sim.allOutput(), "");  // the device alone, for scripts
  EXPECT_NE(sim.allErrors().find("Ctrl+C"), std::string::npos);
}

TEST(SimCommandLine, CountStartsThatManySensorsEachOnItsOwnDevice) {
  SimProcess sim({"--count", "3", "--still"});
  ASSERT_TRUE(sim.started());
  std::vector<std::string> paths;
  for (int i = 0; i < 3; ++i) paths.push_back(sim.firstLine(5.0));
  for (size_t i = 0; i < paths.size(); ++i) {
    ASSERT_EQ(paths[i].rfind("/dev/", 0), 0u) << paths[i];
    for (size_t j = 0; j < i; ++j) EXPECT_NE(paths[i], paths[j]);
    LineProbe line(paths[i]);
    ASSERT_TRUE(line.isOpen());
    EXPECT_EQ(wordAt(line.exchange(request(5, 0), 36), 0), 0x00AA) << paths[i];
  }
  sim.signal(SIGTERM);
  EXPECT_EQ(sim.exitCode(3.0), 0);
  EXPECT_EQ(sim.allOutput(), "");  // three devices and nothing else
  EXPECT_NE(sim.allErrors().find("3 simulated sensors"), std::string::npos);
}

TEST(SimCommandLine, RejectsBadOptionsWithExitCodeTwo) {
  for (std::vector<std::string> bad : {std::vector<std::string>{"--frobnicate"}, {"--seed"}, {"--delay-ms", "soon"},
                                       {"--virt-pixel", "0"}, {"--still=yes"},
                                       {"--count", "0"}, {"--count", "2", "--device", "/dev/null"},
                                       {"--trace", "/kvor-no-such-folder/sensor.trace"}}) {
    SimProcess sim(bad);
    ASSERT_TRUE(sim.started());
    EXPECT_EQ(sim.exitCode(3.0), 2) << bad[0];
    EXPECT_TRUE(sim.allOutput().empty()) << bad[0];
    EXPECT_NE(sim.allErrors().find("kvor-sensor-sim:"), std::string::npos) << bad[0];
  }
}

TEST(SimCommandLine, HelpExplainsEveryOption) {
  SimProcess sim({"--help"});
  ASSERT_TRUE(sim.started());
  EXPECT_EQ(sim.exitCode(3.0), 0);
  const std::string help = sim.allOutput();
  for (const char *option : {"--ccd-type", "--hardware-type", "--virt-pixel", "--max-pixel", "--pcb-type", "--adc",
                             "--firmware", "--paced", "--baud", "--device", "--seed", "--still", "--mute",
                             "--wrong-sync", "--length-delta", "--delay-ms", "--garbage", "--drop-every", "--count",
                             "--trace"})
    EXPECT_NE(help.find(std::string("  ") + option + " "), std::string::npos) << option;
}

// The faults, and the sensor's side of the wire trace: what it threw away,
// what it took for a frame, the garbage it put in front of its reply.
// The lines of the simulator's trace (line ends kept); the trace and its
// folder are removed.
std::vector<std::string> TakeTraceLines(const std::string &trace, const char *folder) {
  std::vector<std::string> lines;
  if (FILE *f = fopen(trace.c_str(), "r")) {
    char text[512];
    while (fgets(text, sizeof text, f)) lines.emplace_back(text);
    fclose(f);
  }
  unlink(trace.c_str());
  rmdir(folder);
  return lines;
}

TEST(SimCommandLine, FaultOptionsReachTheSensorAndItsTraceShowsTheWire) {
  char folder[] = "/tmp/kvor-sim-trace-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string trace = std::string(folder) + "/sensor.trace";
  SimProcess sim({"--wrong-sync", "--garbage", "3", "--trace", trace});
  ASSERT_TRUE(sim.started());
  LineProbe line(sim.firstLine(5.0));
  ASSERT_TRUE(line.isOpen());
  line.send(hex("FF 00") + request(5, 0));
  const Bytes got = receiveWhole(line, 39);
  ASSERT_EQ(got.size(), 39u);
  EXPECT_EQ(toHex(Bytes(got.begin() + 3, got.begin() + 7)), "00 55 00 05");
  sim.signal(SIGINT);
  EXPECT_EQ(sim.exitCode(3.0), 0);

  const std::vector<std::string> lines = TakeTraceLines(trace, folder);
  ASSERT_EQ(lines.size(), 4u);
  // Each line: UTC time with microseconds, direction, count, bytes, summary.
  EXPECT_EQ(lines[0].size(), std::string("2025-03-14T09:26:53.589793Z").size() +
                                 std::string(" RX 2 FF 00 | unframed bytes, discarded\n").size());
  EXPECT_EQ(lines[0].substr(27), " RX 2 FF 00 | unframed bytes, discarded\n");
  EXPECT_EQ(lines[1].substr(27), " RX 36 " + toHex(request(5, 0)) + " | CMD_ECHO (5), argument 0\n");
  EXPECT_EQ(lines[2].substr(27), " TX 3 " + toHex(Bytes(got.begin(), got.begin() + 3)) +
                                     " | garbage in front of the reply (fault)\n");
  EXPECT_EQ(lines[3].substr(27), " TX 36 " + toHex(Bytes(got.begin() + 3, got.end())) +
                                     " | reply CMD_ECHO (5), argument 0, sync 0x0055, bad sync\n");
}

// The time of a trace line (UTC, microseconds) as seconds since the epoch.
double TraceTime(const std::string &line) {
  std::tm t{};
  int micros = 0;
  if (std::sscanf(line.c_str(), "%d-%d-%dT%d:%d:%d.%dZ", &t.tm_year, &t.tm_mon, &t.tm_mday, &t.tm_hour, &t.tm_min,
                  &t.tm_sec, &micros) != 7)
    return 0;
  t.tm_year -= 1900;
  t.tm_mon -= 1;
  return static_cast<double>(timegm(&t)) + micros / 1e6;
}

double WallClock() {
  using namespace std::chrono;
  return duration<double>(system_clock::now().time_since_epoch()).count();
}

// A sensor that answers late: each frame is stamped when it was complete,
// also one that arrives while the answer to the one before waits, and the
// lines read in the order things happened on the line.
TEST(SimCommandLine, ItsTraceStampsEachFrameWhenItArrivedHoweverLateTheAnswer) {
  char folder[] = "/tmp/kvor-sim-trace-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string trace = std::string(folder) + "/sensor.trace";
  const double kDelay = 0.150;
  SimProcess sim({"--delay-ms", "150", "--still", "--trace", trace});
  ASSERT_TRUE(sim.started());
  LineProbe line(sim.firstLine(5.0));
  ASSERT_TRUE(line.isOpen());
  line.send(request(5, 0));
  const double echoSent = WallClock();
  usleep(40000);
  line.send(request(10, 0));  // while the echo's answer waits
  const double hardwareSent = WallClock();
  ASSERT_EQ(receiveWhole(line, 72).size(), 72u);
  sim.signal(SIGINT);
  EXPECT_EQ(sim.exitCode(3.0), 0);

  const std::vector<std::string> lines = TakeTraceLines(trace, folder);
  ASSERT_EQ(lines.size(), 4u);
  const char *expected[] = {" RX 36 00 55 00 05 ", " RX 36 00 55 00 0A ", " TX 36 00 AA 00 05 ", " TX 36 00 AA 00 0A "};
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(lines[i].find(expected[i]), 27u) << lines[i];
  std::vector<double> t;
  for (const std::string &l : lines) t.push_back(TraceTime(l));
  for (size_t i = 1; i < t.size(); ++i) EXPECT_GE(t[i], t[i - 1]) << lines[i];
  // Stamped once the frame is in, with a margin for the sensor's reading
  // thread on a loaded machine; answered the delay after that.
  const double kMargin = 0.050;
  EXPECT_GE(t[0], echoSent - kMargin);
  EXPECT_LE(t[0], echoSent + kMargin);
  EXPECT_GE(t[1], hardwareSent - kMargin);
  EXPECT_LE(t[1], hardwareSent + kMargin);
  EXPECT_GE(t[2] - t[0], kDelay);
  EXPECT_GE(t[3] - t[1], kDelay);
}

}  // namespace
}  // namespace simtest
