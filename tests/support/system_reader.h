// The platform and the job-file reader of the system the tests run on, as the program makes
// them: libxml2's on Linux, MSXML's under Windows (and Wine).
#ifndef VELKOR_TESTS_SUPPORT_SYSTEM_READER_H_
#define VELKOR_TESTS_SUPPORT_SYSTEM_READER_H_

#include <cstddef>
#include <memory>

#include "platform/platform.h"
#include "reader/job_file_reader.h"

namespace velkor {

Platform& SystemPlatform();
// Reads through `platform`; keeps up to `kept_bytes` of entries from the check.
std::unique_ptr<JobFileReader> MakeSystemReader(Platform& platform, std::size_t kept_bytes);

}  // namespace velkor

#endif  // VELKOR_TESTS_SUPPORT_SYSTEM_READER_H_
