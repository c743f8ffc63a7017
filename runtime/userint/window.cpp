#include "runtime/userint/window.h"

#include <QAction>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLayout>
#include <QScreen>
#include <QVariant>

#include <algorithm>
#include <cmath>

namespace uilayer {
namespace {

// Room left between a window and the one it opens beside.
const int kGapBeside = 8;

int Clamp(int value, int low, int high) { return std::max(low, std::min(value, high)); }

}  // namespace

PanelWindow::PanelWindow(QWidget *panel, QSize designSize) : designSize_(designSize) {
  setFrameShape(QFrame::NoFrame);
  setWidgetResizable(true);
  setWindowTitle(panel->windowTitle());
  // Named after its panel, so logs and tools can tell the windows apart.
  setObjectName(panel->objectName() + QStringLiteral("Window"));
  // A panel without a layout has nothing that says how small it may get:
  // its design size is the least it needs.
  if (!panel->layout()) panel->setMinimumSize(designSize);
  bool ok = false;
  const double share = panel->property("screenShare").toDouble(&ok);
  if (ok && share > 0 && share <= 1) screenShare_ = share;
  setWidget(panel);  // the window owns the panel from here on
  panel->show();     // shown and hidden with the window
  // Escape as the close box: the panel's callback hears the close event.
  if (panel->property("closeOnEscape").toBool()) {
    auto *escape = new QAction(this);
    escape->setShortcut(QKeySequence(Qt::Key_Escape));
    escape->setShortcutContext(Qt::WindowShortcut);
    addAction(escape);
    connect(escape, &QAction::triggered, this, [this] { close(); });
  }
}

QSize PanelWindow::openingSize(const QRect &area) const {
  // The style's metrics count only once the panel is polished.
  panel()->ensurePolished();
  if (QLayout *layout = panel()->layout()) layout->activate();
  QSize size = designSize_.expandedTo(panel()->minimumSizeHint());
  if (screenShare_ > 0)
    size = size.expandedTo(QSize(static_cast<int>(std::lround(area.width() * screenShare_)),
                                 static_cast<int>(std::lround(area.height() * screenShare_))));
  return size;
}

void PanelWindow::placeOnFirstShow(const QWidget *anchor) {
  if (placed_) return;
  placed_ = true;
  QScreen *screen = anchor ? anchor->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  const QSize wanted = openingSize(area);
  if (wanted.width() > area.width() || wanted.height() > area.height()) {
    // The window manager fits a maximized window to the screen with its
    // title bar; without one the geometry set here is what the window gets.
    setGeometry(area);
    setWindowState(windowState() | Qt::WindowMaximized);
    return;
  }
  resize(wanted);
  if (anchor) {
    move(PlaceBeside(anchor->frameGeometry(), wanted, area));
  } else {
    move(area.x() + (area.width() - wanted.width()) / 2,
         area.y() + (area.height() - wanted.height()) / 2);
  }
}

QPoint PlaceBeside(const QRect &anchorFrame, const QSize &size, const QRect &area) {
  const int top = Clamp(anchorFrame.top(), area.top(), area.bottom() + 1 - size.height());
  const int right = anchorFrame.right() + 1 + kGapBeside;
  if (right + size.width() <= area.right() + 1) return QPoint(right, top);
  const int left = anchorFrame.left() - kGapBeside - size.width();
  if (left >= area.left()) return QPoint(left, top);
  const QPoint centre = anchorFrame.center();
  return QPoint(Clamp(centre.x() - size.width() / 2, area.left(), area.right() + 1 - size.width()),
                Clamp(centre.y() - size.height() / 2, area.top(), area.bottom() + 1 - size.height()));
}

}  // namespace uilayer
