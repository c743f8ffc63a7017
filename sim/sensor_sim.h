// A simulated line sensor: it serves the far end of a pseudo-terminal, a
// real serial device or a line inside the process on a thread of its own and answers the sensor's serial
// protocol as a real sensor would. It shares no code with the program: its
// frame encoding is its own, so a fault in the program's encoder is not
// mirrored by the peer that tests it.
#ifndef KVOR_SIM_SENSOR_SIM_H
#define KVOR_SIM_SENSOR_SIM_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kvorsim {

class InProcessLine;

// What the sensor says it is (the hardware-information reply and the
// firmware text).
struct Identity {
  uint16_t ccdType = 20;          // 20, 202 or anything else
  uint16_t ccdMaxPixel = 1024;
  uint16_t ccdResolution = 2;
  uint16_t pcbType = 0;           // 0: firmware text as 36 words, else 72 bytes
  uint16_t ccdVirtPixel = 4096;
  uint16_t ccdSubPixel = 4;
  uint16_t ccdPixB = 0;
  uint16_t ccdPixE = 1023;
  uint16_t softVersion = 301;
  uint16_t hardwareType = 80;     // word 11 of the reply
  uint16_t adcFullScale = 256;    // 256 or 1024: the video samples' full scale (word 12)
  std::string firmwareText = "K-VOR firmware V3.01 (simulated)";
  // Board type 0: the high byte of each of the 36 words, which carries no
  // character; empty: 0x20 in every second word that holds one.
  std::vector<uint8_t> firmwareHighBytes;
};

// The identity of a sensor with the given CCD: 20 is the 1024-pixel line
// (4096 virtual pixels, hardware type 80), 202 the 256-pixel line (1024
// virtual pixels); any other type keeps the 1024-pixel geometry.
Identity identityForCcdType(uint16_t ccdType);

// One parameter frame: 15 words as they travel.
using ParamFrame = std::vector<uint16_t>;

// The parameter frames a sensor leaves the factory with (RAM and EEPROM
// both start from them): the settings the program also starts from, except
// that the set-points (teachA, teachB) sit on the edges the sensor sees at
// power-up and the set-point in micrometres matches teachA, so a program that
// reads them shows something of this sensor rather than its own start values.
ParamFrame factoryFrame(int frame, const Identity &id);
// The edge positions (virtual pixels) the sensor sees at power-up.
double powerUpEdge(int channel, const Identity &id);  // channel 1 = A, 0 = B

// What the sensor measures right now (the value frame of a raw-values reply).
struct Measurement {
  uint16_t aval = 0, bval = 0, mvalue = 0;
  int32_t umValue = 0;
  uint16_t tolup = 0, tollo = 0, edcntA = 0, edcntB = 0, tValA = 0, tValB = 0;
  uint16_t anaMax = 0, anaMin = 0, raw13 = 0, raw14 = 0, raw15 = 0;
};

// A frame the sensor received, with the time it was complete.
struct ReceivedFrame {
  double time = 0;                // seconds on the monotonic clock (monotonicSeconds)
  std::vector<uint8_t> bytes;     // the 36 bytes
  uint16_t sync() const;
  uint16_t command() const;
  uint16_t argument() const;
  uint16_t dataWord(int i) const; // i = 0..14
};

struct Options {
  Identity identity;
  bool paced = false;             // write replies at baud (10 bit times a byte)
  int baud = 19200;
  uint32_t seed = 1;              // the motion's random numbers
  bool moving = true;             // false: the measurement stays as set
};

// Seconds on the clock that time stamps received frames (the steady clock:
// CLOCK_MONOTONIC on Linux).
double monotonicSeconds();

// Whether this system has pseudo-terminals for start() (not Windows: there a
// sensor serves a COM port or the in-process line).
bool havePseudoTerminals();

class SensorSim {
 public:
  explicit SensorSim(const Options &options = Options());
  ~SensorSim();
  SensorSim(const SensorSim &) = delete;
  SensorSim &operator=(const SensorSim &) = delete;

  // Opens a pseudo-terminal and starts serving its master side. The device
  // path to give to the program is devicePath().
  bool start();
  // Serves a real serial device instead (bench tests with a null-modem cable;
  // COMn on Windows).
  bool startOnDevice(const std::string &path);
  // Serves a line inside this process instead (where there are no
  // pseudo-terminals): the program opens it by the name, which devicePath()
  // then gives. An empty name registers nothing: the line is had from
  // inProcessLine() alone. False when a running sensor has the name already.
  bool startInProcess(const std::string &name = "simulated");
  // The program's end of the in-process line of the last startInProcess(),
  // also once the sensor has stopped; nullptr for any other line.
  std::shared_ptr<InProcessLine> inProcessLine() const;
  void stop();
  bool running() const;
  // Writes a wire trace of the sensor's side into path from the next start()
  // on (an existing file is emptied). Only while it is not running; false
  // with the reason in error when the file cannot be written.
  bool openTrace(const std::string &path, std::string *error);
  std::string devicePath() const;
  std::string lastError() const;

