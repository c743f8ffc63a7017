// Verify after sending: the operator's choice, kept for the next start, and
// the read-back of the target after the two writes of a Send.
#include <cstdio>

#include "app/controls.h"
#include "app/globals.h"
#include "app/status.h"
#include "link/com232.h"
#include "link/protocol.h"
#include "params/params.h"
#include "runtime/userint/userint.h"
#include "runtime/utility/utility.h"

namespace {

const char kVerifySetting[] = "verifyAfterSending";

}  // namespace

int VerifyAfterSendingOn(void) {
  int on = 0;
  GetCtrlVal(pHandle, MAIN_CHKVERIFY, &on);
  return on ? 1 : 0;
}

void LoadVerifySetting(void) {
  SetCtrlVal(pHandle, MAIN_CHKVERIFY, GetUserSetting(kVerifySetting, 0) ? 1 : 0);
}

int CC_CHKVerify(int panel, int control, int event, void *callbackData, int eventData1,
                 int eventData2) {
  (void)panel, (void)control, (void)callbackData, (void)eventData1, (void)eventData2;
  if (event != EVENT_VAL_CHANGED) return 0;
  // The choice holds for this session whatever becomes of the settings.
  if (SetUserSetting(kVerifySetting, VerifyAfterSendingOn()) < 0) {
    SetStatus("Verify choice not kept for the next start!");
    ShowStatus();
  }
  return 0;
}

int VerifySentParameters(void) {
  const ParameterSet sent = RecordParameterSet();
  // The sensor acknowledges each write, and a Send leaves those replies on
  // their way: let the one to frame 1 (argument word 1; the one to frame 0
  // may come first) arrive, or it and the answer to the first read could
  // reach the input queue together, where the receive callback keeps the
  // first frame only. A sensor that acknowledges nothing, or does not echo
  // the argument, costs one time-out here; the read-back takes only replies
  // to its own command in any case.
  WaitForReplyTo(parameter.command, 1);
  Sleep(TRANSFER_SPACING_MS);
  ParameterSet readBack;
  if (!ReadTargetParameterSet(target, &readBack)) {
    if (!LineLost()) SetStatus("Verify failed: Timeout-RS-232...");
    ShowStatus();
    return 0;
  }
  int fields[PARAMETER_FIELDS];
  const int count = DiffParameterSets(sent, readBack, fields);
  if (count == 0) {
    SetStatus("Parameters sent and verified");
    ShowStatus();
    return 1;
  }
  const ParameterField &first = *ParameterFieldAt(fields[0]);
  char text[STATUS_TEXT_SIZE];
  std::snprintf(text, sizeof text, "Verify failed: %s sent %lu, read %lu", first.name,
                static_cast<unsigned long>(ParameterFieldValue(sent, first)),
                static_cast<unsigned long>(ParameterFieldValue(readBack, first)));
  SetStatus(text);
  ShowStatus();
  ShowDifferences(sent, readBack, target, true);
  return 0;
}
