// What every fault-injection suite shares: the sensor's faults by name, a
// watchdog that turns a hung action into a failure with a message, a trail
// of the texts the status box showed, and the recorder file read back.
#ifndef KVOR_TESTS_FAULTS_FAULT_KIT_H
#define KVOR_TESTS_FAULTS_FAULT_KIT_H

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sim/sensor_sim.h"
#include "support/status_trail.h"

namespace faults {

// The reply time-out of every exchange, seconds.
constexpr double kTimeOut = 1.5;
// Room for one loop pass, the event processing and a loaded machine.
constexpr double kSlack = 0.6;

enum class Fault {
  Mute,          // answers nothing
  WrongSync,     // replies begin with 0x0055
  ShortBy5,      // replies 5 bytes short
  ShortBy30,     // replies 30 bytes short
  LongBy5,       // 5 random bytes behind every reply
  LongBy40,      // 40 random bytes behind every reply
  Garbage,       // random bytes in front of every reply
  DelayUnder,    // every reply 1.3 s late: just inside the time-out
  DelayOver,     // every reply 1.7 s late: just outside it
  DropEvery2nd,  // every 2nd reply lost
  DropEvery3rd,  // every 3rd reply lost
  HangUp,        // the device vanishes
};

// All of them, in the order above.
std::vector<Fault> AllFaults();
// A name fit for a test name ("ShortBy5").
std::string FaultName(Fault fault);

constexpr int kGarbageBytes = 7;
constexpr int kDelayUnderMs = 1300;
constexpr int kDelayOverMs = 1700;

// Switches the fault on; HangUp closes the sensor's end of the line.
void SwitchOn(kvorsim::SensorSim &sensor, Fault fault);
// Every fault off (a hung-up sensor stays gone).
void SwitchOff(kvorsim::SensorSim &sensor);

// Lets event processing run until the sensor has answered every frame it
// received since its record was cleared (repliesBefore: its reply count then),
// and a little longer, so the program has taken those replies off the line.
// Delayed replies still on their way would otherwise meet the next request.
bool PumpUntilAllAnswered(const kvorsim::SensorSim &sensor, int repliesBefore, double seconds);
// After a fault that holds replies back, lets those still on their way pass
// (see above); any other fault leaves none behind.
bool LetLateRepliesPass(const kvorsim::SensorSim &sensor, Fault fault, int repliesBefore);
// The same for every frame so far; returns the reply count to pass above
// once the record is cleared.
int SettleAndClear(kvorsim::SensorSim &sensor, double seconds = 1.0);

// Ends the process with a message when the guarded action has not returned
// in time: a hang becomes a failure that says what hung, instead of a test
// killed by its time-out.
class Deadline {
 public:
  Deadline(double seconds, std::string what);
  ~Deadline();
  Deadline(const Deadline &) = delete;
  Deadline &operator=(const Deadline &) = delete;

 private:
  std::mutex mutex_;
  std::condition_variable done_;
  bool finished_ = false;
  std::thread watcher_;
};

// The status trail lives with the other end-to-end helpers.
using support::Joined;
using support::StatusTrail;

// The recorder file read back: its two header lines and its sample lines.
struct RecorderFile {
  bool opened = false;
  std::vector<std::string> header;
  std::vector<std::string> samples;
  // Sample lines that are not six tab-separated integers.
  std::vector<std::string> malformed;
  // The last line is complete (a line end closes the file).
  bool closedByLineEnd = false;
  // The first line carries date, time and interval, the second the set-point.
  bool HeaderWellFormed(int intervalSeconds) const;
};
RecorderFile ReadRecorderFile(const std::string &path);

}  // namespace faults

#endif
