#include "platform/win32/win32_stop.h"

#include <atomic>

#include "platform/win32/win32_platform.h"
#include "platform/win32/windows_api.h"

namespace velkor::win32 {
namespace {

// The code the system's own handler ends a program with on Ctrl-C (STATUS_CONTROL_C_EXIT).
constexpr UINT kControlCExit = 0xC000013A;
// The system ends a program 5 seconds after the console closes; the run gets most of them.
constexpr DWORD kCloseGraceMilliseconds = 4000;

std::atomic<bool> g_stop_requested{false};
// Guards g_partial_path: the handler runs in a thread of its own.
SRWLOCK g_partial_lock = SRWLOCK_INIT;
std::wstring g_partial_path;

// The run did not stop in time: it ends now, without a partial copy. The lock is never
// given back, so the main thread cannot rename the copy in the meantime.
[[noreturn]] void EndNow() {
  AcquireSRWLockExclusive(&g_partial_lock);
  if (!g_partial_path.empty()) {
    SetFileAttributesW(g_partial_path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(g_partial_path.c_str());  // gone once the process's handles are closed
  }
  ExitProcess(kControlCExit);
}

BOOL WINAPI OnConsoleControl(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
      if (g_stop_requested.exchange(true)) EndNow();
      return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      g_stop_requested = true;
      Sleep(kCloseGraceMilliseconds);  // the run usually ends the process before this returns
      EndNow();
    default:
      return FALSE;
  }
}

}  // namespace

void InstallStopHandler() { SetConsoleCtrlHandler(OnConsoleControl, TRUE); }

bool StopRequested() { return g_stop_requested; }

void EndIfStopRequested() {
  if (g_stop_requested) ExitProcess(kControlCExit);
}

StopHandlerHeld::StopHandlerHeld() { AcquireSRWLockExclusive(&g_partial_lock); }

StopHandlerHeld::~StopHandlerHeld() { ReleaseSRWLockExclusive(&g_partial_lock); }

void WatchPartialFile(const std::wstring& path) { g_partial_path = path; }

}  // namespace velkor::win32

namespace velkor {

bool Win32Platform::StopRequested() { return win32::StopRequested(); }

void Win32Platform::EndIfStopRequested() { win32::EndIfStopRequested(); }

}  // namespace velkor
