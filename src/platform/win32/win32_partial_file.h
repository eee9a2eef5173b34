// The file a copy between volumes is written into before it gets its real name.
#ifndef VELKOR_PLATFORM_WIN32_WIN32_PARTIAL_FILE_H_
#define VELKOR_PLATFORM_WIN32_WIN32_PARTIAL_FILE_H_

#include <string>

#include "platform/platform.h"
#include "platform/win32/windows_api.h"

namespace velkor::win32 {

// Created exclusively as ".velkor-move-XXXXXX.partial" in the target's folder, so that it
// lands on the target's volume and its name tells what it is. Removed again unless RenameTo
// succeeds, and by a second stop request while it exists.
class PartialFile {
 public:
  // `folder` ends in a backslash.
  explicit PartialFile(const std::wstring& folder);
  ~PartialFile();
  PartialFile(const PartialFile&) = delete;
  PartialFile& operator=(const PartialFile&) = delete;

  // 0 when the file was created, else why not.
  SystemError error() const { return error_; }
  HANDLE handle() const { return handle_; }
  // Closes the handle now, so that a failure of the close itself is seen.
  SystemError Close();
  // Gives the closed file the name `target` without replacing anything there.
  SystemError RenameTo(const std::wstring& target);

 private:
  std::wstring path_;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  SystemError error_ = 0;
  bool renamed_ = false;
};

// Removes a file, read-only or not; false when it stays.
bool RemoveFile(const std::wstring& path);

}  // namespace velkor::win32

#endif  // VELKOR_PLATFORM_WIN32_WIN32_PARTIAL_FILE_H_
