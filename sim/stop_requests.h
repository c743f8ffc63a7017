// How kvor-sensor-sim learns that it should stop: Ctrl+C or SIGTERM on POSIX
// systems; Ctrl+C, Ctrl+Break or closing the console window on Windows.
#ifndef KVOR_SIM_STOP_REQUESTS_H
#define KVOR_SIM_STOP_REQUESTS_H

namespace kvorsim {

class StopRequests {
 public:
  // Made before the sensors' threads start, so none of them takes a stop
  // request meant for the program.
  StopRequests();
  // Made after the sensors have stopped.
  ~StopRequests();
  StopRequests(const StopRequests &) = delete;
  StopRequests &operator=(const StopRequests &) = delete;

  // Blocks until a stop is asked for.
  void wait();
};

}  // namespace kvorsim

#endif
