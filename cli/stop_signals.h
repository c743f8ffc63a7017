// Ctrl+C (SIGINT) and SIGTERM taken into the event loop: the handler only
// writes a byte into a pipe, the loop calls back between two steps, so what
// is being written at that moment is finished first (whole lines only).
#ifndef KVOR_CLI_STOP_SIGNALS_H
#define KVOR_CLI_STOP_SIGNALS_H

#include <functional>

namespace kvorcli {

// Installs the handlers; stop runs from the event loop at the first signal.
bool CatchStopSignals(std::function<void()> stop);

}  // namespace kvorcli

#endif
