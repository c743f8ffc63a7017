// LoadPanel: a panel is a Qt Designer form inside an rcc resource file.
// Widgets that carry a `ctrlId` become controls; `callback` names are looked
// up in the table the system registered before loading.
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QMap>
#include <QRadioButton>
#include <QResource>
#include <QSpinBox>
#include <QUiLoader>
#include <QtEndian>

#include <cmath>
#include <memory>

#include "runtime/graph/control.h"
#include "runtime/graph/strip_chart.h"
#include "runtime/userint/control_binding.h"
#include "runtime/userint/numeric_widgets.h"
#include "runtime/userint/panel_registry.h"
#include "runtime/userint/ring_widget.h"
#include "runtime/userint/window.h"
#include "runtime/userint/window_guard.h"
#include "runtime/userint/port_ring.h"
#include "runtime/utility/program_files.h"
#include "runtime/runtime.h"

namespace uilayer {
namespace {

// Builds the layer's own widget classes and notes any class it cannot build.
class PanelUiLoader : public QUiLoader {
 public:
  QString unknownClass;

  QWidget *createWidget(const QString &className, QWidget *parent, const QString &name) override {
    QWidget *widget = nullptr;
    if (className == QLatin1String("GraphControl")) widget = new GraphControl(parent);
    else if (className == QLatin1String("StripChartControl")) widget = new StripChartControl(parent);
    else if (className == QLatin1String("QSpinBox")) widget = new NumericSpinBox(parent);
    else if (className == QLatin1String("QDoubleSpinBox")) widget = new NumericDoubleSpinBox(parent);
    else if (className == QLatin1String("QComboBox")) widget = new RingComboBox(parent);
    else widget = QUiLoader::createWidget(className, parent, name);
    if (!widget) {
      // A stand-in keeps the form builder going; the load fails afterwards.
      if (unknownClass.isEmpty()) unknownClass = className;
      widget = new QWidget(parent);
    }
    widget->setObjectName(name);
    return widget;
  }
};

QMap<QString, QString> &MountedFiles() {
  static QMap<QString, QString> mounted;  // canonical path -> resource root
  return mounted;
}

int g_nextMount = 1;

// A relative name is the program's own file (beside it, or installed), else
// one in the working directory.
QString ResolveResourceFile(const QString &name) {
  QFileInfo given(name);
  if (given.isAbsolute()) return given.isFile() ? given.absoluteFilePath() : QString();
  const QString programFile = FindProgramFile(name);
  if (!programFile.isEmpty()) return programFile;
  QFileInfo inWorkingDir(QDir::current(), name);
  if (inWorkingDir.isFile()) return inWorkingDir.absoluteFilePath();
  return QString();
}

// The rcc header: "qres", version, then the offsets of the tree, the data and
// the names. A file whose offsets point past its end is damaged; Qt would
// read beyond the mapping.
bool HeaderLooksSound(const QString &path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const qint64 size = file.size();
  QByteArray head = file.read(20);
  if (head.size() < 20 || !head.startsWith("qres")) return false;
  const uchar *p = reinterpret_cast<const uchar *>(head.constData());
  quint32 version = qFromBigEndian<quint32>(p + 4);
  quint32 tree = qFromBigEndian<quint32>(p + 8);
  quint32 data = qFromBigEndian<quint32>(p + 12);
  quint32 names = qFromBigEndian<quint32>(p + 16);
  if (version < 1 || version > 3) return false;
  return tree < size && data < size && names < size;
}

int MountResourceFile(const char *file, QString *root) {
  if (!file || !*file) return UIE_RESOURCE_FILE;
  QString path = ResolveResourceFile(QFile::decodeName(file));
  if (path.isEmpty()) return UIE_RESOURCE_FILE;
  QString canonical = QFileInfo(path).canonicalFilePath();
  auto it = MountedFiles().constFind(canonical);
  if (it != MountedFiles().constEnd()) {
    *root = it.value();
    return UIE_NO_ERROR;
  }
  if (!HeaderLooksSound(canonical)) return UIE_RESOURCE_FILE;
  QString mapRoot = QStringLiteral("/kvor_uir_%1").arg(g_nextMount++);
  if (!QResource::registerResource(canonical, mapRoot)) return UIE_RESOURCE_FILE;
  MountedFiles().insert(canonical, mapRoot);
  *root = mapRoot;
  return UIE_NO_ERROR;
}

QString FindPanelForm(const QString &root, int resourceId) {
  const QString fileName = QStringLiteral("panel%1.ui").arg(resourceId);
  const QString direct = QStringLiteral(":%1/%2").arg(root, fileName);
  if (QFile::exists(direct)) return direct;
  QDirIterator it(QStringLiteral(":") + root, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    QString candidate = it.next();
    if (QFileInfo(candidate).fileName() == fileName) return candidate;
  }
  return QString();
}

ValueType DefaultValueType(ControlKind kind, const QWidget *widget) {
  switch (kind) {
    case ControlKind::ToggleButton:
    case ControlKind::RadioButton:
    case ControlKind::Ring:
    case ControlKind::Slider:
      return ValueType::I32;
    case ControlKind::Numeric:
      return qobject_cast<const QDoubleSpinBox *>(widget) ? ValueType::Double : ValueType::I32;
    case ControlKind::String:
    case ControlKind::TextBox:
    case ControlKind::TextMessage:
      return ValueType::String;
    default:
      return ValueType::None;
  }
}

bool TypeFitsKind(ValueType type, ControlKind kind) {
  switch (kind) {
    case ControlKind::String:
    case ControlKind::TextBox:
    case ControlKind::TextMessage:
      return type == ValueType::String;
    case ControlKind::Ring:
      return type != ValueType::None;
    case ControlKind::ToggleButton:
    case ControlKind::RadioButton:
    case ControlKind::Numeric:
    case ControlKind::Slider:
      return type != ValueType::None && type != ValueType::String;
    default:
      return true;  // controls without a value ignore it
  }
}

bool SetUpRing(QComboBox *combo, ControlBinding *binding) {
  if (IsPortRing(combo)) {
    FillPortRing(combo, binding);
    return true;
  }
  QVariant given = combo->property("ringValues");
  if (given.isValid() && binding->valueType() != ValueType::String) {
    const QStringList parts = given.toString().split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (parts.size() != combo->count()) return false;
    for (const QString &part : parts) {
      bool ok = false;
      double v = part.trimmed().toDouble(&ok);
      if (!ok || !std::isfinite(v)) return false;
      binding->ringValues.append(v);
    }
  } else {
    for (int i = 0; i < combo->count(); ++i) binding->ringValues.append(i);
  }
  return true;
}

bool SetUpControl(ControlBinding *binding) {
  QWidget *w = binding->widget();
  // A list laid out in columns needs the machine's fixed-pitch face, whose
  // name a panel file cannot know; its size stays the panel's.
  if (w->property("fixedPitch").toBool()) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(w->font().pointSizeF());
    w->setFont(font);
  }
  switch (binding->kind()) {
    case ControlKind::RadioButton:
      // The system keeps its radio groups itself.
      static_cast<QRadioButton *>(w)->setAutoExclusive(false);
      return true;
    case ControlKind::Numeric:
      // Every keystroke that makes a new value is a value change.
      static_cast<QAbstractSpinBox *>(w)->setKeyboardTracking(true);
      return true;
    case ControlKind::Ring:
      return SetUpRing(static_cast<QComboBox *>(w), binding);
    case ControlKind::Graph:
      return static_cast<GraphControl *>(w)->configureFromProperties();
    case ControlKind::StripChart:
      return static_cast<StripChartControl *>(w)->configureFromProperties();
    default:
      return true;
  }
}

struct FoundControl {
  QWidget *widget;
  int id;
  ControlKind kind;
  ValueType type;
  CtrlCallbackPtr callback;
};

// Checks every control of the form; returns UIE_NO_ERROR and the controls found, or
// the first error.
int CollectControls(QWidget *top, QList<FoundControl> *found) {
  QMap<int, QWidget *> seen;
  const QList<QWidget *> widgets = top->findChildren<QWidget *>();
  for (QWidget *w : widgets) {
    QVariant idValue = w->property("ctrlId");
    if (!idValue.isValid()) continue;
    bool ok = false;
    int id = idValue.toInt(&ok);
    if (!ok || id <= 0 || seen.contains(id)) return UIE_RESOURCE_FILE;
    seen.insert(id, w);

    FoundControl control{w, id, ControlKind::Decoration, ValueType::None, nullptr};
    if (!KindOfWidget(w, &control.kind)) return UIE_BAD_WIDGET;
    control.type = DefaultValueType(control.kind, w);
    QVariant typeName = w->property("dataType");
    if (typeName.isValid()) {
      if (!ParseValueType(typeName.toString(), &control.type)) return UIE_RESOURCE_FILE;
      if (!TypeFitsKind(control.type, control.kind)) return UIE_RESOURCE_FILE;
    }
    QString callbackName = w->property("callback").toString();
    if (!callbackName.isEmpty()) {
      control.callback = FindCtrlCallback(callbackName);
      if (!control.callback) return UIE_BAD_CALLBACK;
    }
    found->append(control);
  }
  return UIE_NO_ERROR;
}

}  // namespace
}  // namespace uilayer

