// SIGINT and SIGTERM ask the run to stop at the next safe point instead of killing it
// half way through a copy or a report line.
#ifndef VELKOR_PLATFORM_POSIX_POSIX_STOP_SIGNAL_H_
#define VELKOR_PLATFORM_POSIX_POSIX_STOP_SIGNAL_H_

#include <string>

namespace velkor::posix {

// The first SIGINT or SIGTERM only records itself; a second one ends the process at
// once, removing the partial copy named by WatchPartialFile.
void InstallStopHandlers();

bool StopRequested();

// Ends the process the way the recorded signal would have; returns when there was none.
void EndIfStopRequested();

// Keeps SIGINT and SIGTERM waiting while it lives, so that creating or renaming a partial
// copy and recording its name happen as one step for the handler.
class StopSignalsHeld {
 public:
  StopSignalsHeld();
  ~StopSignalsHeld();
  StopSignalsHeld(const StopSignalsHeld&) = delete;
  StopSignalsHeld& operator=(const StopSignalsHeld&) = delete;

 private:
  bool held_;
};

// The partial copy a second stop signal removes; empty: none. Call with signals held.
void WatchPartialFile(const std::string& path);

}  // namespace velkor::posix

#endif  // VELKOR_PLATFORM_POSIX_POSIX_STOP_SIGNAL_H_
