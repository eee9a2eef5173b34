// Reads job files with libxml2: the album defaults of the root element, then every
// file element beneath it in document order.
#ifndef VELKOR_DRIVER_JOB_FILE_READER_H_
#define VELKOR_DRIVER_JOB_FILE_READER_H_

#include <cstdint>
#include <memory>
#include <string>

#include "driver/job_records.h"

namespace velkor {

// The parser's account of a job file that failed to load.
struct ParseError {
  std::uint32_t code = 0;
  std::int32_t line = 0;
  std::int32_t position = 0;
  std::u16string reason;  // no trailing line end
};

// Brings up the XML library once per run; false when it cannot work.
bool InitXmlLibrary();
void ShutdownXmlLibrary();

class JobFileReader {
 public:
  // Nullptr when the reader cannot be created.
  static std::unique_ptr<JobFileReader> Create();
  ~JobFileReader();

  // True when the job file at `path` (bytes, as given on the command line) is well-formed;
  // otherwise false with `error` filled, before any entry is read.
  bool LoadJobFile(const std::string& path, ParseError* error);
  void ReadAlbumDefaults(AlbumDefaults* defaults);
  void OpenEntries();
  // Fills `entry` from the next file element; false, leaving `entry` as it was, at the end.
  // Throws JobFileFailure when the job file can no longer be read.
  bool NextEntry(TrackEntry* entry);

 private:
  JobFileReader();
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace velkor

#endif  // VELKOR_DRIVER_JOB_FILE_READER_H_
