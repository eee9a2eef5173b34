#include "genre_order.h"

#include <algorithm>
#include <numeric>

namespace velkor {

std::string GenreSortKey(const std::string& name) {
  std::string key;
  for (char c : name) {
    if (c == '-') continue;
    key += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return key;
}

bool GenreNameLess(const std::string& a, const std::string& b) {
  // char_traits<char> compares as unsigned char, so the order is that of the codes.
  return GenreSortKey(a) < GenreSortKey(b);
}

bool GenreNameOrder(const std::vector<std::string>& names, std::vector<size_t>* order, std::string* error) {
  std::vector<std::string> keys;
  keys.reserve(names.size());
  for (const std::string& name : names) keys.push_back(GenreSortKey(name));
  order->resize(names.size());
  std::iota(order->begin(), order->end(), size_t{0});
  std::sort(order->begin(), order->end(), [&keys](size_t a, size_t b) { return keys[a] < keys[b]; });
  for (size_t k = 1; k < order->size(); ++k) {
    size_t a = (*order)[k - 1], b = (*order)[k];
    if (keys[a] == keys[b]) {
      *error = "\"" + names[a] + "\" (" + std::to_string(a) + ") and \"" + names[b] + "\" (" + std::to_string(b) +
               ") are equal in name order";
      return false;
    }
  }
  return true;
}

}  // namespace velkor
