// Internals of the Windows file move, shared by its two source files.
#ifndef VELKOR_PLATFORM_WIN32_WIN32_MOVE_H_
#define VELKOR_PLATFORM_WIN32_WIN32_MOVE_H_

#include <string>

#include "platform/platform.h"

namespace velkor::win32 {

// Moves a regular file to another volume. It is copied in chunks into a partial file beside
// the target, which gets the source's times and attributes and is flushed before it takes
// the target's name; then the source is removed. The target name never shows a partial
// copy. On any failure, and when a stop is requested during the copy, the partial file is
// removed and the source stays as it was. Folders and links stay on their volume
// (ERROR_NOT_SAME_DEVICE). Both paths are as SystemPath gives them.
SystemError MoveByCopy(const std::wstring& from, const std::wstring& to);

}  // namespace velkor::win32

#endif  // VELKOR_PLATFORM_WIN32_WIN32_MOVE_H_
