// Internal to the run-time layer: the graph control. Plots (curves and
// rectangles) are addressed by handles and drawn in the order they were made;
// up to two cursors each draw a thin vertical line and a marker. Besides the
// QCustomPlot items, the control keeps a plain record of everything drawn so
// tests can read back what the operator sees.
#ifndef KVOR_RUNTIME_GRAPH_CONTROL_H
#define KVOR_RUNTIME_GRAPH_CONTROL_H

#include <qcustomplot.h>

#include <QList>
#include <QPair>
#include <QString>
#include <QVector>

namespace uilayer {

class RedrawPacer;

struct GraphPlotRecord {
  int handle = 0;
  bool isRectangle = false;
  QVector<double> x, y;                       // curve points
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;      // rectangle corners as given
  int color = 0, fillColor = 0;
  int plotStyle = 0, pointStyle = 0, lineStyle = 0, pointFrequency = 0;
  QString name;                               // the plot's legend text, its column in the data file
  QCPAbstractPlottable *plottable = nullptr;
  QCPItemRect *rect = nullptr;
};

struct GraphAxisRecord {
  int mode = 0;  // VAL_MANUAL or VAL_AUTOSCALE
  double min = 0, max = 0;
};

// The filled diamond that marks a cursor's point.
class CursorMarkerItem : public QCPAbstractItem {
 public:
  explicit CursorMarkerItem(QCustomPlot *plot);
  double selectTest(const QPointF &, bool, QVariant *) const override { return -1; }
  QCPItemPosition *const position;

 protected:
  void draw(QCPPainter *painter) override;
};

struct GraphCursorRecord {
  double x = 0, y = 0;
  int pointStyle = 0;
  QCPItemStraightLine *line = nullptr;
  CursorMarkerItem *marker = nullptr;
};

class GraphControl : public QCustomPlot {
  Q_OBJECT
 public:
  static constexpr int kMaxCursors = 2;

  explicit GraphControl(QWidget *parent = nullptr);

  // Reads the panel file's settings: xMin, xMax, yMin, yMax, cursors,
  // showYAxis, title, dataX. Returns false when one of them is malformed.
  bool configureFromProperties();
  int redraws() const;

  // Each returns a UIE_* code (or the new plot handle).
  int plotXY(const QVector<double> &x, const QVector<double> &y, int plotStyle, int pointStyle,
             int lineStyle, int pointFrequency, int color);
  int plotRectangle(double x1, double y1, double x2, double y2, int color, int fillColor);
  int deletePlot(int handle, int refresh);
  int setAxisScaling(int axis, int mode, double min, double max);
  int setCursor(int cursor, double x, double y);
  int setCursorPointStyle(int cursor, int style);
  int setPlotName(int handle, const QString &name);
  // Named numbers for the data file, in the order first given; a name given
  // again keeps its place. Deleting all plots removes them too.
  void setReading(const QString &name, double value);
  void clearReadings() { readings_.clear(); }
  const QList<QPair<QString, double>> &readings() const { return readings_; }
  int cursorCount() const { return cursors_.size(); }
  // The text shown above the plot area ("" for none).
  QString title() const { return title_ ? title_->text() : QString(); }
  // The heading of the x column of the data file ("" for a file without one).
  const QString &dataX() const { return dataX_; }

  // Read-back.
  const QList<GraphPlotRecord> &plots() const { return plots_; }
  bool cursorRecord(int cursor, GraphCursorRecord *out) const;
  bool axisRecord(int axis, GraphAxisRecord *out);

  // Draws the current state at once (before a screenshot).
  void flushRedraw();

 protected:
  void showEvent(QShowEvent *event) override;

 private:
  QCPAxis *axisFor(int axis) const;
  int *modeFor(int axis);
  void applyAutoscale();
  void draw();
  void removeRecord(const GraphPlotRecord &record);

  QList<GraphPlotRecord> plots_;
  QList<GraphCursorRecord> cursors_;
  QList<QPair<QString, double>> readings_;
  int nextHandle_ = 1;
  int xMode_ = 0, yMode_ = 0, y2Mode_ = 0;
  RedrawPacer *pacer_;
  QCPTextElement *title_ = nullptr;
  QString dataX_;
};

}  // namespace uilayer

#endif