using namespace uilayer;

int LoadPanel(int parentPanel, const char *resourceFile, int resourceId) {
  if (!LayerReady()) return UIE_NOT_INITIALISED;
  QWidget *parentWidget = nullptr;
  if (parentPanel < 0) return UIE_BAD_PANEL;
  if (parentPanel > 0) {
    parentWidget = FindPanelWidget(parentPanel);
    if (!parentWidget) return UIE_BAD_PANEL;
  }

  QString root;
  int error = MountResourceFile(resourceFile, &root);
  if (error != UIE_NO_ERROR) return error;
  if (resourceId <= 0) return UIE_RESOURCE_ID;
  QString formPath = FindPanelForm(root, resourceId);
  if (formPath.isEmpty()) return UIE_RESOURCE_ID;
  QFile form(formPath);
  if (!form.open(QIODevice::ReadOnly)) return UIE_RESOURCE_FILE;

  PanelUiLoader loader;
  loader.clearPluginPaths();  // only the classes the layer knows
  std::unique_ptr<QWidget> top(loader.load(&form, nullptr));
  if (!loader.unknownClass.isEmpty()) return UIE_BAD_WIDGET;
  if (!top) return UIE_RESOURCE_FILE;

  QList<FoundControl> controls;
  error = CollectControls(top.get(), &controls);
  if (error != UIE_NO_ERROR) return error;

  PanelCallbackPtr panelCallback = nullptr;
  QString panelCallbackName = top->property("callback").toString();
  if (!panelCallbackName.isEmpty()) {
    panelCallback = FindPanelCallback(panelCallbackName);
    if (!panelCallback) return UIE_BAD_CALLBACK;
  }

  // Set up every control before the panel gets a handle, so a damaged
  // setting leaves nothing behind.
  QList<ControlBinding *> bindings;
  for (const FoundControl &control : controls) {
    auto *binding = new ControlBinding(control.widget, 0, control.id, control.kind, control.type, control.callback);
    if (!SetUpControl(binding)) return UIE_RESOURCE_FILE;  // bindings die with top
    bindings.append(binding);
  }

  auto *record = new PanelRecord;
  record->parentHandle = parentPanel;
  record->callback = panelCallback;
  QWidget *panel = top.release();
  record->widget = panel;
  int handle = AddPanel(record);

  for (ControlBinding *binding : bindings) {
    binding->setPanel(handle);
    record->controls.insert(binding->id(), binding);
    binding->connectOperatorSignals();
  }

  if (parentWidget) {
    // A child panel lives inside its parent and stays hidden until shown.
    QPoint position = panel->pos();
    panel->setParent(parentWidget, Qt::Widget);
    panel->move(position);
    panel->hide();
    new PanelWindowGuard(panel, handle);
  } else {
    auto *window = new PanelWindow(panel, panel->size());
    record->window = window;
    new PanelWindowGuard(window, handle);
  }
  return handle;
}
