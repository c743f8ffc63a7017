// Internal to the run-time layer: the numbers behind a graph as a CSV text
// for "Save data…". Numbers always use '.' as decimal mark and no group
// separators, whatever the locale, so a spreadsheet anywhere reads them.
#ifndef KVOR_RUNTIME_GRAPH_TABLE_H
#define KVOR_RUNTIME_GRAPH_TABLE_H

#include <QByteArray>

namespace uilayer {

class GraphControl;
class StripChartControl;

// A graph with curves: a header row "sample,<curve>,<curve>..." and one row
// per sample (index from 0, then each curve's value). A graph with a dataX
// heading: "<dataX>,<curve>..." and one row per point of its first curve
// (that point's x, then the value of each curve with the same x values; the
// others, lines drawn over it, stay out). A graph without curves:
// its readings, "quantity,value" and one row each. Returns false, leaving csv
// empty, when there is nothing to write.
bool GraphTableCsv(const GraphControl &graph, QByteArray *csv);
// "point,<trace>,<trace>..." and one row per point shown, oldest first; the
// point is its place on the chart's x axis. False when no trace holds a point.
bool StripChartTableCsv(const StripChartControl &chart, QByteArray *csv);

}  // namespace uilayer

#endif
