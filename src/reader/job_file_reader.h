// Reads job files: the album defaults of the root element, then every file element
// beneath it in document order. Each platform has its own reader behind this interface.
#ifndef VELKOR_READER_JOB_FILE_READER_H_
#define VELKOR_READER_JOB_FILE_READER_H_

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "records/job_records.h"

namespace velkor {

// The parser's account of a job file that failed to load.
struct ParseError {
  std::uint32_t code = 0;
  std::int32_t line = 0;
  std::int32_t position = 0;
  std::u16string reason;  // no trailing line end
};

// One attribute name and the text field of `Record` that it fills.
template <typename Record>
struct FieldBinding {
  std::u16string_view attribute;
  std::u16string Record::*field;
};

// The root element's attributes, in this order.
extern const std::array<FieldBinding<AlbumDefaults>, 4> kAlbumBindings;
// A file element's attributes: rows 0 and 1 are the file names, rows 2 to 8 the tag fields.
extern const std::array<FieldBinding<TrackEntry>, 9> kEntryBindings;

class JobFileReader {
 public:
  virtual ~JobFileReader() = default;

  // True when the job file at `path` (as given on the command line) is well-formed;
  // otherwise false with `error` filled, before any entry is read.
  virtual bool LoadJobFile(const NativePath& path, ParseError* error) = 0;
  virtual void ReadAlbumDefaults(AlbumDefaults* defaults) = 0;
  virtual void OpenEntries() = 0;
  // Fills `entry` from the next file element; false, leaving `entry` as it was, at the end.
  // Throws JobFileFailure when the job file can no longer be read.
  virtual bool NextEntry(TrackEntry* entry) = 0;
};

// Why no reader could be made.
enum class ReaderFailure { None, XmlLibraryFailed, ReaderNotCreated };

// Starts the XML library for the run and creates the reader, which stops the library when
// destroyed. Nullptr with `failure` set when either cannot be done. Job files are read
// through `platform`.
std::unique_ptr<JobFileReader> CreateJobFileReader(Platform& platform, ReaderFailure* failure);

}  // namespace velkor

#endif  // VELKOR_READER_JOB_FILE_READER_H_
