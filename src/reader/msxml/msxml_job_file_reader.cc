#include "reader/msxml/msxml_job_file_reader.h"

#include <utility>

#include "reader/markup_rewrite_scan.h"
#include "reader/msxml/sax_scan.h"
#include "reader/recoding_scan.h"

namespace velkor::msxml {

MsxmlJobFileReader::MsxmlJobFileReader(Platform& platform, std::size_t kept_bytes)
    : platform_(platform), kept_bytes_(kept_bytes) {
  NewReading();
}

MsxmlJobFileReader::~MsxmlJobFileReader() {
  reading_.reset();  // with any parse still under way, before the reader it uses
  reader_.Reset();
  if (com_started_) CoUninitialize();
}

void MsxmlJobFileReader::NewReading() {
  reading_.reset();
  ISAXXMLReader* reader = reader_.get();
  reading_ = std::make_unique<JobFileReading>(
      platform_, kept_bytes_, [reader](ScanSink* sink) -> std::unique_ptr<LibraryScan> {
        // Wine's reader lacks KOI8-R, keeps no entity of a document type, and keeps every
        // text node until the end of the document (in UTF-16 as well: it gets UTF-8).
        return std::make_unique<RecodingScan>(
            std::make_unique<MarkupRewriteScan>(std::make_unique<SaxScan>(reader, sink)));
      });
}

bool MsxmlJobFileReader::LoadJobFile(const NativePath& path, ParseError* error) {
  NewReading();
  SourceError source_error;
  std::unique_ptr<JobFileSource> source = OpenJobFileSource(platform_, path, &source_error);
  if (!source) {
    *error = ParseError{source_error.code, 0, 0, std::move(source_error.reason)};
    return false;
  }
  return reading_->Check(std::move(source), error) == JobFileReading::Checked::kWellFormed;
}

void MsxmlJobFileReader::ReadAlbumDefaults(AlbumDefaults* defaults) { reading_->ReadAlbumDefaults(defaults); }
void MsxmlJobFileReader::OpenEntries() { reading_->OpenEntries(); }
bool MsxmlJobFileReader::NextEntry(TrackEntry* entry) { return reading_->NextEntry(entry); }

}  // namespace velkor::msxml
