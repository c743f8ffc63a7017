// A CCD video line as the sensor samples it: 128 samples across the virtual
// pixel range, a bright background that falls off gently towards both ends
// (the lens' vignetting), and the object's dark shadow from the edge to the
// end of the line, with a soft transition a few samples wide.
#ifndef KVOR_SIM_VIDEO_LINE_H
#define KVOR_SIM_VIDEO_LINE_H

#include <cstdint>
#include <vector>

namespace kvorsim {

// Sample i shows virtual pixel i x virtPixel / 128. Every sample lies in
// 0 .. fullScale - 1; the noise depends only on noiseSeed and the sample.
std::vector<uint16_t> makeVideoLine(double edge, uint16_t virtPixel, uint16_t fullScale,
                                    uint64_t noiseSeed);

}  // namespace kvorsim

#endif
