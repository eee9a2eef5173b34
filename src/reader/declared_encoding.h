// The encoding a job file is written in, as its first bytes show it (XML 1.0, appendix F),
// and the refusal of a declaration that names another: XML 1.0 section 4.3.3 makes a
// document in UTF-16 that declares an 8-bit encoding a fatal error, and the same holds for
// a byte order mark of UTF-8 before a declaration of another encoding.
#ifndef VELKOR_READER_DECLARED_ENCODING_H_
#define VELKOR_READER_DECLARED_ENCODING_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "reader/job_file_reader.h"

namespace velkor {

enum class EncodingFamily {
  kAsciiCompatible,  // UTF-8 and the 8-bit and multi-byte encodings that keep ASCII
  kUtf16Le,
  kUtf16Be,
  kOther,  // UCS-4 or EBCDIC
};

struct DetectedEncoding {
  EncodingFamily family = EncodingFamily::kAsciiCompatible;
  std::size_t bom_bytes = 0;  // of a byte order mark at the start
};

// The encoding family of a file that starts with `start` (4 bytes suffice; fewer when the
// file is shorter).
DetectedEncoding DetectEncoding(std::string_view start);

// The refusals' codes, the numbers libxml2 gives the same faults.
constexpr std::uint32_t kLimitRefused = 1;          // a limit of the program's own
constexpr std::uint32_t kValueTooLong = 40;         // an attribute value past the limit
constexpr std::uint32_t kNameTooLong = 110;         // a name past the limit
constexpr std::uint32_t kEncodingContradicted = 81; // the declaration names another encoding

// False, with `error` filled, when `start` (the file's first bytes: the declaration's
// whole length at least) is UTF-16 whose declaration names an encoding that is not, or
// begins with UTF-8's byte order mark and a declaration that names another encoding.
bool CheckDeclaredEncoding(std::string_view start, ParseError* error);

}  // namespace velkor

#endif  // VELKOR_READER_DECLARED_ENCODING_H_
