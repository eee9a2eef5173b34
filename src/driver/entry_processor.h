// The work for one job file: announce it, then rename and tag every entry.
#ifndef VELKOR_DRIVER_ENTRY_PROCESSOR_H_
#define VELKOR_DRIVER_ENTRY_PROCESSOR_H_

#include "driver/run_context.h"
#include "platform/native_path.h"

namespace velkor {

// `job_file` is the path as named on the command line. Reports every outcome; throws
// JobFileFailure when the rest of the job file cannot be read.
void ProcessJobFile(RunContext& run, const NativePath& job_file);

}  // namespace velkor

#endif  // VELKOR_DRIVER_ENTRY_PROCESSOR_H_
