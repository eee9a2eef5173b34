// Moving files without ever replacing a target, on POSIX.
#include <cerrno>

#include "platform/posix/posix_platform.h"

namespace velkor {

SystemError PosixPlatform::MoveFile(const std::string&, const std::string&) { return ENOSYS; }

}  // namespace velkor
