#include "runtime/graph/table.h"

#include <QString>
#include <QStringList>

#include <algorithm>

#include "runtime/graph/control.h"
#include "runtime/graph/strip_chart.h"
#include "runtime/utility/utility.h"

namespace uilayer {
namespace {

// Locale-independent, exact for the integers the graphs mostly hold.
QString Number(double value) { return QString::number(value, 'g', 15); }

// A header cell: quoted when it would otherwise split or break the row.
QString Cell(const QString &text) {
  if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
      !text.contains(QLatin1Char('\n')))
    return text;
  QString quoted = text;
  quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
  return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString NameOr(const QString &name, const char *kind, int number) {
  return name.isEmpty() ? QStringLiteral("%1 %2").arg(QLatin1String(kind)).arg(number) : name;
}

void AddRow(QByteArray *csv, const QStringList &cells) {
  csv->append(cells.join(QLatin1Char(',')).toUtf8());
  csv->append(TextLineEnd());
}

}  // namespace

bool GraphTableCsv(const GraphControl &graph, QByteArray *csv) {
  csv->clear();
  QList<const GraphPlotRecord *> curves;
  for (const GraphPlotRecord &plot : graph.plots())
    if (!plot.isRectangle) curves.append(&plot);
  if (!curves.isEmpty() && !graph.dataX().isEmpty()) {
    const QVector<double> &x = curves[0]->x;
    QStringList header{Cell(graph.dataX())};
    QList<const GraphPlotRecord *> columns;
    for (int i = 0; i < curves.size(); ++i) {
      if (curves[i]->x != x) continue;
      columns.append(curves[i]);
      header << Cell(NameOr(curves[i]->name, "curve", i + 1));
    }
    AddRow(csv, header);
    for (int row = 0; row < x.size(); ++row) {
      QStringList cells{Number(x[row])};
      for (const GraphPlotRecord *curve : columns) cells << Number(curve->y[row]);
      AddRow(csv, cells);
    }
    return true;
  }
  if (!curves.isEmpty()) {
    QStringList header{QStringLiteral("sample")};
    int rows = 0;
    for (int i = 0; i < curves.size(); ++i) {
      header << Cell(NameOr(curves[i]->name, "curve", i + 1));
      rows = std::max(rows, static_cast<int>(curves[i]->y.size()));
    }
    AddRow(csv, header);
    for (int row = 0; row < rows; ++row) {
      QStringList cells{QString::number(row)};
      for (const GraphPlotRecord *curve : curves)
        cells << (row < curve->y.size() ? Number(curve->y[row]) : QString());
      AddRow(csv, cells);
    }
    return true;
  }
  if (graph.readings().isEmpty()) return false;
  AddRow(csv, {QStringLiteral("quantity"), QStringLiteral("value")});
  for (const auto &reading : graph.readings()) AddRow(csv, {Cell(reading.first), Number(reading.second)});
  return true;
}

bool StripChartTableCsv(const StripChartControl &chart, QByteArray *csv) {
  csv->clear();
  QList<QVector<double>> traces;
  int rows = 0;
  QStringList header{QStringLiteral("point")};
  for (int trace = 1; trace <= chart.numTraces(); ++trace) {
    traces.append(chart.traceValues(trace));
    rows = std::max(rows, static_cast<int>(traces.back().size()));
    header << Cell(NameOr(chart.traceName(trace), "trace", trace));
  }
  if (rows == 0) return false;
  AddRow(csv, header);
  // Every trace ends at the newest point, at the right edge of the chart.
  const int firstPoint = chart.pointsPerScreen() - rows;
  for (int row = 0; row < rows; ++row) {
    QStringList cells{QString::number(firstPoint + row)};
    for (const QVector<double> &values : traces) {
      const int index = row - (rows - static_cast<int>(values.size()));
      cells << (index >= 0 ? Number(values[index]) : QString());
    }
    AddRow(csv, cells);
  }
  return true;
}

}  // namespace uilayer
