// A window program's standard output and error. Windows gives a program of
// its window subsystem no console: what --help and --version print would go
// nowhere when it is started from cmd or PowerShell. Where they lead nowhere,
// they are attached to the console of whoever started the program; where
// they lead somewhere (a pipe, a file) they stay. Elsewhere nothing changes.
#include "runtime/utility/utility.h"

#ifdef _WIN32
#include <windows.h>

#include <cstdio>
#endif

void UseCallersConsole(void) {
#ifdef _WIN32
  const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
  if (out != nullptr && out != INVALID_HANDLE_VALUE) return;
  if (!::AttachConsole(ATTACH_PARENT_PROCESS)) return;
  std::freopen("CONOUT$", "w", stdout);
  std::freopen("CONOUT$", "w", stderr);
#endif
}
