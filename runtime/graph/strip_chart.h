// Internal to the run-time layer: the strip chart. Values arrive in rounds,
// one per trace; each trace keeps the newest `points per screen` values and
// shows them from x = 0 (oldest) to x = points per screen - 1 (newest).
#ifndef KVOR_RUNTIME_GRAPH_STRIP_CHART_H
#define KVOR_RUNTIME_GRAPH_STRIP_CHART_H

#include <qcustomplot.h>

#include <QVector>

#include <deque>
#include <vector>

#include "runtime/graph/control.h"

namespace uilayer {

class RedrawPacer;

class StripChartControl : public QCustomPlot {
  Q_OBJECT
 public:
  static constexpr int kMaxTraces = 64;
  static constexpr int kMaxPointsPerScreen = 100000;

  explicit StripChartControl(QWidget *parent = nullptr);

  // Reads numTraces, pointsPerScreen, yMin and yMax of the panel file.
  // Returns false when one of them is malformed.
  bool configureFromProperties();
  int redraws() const;

  int numTraces() const { return static_cast<int>(traces_.size()); }
  int pointsPerScreen() const { return pointsPerScreen_; }
  bool smoothUpdate() const { return smoothUpdate_; }
  // Each returns a UIE_* code. Changing the number of traces keeps the points
  // of the traces that remain; fewer points per screen drop the oldest.
  int setNumTraces(int count);
  int setPointsPerScreen(int count);
  void setSmoothUpdate(bool on) { smoothUpdate_ = on; }

  // values.size() must be a whole number of rounds (a multiple of the number
  // of traces): value k goes to trace k % numTraces + 1.
  int appendValues(const QVector<double> &values);
  void clear();

  int setTraceColor(int trace, int rgb);
  int setTraceReference(int trace, bool reference);
  // The trace's legend text, its column in the data file.
  int setTraceName(int trace, const QString &name);
  QString traceName(int trace) const;
  int traceColor(int trace) const;
  bool traceReference(int trace) const;
  QVector<double> traceValues(int trace) const;  // oldest first

  int setValueAxis(int mode, double min, double max);
  GraphAxisRecord valueAxis();

  void flushRedraw();

 protected:
  void showEvent(QShowEvent *event) override;

 private:
  struct Trace {
    std::deque<double> values;
    int color = 0;
    bool reference = false;
    QString name;
    QCPGraph *graph = nullptr;
  };

  bool validTrace(int trace) const { return trace >= 1 && trace <= numTraces(); }
  void applyPen(Trace &trace);
  void refreshTraceData(Trace &trace);
  void applyAutoscale();
  void draw();

  std::vector<Trace> traces_;
  int pointsPerScreen_ = 100;
  bool smoothUpdate_ = false;
  int valueAxisMode_ = 0;
  RedrawPacer *pacer_;
};

}  // namespace uilayer

#endif
