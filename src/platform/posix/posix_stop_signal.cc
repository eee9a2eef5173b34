#include "platform/posix/posix_stop_signal.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

namespace velkor::posix {
namespace {

constexpr int kStopSignals[] = {SIGINT, SIGTERM};

volatile sig_atomic_t g_stop_signal = 0;

// Read by the handler only; written while the stop signals are held.
char g_partial_path[PATH_MAX];
volatile sig_atomic_t g_partial_set = 0;

// Only async-signal-safe calls in here.
void OnStopSignal(int signal_number) {
  if (g_stop_signal == 0) {
    g_stop_signal = signal_number;
    return;
  }
  // Asked again: the run did not stop in time, so it ends now without a partial copy.
  int saved_errno = errno;
  if (g_partial_set) unlink(g_partial_path);
  errno = saved_errno;
  ::signal(signal_number, SIG_DFL);
  raise(signal_number);
}

sigset_t StopSignalSet() {
  sigset_t set;
  sigemptyset(&set);
  for (int signal_number : kStopSignals) sigaddset(&set, signal_number);
  return set;
}

}  // namespace

void InstallStopHandlers() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  // Interrupted system calls carry on; waits for a stalled output use poll(), which
  // returns on a signal whatever this flag says.
  action.sa_flags = SA_RESTART;
  for (int signal_number : kStopSignals) {
    struct sigaction previous;
    // A signal the caller's shell ignores (a background job's SIGINT) stays ignored.
    if (sigaction(signal_number, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) continue;
    sigaction(signal_number, &action, nullptr);
  }
}

bool StopRequested() { return g_stop_signal != 0; }

void EndIfStopRequested() {
  int signal_number = g_stop_signal;
  if (signal_number == 0) return;
  ::signal(signal_number, SIG_DFL);
  sigset_t set = StopSignalSet();
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
  raise(signal_number);
  _exit(128 + signal_number);  // not reached: the default action ends the process
}

StopSignalsHeld::StopSignalsHeld() {
  sigset_t set = StopSignalSet();
  sigset_t previous;
  sigprocmask(SIG_BLOCK, &set, &previous);
  held_ = sigismember(&previous, SIGINT) == 0;  // nested holds release only once
}

StopSignalsHeld::~StopSignalsHeld() {
  if (!held_) return;
  sigset_t set = StopSignalSet();
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
}

void WatchPartialFile(const std::string& path) {
  g_partial_set = 0;
  if (path.empty() || path.size() >= sizeof g_partial_path) return;
  std::memcpy(g_partial_path, path.c_str(), path.size() + 1);
  g_partial_set = 1;
}

}  // namespace velkor::posix
