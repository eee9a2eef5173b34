// Moving a file to another file system by a flushed copy that takes the target's name
// only when it is complete.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/posix/posix_move.h"
#include "platform/posix/posix_partial_file.h"
#include "platform/posix/posix_stop_signal.h"

namespace velkor::posix {
namespace {

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// Stops between blocks when the run is asked to stop: EINTR.
SystemError CopyContent(int in, int out) {
  std::vector<char> buffer(1 << 18);
  for (;;) {
    if (StopRequested()) return EINTR;
    ssize_t got = read(in, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return errno;
    if (got == 0) return 0;
    for (ssize_t done = 0; done < got;) {
      ssize_t put = write(out, buffer.data() + done, static_cast<size_t>(got - done));
      if (put < 0 && errno == EINTR) continue;
      if (put < 0) return errno;
      done += put;
    }
  }
}

// Owner and group first: changing them may clear set-id bits, and the mode must not give
// set-id bits to an owner or group the source did not have.
SystemError GiveOwnerModeAndTimes(int fd, const struct stat& source_info) {
  mode_t mode = source_info.st_mode & 07777;
  if (fchown(fd, source_info.st_uid, source_info.st_gid) != 0) {
    fchown(fd, static_cast<uid_t>(-1), source_info.st_gid);  // the group alone, where it may be kept
    mode &= static_cast<mode_t>(~(S_ISUID | S_ISGID));
  }
  if (fchmod(fd, mode) != 0) return errno;
  const struct timespec times[2] = {source_info.st_atim, source_info.st_mtim};
  return futimens(fd, times) == 0 ? 0 : errno;
}

std::string ParentFolder(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

void SyncFolder(const std::string& folder) {
  Descriptor folder_fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder_fd.get() >= 0) fsync(folder_fd.get());
}

SystemError CopyRegularFile(const std::string& from, const std::string& to, const struct stat& source_info) {
  Descriptor in(open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY));
  if (in.get() < 0) return errno;
  // A taken name fails before a long copy; the final link still never replaces anything.
  struct stat target_info;
  if (lstat(to.c_str(), &target_info) == 0) return EEXIST;

  const std::string folder = ParentFolder(to);
  PartialFile partial(folder);
  if (partial.error()) return partial.error();
  SystemError error = CopyContent(in.get(), partial.fd());
  if (!error) error = GiveOwnerModeAndTimes(partial.fd(), source_info);
  if (!error && fsync(partial.fd()) != 0) error = errno;
  if (!error) error = partial.Close();
  // Flushed under its partial name, the copy survives a power cut from here on; flushing
  // after the rename instead would leave a kill milliseconds to find both names.
  if (!error) SyncFolder(folder);
  if (!error && StopRequested()) error = EINTR;
  return error ? error : partial.LinkTo(to);
}

SystemError CopySymbolicLink(const std::string& from, const std::string& to, const struct stat& source_info) {
  std::vector<char> target(static_cast<size_t>(source_info.st_size) + 1);
  ssize_t length = readlink(from.c_str(), target.data(), target.size());
  if (length < 0) return errno;
  if (static_cast<size_t>(length) >= target.size()) return EAGAIN;  // changed while we looked
  target[static_cast<size_t>(length)] = '\0';
  if (symlink(target.data(), to.c_str()) != 0) return errno;  // symlink never replaces
  // The owner decides who may remove the link from a sticky folder; it grants nothing else.
  lchown(to.c_str(), source_info.st_uid, source_info.st_gid);
  return 0;
}

}  // namespace

SystemError MoveByCopy(const std::string& from, const std::string& to) {
  struct stat info;
  if (lstat(from.c_str(), &info) != 0) return errno;
  SystemError error;
  if (S_ISREG(info.st_mode)) {
    error = CopyRegularFile(from, to, info);
  } else if (S_ISLNK(info.st_mode)) {
    error = CopySymbolicLink(from, to, info);
  } else {
    return EXDEV;  // folders and special files stay on their own file system
  }
  if (error) return error;
  if (unlink(from.c_str()) != 0) {
    error = errno;
    unlink(to.c_str());  // keep the one intact original rather than two names
    return error;
  }
  SyncFolder(ParentFolder(to));  // the new name itself is durable before the move counts as done
  return 0;
}

}  // namespace velkor::posix
