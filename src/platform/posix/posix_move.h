// Internals of the POSIX file move, shared by its two source files.
#ifndef VELKOR_PLATFORM_POSIX_POSIX_MOVE_H_
#define VELKOR_PLATFORM_POSIX_POSIX_MOVE_H_

#include <string>

#include "platform/platform.h"

namespace velkor::posix {

// Moves a regular file or a symbolic link to another file system: the copy goes into a
// target created exclusively and is flushed before the source is removed. On any
// failure the partial target is removed and the source stays as it was.
SystemError MoveByCopy(const std::string& from, const std::string& to);

// Moves a file by a hard link and the removal of the old name, for file systems without an
// exclusive rename; falls back to MoveByCopy where there are no hard links.
SystemError MoveByLink(const std::string& from, const std::string& to);

}  // namespace velkor::posix

#endif  // VELKOR_PLATFORM_POSIX_POSIX_MOVE_H_
