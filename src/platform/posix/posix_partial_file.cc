#include "platform/posix/posix_partial_file.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/posix/posix_move.h"
#include "platform/posix/posix_stop_signal.h"

namespace velkor::posix {
namespace {

constexpr char kNamePattern[] = "/.velkor-move-XXXXXX.partial";
constexpr int kSuffixLength = sizeof ".partial" - 1;

}  // namespace

PartialFile::PartialFile(const std::string& folder) {
  std::vector<char> name(folder.begin(), folder.end());
  name.insert(name.end(), kNamePattern, kNamePattern + sizeof kNamePattern);
  StopSignalsHeld held;
  fd_ = mkostemps(name.data(), kSuffixLength, O_CLOEXEC);
  if (fd_ < 0) {
    error_ = errno;
    return;
  }
  path_ = name.data();
  WatchPartialFile(path_);
}

PartialFile::~PartialFile() {
  if (fd_ >= 0) close(fd_);
  if (path_.empty() || linked_) return;
  StopSignalsHeld held;
  unlink(path_.c_str());
  WatchPartialFile("");
}

SystemError PartialFile::Close() {
  int result = close(fd_);
  fd_ = -1;
  return result == 0 ? 0 : errno;
}

SystemError PartialFile::LinkTo(const std::string& target) {
  StopSignalsHeld held;
  SystemError error = RenameWithoutReplacing(path_, target);
  if (error == EINVAL || error == ENOSYS) {
    // No exclusive rename on this file system: a hard link never replaces anything either.
    error = link(path_.c_str(), target.c_str()) == 0 ? 0 : errno;
    if (error == 0) unlink(path_.c_str());
  }
  if (error != 0) return error;
  linked_ = true;
  WatchPartialFile("");
  return 0;
}

}  // namespace velkor::posix
