// Moving a file to another file system by an exclusive, flushed copy.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/posix/posix_move.h"

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
  // Closes now, so that a failure of the close itself is seen.
  int Close() {
    int result = close(fd_);
    fd_ = -1;
    return result;
  }

 private:
  int fd_;
};

SystemError CopyContent(int in, int out) {
  std::vector<char> buffer(1 << 16);
  for (;;) {
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

std::string ParentFolder(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

SystemError CopyRegularFile(const std::string& from, const std::string& to, const struct stat& source_info) {
  Descriptor in(open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY));
  if (in.get() < 0) return errno;
  Descriptor out(open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
  if (out.get() < 0) return errno;

  SystemError error = CopyContent(in.get(), out.get());
  if (!error && fsync(out.get()) != 0) error = errno;
  if (!error && fchmod(out.get(), source_info.st_mode & 07777) != 0) error = errno;
  if (!error) {
    const struct timespec times[2] = {source_info.st_atim, source_info.st_mtim};
    if (futimens(out.get(), times) != 0) error = errno;
  }
  if (!error && out.Close() != 0) error = errno;
  if (error) {
    unlink(to.c_str());
    return error;
  }
  // Make the new name itself durable before the old one goes.
  Descriptor folder(open(ParentFolder(to).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.get() >= 0) fsync(folder.get());
  return 0;
}

SystemError CopySymbolicLink(const std::string& from, const std::string& to, const struct stat& source_info) {
  std::vector<char> target(static_cast<size_t>(source_info.st_size) + 1);
  ssize_t length = readlink(from.c_str(), target.data(), target.size());
  if (length < 0) return errno;
  if (static_cast<size_t>(length) >= target.size()) return EAGAIN;  // changed while we looked
  target[static_cast<size_t>(length)] = '\0';
  return symlink(target.data(), to.c_str()) == 0 ? 0 : errno;  // symlink never replaces
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
  return 0;
}

}  // namespace velkor::posix
