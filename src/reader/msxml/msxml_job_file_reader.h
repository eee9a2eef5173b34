// Reads job files through one MSXML DOM document for the whole run.
#ifndef VELKOR_READER_MSXML_MSXML_JOB_FILE_READER_H_
#define VELKOR_READER_MSXML_MSXML_JOB_FILE_READER_H_

#include "reader/job_file_reader.h"
#include "reader/msxml/com_handles.h"

#include <msxml.h>

namespace velkor::msxml {

class MsxmlJobFileReader : public JobFileReader {
 public:
  MsxmlJobFileReader() = default;
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

  bool com_started_ = false;
  ComPtr<IXMLDOMDocument> document_;
  ComPtr<IXMLDOMElement> root_;
  ComPtr<IXMLDOMNodeList> entries_;
};

}  // namespace velkor::msxml

#endif  // VELKOR_READER_MSXML_MSXML_JOB_FILE_READER_H_
