// The job file reader on MSXML: the reading both platforms share, its library scans on the
// SAX reader, so memory stays bounded however many entries a job file holds.
#ifndef VELKOR_READER_MSXML_MSXML_JOB_FILE_READER_H_
#define VELKOR_READER_MSXML_MSXML_JOB_FILE_READER_H_

#include <cstddef>
#include <memory>

#include "reader/job_file_reader.h"
#include "reader/job_file_reading.h"
#include "reader/msxml/com_handles.h"
#include "reader/msxml/sax_api.h"

namespace velkor::msxml {

class MsxmlJobFileReader : public JobFileReader {
 public:
  explicit MsxmlJobFileReader(Platform& platform, std::size_t kept_bytes = JobFileReading::kKeptBytes);
  MsxmlJobFileReader(const MsxmlJobFileReader&) = delete;
  MsxmlJobFileReader& operator=(const MsxmlJobFileReader&) = delete;
  ~MsxmlJobFileReader() override;

  // Brings up COM for the thread and creates the run's SAX reader.
  ReaderFailure Start();

  // The whole file is read once here to check it; its entries are read from it again while
  // they are walked, unless they fit in `kept_bytes`.
  bool LoadJobFile(const NativePath& path, ParseError* error) override;
  void ReadAlbumDefaults(AlbumDefaults* defaults) override;
  void OpenEntries() override;
  bool NextEntry(TrackEntry* entry) override;

 private:
  // A new reading, whose scans parse with the run's reader, one at a time.
  void NewReading();

  Platform& platform_;
  std::size_t kept_bytes_;
  bool com_started_ = false;
  ComPtr<ISAXXMLReader> reader_;
  std::unique_ptr<JobFileReading> reading_;
};

}  // namespace velkor::msxml

#endif  // VELKOR_READER_MSXML_MSXML_JOB_FILE_READER_H_
