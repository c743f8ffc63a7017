// The receive callback: the run-time layer calls it from event processing
// once a whole reply frame waits in the input queue.
#include "app/globals.h"
#include "link/com232.h"
#include "link/protocol.h"
#include "runtime/rs232/rs232.h"

void RX_Receive_Function(int port, int eventWord, void *callbackData) {
  (void)port;
  (void)callbackData;
  if (!(eventWord & LWRS_RECEIVE)) return;
  const int n = ComRd(com, szReadBuf, FRAME_BYTES);
  // Anything short of a whole frame (the device vanished mid-read) is no reply.
  if (n == FRAME_BYTES) {
    graph_flag = GetRxBuf();
    rx_flag = 1;
  }
  // Bytes behind the frame belong to no request.
  FlushInQ(com);
}

void AttachReceiveCallback(void) {
  InstallComCallback(com, eventMask, RX_NOTIFY_BYTES, EVENT_CHARACTER, RX_Receive_Function,
                     nullptr);
}

void DetachReceiveCallback(void) {
  InstallComCallback(com, eventMask, RX_NOTIFY_BYTES, EVENT_CHARACTER, nullptr, nullptr);
}
