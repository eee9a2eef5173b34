// The first bytes of a job file against the encoding check. Besides crashes and undefined
// behaviour it catches broken promises: a refusal always names its fault on line 1, in a
// reason without control characters (it is printed on one line), and only a byte order
// mark or UTF-16 without one can contradict a declaration.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "reader/declared_encoding.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view start(reinterpret_cast<const char*>(data), size);
  const velkor::DetectedEncoding detected = velkor::DetectEncoding(start);
  if (detected.bom_bytes > size) std::abort();
  velkor::ParseError error;
  if (velkor::CheckDeclaredEncoding(start, &error)) return 0;
  const bool utf16 = detected.family == velkor::EncodingFamily::kUtf16Le || detected.family == velkor::EncodingFamily::kUtf16Be;
  if (!utf16 && detected.bom_bytes == 0) std::abort();
  if (error.code != velkor::kEncodingContradicted || error.line != 1 || error.position < 1 ||
      error.reason.rfind(u"The document is in UTF-", 0) != 0 ||
      std::any_of(error.reason.begin(), error.reason.end(), [](char16_t c) { return c < u' '; })) {
    std::abort();
  }
  return 0;
}
