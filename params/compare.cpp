// Compare parameters: the storage target read without taking it, compared
// field by field with what the panels show, the differences listed in the
// compare pop-up, from where the target's values may be taken into the
// panels. The read-back of a verified Send is listed there as well.
#include <cstdio>
#include <cstring>

#include "app/controls.h"
#include "app/globals.h"
#include "app/status.h"
#include "link/com232.h"
#include "params/params.h"
#include "runtime/userint/userint.h"

namespace {

enum { VALUE_SIZE = 48, LINE_SIZE = 192, COLUMN_GAP = 3 };

// The target's set of the last listing, which "Take" loads.
ParameterSet g_listedSet;
int g_listedSource = TARGET_RAM;

const char *TargetColumn(int source) {
  switch (source) {
    case TARGET_EEPROM: return "Sensor's EEPROM";
    case TARGET_FILE: return "File";
    default: return "Sensor's RAM";
  }
}

int Widest(const char (*texts)[VALUE_SIZE], int count, const char *heading) {
  int widest = static_cast<int>(std::strlen(heading));
  for (int i = 0; i < count; ++i) {
    const int length = static_cast<int>(std::strlen(texts[i]));
    if (length > widest) widest = length;
  }
  return widest;
}

void ListLine(int line, const char *label, int labelWidth, const char *ours, int oursWidth,
              const char *theirs) {
  char text[LINE_SIZE];
  std::snprintf(text, sizeof text, "%-*s%-*s%s", labelWidth + COLUMN_GAP, label,
                oursWidth + COLUMN_GAP, ours, theirs);
  ReplaceTextBoxLine(pCompare, COMPARE_LIST, line, text);
}

}  // namespace

const char *TargetDescription(int source) {
  switch (source) {
    case TARGET_EEPROM: return "the sensor's EEPROM";
    case TARGET_FILE: return "the file";
    default: return "the sensor's RAM";
  }
}

void ShowDifferences(const ParameterSet &ours, const ParameterSet &theirs, int source,
                     bool afterSend) {
  int fields[PARAMETER_FIELDS];
  const int count = DiffParameterSets(ours, theirs, fields);
  char labels[PARAMETER_FIELDS][VALUE_SIZE];
  char oursShown[PARAMETER_FIELDS][VALUE_SIZE], theirsShown[PARAMETER_FIELDS][VALUE_SIZE];
  for (int i = 0; i < count; ++i) {
    const ParameterField &field = *ParameterFieldAt(fields[i]);
    const uint32_t a = ParameterFieldValue(ours, field), b = ParameterFieldValue(theirs, field);
    FieldLabelOnPanels(field, labels[i], sizeof labels[i]);
    FieldValueAsShown(field, a, oursShown[i], sizeof oursShown[i]);
    FieldValueAsShown(field, b, theirsShown[i], sizeof theirsShown[i]);
    // Two values the field shows alike (a factor beyond what six decimals
    // or a float tell apart) still differ: their words say how.
    if (std::strcmp(oursShown[i], theirsShown[i]) == 0) {
      char word[24];
      std::snprintf(word, sizeof word, " (%lu)", static_cast<unsigned long>(a));
      std::strncat(oursShown[i], word, sizeof oursShown[i] - std::strlen(oursShown[i]) - 1);
      std::snprintf(word, sizeof word, " (%lu)", static_cast<unsigned long>(b));
      std::strncat(theirsShown[i], word, sizeof theirsShown[i] - std::strlen(theirsShown[i]) - 1);
    }
  }
  const char *oursHeading = afterSend ? "Sent" : "Panels";
  const char *theirsHeading = TargetColumn(source);
  const int labelWidth = Widest(labels, count, "Field");
  const int oursWidth = Widest(oursShown, count, oursHeading);

  char heading[LINE_SIZE];
  std::snprintf(heading, sizeof heading, "%s%d %s of %s %s from %s", afterSend ? "Read back: " : "",
                count, count == 1 ? "field" : "fields", TargetDescription(source),
                count == 1 ? "differs" : "differ", afterSend ? "what was sent" : "the panels");
  SetCtrlVal(pCompare, COMPARE_HEADING, heading);
  ResetTextBox(pCompare, COMPARE_LIST, "");
  ListLine(0, "Field", labelWidth, oursHeading, oursWidth, theirsHeading);
  const int theirsWidth = Widest(theirsShown, count, theirsHeading);
  char rule[LINE_SIZE];
  const int ruleLength = labelWidth + oursWidth + 2 * COLUMN_GAP + theirsWidth;
  std::memset(rule, '-', sizeof rule);
  rule[ruleLength < LINE_SIZE ? ruleLength : LINE_SIZE - 1] = '\0';
  ReplaceTextBoxLine(pCompare, COMPARE_LIST, 1, rule);
  for (int i = 0; i < count; ++i)
    ListLine(i + 2, labels[i], labelWidth, oursShown[i], oursWidth, theirsShown[i]);

  SetCtrlAttribute(pCompare, COMPARE_BTNTAKE, ATTR_LABEL_TEXT,
                   source == TARGET_FILE ? "&Take the file's values" : "&Take the sensor's values");
  g_listedSet = theirs;
  g_listedSource = source;
  DisplayPanel(pCompare);
}

