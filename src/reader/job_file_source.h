// The bytes of one job file, read from the start once for the well-formedness check and
// once more for the entries.
#ifndef VELKOR_READER_JOB_FILE_SOURCE_H_
#define VELKOR_READER_JOB_FILE_SOURCE_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/platform.h"

namespace velkor {

// Why a job file could not be read: a code of the platform's kind (an XML library I/O code
// on Linux, an HRESULT on Windows) and the system's text.
struct SourceError {
  std::uint32_t code = 0;
  std::u16string reason;
};

class JobFileSource {
 public:
  virtual ~JobFileSource() = default;
  // Back to the first byte.
  virtual bool Rewind(SourceError* error) = 0;
  // Up to `size` bytes: the count, 0 at the end, or -1 with `error` filled.
  virtual std::ptrdiff_t Read(char* buffer, std::size_t size, SourceError* error) = 0;
};

// Opens a regular file through the platform (symbolic links followed). Anything else, a directory or a pipe
// say, cannot be read twice or could block, and yields nullptr with `error` filled.
std::unique_ptr<JobFileSource> OpenJobFileSource(Platform& platform, const NativePath& path, SourceError* error);

std::unique_ptr<JobFileSource> MemoryJobFileSource(std::string bytes);

// Each platform's reader gives these.
// The code of a job file that fails to open or read with the system's error number `error`.
std::uint32_t SourceErrorCode(SystemError error);
// The system's error number of the platform read that has just failed.
SystemError LastReadError();

}  // namespace velkor

#endif  // VELKOR_READER_JOB_FILE_SOURCE_H_
