#include "runtime/userint/text_helpers.h"

#include <QByteArray>
#include <QFile>
#include <QLabel>

#include <cstring>

#include "runtime/userint/control_binding.h"

namespace uilayer {
namespace {

// Windows-1252 bytes 80..9F; the five bytes the code page leaves unassigned
// keep their C1 code points, as Windows itself maps them.
const char16_t kHighControlRange[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QChar FromCp1252(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) return QChar(kHighControlRange[byte - 0x80]);
  return QChar(static_cast<char16_t>(byte));  // the rest is Latin-1
}

char ToCp1252(QChar c) {
  const char16_t u = c.unicode();
  if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return static_cast<char>(u);
  for (int i = 0; i < 32; ++i)
    if (kHighControlRange[i] == u) return static_cast<char>(0x80 + i);
  return '?';
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
