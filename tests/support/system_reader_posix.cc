#include "platform/posix/posix_platform.h"
#include "reader/libxml2/libxml2_job_file_reader.h"
#include "support/system_reader.h"

namespace velkor {

Platform& SystemPlatform() {
  static PosixPlatform platform;
  return platform;
}

std::unique_ptr<JobFileReader> MakeSystemReader(Platform& platform, std::size_t kept_bytes) {
  static const bool started = InitXmlLibrary();
  return started ? std::make_unique<Libxml2JobFileReader>(platform, kept_bytes) : nullptr;
}

}  // namespace velkor
