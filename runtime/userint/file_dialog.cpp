// FileSelectPopup on a non-native QFileDialog.
#include "runtime/userint/file_dialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPushButton>

#include <cstring>
#include <deque>

#include "runtime/userint/panel_registry.h"
#include "runtime/userint/text_helpers.h"

namespace uilayer {
namespace {

struct QueuedAnswer {
  int result;
  QString path;
};

std::deque<QueuedAnswer> &Answers() {
  static std::deque<QueuedAnswer> answers;
  return answers;
}

QList<FileSelectRecord> &Records() {
  static QList<FileSelectRecord> records;
  return records;
}

bool g_dialogsWithoutScreen = false;

// A dialog that may refuse to be cancelled.
class FileSelectDialog : public QFileDialog {
 public:
  bool allowCancel = true;
  void reject() override {
    if (allowCancel) QFileDialog::reject();
  }
};

QString AcceptLabel(int buttonLabel) {
  switch (buttonLabel) {
    case VAL_SAVE_BUTTON: return QStringLiteral("Save");
    case VAL_SELECT_BUTTON: return QStringLiteral("Select");
    case VAL_LOAD_BUTTON: return QStringLiteral("Load");
    default: return QStringLiteral("OK");
  }
}

// ".cfg" for "*.cfg" (the first pattern of the list); empty when the filter
// allows any extension.
QString FilterExtension(const QString &filter) {
  const QString first = filter.split(QLatin1Char(';'), Qt::SkipEmptyParts).value(0).trimmed();
  if (!first.startsWith(QLatin1String("*."))) return QString();
  const QString extension = first.mid(1);
  if (extension.size() < 2 || extension.contains(QLatin1Char('*')) || extension.contains(QLatin1Char('?')))
    return QString();
  return extension;
}

QString WithExtension(const QString &path, const QString &extension) {
  if (extension.isEmpty() || path.endsWith(extension, Qt::CaseInsensitive)) return path;
  return path + extension;
}

// The name as the dialog returns it with a default suffix: one whose file
// name has no '.' gets it.
QString WithDefaultSuffix(const QString &path, const QString &suffix) {
  if (suffix.isEmpty() || path.isEmpty() || QFileInfo(path).fileName().contains(QLatin1Char('.')))
    return path;
  return path + QLatin1Char('.') + suffix;
}

// Platforms without a screen have no operator to answer a dialog.
bool CanShowDialogs() {
  if (g_dialogsWithoutScreen) return true;
  const QString platform = QGuiApplication::platformName();
  return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

void ConfigureDialog(FileSelectDialog &dialog, const QString &directory, const QString &defaultName,
                     const QString &filter, const QString &title, int buttonLabel,
                     bool restrictDirectory, bool allowCancel, bool allowMakeDirectory,
                     const QString &defaultSuffix) {
  dialog.allowCancel = allowCancel;
  // Added before the dialog asks about replacing a file, so the file it asks
  // about is the one that will be written.
  dialog.setDefaultSuffix(defaultSuffix);
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setWindowTitle(title);
  const QString startDir = directory.isEmpty() ? QDir::currentPath() : directory;
  dialog.setDirectory(startDir);
  if (!defaultName.isEmpty() && !defaultName.contains(QLatin1Char('*'))) dialog.selectFile(defaultName);
  dialog.setNameFilter(filter.isEmpty() ? QStringLiteral("*") : filter);
  const bool load = buttonLabel == VAL_LOAD_BUTTON;
  dialog.setAcceptMode(load ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  dialog.setFileMode(load ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  dialog.setLabelText(QFileDialog::Accept, AcceptLabel(buttonLabel));
  if (!allowMakeDirectory) dialog.setOption(QFileDialog::ReadOnly, true);
  if (!allowCancel) {
    if (auto *box = dialog.findChild<QDialogButtonBox *>())
      if (QPushButton *cancel = box->button(QDialogButtonBox::Cancel)) cancel->hide();
  }
  if (restrictDirectory) {
    const QDir start(startDir);
    QObject::connect(&dialog, &QFileDialog::directoryEntered, &dialog, [&dialog, start](const QString &entered) {
      if (QDir(entered) != start) dialog.setDirectory(start);
    });
  }
}

// The operator's choice once the dialog has closed: the path, or empty.
QString ChosenPath(const FileSelectDialog &dialog, bool accepted, bool restrictDirectory) {
  if (!accepted || dialog.selectedFiles().isEmpty()) return QString();
  QString path = dialog.selectedFiles().first();
  if (restrictDirectory) path = QDir(dialog.directory()).filePath(QFileInfo(path).fileName());
  return path;
}

int RunDialog(const QString &directory, const QString &defaultName, const QString &filter,
              const QString &title, int buttonLabel, bool restrictDirectory,
              bool allowCancel, bool allowMakeDirectory, const QString &defaultSuffix, QString *chosen) {
  FileSelectDialog dialog;
  ConfigureDialog(dialog, directory, defaultName, filter, title, buttonLabel, restrictDirectory,
                  allowCancel, allowMakeDirectory, defaultSuffix);
  const QString path = ChosenPath(dialog, dialog.exec() == QDialog::Accepted, restrictDirectory);
  if (path.isEmpty()) return VAL_NO_FILE_SELECTED;
  *chosen = path;
  return VAL_EXISTING_FILE_SELECTED;  // refined by the caller
}

int ResultFor(const QString &path) {
  if (path.isEmpty()) return VAL_NO_FILE_SELECTED;
  return QFileInfo::exists(path) ? VAL_EXISTING_FILE_SELECTED : VAL_NEW_FILE_SELECTED;
}

}  // namespace

void QueueFileSelectAnswer(int result, const QString &path) { Answers().push_back({result, path}); }
void ShowDialogsWithoutScreen(bool on) { g_dialogsWithoutScreen = on; }
QList<FileSelectRecord> FileSelectRecords() { return Records(); }

void FileSelectPopupThen(const FileSelectRecord &request,
                         std::function<void(int result, const QString &path)> done) {
  Records().append(request);
  if (!Answers().empty()) {
    const QueuedAnswer answer = Answers().front();
    Answers().pop_front();
    done(answer.result > VAL_NO_FILE_SELECTED ? answer.result : VAL_NO_FILE_SELECTED,
         answer.result > VAL_NO_FILE_SELECTED ? WithDefaultSuffix(answer.path, request.defaultSuffix) : QString());
    return;
  }
  if (!LayerReady() || !CanShowDialogs()) {
    if (LayerReady()) qWarning("FileSelectPopup: no screen to show the file dialog on; taken as cancelled");
    done(VAL_NO_FILE_SELECTED, QString());
    return;
  }
  auto *dialog = new FileSelectDialog;
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setWindowModality(Qt::ApplicationModal);
  ConfigureDialog(*dialog, request.directory, request.defaultName, request.filter, request.title,
                  request.buttonLabel, false, true, true, request.defaultSuffix);
  QObject::connect(dialog, &QDialog::finished, dialog, [dialog, done](int code) {
    const QString path = ChosenPath(*dialog, code == QDialog::Accepted, false);
    done(ResultFor(path), path);
  });
  dialog->show();
}
void ClearFileSelectRecords() { Records().clear(); }

}  // namespace uilayer

using namespace uilayer;

int FileSelectPopup(const char *defaultDirectory, const char *defaultFileSpec,
                    const char *fileTypeList, const char *title, int buttonLabel,
                    int restrictDirectory, int restrictExtension, int allowCancel,
                    int allowMakeDirectory, char *path, size_t pathSize) {
  if (!path || pathSize == 0) return UIE_BAD_VALUE;
  path[0] = '\0';
  FileSelectRecord call;
  // Folder and file name are paths, in the file system's encoding.
  call.directory = QFile::decodeName(defaultDirectory ? defaultDirectory : "");
  call.defaultName = QFile::decodeName(defaultFileSpec ? defaultFileSpec : "");
  call.filter = DecodeText(fileTypeList);
  call.title = DecodeText(title);
  call.buttonLabel = buttonLabel;
  // Restricted to the filter's type, the dialog adds it to a name without
  // one before it asks about replacing an existing file.
  if (restrictExtension) call.defaultSuffix = FilterExtension(call.filter).mid(1);
  Records().append(call);

  int result = VAL_NO_FILE_SELECTED;
  QString chosen;
  if (!Answers().empty()) {
    QueuedAnswer answer = Answers().front();
    Answers().pop_front();
    result = answer.result;
    chosen = answer.path;
  } else {
    if (!LayerReady()) return UIE_NOT_INITIALISED;
    if (!CanShowDialogs()) {
      qWarning("FileSelectPopup: no screen to show the file dialog on; taken as cancelled");
      return VAL_NO_FILE_SELECTED;
    }
    result = RunDialog(call.directory, call.defaultName, call.filter, call.title, buttonLabel,
                       restrictDirectory != 0, allowCancel != 0, allowMakeDirectory != 0, call.defaultSuffix,
                       &chosen);
    if (result != VAL_NO_FILE_SELECTED) {
      if (restrictExtension) chosen = WithExtension(chosen, FilterExtension(call.filter));
      result = ResultFor(chosen);
    }
  }
  if (result <= VAL_NO_FILE_SELECTED) return result;
  if (restrictExtension) chosen = WithExtension(chosen, FilterExtension(call.filter));

  const QByteArray encoded = QFile::encodeName(chosen);
  if (static_cast<size_t>(encoded.size()) > pathSize - 1) return UIE_PATH_TOO_LONG;
  std::memcpy(path, encoded.constData(), static_cast<size_t>(encoded.size()));
  path[encoded.size()] = '\0';
  return result;
}
