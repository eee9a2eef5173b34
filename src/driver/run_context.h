#ifndef VELKOR_DRIVER_RUN_CONTEXT_H_
#define VELKOR_DRIVER_RUN_CONTEXT_H_

namespace velkor {

class Platform;
class ConsoleReporter;
class JobFileReader;

// The services a run brings up at start-up, shared by every job file.
struct RunContext {
  Platform& platform;
  ConsoleReporter& reporter;
  JobFileReader& reader;
};

}  // namespace velkor

#endif  // VELKOR_DRIVER_RUN_CONTEXT_H_
