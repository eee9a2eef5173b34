#include "reader/job_file_source.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace velkor {
namespace {

SourceError ErrorFromSystem(Platform& platform, SystemError error) {
  return SourceError{SourceErrorCode(error), platform.ErrorText(error)};
}

// A job file read through the platform, from a position of its own.
class FileSource : public JobFileSource {
 public:
  FileSource(Platform& platform, NativeFile file) : platform_(platform), file_(file) {}
  ~FileSource() override { platform_.Close(file_); }
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;

  bool Rewind(SourceError*) override {
    offset_ = 0;
    return true;
  }

  std::ptrdiff_t Read(char* buffer, std::size_t size, SourceError* error) override {
    std::int64_t count = platform_.ReadAt(file_, buffer, size, offset_);
    if (count < 0) {
      *error = ErrorFromSystem(platform_, LastReadError());
      return -1;
    }
    offset_ += static_cast<std::uint64_t>(count);
    return static_cast<std::ptrdiff_t>(count);
  }

 private:
  Platform& platform_;
  NativeFile file_;
  std::uint64_t offset_ = 0;
};

class MemorySource : public JobFileSource {
 public:
  explicit MemorySource(std::string bytes) : bytes_(std::move(bytes)) {}

  bool Rewind(SourceError*) override {
    offset_ = 0;
    return true;
  }

  std::ptrdiff_t Read(char* buffer, std::size_t size, SourceError*) override {
    std::size_t count = std::min(size, bytes_.size() - offset_);
    std::memcpy(buffer, bytes_.data() + offset_, count);
    offset_ += count;
    return static_cast<std::ptrdiff_t>(count);
  }

 private:
  std::string bytes_;
  std::size_t offset_ = 0;
};

}  // namespace

std::unique_ptr<JobFileSource> OpenJobFileSource(Platform& platform, const NativePath& path, SourceError* error) {
  NativeFile file = kNoFile;
  SystemError open_error = platform.OpenForReading(path, &file);
  if (open_error == kNotRegularFile) {
    *error = SourceError{SourceErrorCode(open_error), u"Not a regular file"};
    return nullptr;
  }
  if (open_error != 0) {
    *error = ErrorFromSystem(platform, open_error);
    return nullptr;
  }
  return std::make_unique<FileSource>(platform, file);
}

std::unique_ptr<JobFileSource> MemoryJobFileSource(std::string bytes) {
  return std::make_unique<MemorySource>(std::move(bytes));
}

}  // namespace velkor
