// Counts attributes of start tags before libxml2 parses them. libxml2 2.9 compares an
// element's attributes pair by pair to find duplicates, so one start tag with a hundred
// thousand attributes keeps it busy for minutes. Counting first lets the reader refuse
// such a tag while the parser still waits for its end.
#ifndef VELKOR_READER_LIBXML2_XML_ATTRIBUTE_COUNT_H_
#define VELKOR_READER_LIBXML2_XML_ATTRIBUTE_COUNT_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace velkor {

// Follows the start tag that the parser's unparsed input begins with, across pieces of
// the file, looking at each byte once.
class PendingTagCounter {
 public:
  // `pending` is the parser's unparsed input (UTF-8), which starts at `offset` in the
  // document. The attributes seen so far of the start tag it begins with; 0 when it
  // begins with anything else.
  std::size_t Count(std::uint64_t offset, std::string_view pending);

 private:
  std::uint64_t tag_ = UINT64_MAX;  // where the start tag followed begins
  std::uint64_t scanned_ = 0;       // how far it has been looked at
  char quote_ = 0;                  // the quote of the value being looked at, if any
  std::size_t attributes_ = 0;
};

// The most attributes any start tag in `text` (an entity's replacement text) has.
std::size_t MostAttributesPerTag(std::string_view text);

}  // namespace velkor

#endif  // VELKOR_READER_LIBXML2_XML_ATTRIBUTE_COUNT_H_
