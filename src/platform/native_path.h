// A path as the system takes it: the bytes open() takes on POSIX, the UTF-16 that
// CreateFileW takes on Windows. Paths travel in this form from the command line to the
// system, so none is converted, and none loses a character, on the way.
#ifndef VELKOR_PLATFORM_NATIVE_PATH_H_
#define VELKOR_PLATFORM_NATIVE_PATH_H_

#include <string>

namespace velkor {

#ifdef _WIN32
using NativePath = std::wstring;
#else
using NativePath = std::string;
#endif

}  // namespace velkor

#endif  // VELKOR_PLATFORM_NATIVE_PATH_H_
