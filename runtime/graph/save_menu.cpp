// The graphs' context menu and the saving of their pictures and data. The
// operator hears of the result through the program's callback (the status
// box); the layer only says what happened.
#include "runtime/graph/save_menu.h"

#include <QContextMenuEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>
#include <QSaveFile>

#include <functional>

#include "runtime/graph/control.h"
#include "runtime/graph/picture.h"
#include "runtime/graph/table.h"
#include "runtime/graph/strip_chart.h"
#include "runtime/userint/control_binding.h"
#include "runtime/userint/file_dialog.h"
#include "runtime/userint/text_helpers.h"
#include "runtime/userint/userint.h"

namespace uilayer {
namespace {

const char kSavePicture[] = "Save picture\u2026";
const char kSaveData[] = "Save data\u2026";
const size_t kCaptionBytes = 256;

GraphCaptionPtr g_caption = nullptr;
GraphSavedPtr g_saved = nullptr;
// The folder of the last graph file saved, where the dialog opens next.
QString g_lastFolder;

void Tell(int panel, int control, int kind, int result) {
  if (g_saved != nullptr) g_saved(panel, control, kind, result);
}

QString Caption() {
  if (g_caption == nullptr) return QString();
  char text[kCaptionBytes] = "";
  g_caption(text, sizeof text);
  text[sizeof text - 1] = '\0';
  return DecodeText(text);
}

// "video-graph-channel-a" for the graph the operator hears as "Video graph
// channel A".
QString FileStem(const QCustomPlot *plot) {
  QString stem;
  for (const QChar c : plot->accessibleName().toLower()) {
    if (c.isLetterOrNumber()) stem += c;
    else if (!stem.isEmpty() && !stem.endsWith(QLatin1Char('-'))) stem += QLatin1Char('-');
  }
  while (stem.endsWith(QLatin1Char('-'))) stem.chop(1);
  return stem.isEmpty() ? QStringLiteral("graph") : stem;
}

// The picture's format from the chosen name, which is written as it is (the
// dialog has added ".png" to a name without extension, and asked about
// replacing that file). False for an extension of another format.
bool PictureTarget(const QString &path, PictureFormat *format) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix.isEmpty() || suffix == QLatin1String("png")) {
    *format = PictureFormat::Png;
  } else if (suffix == QLatin1String("svg")) {
    *format = PictureFormat::Svg;
  } else if (suffix == QLatin1String("pdf")) {
    *format = PictureFormat::Pdf;
  } else {
    return false;
  }
  return true;
}

bool WriteText(const QString &path, const QByteArray &bytes) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  if (file.write(bytes) != bytes.size()) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

bool HasDrawing(QCustomPlot *plot) {
  if (auto *graph = qobject_cast<GraphControl *>(plot)) return !graph->plots().isEmpty();
  if (auto *chart = qobject_cast<StripChartControl *>(plot)) {
    for (int trace = 1; trace <= chart->numTraces(); ++trace)
      if (!chart->traceValues(trace).isEmpty()) return true;
  }
  return false;
}

bool TableOf(QCustomPlot *plot, QByteArray *csv) {
  if (auto *graph = qobject_cast<GraphControl *>(plot)) return GraphTableCsv(*graph, csv);
  if (auto *chart = qobject_cast<StripChartControl *>(plot)) return StripChartTableCsv(*chart, csv);
  return false;
}

void AskAndWrite(QCustomPlot *plot, int kind, std::function<int(const QString &path)> write) {
  int panel = 0, control = 0;
  if (ControlBinding *binding = BindingOf(plot)) {
    panel = binding->panel();
    control = binding->id();
  }
  FileSelectRecord request;
  request.directory = g_lastFolder;
  request.defaultName = FileStem(plot) + (kind == GRAPH_PICTURE ? ".png" : ".csv");
  request.filter = kind == GRAPH_PICTURE ? QStringLiteral("*.png;*.svg;*.pdf") : QStringLiteral("*.csv");
  request.title = kind == GRAPH_PICTURE ? QStringLiteral("Save picture") : QStringLiteral("Save data");
  request.buttonLabel = VAL_SAVE_BUTTON;
  request.defaultSuffix = kind == GRAPH_PICTURE ? QStringLiteral("png") : QStringLiteral("csv");
  FileSelectPopupThen(request, [panel, control, kind, write](int result, const QString &path) {
    if (result <= VAL_NO_FILE_SELECTED || path.isEmpty()) return;  // the operator changed his mind
    const int outcome = write(path);
    if (outcome == GRAPH_SAVED) g_lastFolder = QFileInfo(path).absolutePath();
    Tell(panel, control, kind, outcome);
  });
}

