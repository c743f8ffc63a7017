#include "runtime/graph/picture.h"

#include <qcustomplot.h>

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>

namespace uilayer {
namespace {

const int kCaptionPadding = 4;

QFont CaptionFont() {
  QFont font = QApplication::font();
  font.setPointSizeF(std::max(8.0, font.pointSizeF()));
  return font;
}

// Draws the caption strip and the graph below it, in on-screen pixels.
void Paint(QPainter &painter, const GraphPicture &picture) {
  const int captionHeight = CaptionHeight();
  const QRect whole(0, 0, picture.width, captionHeight + picture.height);
  painter.fillRect(whole, Qt::white);
  painter.setPen(Qt::black);
  painter.setFont(CaptionFont());
  painter.drawText(QRect(kCaptionPadding, 0, picture.width - 2 * kCaptionPadding, captionHeight),
                   Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, picture.caption);
  painter.drawPicture(QPoint(0, captionHeight), picture.plot);
}

bool WritePng(const GraphPicture &picture, QSaveFile *file) {
  const double ratio = picture.pixelRatio > 0 ? picture.pixelRatio : 1.0;
  const QSize logical(picture.width, CaptionHeight() + picture.height);
  QImage image(QSize(static_cast<int>(std::ceil(logical.width() * ratio)),
                     static_cast<int>(std::ceil(logical.height() * ratio))),
               QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(ratio);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  Paint(painter, picture);
  painter.end();
  return image.save(file, "PNG");
}

bool WriteSvg(const GraphPicture &picture, QSaveFile *file) {
  const QSize size(picture.width, CaptionHeight() + picture.height);
  QSvgGenerator svg;
  svg.setOutputDevice(file);
  svg.setSize(size);
  svg.setViewBox(QRect(QPoint(0, 0), size));
  svg.setTitle(picture.caption);
  QPainter painter;
  if (!painter.begin(&svg)) return false;
  Paint(painter, picture);
  return painter.end();
}

// One page the size of the picture, an on-screen pixel to a point, as
// QCustomPlot's own PDF export has it.
bool WritePdf(const GraphPicture &picture, QSaveFile *file) {
  const QSize size(picture.width, CaptionHeight() + picture.height);
  QPdfWriter pdf(file);
  pdf.setTitle(picture.caption);
  pdf.setCreator(QStringLiteral("K-VOR-NE-ZevevU301"));
  pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
  pdf.setPageSize(QPageSize(QSizeF(size), QPageSize::Point, QString(), QPageSize::ExactMatch));
  QPainter painter;
  if (!painter.begin(&pdf)) return false;
  painter.setWindow(QRect(QPoint(0, 0), size));
  Paint(painter, picture);
  return painter.end();
}

}  // namespace

GraphPicture RecordGraph(QCustomPlot *plot, const QString &caption) {
  GraphPicture picture;
  // A graph narrower than its caption is drawn as wide as the caption, so
  // the caption stays one whole line.
  const int captionWidth = QFontMetrics(CaptionFont()).horizontalAdvance(caption) + 2 * kCaptionPadding;
  picture.width = std::max({1, plot->width(), captionWidth});
  picture.height = std::max(1, plot->height());
  picture.pixelRatio = plot->devicePixelRatioF();
  picture.caption = caption;
  QCPPainter painter(&picture.plot);
  plot->toPainter(&painter, picture.width, picture.height);
  painter.end();
  return picture;
}

int CaptionHeight() {
  return QFontMetrics(CaptionFont()).height() + 2 * kCaptionPadding;
}

bool WriteGraphPicture(const GraphPicture &picture, PictureFormat format, const QString &path) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  bool written = false;
  switch (format) {
    case PictureFormat::Png: written = WritePng(picture, &file); break;
    case PictureFormat::Svg: written = WriteSvg(picture, &file); break;
    case PictureFormat::Pdf: written = WritePdf(picture, &file); break;
  }
  if (!written || file.error() != QFileDevice::NoError) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

}  // namespace uilayer
