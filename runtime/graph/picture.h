// Internal to the run-time layer: a picture of a graph as it is shown, with
// a caption line above it, for "Save picture…". The graph is recorded the
// moment the operator asks (it may change while the file dialog is open) and
// written later as PNG, SVG or PDF.
#ifndef KVOR_RUNTIME_GRAPH_PICTURE_H
#define KVOR_RUNTIME_GRAPH_PICTURE_H

#include <QPicture>
#include <QString>

class QCustomPlot;

namespace uilayer {

enum class PictureFormat { Png, Svg, Pdf };

struct GraphPicture {
  QPicture plot;             // the graph's drawing, in its on-screen pixels
  int width = 0, height = 0; // the graph's on-screen size, wider where the caption needs it
  double pixelRatio = 1.0;   // device pixels per on-screen pixel
  QString caption;
};

// Records the graph at its on-screen size (at least as wide as the caption).
GraphPicture RecordGraph(QCustomPlot *plot, const QString &caption);

// The caption's strip above the graph, in on-screen pixels.
int CaptionHeight();

// Writes the picture through a temporary file that replaces path only once
// it is complete: a failed write leaves no file behind (and an existing one
// as it was). False when it could not be written.
bool WriteGraphPicture(const GraphPicture &picture, PictureFormat format, const QString &path);

}  // namespace uilayer

#endif
