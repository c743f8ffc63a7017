// What the operator would see, read back from the widgets and the graphs'
// records.
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>

#include "runtime/graph/control.h"
#include "runtime/graph/strip_chart.h"
#include "runtime/userint/colors.h"
#include "runtime/userint/control_binding.h"
#include "runtime/userint/file_dialog.h"
#include "runtime/userint/panel_registry.h"
#include "runtime/userint/text_helpers.h"
#include "runtime/rs232/ports.h"
#include "runtime/testkit/testkit.h"

using namespace uilayer;

namespace testkit {
namespace {

template <typename Control>
Control *Find(int panel, int control) {
  int error;
  ControlBinding *binding = FindControl(panel, control, &error);
  return binding ? qobject_cast<Control *>(binding->widget()) : nullptr;
}

std::vector<double> ToStd(const QVector<double> &v) { return std::vector<double>(v.begin(), v.end()); }

}  // namespace

void QueueFileSelectAnswer(int result, const std::string &path) {
  uilayer::QueueFileSelectAnswer(result, QString::fromStdString(path));
}

std::vector<FileSelectCall> FileSelectCalls() {
  std::vector<FileSelectCall> calls;
  for (const FileSelectRecord &r : FileSelectRecords())
    calls.push_back({r.directory.toStdString(), r.defaultName.toStdString(), r.filter.toStdString(),
                     r.title.toStdString(), r.buttonLabel, r.defaultSuffix.toStdString()});
  return calls;
}

void ClearFileSelectCalls() { ClearFileSelectRecords(); }

int GraphRedraws(int panel, int control) {
  if (GraphControl *graph = Find<GraphControl>(panel, control)) return graph->redraws();
  if (StripChartControl *chart = Find<StripChartControl>(panel, control)) return chart->redraws();
  return -1;
}

namespace {
struct LoggedText {
  const ControlBinding *binding;
  std::string text;
};
std::vector<LoggedText> &Log() {
  static std::vector<LoggedText> log;
  return log;
}
void NoteText(const ControlBinding *binding, const QString &text) {
  Log().push_back({binding, text.toStdString()});
}
}  // namespace

void StartTextLog() {
  Log().clear();
  SetTextShownObserver(NoteText);
}

std::vector<std::string> TextLog(int panel, int control) {
  int error;
  const ControlBinding *binding = FindControl(panel, control, &error);
  std::vector<std::string> texts;
  for (const LoggedText &entry : Log()) {
    if (entry.binding != binding) continue;
    if (texts.empty() || texts.back() != entry.text) texts.push_back(entry.text);
  }
  return texts;
}

void StopTextLog() { SetTextShownObserver(nullptr); }

namespace {
std::vector<Write> &Writes() {
  static std::vector<Write> writes;
  return writes;
}
void NoteWrite(int port, double time, const char *bytes, int count) {
  Writes().push_back({port, time, std::vector<unsigned char>(bytes, bytes + count)});
}
}  // namespace

void StartWriteLog() {
  Writes().clear();
  rs232::SetWriteObserver(NoteWrite);
}

std::vector<Write> WriteLog() { return Writes(); }

void StopWriteLog() { rs232::SetWriteObserver(nullptr); }

std::vector<Plot> GraphPlots(int panel, int control) {
  std::vector<Plot> out;
  GraphControl *graph = Find<GraphControl>(panel, control);
  if (!graph) return out;
  for (const GraphPlotRecord &r : graph->plots()) {
    Plot p;
    p.handle = r.handle;
    p.kind = r.isRectangle ? Plot::Rectangle : Plot::XY;
    p.x = ToStd(r.x);
    p.y = ToStd(r.y);
    p.x1 = r.x1;
    p.y1 = r.y1;
    p.x2 = r.x2;
    p.y2 = r.y2;
    p.color = r.color;
    p.fillColor = r.fillColor;
    p.plotStyle = r.plotStyle;
    p.pointStyle = r.pointStyle;
    p.lineStyle = r.lineStyle;
    p.pointFrequency = r.pointFrequency;
    out.push_back(p);
  }
  return out;
}

Cursor GraphCursor(int panel, int control, int cursorNumber) {
  Cursor out;
  GraphControl *graph = Find<GraphControl>(panel, control);
  GraphCursorRecord record;
  if (!graph || !graph->cursorRecord(cursorNumber, &record)) return out;
  out.x = record.x;
  out.y = record.y;
  out.pointStyle = record.pointStyle;
  out.exists = true;
  return out;
}

AxisRange GraphAxis(int panel, int control, int axis) {
  AxisRange out;
  GraphAxisRecord record;
  if (GraphControl *graph = Find<GraphControl>(panel, control)) {
    if (!graph->axisRecord(axis, &record)) return out;
  } else if (StripChartControl *chart = Find<StripChartControl>(panel, control)) {
    if (axis == VAL_LEFT_YAXIS) {
      record = chart->valueAxis();
    } else if (axis == VAL_BOTTOM_XAXIS) {
      record.min = 0;
      record.max = chart->pointsPerScreen() - 1;
    } else {
      return out;
    }
  } else {
    return out;
  }
  out.min = record.min;
  out.max = record.max;
  out.mode = record.mode;
  return out;
}

std::vector<double> StripChartTrace(int panel, int control, int trace) {
  StripChartControl *chart = Find<StripChartControl>(panel, control);
  return chart ? ToStd(chart->traceValues(trace)) : std::vector<double>();
}

int StripChartTraceColor(int panel, int control, int trace) {
  StripChartControl *chart = Find<StripChartControl>(panel, control);
  return chart ? chart->traceColor(trace) : UIE_BAD_CONTROL;
}

int StripChartPointsPerScreen(int panel, int control) {
  StripChartControl *chart = Find<StripChartControl>(panel, control);
  return chart ? chart->pointsPerScreen() : UIE_BAD_CONTROL;
}

bool IsVisible(int panel, int control) {
  QWidget *w = Find<QWidget>(panel, control);
  return w && OwnVisibleFlag(w);
}

bool IsPanelVisible(int panel) {
  QWidget *w = FindPanelShell(panel);
  return w && OwnVisibleFlag(w);
}

bool IsDimmed(int panel, int control) {
  QWidget *w = Find<QWidget>(panel, control);
  return w && OwnDimmedFlag(w);
}

bool IsRingListOpen(int panel, int control) {
  QComboBox *ring = Find<QComboBox>(panel, control);
  return ring && ring->view()->isVisible();
}

std::string Text(int panel, int control) {
  QWidget *w = Find<QWidget>(panel, control);
  if (!w) return std::string();
  QString text;
  if (auto *spin = qobject_cast<QAbstractSpinBox *>(w)) text = spin->text();
  else if (auto *edit = qobject_cast<QLineEdit *>(w)) text = edit->text();
  else if (auto *box = qobject_cast<QPlainTextEdit *>(w)) text = box->toPlainText();
  else if (auto *label = qobject_cast<QLabel *>(w)) text = label->text();
  else if (auto *combo = qobject_cast<QComboBox *>(w)) text = combo->currentText();
  else if (auto *button = qobject_cast<QAbstractButton *>(w)) text = button->text();
  return text.toStdString();
}

std::vector<RingItem> RingItems(int panel, int control) {
  std::vector<RingItem> items;
  auto *combo = Find<QComboBox>(panel, control);
  if (!combo) return items;
  for (int i = 0; i < combo->count(); ++i)
    items.push_back({combo->itemText(i).toStdString(),
                     combo->itemData(i, Qt::ToolTipRole).toString().toStdString()});
  return items;
}

int ChildControlCount(int panel) {
  PanelRecord *record = FindPanel(panel);
  if (!record) return UIE_BAD_PANEL;
  int count = 0;
  for (const auto &binding : record->controls)
    if (!binding.isNull()) ++count;
  return count;
}

std::vector<TextMsg> CreatedTextMessages(int panel) {
  std::vector<TextMsg> out;
  PanelRecord *record = FindPanel(panel);
  if (!record) return out;
  for (int id : record->createdTextMessages) {
    QLabel *label = Find<QLabel>(panel, id);
    if (!label) continue;
    TextMsg msg;
    msg.text = label->text().toStdString();
    msg.top = label->y();
    msg.left = label->x();
    msg.pointSize = label->font().pointSize();
    msg.color = FromQColor(label->palette().color(QPalette::Active, QPalette::WindowText));
    msg.bgColor = FromQColor(label->palette().color(QPalette::Active, QPalette::Window));
    out.push_back(msg);
  }
  return out;
}

bool SaveScreenshot(int panel, const std::string &path) {
  QWidget *w = FindPanelWidget(panel);
  if (!w) return false;
  // Pending graph changes are drawn first, so the picture is current.
  for (GraphControl *graph : w->findChildren<GraphControl *>()) graph->flushRedraw();
  for (StripChartControl *chart : w->findChildren<StripChartControl *>()) chart->flushRedraw();
  return w->grab().save(QString::fromStdString(path), "PNG");
}

}  // namespace testkit
