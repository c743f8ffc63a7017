// What a frame on the line says, in a few words, for the wire trace: the
// command's name and number, its argument, a reply's sync word, and what does
// not fit the protocol ("bad sync", "short frame"). The names of the commands
// live here, beside the codes in protocol.h; the serial layer that writes the
// trace knows nothing of the protocol and is handed this routine.
#ifndef KVOR_LINK_FRAME_SUMMARY_H
#define KVOR_LINK_FRAME_SUMMARY_H

#include <cstddef>
#include <cstdint>

// "CMD_ECHO" for 5; nullptr for a code that is no command.
const char *CommandName(uint16_t code);

// A ComTraceSummaryPtr (runtime/rs232/com_trace.h). direction TRACE_TX: a
// command frame; TRACE_RX: a reply, read in the light of lastSent (the last
// command frame sent on the port, lastSentCount 0 for none): the firmware
// text after CMD_GET_VERSION, a sample block after CMD_READ_BLOCK, else a
// reply frame. Writes at most size bytes with the NUL into out.
void DescribeFRAME(int direction, const unsigned char *bytes, int count,
                   const unsigned char *lastSent, int lastSentCount, char *out, size_t size);

#endif
