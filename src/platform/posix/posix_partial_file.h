// The file a copy across file systems is written into before it gets its real name.
#ifndef VELKOR_PLATFORM_POSIX_POSIX_PARTIAL_FILE_H_
#define VELKOR_PLATFORM_POSIX_POSIX_PARTIAL_FILE_H_

#include <string>

#include "platform/platform.h"

namespace velkor::posix {

// Created exclusively, mode 0600, as ".velkor-move-XXXXXX.partial" in the target's folder,
// so that it lands on the target's file system and its name tells what it is. Removed
// again unless LinkTo succeeds, and by a second stop signal while it exists.
class PartialFile {
 public:
  explicit PartialFile(const std::string& folder);
  ~PartialFile();
  PartialFile(const PartialFile&) = delete;
  PartialFile& operator=(const PartialFile&) = delete;

  // 0 when the file was created, else why not.
  SystemError error() const { return error_; }
  int fd() const { return fd_; }
  // Closes the descriptor now, so that a failure of the close itself is seen.
  SystemError Close();
  // Gives the closed file the name `target` without replacing anything there.
  SystemError LinkTo(const std::string& target);

 private:
  std::string path_;
  int fd_ = -1;
  SystemError error_ = 0;
  bool linked_ = false;
};

}  // namespace velkor::posix

#endif  // VELKOR_PLATFORM_POSIX_POSIX_PARTIAL_FILE_H_
