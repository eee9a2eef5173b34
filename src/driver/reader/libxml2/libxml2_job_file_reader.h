// The job file reader on libxml2: a streaming scan, so memory stays bounded however many
// entries a job file holds.
#ifndef VELKOR_DRIVER_READER_LIBXML2_LIBXML2_JOB_FILE_READER_H_
#define VELKOR_DRIVER_READER_LIBXML2_LIBXML2_JOB_FILE_READER_H_

#include <cstddef>
#include <memory>
#include <string>

#include "driver/job_file_reader.h"

namespace velkor {

// Brings up libxml2 once per run; false when it cannot work.
bool InitXmlLibrary();
void ShutdownXmlLibrary();

// Needs the library brought up for as long as it lives.
class Libxml2JobFileReader : public JobFileReader {
 public:
  // What the entries that the check decodes may take in memory, to be handed out without
  // parsing the file again.
  static constexpr std::size_t kKeptBytes = 16 * 1024 * 1024;

  explicit Libxml2JobFileReader(Platform& platform, std::size_t kept_bytes = kKeptBytes);
  ~Libxml2JobFileReader() override;

  // The whole file is read once here to check it; its entries are read from it again while
  // they are walked, unless they fit in `kept_bytes`.
  bool LoadJobFile(const NativePath& path, ParseError* error) override;
  // LoadJobFile for a job file held in memory.
  bool LoadJobFileFromMemory(std::string bytes, ParseError* error);

  void ReadAlbumDefaults(AlbumDefaults* defaults) override;
  void OpenEntries() override;
  bool NextEntry(TrackEntry* entry) override;

 private:
  struct State;
  Platform& platform_;
  std::size_t kept_bytes_;
  std::unique_ptr<State> state_;
};

}  // namespace velkor

#endif  // VELKOR_DRIVER_READER_LIBXML2_LIBXML2_JOB_FILE_READER_H_