  // ---- Identity, state and measurement (thread-safe) ----
  void setIdentity(const Identity &id);
  Identity identity() const;
  ParamFrame ram(int frame) const;
  ParamFrame eeprom(int frame) const;
  void setRam(int frame, const ParamFrame &words);
  void setEeprom(int frame, const ParamFrame &words);
  void setMoving(bool moving);
  // Fixes the measurement the next raw-values replies carry (stops the motion).
  // The value frame then goes out exactly as given; only a max/min reset
  // changes its anaMax and anaMin.
  void setMeasurement(const Measurement &m);
  Measurement measurement() const;
  // Edge positions in virtual pixels (the motion starts from here). Lets go
  // of a measurement fixed by setMeasurement.
  void setEdges(double edgeA, double edgeB);
  // The video line the next block replies carry, 128 samples per channel.
  std::vector<uint16_t> videoLine(int channel) const;  // channel 1 = A, 0 = B
  // Replaces the generated line of a channel; an empty vector goes back to it.
  void setVideoLine(int channel, const std::vector<uint16_t> &samples);
  // Pacing can be switched while it runs as well.
  void setPacing(bool paced, int baud = 19200);

  // ---- Faults, each switchable while it runs ----
  void setMute(bool on);                // answers nothing
  void setWrongSync(bool on);           // replies begin with 0x0055 instead of 0x00AA
  void setLengthDelta(int bytes);       // replies this many bytes shorter (<0) or longer (>0)
  void setReplyDelayMs(int ms);         // waits before each reply
  void setGarbage(int bytes);           // sends this many random bytes before each reply
  void setDropEvery(int n);             // drops every n-th reply (0: none)
  void setMuteCommands(const std::vector<int> &commands);  // never answers these commands
  void setEchoOverride(int command);    // replies carry this command word (-1: the real echo)
  // Writes are acknowledged but this parameter word (0-14 frame 0, 15-29
  // frame 1) is stored one higher than sent (-1: none).
  void setCorruptedWord(int word);
  // Limits the faults that shape a reply (all but mute) to these commands; empty: all.
  void setFaultCommands(const std::vector<int> &commands);
  // Closes its end of the line (the program's end then sees a hang-up) and
  // stops serving. Returns once the line is closed.
  void hangUp();
  // Hangs up by itself once it holds this many received frames (0: never),
  // after answering the last of them: an adapter pulled in the middle of a
  // transfer, at a frame the test chooses rather than at a moment it races.
  void setHangUpAfterFrames(int frames);

  // ---- What it received ----
  // The frames in the order they arrived; a session that runs for hours keeps
  // the most recent 90 000 to 100 000 of them.
  std::vector<ReceivedFrame> received() const;
  void clearReceived();
  // Waits (up to timeoutSeconds) until at least n frames have been received;
  // a frame counts when it is complete, before the sensor acts on it, so a
  // test that looks at RAM or EEPROM next waits for waitUntilAnswered too.
  bool waitForFrames(size_t n, double timeoutSeconds) const;
  int repliesSent() const;
  // Waits (up to timeoutSeconds) until every frame received so far has been
  // dealt with: its reply fully written, or dropped or withheld by a fault.
  bool waitUntilAnswered(double timeoutSeconds) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> d;
};

// The protocol, as the sensor's side writes it down.
namespace proto {
constexpr uint16_t kSyncCommand = 0x0055;
constexpr uint16_t kSyncReply = 0x00AA;
constexpr int kFrameBytes = 36;
constexpr int kFrameDataWords = 15;
constexpr int kFirmwareBytes = 72;
constexpr int kBlockBytes = 128;
constexpr int kVideoSamples = 128;
enum Command : uint16_t {
  WriteRam = 1, ReadRam = 2, WriteEeprom = 3, ReadEeprom = 4, Echo = 5, Teach = 6,
  GetVersion = 7, GetRaw = 8, ReadBlock = 9, GetHardware = 10, ResetMaxMin = 11,
};
}  // namespace proto

}  // namespace kvorsim

#endif
