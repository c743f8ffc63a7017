#include "kvor_process.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#endif

#include <chrono>
#include <sstream>
#include <thread>

#ifndef KVOR_CLI_PATH
#error "the tests need the path of kvor"
#endif

namespace clitest {

namespace {

// The test's environment without anything that could lead Qt to a display,
// with the given entries in place of its own.
QProcessEnvironment EnvironmentWithoutDisplay(const std::vector<std::string> &given) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(QString::fromLatin1(name));
  for (const std::string &entry : given) {
    const size_t equals = entry.find('=');
    env.insert(QString::fromStdString(entry.substr(0, equals)), QString::fromStdString(entry.substr(equals + 1)));
  }
  return env;
}

#ifdef _WIN32
// Ctrl+C on Windows is an event of a console, for every process attached to
// it: kvor shares a console of the test's own (Wine gives a program whose
// output goes to files none that can raise the event), and the test lets the
// event pass itself by.
BOOL WINAPI LetStopPass(DWORD) { return TRUE; }

void MakeSharedConsole(QProcess *process) {
  static const bool made = [] {
    ::FreeConsole();
    const bool ok = ::AllocConsole() != 0;
    ::SetConsoleCtrlHandler(LetStopPass, TRUE);
    return ok;
  }();
  (void)made;
  process->setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments *args) {
    args->flags &= ~static_cast<DWORD>(CREATE_NO_WINDOW);
  });
}
#endif

// Line ends as a script on Windows reads them (CR LF) become LF.
std::string WithoutCarriageReturns(const QByteArray &bytes) {
  std::string out;
  for (int i = 0; i < bytes.size(); ++i)
    if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')) out += bytes[i];
  return out;
}

}  // namespace

struct KvorProcess::Child {
  QProcess process;
};

KvorProcess::KvorProcess(const std::vector<std::string> &args, const std::vector<std::string> &environment)
    : child_(new Child) {
  QStringList arguments;
  for (const std::string &a : args) arguments << QString::fromStdString(a);
  child_->process.setProcessEnvironment(EnvironmentWithoutDisplay(environment));
  child_->process.setStandardInputFile(QProcess::nullDevice());
#ifdef _WIN32
  MakeSharedConsole(&child_->process);
#endif
  child_->process.start(QStringLiteral(KVOR_CLI_PATH), arguments);
  if (!child_->process.waitForStarted(10000)) child_.reset();
}

KvorProcess::~KvorProcess() {
  if (child_ && child_->process.state() != QProcess::NotRunning) {
    child_->process.kill();
    child_->process.waitForFinished(10000);
  }
}

void KvorProcess::Signal(int sig) {
  if (!child_ || child_->process.state() != QProcess::Running) return;
#ifdef _WIN32
  (void)sig;  // SIGINT and SIGTERM alike: Ctrl+C
  ::GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
#else
  ::kill(static_cast<pid_t>(child_->process.processId()), sig);
#endif
}

KvorRun KvorProcess::Finish(double timeoutSeconds) {
  KvorRun run;
  if (!child_) return run;
  QProcess &p = child_->process;
  if (!p.waitForFinished(static_cast<int>(timeoutSeconds * 1000))) {
    p.kill();
    p.waitForFinished(10000);
  } else if (p.exitStatus() == QProcess::NormalExit) {
    run.status = p.exitCode();
  }
  run.out = WithoutCarriageReturns(p.readAllStandardOutput());
  run.err = WithoutCarriageReturns(p.readAllStandardError());
  child_.reset();
  return run;
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
    if (i > 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
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

double UtcSecondsOf(std::tm t) {
#ifdef _WIN32
  return static_cast<double>(_mkgmtime(&t));
#else
  return static_cast<double>(timegm(&t));
#endif
}

}  // namespace clitest
