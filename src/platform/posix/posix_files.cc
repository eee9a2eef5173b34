// Opening, reading and writing audio files for their tags on POSIX.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/posix_platform.h"

namespace velkor {
namespace {

int Descriptor(NativeFile file) { return static_cast<int>(file); }

// Why an open descriptor is no tag target, or 0 when it is one. `info` is filled.
SystemError CheckTarget(int fd, struct stat* info) {
  int result;
  // Held until close, so no cooperating program touches the file between probe and write.
  while ((result = flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
  }
  // A file system without locks (NFS without its lock daemon) cannot say whether another
  // program holds one: the file is tagged unlocked rather than never.
  if (result != 0 && errno != ENOLCK && errno != EOPNOTSUPP) return errno;
  if (fstat(fd, info) != 0) return errno;
  // Directories, FIFOs and devices are never written.
  if (S_ISDIR(info->st_mode)) return EISDIR;
  if (!S_ISREG(info->st_mode)) return EINVAL;
  // Root may open any file for writing; a file without a single write bit is still
  // meant to be read-only, so it stays untouched for root too.
  if ((info->st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return EACCES;
  return 0;
}

}  // namespace

SystemError PosixPlatform::OpenForReading(const NativePath& path, NativeFile* file) {
  *file = kNoFile;
  int fd;
  while ((fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK)) < 0 && errno == EINTR) {
  }
  if (fd < 0) return errno;
  struct stat info;
  SystemError error = fstat(fd, &info) != 0 ? errno : S_ISDIR(info.st_mode) ? EISDIR : !S_ISREG(info.st_mode) ? kNotRegularFile : 0;
  if (error != 0) {
    close(fd);
    return error;
  }
  *file = fd;
  return 0;
}

SystemError PosixPlatform::OpenForUpdate(const NativePath& path, NativeFile* file, std::uint64_t* size) {
  *file = kNoFile;
  *size = 0;
  int fd;
  // Non-blocking, so that opening a FIFO cannot hang; no controlling terminal either.
  while ((fd = open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK)) < 0 && errno == EINTR) {
  }
  if (fd < 0) return errno;
  struct stat info;
  SystemError error = CheckTarget(fd, &info);
  if (error != 0) {
    close(fd);
    return error;
  }
  *file = fd;
  *size = static_cast<std::uint64_t>(info.st_size);
  return 0;
}

std::int64_t PosixPlatform::ReadAt(NativeFile file, void* buffer, std::size_t count, std::uint64_t offset) {
  std::size_t done = 0;
  while (done < count) {
    ssize_t n = pread(Descriptor(file), static_cast<char*>(buffer) + done, count - done,
                      static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return done ? static_cast<std::int64_t>(done) : -1;
    if (n == 0) break;  // end of file
    done += static_cast<std::size_t>(n);
  }
  return static_cast<std::int64_t>(done);
}

// Keeps writing after a short write; when the system then refuses more (a full disk, a
// file size limit), the count so far is returned, so callers still see a short write.
std::int64_t PosixPlatform::WriteAt(NativeFile file, const void* buffer, std::size_t count, std::uint64_t offset) {
  std::size_t done = 0;
  while (done < count) {
    ssize_t n = pwrite(Descriptor(file), static_cast<const char*>(buffer) + done, count - done,
                       static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return done ? static_cast<std::int64_t>(done) : -1;
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return static_cast<std::int64_t>(done);
}

SystemError PosixPlatform::Truncate(NativeFile file, std::uint64_t size) {
  while (ftruncate(Descriptor(file), static_cast<off_t>(size)) != 0) {
    if (errno != EINTR) return errno;
  }
  return 0;
}

// Closing also releases the lock. Not retried on EINTR: on Linux the descriptor is gone
// either way, and a retry could close one that another open has just been given.
void PosixPlatform::Close(NativeFile file) { close(Descriptor(file)); }

}  // namespace velkor
