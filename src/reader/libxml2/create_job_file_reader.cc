// The program's job file reader on this platform: libxml2's.
#include <memory>

#include "reader/libxml2/libxml2_job_file_reader.h"

namespace velkor {
namespace {

// The reader of a run, which owns libxml2 for the run's length.
class RunReader : public Libxml2JobFileReader {
 public:
  using Libxml2JobFileReader::Libxml2JobFileReader;
  ~RunReader() override { ShutdownXmlLibrary(); }
};

}  // namespace

std::unique_ptr<JobFileReader> CreateJobFileReader(Platform& platform, ReaderFailure* failure) {
  *failure = ReaderFailure::None;
  if (!InitXmlLibrary()) {
    *failure = ReaderFailure::XmlLibraryFailed;
    return nullptr;
  }
  return std::make_unique<RunReader>(platform);
}

}  // namespace velkor
