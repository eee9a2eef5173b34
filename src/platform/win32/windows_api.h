// <windows.h> for the Win32 platform files, without the macros that would rename the
// platform's own calls (MoveFile, SetConsoleTitle) or the standard min and max.
#ifndef VELKOR_PLATFORM_WIN32_WINDOWS_API_H_
#define VELKOR_PLATFORM_WIN32_WINDOWS_API_H_

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#undef MoveFile
#undef SetConsoleTitle

#endif  // VELKOR_PLATFORM_WIN32_WINDOWS_API_H_
