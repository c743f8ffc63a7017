// The command frame in szWriteBuf and the reply frame in szReadBuf.
#include "app/globals.h"
#include "link/com232.h"
#include "link/protocol.h"

void FillTxBuf(uint16_t command, uint16_t argument, const uint16_t *words) {
  EncodeCommandFrame(reinterpret_cast<unsigned char *>(szWriteBuf), command, argument, words);
}

int GetRxBuf(void) {
  return DecodeReplyFrame(reinterpret_cast<const unsigned char *>(szReadBuf), pp);
}
