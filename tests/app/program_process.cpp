#include "program_process.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

namespace apptest {

ProgramRun RunProgram(const std::string &folder, const std::string &program, const std::vector<std::string> &arguments,
                      bool offscreen, const std::string &dataHome) {
  QProcess process;
  process.setWorkingDirectory(QString::fromStdString(folder));
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.remove(QStringLiteral("DISPLAY"));
  environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
  environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
  if (offscreen) environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  if (!dataHome.empty()) {
    environment.insert(QStringLiteral("HOME"), QString::fromStdString(dataHome));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), QString::fromStdString(dataHome + "/data"));
  }
  process.setProcessEnvironment(environment);
  process.setStandardInputFile(QProcess::nullDevice());
  QStringList args;
  for (const std::string &argument : arguments) args << QString::fromStdString(argument);
  ProgramRun run;
  process.start(QString::fromStdString(program), args);
  if (!process.waitForStarted(60000)) return run;
  if (!process.waitForFinished(60000)) {
    process.kill();
    process.waitForFinished();
  } else if (process.exitStatus() == QProcess::NormalExit) {
    run.status = process.exitCode() & 0xFF;
  }
  run.out = process.readAllStandardOutput().toStdString();
  run.err = process.readAllStandardError().toStdString();
  return run;
}

std::string WithoutCarriageReturns(std::string text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
  return out;
}

}  // namespace apptest
