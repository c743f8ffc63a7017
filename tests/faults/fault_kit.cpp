#include "faults/fault_kit.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <unistd.h>

#include "app/controls.h"
#include "app/globals.h"
#include "runtime/testkit/testkit.h"
#include "support/temp_dir.h"

namespace faults {

std::vector<Fault> AllFaults() {
  return {Fault::Mute,     Fault::WrongSync,  Fault::ShortBy5,     Fault::ShortBy30,
          Fault::LongBy5,  Fault::LongBy40,   Fault::Garbage,      Fault::DelayUnder,
          Fault::DelayOver, Fault::DropEvery2nd, Fault::DropEvery3rd, Fault::HangUp};
}

std::string FaultName(Fault fault) {
  switch (fault) {
    case Fault::Mute: return "Mute";
    case Fault::WrongSync: return "WrongSync";
    case Fault::ShortBy5: return "ShortBy5";
    case Fault::ShortBy30: return "ShortBy30";
    case Fault::LongBy5: return "LongBy5";
    case Fault::LongBy40: return "LongBy40";
    case Fault::Garbage: return "Garbage";
    case Fault::DelayUnder: return "DelayUnderTimeOut";
    case Fault::DelayOver: return "DelayOverTimeOut";
    case Fault::DropEvery2nd: return "DropEvery2nd";
    case Fault::DropEvery3rd: return "DropEvery3rd";
    case Fault::HangUp: return "HangUp";
  }
  return "Unknown";
}

void SwitchOn(kvorsim::SensorSim &sensor, Fault fault) {
  switch (fault) {
    case Fault::Mute: sensor.setMute(true); break;
    case Fault::WrongSync: sensor.setWrongSync(true); break;
    case Fault::ShortBy5: sensor.setLengthDelta(-5); break;
    case Fault::ShortBy30: sensor.setLengthDelta(-30); break;
    case Fault::LongBy5: sensor.setLengthDelta(5); break;
    case Fault::LongBy40: sensor.setLengthDelta(40); break;
    case Fault::Garbage: sensor.setGarbage(kGarbageBytes); break;
    case Fault::DelayUnder: sensor.setReplyDelayMs(kDelayUnderMs); break;
    case Fault::DelayOver: sensor.setReplyDelayMs(kDelayOverMs); break;
    case Fault::DropEvery2nd: sensor.setDropEvery(2); break;
    case Fault::DropEvery3rd: sensor.setDropEvery(3); break;
    case Fault::HangUp: sensor.hangUp(); break;
  }
}

void SwitchOff(kvorsim::SensorSim &sensor) {
  sensor.setMute(false);
  sensor.setWrongSync(false);
  sensor.setLengthDelta(0);
  sensor.setGarbage(0);
  sensor.setReplyDelayMs(0);
  sensor.setDropEvery(0);
}

bool PumpUntilAllAnswered(const kvorsim::SensorSim &sensor, int repliesBefore, double seconds) {
  const bool answered = testkit::PumpUntil(
      [&] { return sensor.repliesSent() - repliesBefore >= static_cast<int>(sensor.received().size()); },
      seconds);
  testkit::Pump(0.1);
  return answered;
}

bool LetLateRepliesPass(const kvorsim::SensorSim &sensor, Fault fault, int repliesBefore) {
  if (fault != Fault::DelayUnder && fault != Fault::DelayOver) return true;
  // A held-back reply keeps the sensor from reading; each may wait its delay.
  return PumpUntilAllAnswered(sensor, repliesBefore, 3 * kDelayOverMs / 1000.0);
}

int SettleAndClear(kvorsim::SensorSim &sensor, double seconds) {
  // The count goes up once the reply is written, which may be after the
  // program has already read it.
  PumpUntilAllAnswered(sensor, 0, seconds);
  sensor.clearReceived();
  return sensor.repliesSent();
}

Deadline::Deadline(double seconds, std::string what) {
  watcher_ = std::thread([this, seconds, what = std::move(what)] {
    std::unique_lock<std::mutex> lock(mutex_);
    if (done_.wait_for(lock, std::chrono::duration<double>(seconds), [this] { return finished_; }))
      return;
    std::fprintf(stderr, "HANG: %s did not return within %.1f s\n", what.c_str(), seconds);
    std::fflush(stderr);
    _exit(3);
  });
}

Deadline::~Deadline() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    finished_ = true;
  }
  done_.notify_all();
  watcher_.join();
}

RecorderFile ReadRecorderFile(const std::string &path) {
  RecorderFile file;
  file.opened = static_cast<bool>(std::ifstream(path, std::ios::binary));
  const std::string content = ReadBytes(path);
  file.closedByLineEnd = content.size() >= kFileLineEnd.size() &&
                         content.compare(content.size() - kFileLineEnd.size(), std::string::npos, kFileLineEnd) == 0;
  static const std::regex sixIntegers("-?\\d+(\\t-?\\d+){5}");
  for (const std::string &line : FileLines(path)) {
    if (file.header.size() < 2) {
      file.header.push_back(line);
      continue;
    }
    file.samples.push_back(line);
    if (!std::regex_match(line, sixIntegers)) file.malformed.push_back(line);
  }
  return file;
}

bool RecorderFile::HeaderWellFormed(int intervalSeconds) const {
  if (header.size() != 2) return false;
  const std::regex first("\\d\\d-\\d\\d-\\d{4} \\d\\d:\\d\\d:\\d\\d  K-VOR-RECORDER-FILE: "
                         "Time-Interval\\[s\\]: " + std::to_string(intervalSeconds));
  const std::regex second("SETPOINT-VALUE \\[\xB5m\\]: \\d+");
  return std::regex_match(header[0], first) && std::regex_match(header[1], second);
}

}  // namespace faults
