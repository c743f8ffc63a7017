// Installing the receive callback and the com-lost callback.
#include "runtime/rs232/rs232.h"
#include "runtime/rs232/ports.h"

using rs232::Slot;

int InstallComCallback(int port, int eventMask, int notifyCount, int eventCharacter,
                       ComCallbackPtr fn, void *callbackData) {
  if (!rs232::IsPortNumber(port) || notifyCount < 0 || eventCharacter < 0 || eventCharacter > 255)
    return RS_INVALID_PARAMETER;
  rs232::PortSlot &slot = Slot(port);
  if (!rs232::IsUsable(slot)) return RS_PORT_NOT_OPEN;
  if (fn != nullptr && (eventMask & LWRS_RECEIVE) != 0 && notifyCount == 0)
    return RS_INVALID_PARAMETER;  // a notification for no bytes at all would fire forever

  slot.callback = fn;
  slot.callbackData = callbackData;
  slot.eventMask = eventMask;
  slot.notifyCount = notifyCount;
  if (fn == nullptr) {
    // Detached: the bytes stay in the input queue for ComRd.
    slot.armed = false;
    return 0;
  }
  // Bytes already waiting count as new for the new callback.
  slot.armed = true;
  rs232::PostReceiveCheck(port);
  return 0;
}

int InstallComLostCallback(ComLostCallbackPtr fn) {
  rs232::LostCallback() = fn;
  return 0;
}
