// Namespaces in XML 1.0, "Attributes Unique": no two attributes of one element may have the
// same namespace name and local name, whatever their prefixes. Both readers ask this of
// every element whose attributes have namespaces: libxml2 gives the names in UTF-8, MSXML
// in UTF-16, so either is taken as it comes.
#ifndef VELKOR_READER_EXPANDED_ATTRIBUTE_NAMES_H_
#define VELKOR_READER_EXPANDED_ATTRIBUTE_NAMES_H_

#include <string_view>
#include <vector>

namespace velkor {

template <typename Char>
struct ExpandedName {
  std::basic_string_view<Char> namespace_name;  // empty for none
  std::basic_string_view<Char> local_name;
};

// One of two attributes whose expanded names coincide, or null when all differ. Reorders
// `names`, which the caller may reuse from element to element.
const ExpandedName<char>* RepeatedExpandedName(std::vector<ExpandedName<char>>* names);
const ExpandedName<char16_t>* RepeatedExpandedName(std::vector<ExpandedName<char16_t>>* names);

}  // namespace velkor

#endif  // VELKOR_READER_EXPANDED_ATTRIBUTE_NAMES_H_
