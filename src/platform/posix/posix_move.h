// Internals of the POSIX file move, shared by its two source files.
#ifndef VELKOR_PLATFORM_POSIX_POSIX_MOVE_H_
#define VELKOR_PLATFORM_POSIX_POSIX_MOVE_H_

#include <string>

#include "platform/platform.h"

namespace velkor::posix {

// renameat2(RENAME_NOREPLACE); ENOSYS where the C library has no renameat2.
SystemError RenameWithoutReplacing(const std::string& from, const std::string& to);

// Moves a regular file or a symbolic link to another file system. A file is copied into a
// partial file beside the target, which gets the source's owner, mode and times and is
// flushed with its folder before it takes the target's name; then the source is removed
// and the target's folder flushed again. The target name never shows a partial copy. On
// any failure, and when a stop signal arrives during the copy (EINTR), the partial file is
// removed and the source stays as it was.
SystemError MoveByCopy(const std::string& from, const std::string& to);

// Moves a file by a hard link and the removal of the old name, for file systems without an
// exclusive rename; falls back to MoveByCopy where there are no hard links.
SystemError MoveByLink(const std::string& from, const std::string& to);

}  // namespace velkor::posix

#endif  // VELKOR_PLATFORM_POSIX_POSIX_MOVE_H_
