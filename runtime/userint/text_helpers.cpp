#include "runtime/userint/text_helpers.h"

#include <QByteArray>
#include <QFile>
#include <QLabel>

#include <cstring>

#include "runtime/userint/control_binding.h"
#include "runtime/utility/code_page.h"

namespace uilayer {
namespace {

QChar FromCp1252(unsigned char byte) { return QChar(Cp1252ToUnicode(byte)); }

char ToCp1252(QChar c) {
  const int byte = UnicodeToCp1252(c.unicode());
  return byte < 0 ? '?' : static_cast<char>(byte);
}

bool HoldsPath(const ControlBinding *binding) {
  return binding != nullptr && binding->widget()->property("holdsPath").toBool();
}

// Cut at a character boundary of the file system's encoding (UTF-8 here).
size_t CutLength(const QByteArray &bytes, size_t room) {
  size_t length = room;
  while (length > 0 && (static_cast<unsigned char>(bytes[static_cast<int>(length)]) & 0xC0) == 0x80)
    --length;
  return length;
}

}  // namespace

QString DecodeText(const char *text) {
  QString decoded;
  if (!text) return decoded;
  const size_t length = std::strlen(text);
  decoded.reserve(static_cast<qsizetype>(length));
  for (size_t i = 0; i < length; ++i) decoded.append(FromCp1252(static_cast<unsigned char>(text[i])));
  return decoded;
}

QString DecodeControlText(const ControlBinding *binding, const char *text) {
  if (HoldsPath(binding)) return text ? QFile::decodeName(text) : QString();
  return DecodeText(text);
}

bool EncodeControlTextInto(const ControlBinding *binding, const QString &text, char *buffer,
                           size_t bufferSize) {
  if (!buffer || bufferSize == 0) return false;
  QByteArray bytes;
  if (HoldsPath(binding)) {
    bytes = QFile::encodeName(text);
  } else {
    bytes.reserve(text.size());
    for (QChar c : text) bytes.append(ToCp1252(c));
  }
  size_t length = static_cast<size_t>(bytes.size());
  const bool fits = length < bufferSize;
  if (!fits) length = HoldsPath(binding) ? CutLength(bytes, bufferSize - 1) : bufferSize - 1;
  std::memcpy(buffer, bytes.constData(), length);
  buffer[length] = '\0';
  return fits;
}

namespace {
TextShownObserver g_textShownObserver = nullptr;
}  // namespace

void SetTextShownObserver(TextShownObserver observer) { g_textShownObserver = observer; }

void NoteTextShown(const ControlBinding *binding, const QString &text) {
  if (g_textShownObserver) g_textShownObserver(binding, text);
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
