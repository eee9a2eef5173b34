// The program's job file reader on this platform: libxml2's.
#include <memory>

#include "reader/libxml2/libxml2_job_file_reader.h"

namespace velkor {
namespace {

// Stops libxml2 when destroyed.
struct XmlLibraryOwner {
  ~XmlLibraryOwner() { ShutdownXmlLibrary(); }
};

// The reader of a run, which owns libxml2 for the run's length. Bases go in the reverse
// order of their listing: the reader, with any parser it still holds, before the library.
class RunReader : private XmlLibraryOwner, public Libxml2JobFileReader {
 public:
  using Libxml2JobFileReader::Libxml2JobFileReader;
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
