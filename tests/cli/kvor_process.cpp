#include "kvor_process.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <sstream>

#ifndef KVOR_CLI_PATH
#error "the tests need the path of kvor"
#endif

extern char **environ;

namespace clitest {

namespace {

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The test's environment without anything that could lead Qt to a display,
// with the given entries in place of its own.
std::vector<std::string> EnvironmentWithoutDisplay(const std::vector<std::string> &given) {
  std::vector<std::string> env;
  const auto replaced = [&given](const std::string &entry) {
    for (const std::string &g : given)
      if (entry.compare(0, g.find('=') + 1, g, 0, g.find('=') + 1) == 0) return true;
    return false;
  };
  for (char **e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    if (entry.rfind("DISPLAY=", 0) == 0 || entry.rfind("WAYLAND_DISPLAY=", 0) == 0 ||
        entry.rfind("QT_QPA_PLATFORM=", 0) == 0 || replaced(entry))
      continue;
    env.push_back(entry);
  }
  env.insert(env.end(), given.begin(), given.end());
  return env;
}

}  // namespace

KvorProcess::KvorProcess(const std::vector<std::string> &args, const std::vector<std::string> &environment) {
  std::vector<std::string> argStrings = args;
  argStrings.insert(argStrings.begin(), KVOR_CLI_PATH);
  std::vector<std::string> envStrings = EnvironmentWithoutDisplay(environment);
  int out[2], err[2];
  if (pipe(out) != 0 || pipe(err) != 0) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err[1], 2);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  posix_spawn_file_actions_addclose(&actions, err[0]);
  std::vector<char *> argv, envp;
  for (std::string &a : argStrings) argv.push_back(a.data());
  argv.push_back(nullptr);
  for (std::string &e : envStrings) envp.push_back(e.data());
  envp.push_back(nullptr);
  if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  close(err[1]);
  out_ = out[0];
  err_ = err[0];
}

KvorProcess::~KvorProcess() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (out_ >= 0) close(out_);
  if (err_ >= 0) close(err_);
}

void KvorProcess::Signal(int sig) {
  if (pid_ > 0) kill(pid_, sig);
}

void KvorProcess::Drain(int timeoutMs) {
  pollfd fds[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
  if (poll(fds, 2, timeoutMs) <= 0) return;
  char buffer[4096];
  for (int i = 0; i < 2; ++i) {
    if (!(fds[i].revents & (POLLIN | POLLHUP))) continue;
    const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
    if (n > 0) (i == 0 ? run_.out : run_.err).append(buffer, static_cast<size_t>(n));
  }
}

KvorRun KvorProcess::Finish(double timeoutSeconds) {
  if (pid_ <= 0) return run_;
  const double end = Now() + timeoutSeconds;
  int status = 0;
  while (waitpid(pid_, &status, WNOHANG) != pid_) {
    if (Now() > end) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
      pid_ = -1;
      run_.status = -1;
      return run_;
    }
    Drain(20);
  }
  pid_ = -1;
  for (int i = 0; i < 50; ++i) Drain(0);
  // Whatever is left in the pipes.
  char buffer[4096];
  ssize_t n;
  while ((n = read(out_, buffer, sizeof buffer)) > 0) run_.out.append(buffer, static_cast<size_t>(n));
  while ((n = read(err_, buffer, sizeof buffer)) > 0) run_.err.append(buffer, static_cast<size_t>(n));
  run_.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run_;
}

KvorRun RunKvorStoppedAt(const std::vector<std::string> &args, const kvorsim::SensorSim &sensor, size_t frames,
                         const std::vector<int> &stops) {
  KvorProcess kvor(args);
  if (!sensor.waitForFrames(frames, 10.0)) {
    KvorRun run = kvor.Finish(0);
    run.status = -2;
    return run;
  }
  for (size_t i = 0; i < stops.size(); ++i) {
    if (i > 0) usleep(10000);
    kvor.Signal(stops[i]);
  }
  return kvor.Finish(10);
}

std::vector<std::unique_ptr<kvorsim::SensorSim>> StartSensors(int count, bool paced) {
  std::vector<std::unique_ptr<kvorsim::SensorSim>> sensors;
  for (int i = 0; i < count; ++i) {
    kvorsim::Options options;
    options.moving = false;
    options.paced = paced;
    options.seed = static_cast<uint32_t>(i + 1);
    auto sensor = std::make_unique<kvorsim::SensorSim>(options);
    if (!sensor->start()) return {};
    sensors.push_back(std::move(sensor));
  }
  return sensors;
}

std::vector<std::string> Lines(const std::string &text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

std::vector<int> Commands(const kvorsim::SensorSim &sensor, size_t awaited) {
  sensor.waitForFrames(awaited, 2.0);
  std::vector<int> commands;
  for (const kvorsim::ReceivedFrame &f : sensor.received()) commands.push_back(f.command());
  return commands;
}

}  // namespace clitest
