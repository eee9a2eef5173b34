#include "driver/job_file_source.h"

#include <libxml/xmlerror.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "text/ansi_text.h"

namespace velkor {
namespace {

// The XML library's I/O codes for the errors a job file is likely to meet.
std::uint32_t IoErrorCode(int error) {
  switch (error) {
    case EACCES: return XML_IO_EACCES;
    case EISDIR: return XML_IO_EISDIR;
    case ENOENT: return XML_IO_ENOENT;
    case ENOTDIR: return XML_IO_ENOTDIR;
    case ENAMETOOLONG: return XML_IO_ENAMETOOLONG;
    case EMFILE: return XML_IO_EMFILE;
    case ENFILE: return XML_IO_ENFILE;
    case ENOMEM: return XML_IO_ENOMEM;
    case EIO: return XML_IO_EIO;
    default: return XML_IO_UNKNOWN;
  }
}

SourceError ErrorFromErrno(int error) {
  return SourceError{IoErrorCode(error), FromAnsi(std::strerror(error))};
}

class FileSource : public JobFileSource {
 public:
  explicit FileSource(std::FILE* file) : file_(file) {}
  ~FileSource() override { std::fclose(file_); }
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;

  bool Rewind(SourceError* error) override {
    std::clearerr(file_);
    if (std::fseek(file_, 0, SEEK_SET) == 0) return true;
    *error = ErrorFromErrno(errno);
    return false;
  }

  std::ptrdiff_t Read(char* buffer, std::size_t size, SourceError* error) override {
    errno = 0;
    std::size_t count = std::fread(buffer, 1, size, file_);
    if (count == 0 && std::ferror(file_)) {
      *error = ErrorFromErrno(errno != 0 ? errno : EIO);
      return -1;
    }
    return static_cast<std::ptrdiff_t>(count);
  }

 private:
  std::FILE* file_;
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

std::unique_ptr<JobFileSource> OpenJobFileSource(const std::string& path, SourceError* error) {
  std::error_code status_error;
  std::filesystem::file_status status = std::filesystem::status(path, status_error);
  if (status_error) {
    *error = ErrorFromErrno(status_error.value());
    return nullptr;
  }
  if (std::filesystem::is_directory(status)) {
    *error = ErrorFromErrno(EISDIR);
    return nullptr;
  }
  if (!std::filesystem::is_regular_file(status)) {
    *error = SourceError{XML_IO_UNKNOWN, u"Not a regular file"};
    return nullptr;
  }
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    *error = ErrorFromErrno(errno);
    return nullptr;
  }
  return std::make_unique<FileSource>(file);
}

std::unique_ptr<JobFileSource> MemoryJobFileSource(std::string bytes) {
  return std::make_unique<MemorySource>(std::move(bytes));
}

}  // namespace velkor
