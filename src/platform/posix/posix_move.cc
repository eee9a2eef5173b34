// Moving files without ever replacing a target, on POSIX. Plain rename() replaces its
// target, so it is never used.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/posix/posix_move.h"
#include "platform/posix/posix_platform.h"

namespace velkor {
namespace posix {

SystemError RenameWithoutReplacing(const std::string& from, const std::string& to) {
#ifdef HAVE_RENAMEAT2
  return renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0 ? 0 : errno;
#else
  return ENOSYS;
#endif
}

// A hard link fails when the target exists, even in a race, and removing the old name
// completes the move.
SystemError MoveByLink(const std::string& from, const std::string& to) {
  struct stat info;
  if (lstat(from.c_str(), &info) != 0) return errno;
  if (S_ISDIR(info.st_mode)) return EINVAL;  // directories cannot be linked
  if (link(from.c_str(), to.c_str()) != 0) {
    int error = errno;
    // No hard links on this file system: an exclusive copy is still safe.
    return error == EPERM || error == EOPNOTSUPP || error == EMLINK ? MoveByCopy(from, to) : error;
  }
  if (unlink(from.c_str()) != 0) {
    int error = errno;
    unlink(to.c_str());
    return error;
  }
  return 0;
}

}  // namespace posix

SystemError PosixPlatform::MoveFile(const NativePath& from, const NativePath& to) {
  SystemError error = posix::RenameWithoutReplacing(from, to);
  if (error == EXDEV) return posix::MoveByCopy(from, to);
  // EINVAL and ENOSYS: this file system or C library has no exclusive rename.
  if (error != EINVAL && error != ENOSYS) return error;
  SystemError result = posix::MoveByLink(from, to);
  return result == EXDEV ? posix::MoveByCopy(from, to) : result;
}

}  // namespace velkor
