// The run: start-up, the loop over job files with per-job-file recovery, exit codes.
#ifndef VELKOR_DRIVER_BATCH_DRIVER_H_
#define VELKOR_DRIVER_BATCH_DRIVER_H_

#include <vector>

#include "platform/platform.h"

namespace velkor {

enum ExitCode : int {
  kExitSuccess = 0,          // every job file was walked, whatever became of them
  kExitXmlInitFailed = 1,    // the XML library could not start
  kExitReaderFailed = 2,     // the job-file reader could not be created
  kExitUsage = 254,          // no job file was named
  kExitRuntimeFailed = 255,  // the run-time could not start
};

// `job_files` are the command-line arguments after the program name, as given.
int RunBatch(Platform& platform, const std::vector<NativePath>& job_files);

}  // namespace velkor

#endif  // VELKOR_DRIVER_BATCH_DRIVER_H_
