#include "reader/libxml2/libxml2_job_file_reader.h"

#include <new>
#include <utility>
#include <vector>

#include "reader/entry_fields.h"
#include "reader/job_file_limits.h"
#include "reader/libxml2/job_file_scan.h"
#include "text/utf.h"

#include <libxml/parserInternals.h>

namespace velkor {
namespace {

static_assert(limits::kMaxAttributeValueBytes == XML_MAX_TEXT_LENGTH, "the limits are libxml2's");
static_assert(limits::kMaxNameBytes == XML_MAX_NAME_LENGTH, "the limits are libxml2's");

// libxml2's scan, for the files the plain scan gives up on.
class Libxml2Scan : public LibraryScan {
 public:
  explicit Libxml2Scan(ScanSink* sink) : scan_(AttributeNames(kAlbumBindings), AttributeNames(kEntryBindings), sink) {}
  bool Feed(const char* bytes, std::size_t size) override { return scan_.Feed(bytes, size); }
  bool Finish() override { return scan_.Finish(); }
  ParseError Failure() const override {
    const ScanFailure& failure = scan_.failure();
    if (failure.out_of_memory) throw std::bad_alloc();
    return ParseError{failure.code, failure.line, failure.column, Utf8ToUtf16(failure.reason)};
  }

 private:
  JobFileScan scan_;
};

}  // namespace

Libxml2JobFileReader::Libxml2JobFileReader(Platform& platform, std::size_t kept_bytes)
    : platform_(platform), kept_bytes_(kept_bytes) {
  Load(nullptr, nullptr);
}
Libxml2JobFileReader::~Libxml2JobFileReader() = default;

bool Libxml2JobFileReader::Load(std::unique_ptr<JobFileSource> source, ParseError* error) {
  reading_ = std::make_unique<JobFileReading>(platform_, kept_bytes_,
                                              [](ScanSink* sink) { return std::make_unique<Libxml2Scan>(sink); });
  return source && reading_->Check(std::move(source), error) == JobFileReading::Checked::kWellFormed;
}

bool Libxml2JobFileReader::LoadJobFile(const NativePath& path, ParseError* error) {
  SourceError source_error;
  std::unique_ptr<JobFileSource> source = OpenJobFileSource(platform_, path, &source_error);
  if (!source) {
    Load(nullptr, nullptr);
    *error = ParseError{source_error.code, 0, 0, std::move(source_error.reason)};
    return false;
  }
  return Load(std::move(source), error);
}

bool Libxml2JobFileReader::LoadJobFileFromMemory(std::string bytes, ParseError* error) {
  return Load(MemoryJobFileSource(std::move(bytes)), error);
}

void Libxml2JobFileReader::ReadAlbumDefaults(AlbumDefaults* defaults) { reading_->ReadAlbumDefaults(defaults); }
void Libxml2JobFileReader::OpenEntries() { reading_->OpenEntries(); }
bool Libxml2JobFileReader::NextEntry(TrackEntry* entry) { return reading_->NextEntry(entry); }

}  // namespace velkor
