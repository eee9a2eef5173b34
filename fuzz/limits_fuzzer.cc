// The program's own limits, judged by the markup guard that runs before the XML library
// on both platforms, against libxml2 reading the same bytes with the checks it keeps. Where
// libxml2 reads a file as well-formed, the guard never loses its way in it and refuses it
// only for a limit; where there is no document type, the two agree exactly; and a file
// libxml2 refuses for nesting, attributes or the length of a name or value, the guard
// refuses too. Both are fed the pieces the reader feeds.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "reader/job_file_reading.h"
#include "reader/markup_guard.h"
#include "support/scan_recorder.h"

namespace {

bool IsStructuralLimit(const velkor::ScanFailure& failure) {
  const std::string_view reason = failure.reason;
  return reason.rfind("Excessive depth", 0) == 0 || reason.rfind("Excessive number of attributes on an element", 0) == 0 ||
         failure.code == XML_ERR_NAME_TOO_LONG;
}

bool IsLimitCode(std::uint32_t code) {
  return code == velkor::kLimitRefused || code == velkor::kValueTooLong || code == velkor::kNameTooLong ||
         code == velkor::kParameterEntityRefused || code == velkor::kExternalEntityRefused ||
         code == velkor::kEntityLoop || code == velkor::kDeclarationsTooLarge;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::size_t piece = velkor::JobFileReading::kChunkSize;
  velkor::ScanRecorder recorder;
  velkor::JobFileScan scan(velkor::kRecordedRootNames, velkor::kRecordedFileNames, &recorder);
  velkor::MarkupGuard guard;
  bool read = true, guarded = true;
  for (std::size_t at = 0; at < size; at += piece) {
    const std::string_view part = text.substr(at, piece);
    read = read && scan.Feed(part.data(), part.size());
    guarded = guarded && guard.Feed(part.data(), part.size());
  }
  read = read && scan.Finish();
  guarded = guarded && guard.Finish();
  const bool document_type = text.find("<!DOCTYPE") != std::string_view::npos;
  if (read && !guarded && (guard.lost() || !IsLimitCode(guard.refusal().code) || !document_type)) std::abort();
  if (!read && IsStructuralLimit(scan.failure()) && guarded) std::abort();
  return 0;
}
