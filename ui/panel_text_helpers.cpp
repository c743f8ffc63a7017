#include "ui/panel_text_helpers.h"

#include <QLabel>

#include <cstring>

#include "ui/panel_control_binding.h"

namespace uilayer {

QString DecodeText(const char *text) {
  if (!text) return QString();
  const QByteArray bytes(text);
  QString decoded = QString::fromUtf8(bytes);
  if (decoded.contains(QChar::ReplacementCharacter) && !bytes.contains("\xEF\xBF\xBD"))
    return QString::fromLatin1(bytes);
  return decoded;
}

bool CopyBounded(const QString &text, char *buffer, size_t bufferSize) {
  if (!buffer || bufferSize == 0) return false;
  const QByteArray bytes = text.toUtf8();
  size_t length = static_cast<size_t>(bytes.size());
  const bool fits = length < bufferSize;
  if (!fits) {
    length = bufferSize - 1;
    // Step back over continuation bytes so no character is cut in half.
    while (length > 0 && (static_cast<unsigned char>(bytes[static_cast<int>(length)]) & 0xC0) == 0x80)
      --length;
  }
  std::memcpy(buffer, bytes.constData(), length);
  buffer[length] = '\0';
  return fits;
}

void SetLabelText(ControlBinding *binding, const QString &text) {
  auto *label = static_cast<QLabel *>(binding->widget());
  label->setText(text);
  FitLabelToText(binding);
}

void FitLabelToText(ControlBinding *binding) {
  if (binding->autoSize) binding->widget()->adjustSize();
}

}  // namespace uilayer
