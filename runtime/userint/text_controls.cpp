// Text messages made at run time, pictures, and the line-wise text boxes.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QSignalBlocker>

#include "runtime/userint/control_binding.h"
#include "runtime/userint/panel_registry.h"
#include "runtime/userint/text_helpers.h"
#include "runtime/utility/program_files.h"

using namespace uilayer;

namespace {

QPlainTextEdit *TextBox(int panel, int control, int *error, ControlBinding **bindingOut = nullptr) {
  ControlBinding *binding = FindControl(panel, control, error);
  if (!binding) return nullptr;
  if (binding->kind() != ControlKind::TextBox) {
    *error = UIE_BAD_TYPE;
    return nullptr;
  }
  if (bindingOut) *bindingOut = binding;
  return static_cast<QPlainTextEdit *>(binding->widget());
}

// An empty box has no lines; otherwise every line break starts one.
QStringList Lines(const QPlainTextEdit *box) {
  const QString text = box->toPlainText();
  if (text.isEmpty()) return QStringList();
  return text.split(QLatin1Char('\n'));
}

void SetLines(QPlainTextEdit *box, const QStringList &lines) {
  QSignalBlocker block(box);
  box->setPlainText(lines.join(QLatin1Char('\n')));
}

// Bitmaps named relative to the working directory first, then to the
// program's folder or its installed data folder.
QString ResolveImage(const QString &name) {
  QFileInfo given(name);
  if (given.isAbsolute()) return given.absoluteFilePath();
  QFileInfo inWorkingDir(QDir::current(), name);
  if (inWorkingDir.isFile()) return inWorkingDir.absoluteFilePath();
  const QString programFile = FindProgramFile(name);
  if (!programFile.isEmpty()) return programFile;
  return QFileInfo(QDir(QCoreApplication::applicationDirPath()), name).absoluteFilePath();
}

}  // namespace

int NewCtrl(int panel, int style, const char *label, int top, int left) {
  PanelRecord *record = FindPanel(panel);
  if (!record) return UIE_BAD_PANEL;
  if (style != CTRL_TEXT_MSG) return UIE_BAD_VALUE;
  int id = 1;
  for (auto it = record->controls.constBegin(); it != record->controls.constEnd(); ++it)
    if (it.key() >= id) id = it.key() + 1;

  auto *text = new QLabel(record->widget);
  text->setTextFormat(Qt::PlainText);
  auto *binding = new ControlBinding(text, panel, id, ControlKind::TextMessage, ValueType::String, nullptr);
  binding->autoSize = true;
  text->move(left, top);
  SetLabelText(binding, DecodeText(label ? label : ""));
  text->show();
  record->controls.insert(id, binding);
  record->createdTextMessages.append(id);
  return id;
}

int DisplayImageFile(int panel, int control, const char *path) {
  int error;
  ControlBinding *binding = FindControl(panel, control, &error);
  if (!binding) return error;
  if (binding->kind() != ControlKind::TextMessage) return UIE_BAD_TYPE;
  if (!path || !*path) return UIE_BAD_VALUE;
  auto *picture = static_cast<QLabel *>(binding->widget());
  QPixmap image;
  if (!image.load(ResolveImage(QFile::decodeName(path)))) {
    picture->clear();
    return UIE_FILE;
  }
  picture->setPixmap(image);
  picture->resize(image.size());
  return UIE_NO_ERROR;
}

int ResetTextBox(int panel, int control, const char *text) {
  int error;
  ControlBinding *binding = nullptr;
  QPlainTextEdit *box = TextBox(panel, control, &error, &binding);
  if (!box) return error;
  if (!text) return UIE_BAD_VALUE;
  QSignalBlocker block(box);
  box->setPlainText(DecodeControlText(binding, text));
  return UIE_NO_ERROR;
}

int ReplaceTextBoxLine(int panel, int control, int line, const char *text) {
  int error;
  ControlBinding *binding = nullptr;
  QPlainTextEdit *box = TextBox(panel, control, &error, &binding);
  if (!box) return error;
  if (!text || line < 0 || line > 100000) return UIE_BAD_VALUE;
  QStringList lines = Lines(box);
  while (lines.size() <= line) lines.append(QString());
  lines[line] = DecodeControlText(binding, text);
  SetLines(box, lines);
  return UIE_NO_ERROR;
}

int GetTextBoxLine(int panel, int control, int line, char *buffer, size_t bufferSize) {
  int error;
  ControlBinding *binding = nullptr;
  QPlainTextEdit *box = TextBox(panel, control, &error, &binding);
  if (!box) return error;
  if (!buffer || bufferSize == 0) return UIE_BAD_VALUE;
  const QStringList lines = Lines(box);
  if (line < 0 || line >= lines.size()) {
    buffer[0] = '\0';
    return UIE_BAD_VALUE;
  }
  EncodeControlTextInto(binding, lines[line], buffer, bufferSize);
  return UIE_NO_ERROR;
}

int GetNumTextBoxLines(int panel, int control, int *count) {
  int error;
  QPlainTextEdit *box = TextBox(panel, control, &error);
  if (!box) return error;
  if (!count) return UIE_BAD_VALUE;
  *count = Lines(box).size();
  return UIE_NO_ERROR;
}
