// Ctrl-C, Ctrl-Break and closing the console ask the run to stop at the next safe point
// instead of ending it half way through a copy or a report line.
#ifndef VELKOR_PLATFORM_WIN32_WIN32_STOP_H_
#define VELKOR_PLATFORM_WIN32_WIN32_STOP_H_

#include <string>

namespace velkor::win32 {

// The first Ctrl-C or Ctrl-Break only records itself; a second one ends the process at
// once, removing the partial copy named by WatchPartialFile. Closing the console records
// the request and gives the run a few seconds to end by itself before doing the same.
void InstallStopHandler();

bool StopRequested();

// Ends the process with the code Windows gives a program ended by Ctrl-C; returns when
// there was no request.
void EndIfStopRequested();

// Keeps the console's handler from ending the process while it lives, so that creating or
// renaming a partial copy and recording its name happen as one step for the handler.
class StopHandlerHeld {
 public:
  StopHandlerHeld();
  ~StopHandlerHeld();
  StopHandlerHeld(const StopHandlerHeld&) = delete;
  StopHandlerHeld& operator=(const StopHandlerHeld&) = delete;
};

// The partial copy an ending handler removes; empty: none. Call while the handler is held.
void WatchPartialFile(const std::wstring& path);

}  // namespace velkor::win32

#endif  // VELKOR_PLATFORM_WIN32_WIN32_STOP_H_
