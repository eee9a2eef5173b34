#include "platform/win32/win32_platform.h"
#include "reader/msxml/msxml_job_file_reader.h"
#include "support/system_reader.h"

namespace velkor {

Platform& SystemPlatform() {
  static Win32Platform platform;
  return platform;
}

std::unique_ptr<JobFileReader> MakeSystemReader(Platform& platform, std::size_t kept_bytes) {
  auto reader = std::make_unique<msxml::MsxmlJobFileReader>(platform, kept_bytes);
  if (reader->Start() != ReaderFailure::None) return nullptr;
  return reader;
}

}  // namespace velkor
