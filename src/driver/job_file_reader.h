// Reads job files with libxml2: the album defaults of the root element, then every
// file element beneath it in document order.
#ifndef VELKOR_DRIVER_JOB_FILE_READER_H_
#define VELKOR_DRIVER_JOB_FILE_READER_H_

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "driver/job_records.h"
#include "platform/platform.h"

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

// Brings up the XML library once per run; false when it cannot work.
bool InitXmlLibrary();
void ShutdownXmlLibrary();

class JobFileReader {
 public:
  // Nullptr when the reader cannot be created. Job files are read through `platform`.
  static std::unique_ptr<JobFileReader> Create(Platform& platform);
  ~JobFileReader();

  // True when the job file at `path` (bytes, as given on the command line) is well-formed;
  // otherwise false with `error` filled, before any entry is read. The whole file is read
  // once here to check it and once more while the entries are walked; memory stays small
  // however many entries it holds.
  bool LoadJobFile(const std::string& path, ParseError* error);
  // LoadJobFile for a job file held in memory.
  bool LoadJobFileFromMemory(std::string bytes, ParseError* error);

  void ReadAlbumDefaults(AlbumDefaults* defaults);
  void OpenEntries();
  // Fills `entry` from the next file element; false, leaving `entry` as it was, at the end.
  // Throws JobFileFailure when the job file can no longer be read.
  bool NextEntry(TrackEntry* entry);

 private:
  explicit JobFileReader(Platform& platform);
  struct State;
  Platform& platform_;
  std::unique_ptr<State> state_;
};

}  // namespace velkor

#endif  // VELKOR_DRIVER_JOB_FILE_READER_H_