int CC_BTNCompare(int panel, int control, int event, void *callbackData, int eventData1,
                  int eventData2) {
  (void)panel, (void)control, (void)callbackData, (void)eventData1, (void)eventData2;
  if (event != EVENT_COMMIT || ExchangeWaiting()) return 0;
  // A running loop awaits the replies to its own requests on the same line.
  if (stop_flag == 0) {
    SetStatus("Stop run, video or recording first - nothing compared");
    ShowStatus();
    return 0;
  }
  // A listing of an earlier comparison would stand for this one.
  HidePanel(pCompare);
  const int source = target;
  ParameterSet theirs;
  if (source == TARGET_FILE) {
    char chosen[PATH_BUFFER_SIZE];
    if (!ChooseAndReadParameterFile(&theirs, chosen, sizeof chosen)) {
      ShowStatus();
      return 0;
    }
  } else if (LineLost()) {
    ShowLineLost();
    return 0;
  } else if (!ReadTargetParameterSet(source, &theirs)) {
    ShowStatus();
    return 0;
  }

  // What the panels show now, as a Send would take it.
  const ParameterSet ours = PanelParameterSet();
  int fields[PARAMETER_FIELDS];
  const int count = DiffParameterSets(ours, theirs, fields);
  char text[STATUS_TEXT_SIZE];
  if (count == 0)
    std::snprintf(text, sizeof text, "Compare: no difference from %s", TargetDescription(source));
  else
    std::snprintf(text, sizeof text, "Compare: %d %s from %s", count,
                  count == 1 ? "field differs" : "fields differ", TargetDescription(source));
  SetStatus(text);
  ShowStatus();
  if (count > 0) ShowDifferences(ours, theirs, source, false);
  return 0;
}

int CC_BTNCompareTake(int panel, int control, int event, void *callbackData, int eventData1,
                      int eventData2) {
  (void)panel, (void)control, (void)callbackData, (void)eventData1, (void)eventData2;
  if (event != EVENT_COMMIT || ExchangeWaiting()) return 0;
  // As a Get: the whole set into the record, then shown.
  StoreParameterSet(g_listedSet);
  ShowRecordOnPanels();
  HidePanel(pCompare);
  char text[STATUS_TEXT_SIZE];
  std::snprintf(text, sizeof text, "Values of %s taken into the panels",
                TargetDescription(g_listedSource));
  SetStatus(text);
  ShowStatus();
  return 0;
}

int CC_BTNCompareClose(int panel, int control, int event, void *callbackData, int eventData1,
                       int eventData2) {
  (void)panel, (void)control, (void)callbackData, (void)eventData1, (void)eventData2;
  if (event == EVENT_COMMIT) HidePanel(pCompare);
  return 0;
}

int CC_COMPARE(int panel, int event, void *callbackData, int eventData1, int eventData2) {
  (void)callbackData, (void)eventData1, (void)eventData2;
  if (event == EVENT_CLOSE) HidePanel(panel);
  return 0;
}
