// Watches the graphs of a panel while the program runs, without changing
// what they do: how often each one is redrawn (QCustomPlot's replot, which
// renders the plot into its buffer), how long each redraw takes, and how
// often Qt paints the widget on screen.
#ifndef KVOR_BENCH_REPLOT_WATCH_H
#define KVOR_BENCH_REPLOT_WATCH_H

#include <QObject>
#include <QPointer>

#include <map>
#include <vector>

class QCustomPlot;

namespace bench {

class ReplotWatch : public QObject {
 public:
  // Watches every graph and strip chart of the panel, by control id. The
  // panel may be discarded first; its graphs are then simply no longer seen.
  explicit ReplotWatch(int panel);
  ~ReplotWatch() override;

  struct GraphRecord {
    QPointer<QCustomPlot> plot;
    std::vector<double> replotMs;  // one entry per replot
    int paints = 0;
    double replotStart = 0;
  };
  std::vector<int> Controls() const;
  const GraphRecord &Record(int control) const { return graphs_.at(control); }
  void Clear();
  // Replots and paints since the last Clear, of the controls given.
  int Replots(const std::vector<int> &controls) const;
  int Paints(const std::vector<int> &controls) const;
  std::vector<double> ReplotTimes(const std::vector<int> &controls) const;

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

 private:
  std::map<int, GraphRecord> graphs_;
};

}  // namespace bench

#endif
