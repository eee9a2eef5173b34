// The job file reader on libxml2: a streaming scan, so memory stays bounded however many
// entries a job file holds.
#ifndef VELKOR_READER_LIBXML2_LIBXML2_JOB_FILE_READER_H_
#define VELKOR_READER_LIBXML2_LIBXML2_JOB_FILE_READER_H_

#include <cstddef>
#include <memory>
#include <string>

#include "reader/job_file_reader.h"
#include "reader/job_file_reading.h"

namespace velkor {

// Brings up libxml2 once per run; false when it cannot work.
bool InitXmlLibrary();
void ShutdownXmlLibrary();

// Needs the library brought up for as long as it lives.
class Libxml2JobFileReader : public JobFileReader {
 public:
  static constexpr std::size_t kKeptBytes = JobFileReading::kKeptBytes;

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
  bool Load(std::unique_ptr<JobFileSource> source, ParseError* error);

  Platform& platform_;
  std::size_t kept_bytes_;
  std::unique_ptr<JobFileReading> reading_;
};

}  // namespace velkor

#endif  // VELKOR_READER_LIBXML2_LIBXML2_JOB_FILE_READER_H_
