// Reads job files in the plain form as the Linux reader does, by the shared plain reading;
// every other job file, once the markup guard passed it, through one MSXML DOM document
// for the whole run, loaded from the program's own open file.
#ifndef VELKOR_READER_MSXML_MSXML_JOB_FILE_READER_H_
#define VELKOR_READER_MSXML_MSXML_JOB_FILE_READER_H_

#include <memory>
#include <string>

#include "reader/job_file_reader.h"
#include "reader/job_file_reading.h"
#include "reader/msxml/com_handles.h"

#include <msxml.h>

namespace velkor::msxml {

class MsxmlJobFileReader : public JobFileReader {
 public:
  explicit MsxmlJobFileReader(Platform& platform, std::size_t kept_bytes = JobFileReading::kKeptBytes)
      : platform_(platform), kept_bytes_(kept_bytes) {}
  MsxmlJobFileReader(const MsxmlJobFileReader&) = delete;
  MsxmlJobFileReader& operator=(const MsxmlJobFileReader&) = delete;
  ~MsxmlJobFileReader() override;

  // Brings up COM for the thread and creates the run's document.
  ReaderFailure Start();

  bool LoadJobFile(const NativePath& path, ParseError* error) override;
  void ReadAlbumDefaults(AlbumDefaults* defaults) override;
  void OpenEntries() override;
  bool NextEntry(TrackEntry* entry) override;

 private:
  // The objects of one job file, released when the next one loads or the reader goes.
  void ReleaseJobFile();
  bool Load(std::unique_ptr<JobFileSource> source, ParseError* error);
  // Loads the document from `source`'s first byte.
  bool LoadDocument(JobFileSource* source, ParseError* error);

  Platform& platform_;
  std::size_t kept_bytes_;
  std::unique_ptr<JobFileReading> plain_;  // set while a plain job file is read
  bool com_started_ = false;
  ComPtr<IXMLDOMDocument> document_;
  ComPtr<IXMLDOMElement> root_;
  ComPtr<IXMLDOMNodeList> entries_;
};

}  // namespace velkor::msxml

#endif  // VELKOR_READER_MSXML_MSXML_JOB_FILE_READER_H_
