// kvor's commands. Each runs to its end and returns the exit status.
#ifndef KVOR_CLI_COMMANDS_H
#define KVOR_CLI_COMMANDS_H

#include <functional>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/results.h"

namespace kvorcli {

class SensorSession;

int RunPorts(const CliRequest &request);
int RunIdentify(const CliRequest &request);
int RunGet(const CliRequest &request);
int RunSend(const CliRequest &request);
int RunDiff(const CliRequest &request);
int RunRecord(const CliRequest &request);
int RunTeach(const CliRequest &request);
int RunResetMaxMin(const CliRequest &request);
int RunStats(const CliRequest &request);

OutputStyle StyleOf(const CliRequest &request);

// One session per PORT, all at the same time in one event loop; start runs
// a session's steps. Returns when every session has ended, their results
// printed in the order of the PORTs; the result is the worst status.
using SessionStart = std::function<void(SensorSession *session)>;
int RunSessions(const std::vector<std::string> &ports, const OutputStyle &style,
                const SessionStart &start);

}  // namespace kvorcli

#endif
