// How far a job file may go, the same whichever XML library reads it: past these a job
// file fails before any entry is read. The numbers are those the Linux reader's library
// keeps without its "huge" option, so a job file passes on one platform if and only if it
// passes on the other.
#ifndef VELKOR_READER_JOB_FILE_LIMITS_H_
#define VELKOR_READER_JOB_FILE_LIMITS_H_

#include <cstddef>

namespace velkor::limits {

// Elements nested deeper than this.
constexpr std::size_t kMaxDepth = 256;
// Attributes on one element (namespace declarations included).
constexpr std::size_t kMaxAttributes = 1000;
// Bytes of one attribute value, as UTF-8.
constexpr std::size_t kMaxAttributeValueBytes = 10000000;
// Bytes of one element or attribute name, as UTF-8.
constexpr std::size_t kMaxNameBytes = 50000;

}  // namespace velkor::limits

#endif  // VELKOR_READER_JOB_FILE_LIMITS_H_
