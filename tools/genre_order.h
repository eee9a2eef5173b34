// The name order of the genre reference page: names compare without regard to case and
// with their hyphens left out; every other character compares by its code.
#ifndef VELKOR_TOOLS_GENRE_ORDER_H_
#define VELKOR_TOOLS_GENRE_ORDER_H_

#include <cstddef>
#include <string>
#include <vector>

namespace velkor {

// The text a name is compared by: hyphens dropped, ASCII letters in lower case.
std::string GenreSortKey(const std::string& name);

bool GenreNameLess(const std::string& a, const std::string& b);

// The positions of `names` in name order. Fails, naming them in `error`, when two names
// compare equal, since the order would then depend on the sorting routine.
bool GenreNameOrder(const std::vector<std::string>& names, std::vector<size_t>* order, std::string* error);

}  // namespace velkor

#endif  // VELKOR_TOOLS_GENRE_ORDER_H_
