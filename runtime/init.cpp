// Start and end of the run-time layer.
#include <QApplication>
#include <QByteArray>
#include <QPixmapCache>

#include <cstdio>
#include <cstring>
#include <vector>

#include "runtime/graph/redraw_pacer.h"
#include "runtime/userint/accessibility.h"
#include "runtime/userint/panel_registry.h"
#include "runtime/userint/window_guard.h"
#include "runtime/rs232/port_table.h"
#include "runtime/runtime.h"
#include "runtime/utility/internal.h"
#include "runtime/utility/utility.h"

namespace {

// QApplication keeps references to argc and argv for its whole life, so they
// live here rather than on the caller's stack.
int g_argc = 0;
std::vector<QByteArray> g_argStorage;
std::vector<char *> g_argv;
bool g_initialised = false;
bool g_fineTimer = false;  // the layer holds the fine system timer

void KeepArguments(int argc, char **argv) {
  g_argStorage.clear();
  if (argv) {
    for (int i = 0; i < argc; ++i)
      if (argv[i]) g_argStorage.emplace_back(argv[i]);
  }
  if (g_argStorage.empty()) g_argStorage.emplace_back("K-VOR-NE-ZevevU301");
  g_argv.clear();
  for (QByteArray &arg : g_argStorage) g_argv.push_back(arg.data());
  g_argv.push_back(nullptr);
  g_argc = static_cast<int>(g_argStorage.size());
}

bool HasArgument(const char *name) {
  for (int i = 0; i < g_argc; ++i)
    if (std::strcmp(g_argv[i], name) == 0) return true;
  return false;
}

bool HasPlatformArgument() { return HasArgument("-platform") || HasArgument("--platform"); }

// Qt ends the process when its default X11 platform finds no display; tell
// the caller instead, so the program can end with its own exit code.
bool DisplayLooksReachable() {
#if defined(Q_OS_LINUX)
  if (HasPlatformArgument() || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) return true;
  return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#else
  return true;
#endif
}

}  // namespace

int InitCVIRTE(int argc, char **argv) {
  // Once running, a further call only reads the layer's options again: the
  // application object keeps the arguments it was made with.
  if (g_initialised && uilayer::LayerReady()) return InitPortTable(argc, argv) < 0 ? -1 : 0;
  if (!uilayer::LayerReady()) {
    if (QCoreApplication::instance()) {
      std::fprintf(stderr, "InitCVIRTE: a non-GUI application object already exists\n");
      return -1;
    }
    KeepArguments(argc, argv);
    if (!DisplayLooksReachable()) {
      std::fprintf(stderr, "InitCVIRTE: no display (set DISPLAY, or QT_QPA_PLATFORM=offscreen)\n");
      return -1;
    }
    new QApplication(g_argc, g_argv.data());
  } else {
    KeepArguments(argc, argv);
  }
  // Windows are closed only by the system's own callbacks; hiding the last
  // one must not end the program behind their back.
  QApplication::setQuitOnLastWindowClosed(false);
  // The polling loops' sleeps do the graphs' drawing, and last what they ask.
  SetBlockedTimeUse(uilayer::DrawWhileBlocked);
  if (!g_fineTimer) BeginFineTimer();
  g_fineTimer = true;
  uilayer::InstallAccessibleDescriptions();
  // No pixmap cache: the styles key what they cache by the widget's palette,
  // and a value display turning red and green gets a new palette each turn.
  // Qt keeps every such key for good (even once its pixmap is gone), so a
  // long run grew without bound; drawing uncached costs about half a
  // millisecond an update.
  QPixmapCache::setCacheLimit(0);
  uilayer::SetCloseWhenShown(HasArgument("--close-when-shown"));
  int result = InitPortTable(g_argc, g_argv.data());
  if (result < 0) {
    std::fprintf(stderr, "InitCVIRTE: malformed --port argument\n");
    return result;
  }
  g_initialised = true;
  return 0;
}

// Called once the event loop has ended (not from a callback): every panel
// still loaded is discarded and deleted now.
void CloseCVIRTE(void) {
  if (!uilayer::LayerReady()) return;
  SetBlockedTimeUse(nullptr);
  if (g_fineTimer) EndFineTimer();
  g_fineTimer = false;
  for (int handle : uilayer::AllPanelHandles())
    if (uilayer::FindPanel(handle)) DiscardPanel(handle);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