void SavePicture(QCustomPlot *plot) {
  if (!HasDrawing(plot)) {
    const ControlBinding *binding = BindingOf(plot);
    Tell(binding ? binding->panel() : 0, binding ? binding->id() : 0, GRAPH_PICTURE, GRAPH_NOT_DRAWN);
    return;
  }
  const GraphPicture picture = RecordGraph(plot, Caption());
  AskAndWrite(plot, GRAPH_PICTURE, [picture](const QString &path) {
    PictureFormat format = PictureFormat::Png;
    if (!PictureTarget(path, &format)) return static_cast<int>(GRAPH_BAD_PICTURE_NAME);
    return WriteGraphPicture(picture, format, path) ? static_cast<int>(GRAPH_SAVED)
                                                    : static_cast<int>(GRAPH_NOT_WRITTEN);
  });
}

void SaveData(QCustomPlot *plot) {
  QByteArray csv;
  if (!TableOf(plot, &csv)) {
    const ControlBinding *binding = BindingOf(plot);
    Tell(binding ? binding->panel() : 0, binding ? binding->id() : 0, GRAPH_DATA, GRAPH_NOT_DRAWN);
    return;
  }
  AskAndWrite(plot, GRAPH_DATA, [csv](const QString &path) {
    return WriteText(path, csv) ? static_cast<int>(GRAPH_SAVED) : static_cast<int>(GRAPH_NOT_WRITTEN);
  });
}

// Opens at the mouse, or for the key at the middle of the graph. The menu
// does not block: a polling loop that processes events goes on under it.
void ShowMenu(QCustomPlot *plot, const QPoint &at) {
  if (OpenSaveMenu(plot) != nullptr) return;
  auto *menu = new QMenu(plot);
  menu->setObjectName(QStringLiteral("graphSaveMenu"));
  menu->setAttribute(Qt::WA_DeleteOnClose);
  QPointer<QCustomPlot> target(plot);
  // Taken up once the menu has closed, so the graph is recorded without it.
  QObject::connect(menu->addAction(QString::fromUtf8(kSavePicture)), &QAction::triggered, plot,
                   [target] { if (target) SavePicture(target); }, Qt::QueuedConnection);
  QObject::connect(menu->addAction(QString::fromUtf8(kSaveData)), &QAction::triggered, plot,
                   [target] { if (target) SaveData(target); }, Qt::QueuedConnection);
  menu->popup(plot->mapToGlobal(at));
}

class SaveMenuFilter : public QObject {
 public:
  explicit SaveMenuFilter(QCustomPlot *plot) : QObject(plot), plot_(plot) {}

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override {
    if (watched != plot_) return false;
    if (event->type() == QEvent::ContextMenu) {
      auto *menuEvent = static_cast<QContextMenuEvent *>(event);
      const bool byMouse = menuEvent->reason() == QContextMenuEvent::Mouse;
      ShowMenu(plot_, byMouse ? menuEvent->pos() : plot_->rect().center());
      return true;
    }
    if (event->type() == QEvent::KeyPress) {
      auto *key = static_cast<QKeyEvent *>(event);
      const bool menuKey = key->key() == Qt::Key_Menu ||
                           (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier);
      if (!menuKey) return false;
      ShowMenu(plot_, plot_->rect().center());
      return true;
    }
    return false;
  }

 private:
  QCustomPlot *plot_;
};

}  // namespace

void InstallSaveMenu(QCustomPlot *plot) {
  plot->setContextMenuPolicy(Qt::DefaultContextMenu);
  plot->setFocusPolicy(Qt::TabFocus);
  plot->installEventFilter(new SaveMenuFilter(plot));
}

QMenu *OpenSaveMenu(const QCustomPlot *plot) {
  for (QMenu *menu : plot->findChildren<QMenu *>(QStringLiteral("graphSaveMenu"), Qt::FindDirectChildrenOnly))
    if (menu->isVisible()) return menu;
  return nullptr;
}

}  // namespace uilayer

int InstallGraphSaveCallbacks(GraphCaptionPtr caption, GraphSavedPtr saved) {
  uilayer::g_caption = caption;
  uilayer::g_saved = saved;
  return UIE_NO_ERROR;
}
