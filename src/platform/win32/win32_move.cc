// Renames and moves on Windows. The rename itself never copies and never replaces; only
// between volumes does a file travel, as a copy that takes its name when it is complete.
#include "platform/win32/win32_long_path.h"
#include "platform/win32/win32_move.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/windows_api.h"

namespace velkor {

SystemError Win32Platform::MoveFile(const NativePath& from, const NativePath& to) {
  const std::wstring source = win32::SystemPath(from), target = win32::SystemPath(to);
  // The system takes a rename onto the very same name as done, though it renames nothing.
  // A change of letter case only is a real rename.
  if (source == target) return ERROR_ALREADY_EXISTS;
  if (MoveFileExW(source.c_str(), target.c_str(), 0)) return 0;
  const SystemError error = static_cast<SystemError>(GetLastError());
  return error == ERROR_NOT_SAME_DEVICE ? win32::MoveByCopy(source, target) : error;
}

}  // namespace velkor
