// Internal to the run-time layer: the system's colours are 0xRRGGBB ints.
#ifndef KVOR_RUNTIME_USERINT_COLORS_H
#define KVOR_RUNTIME_USERINT_COLORS_H

#include <QColor>

namespace uilayer {

inline QColor ToQColor(int rgb) {
  return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

inline int FromQColor(const QColor &color) {
  return (color.red() << 16) | (color.green() << 8) | color.blue();
}

}  // namespace uilayer

#endif
