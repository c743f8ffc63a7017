// The program as a process of its own, as an operator or a script starts it.
#ifndef KVOR_TESTS_APP_PROGRAM_PROCESS_H
#define KVOR_TESTS_APP_PROGRAM_PROCESS_H

#include <string>
#include <vector>

namespace apptest {

struct ProgramRun {
  // The exit status as a shell sees it (its low eight bits: -1 is 255); -1000
  // for a program that had not ended after a minute (it is killed, so a hang
  // fails the test instead of blocking the suite) or did not start.
  int status = -1000;
  std::string out, err;  // standard output and error, line ends as written
};

// Runs program with arguments in folder. offscreen: on the offscreen
// platform, else with no display named at all (no DISPLAY, WAYLAND_DISPLAY or
// QT_QPA_PLATFORM). dataHome, when given, holds the per-user data folders
// (HOME and XDG_DATA_HOME; Windows takes them from elsewhere).
ProgramRun RunProgram(const std::string &folder, const std::string &program, const std::vector<std::string> &arguments,
                      bool offscreen = true, const std::string &dataHome = "");

// Only the exit status.
inline int RunProgramIn(const std::string &folder, const std::string &program,
                        const std::vector<std::string> &arguments, const std::string &dataHome = "") {
  return RunProgram(folder, program, arguments, true, dataHome).status;
}

// The text with every CR LF as LF.
std::string WithoutCarriageReturns(std::string text);

}  // namespace apptest

#endif
