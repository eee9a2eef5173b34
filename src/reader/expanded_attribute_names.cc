#include "reader/expanded_attribute_names.h"

#include <algorithm>

namespace velkor {
namespace {

// Sorting makes the check n log n: an element may carry a thousand attributes.
template <typename Char>
const ExpandedName<Char>* Repeated(std::vector<ExpandedName<Char>>* names) {
  auto before = [](const ExpandedName<Char>& a, const ExpandedName<Char>& b) {
    return a.local_name != b.local_name ? a.local_name < b.local_name : a.namespace_name < b.namespace_name;
  };
  auto same = [](const ExpandedName<Char>& a, const ExpandedName<Char>& b) {
    return a.local_name == b.local_name && a.namespace_name == b.namespace_name;
  };
  std::sort(names->begin(), names->end(), before);
  auto repeated = std::adjacent_find(names->begin(), names->end(), same);
  return repeated == names->end() ? nullptr : &*repeated;
}

}  // namespace

const ExpandedName<char>* RepeatedExpandedName(std::vector<ExpandedName<char>>* names) { return Repeated(names); }

const ExpandedName<char16_t>* RepeatedExpandedName(std::vector<ExpandedName<char16_t>>* names) {
  return Repeated(names);
}

}  // namespace velkor
