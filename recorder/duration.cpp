// How long a recording of so many samples at so many seconds takes.
#include "app/controls.h"
#include "app/globals.h"
#include "recorder/recorder.h"
#include "runtime/userint/userint.h"

namespace {
const uint32_t kSecondsPerDay = 86400, kSecondsPerHour = 3600, kSecondsPerMinute = 60;
}

RecordingDuration SplitRecordingTime(uint16_t intervalSeconds, uint16_t samples) {
  uint32_t total = static_cast<uint32_t>(intervalSeconds) * samples;
  RecordingDuration d;
  d.days = total / kSecondsPerDay;
  total -= kSecondsPerDay * d.days;
  d.hours = total / kSecondsPerHour;
  total -= kSecondsPerHour * d.hours;
  d.minutes = total / kSecondsPerMinute;
  d.seconds = total - kSecondsPerMinute * d.minutes;
  return d;
}

void CalcRecTime(void) {
  u16 interval = 0, samples = 0;
  GetCtrlVal(panelPopUp, REC_NEDITRECTIME, &interval);
  GetCtrlVal(panelPopUp, REC_NEDITRECSAMPLES, &samples);
  SetCtrlVal(panelPopUp, REC_SAMPLE_COUNTER, 0);
  const RecordingDuration d = SplitRecordingTime(interval, samples);
  SetCtrlVal(panelPopUp, REC_DAYS, d.days);
  SetCtrlVal(panelPopUp, REC_HOURS, d.hours);
  SetCtrlVal(panelPopUp, REC_MINUTES, d.minutes);
  SetCtrlVal(panelPopUp, REC_SECONDS, d.seconds);
}

int CC_NEDITRecTime(int panel, int control, int event, void *callbackData, int eventData1,
                    int eventData2) {
  (void)panel, (void)control, (void)callbackData, (void)eventData1, (void)eventData2;
  if (event == EVENT_COMMIT) CalcRecTime();
  return 0;
}

int CC_NEDITRecSamples(int panel, int control, int event, void *callbackData, int eventData1,
                       int eventData2) {
  (void)panel, (void)control, (void)callbackData, (void)eventData1, (void)eventData2;
  if (event == EVENT_COMMIT) CalcRecTime();
  return 0;
}
