// The SAX reader for the run: COM for the thread, one reader that reads nothing from
// outside a job file. A document type's internal subset is read (the shared guard in
// front of every scan judges it); external entities never are.
#include "reader/msxml/msxml_job_file_reader.h"

namespace velkor {
namespace msxml {
namespace {

struct Feature {
  const wchar_t* name;
  VARIANT_BOOL value;
};

constexpr Feature kFeatures[] = {
    {L"http://xml.org/sax/features/external-general-entities", VARIANT_FALSE},
    {L"http://xml.org/sax/features/external-parameter-entities", VARIANT_FALSE},
    {L"prohibit-dtd", VARIANT_FALSE},
    {L"http://xml.org/sax/features/namespaces", VARIANT_TRUE},
};

}  // namespace

ReaderFailure MsxmlJobFileReader::Start() {
  com_started_ = SUCCEEDED(CoInitialize(nullptr));
  if (!com_started_) return ReaderFailure::XmlLibraryFailed;
  if (FAILED(CoCreateInstance(kSaxReaderClass, nullptr, CLSCTX_INPROC_SERVER, kSaxReaderInterface,
                              reinterpret_cast<void**>(reader_.Out()))) ||
      !reader_) {
    return ReaderFailure::ReaderNotCreated;
  }
  for (const Feature& feature : kFeatures) {
    if (FAILED(reader_->putFeature(feature.name, feature.value))) return ReaderFailure::ReaderNotCreated;
  }
  NewReading();
  return ReaderFailure::None;
}

}  // namespace msxml

std::unique_ptr<JobFileReader> CreateJobFileReader(Platform& platform, ReaderFailure* failure) {
  auto reader = std::make_unique<msxml::MsxmlJobFileReader>(platform);
  *failure = reader->Start();
  if (*failure != ReaderFailure::None) return nullptr;
  return reader;
}

}  // namespace velkor
