// Paths as the Win32 file calls take them: absolute, and in the \\?\ form once they reach
// MAX_PATH, so that a long name works whether or not the system lifts the old limit.
#ifndef VELKOR_PLATFORM_WIN32_WIN32_LONG_PATH_H_
#define VELKOR_PLATFORM_WIN32_WIN32_LONG_PATH_H_

#include <string>

namespace velkor::win32 {

// The path made absolute by the system's own rules (the current folder and drive, `.` and
// `..`, `/` as `\`); unchanged when the system cannot, or when it is in the \\?\ form.
std::wstring FullPath(const std::wstring& path);

// FullPath, given the \\?\ form (\\?\UNC\ for \\server\share) when it has MAX_PATH
// characters or more: that form is taken as it is, with no limit on its length.
std::wstring SystemPath(const std::wstring& path);

}  // namespace velkor::win32

#endif  // VELKOR_PLATFORM_WIN32_WIN32_LONG_PATH_H_
