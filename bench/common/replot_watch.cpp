#include "bench/common/replot_watch.h"

#include <QEvent>
#include <QVariant>
#include <QWidget>

#include <qcustomplot.h>

#include "sim/sensor_sim.h"
#include "runtime/userint/panel_registry.h"

namespace bench {

ReplotWatch::ReplotWatch(int panel) {
  QWidget *top = uilayer::FindPanelWidget(panel);
  if (!top) return;
  for (QCustomPlot *plot : top->findChildren<QCustomPlot *>()) {
    bool ok = false;
    const int control = plot->property("ctrlId").toInt(&ok);
    if (!ok) continue;
    GraphRecord &record = graphs_[control];
    record.plot = plot;
    GraphRecord *r = &record;  // map nodes stay where they are
    connect(plot, &QCustomPlot::beforeReplot, this,
            [r] { r->replotStart = kvorsim::monotonicSeconds(); });
    connect(plot, &QCustomPlot::afterReplot, this, [r] {
      r->replotMs.push_back((kvorsim::monotonicSeconds() - r->replotStart) * 1000.0);
    });
    plot->installEventFilter(this);
  }
}

ReplotWatch::~ReplotWatch() {
  for (auto &entry : graphs_)
    if (entry.second.plot) entry.second.plot->removeEventFilter(this);
}

std::vector<int> ReplotWatch::Controls() const {
  std::vector<int> out;
  for (const auto &entry : graphs_) out.push_back(entry.first);
  return out;
}

void ReplotWatch::Clear() {
  for (auto &entry : graphs_) {
    entry.second.replotMs.clear();
    entry.second.paints = 0;
  }
}

int ReplotWatch::Replots(const std::vector<int> &controls) const {
  int n = 0;
  for (int c : controls)
    if (graphs_.count(c)) n += static_cast<int>(graphs_.at(c).replotMs.size());
  return n;
}

int ReplotWatch::Paints(const std::vector<int> &controls) const {
  int n = 0;
  for (int c : controls)
    if (graphs_.count(c)) n += graphs_.at(c).paints;
  return n;
}

std::vector<double> ReplotWatch::ReplotTimes(const std::vector<int> &controls) const {
  std::vector<double> out;
  for (int c : controls)
    if (graphs_.count(c))
      out.insert(out.end(), graphs_.at(c).replotMs.begin(), graphs_.at(c).replotMs.end());
  return out;
}

bool ReplotWatch::eventFilter(QObject *watched, QEvent *event) {
  if (event->type() == QEvent::Paint) {
    for (auto &entry : graphs_)
      if (entry.second.plot == watched) ++entry.second.paints;
  }
  return false;
}

}  // namespace bench
