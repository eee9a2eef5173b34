#include "genre_script.h"

#include <cstddef>

#include "genre_order.h"

namespace velkor {
namespace {

constexpr char kListStart[] = "var genresList = [";
constexpr char kSortedStart[] = "var genresSorted = [";
constexpr char kIndexStart[] = "var genresIndex = [";
constexpr char kArrayEnd[] = "];";
constexpr char kLineEnd[] = "\r\n";
constexpr size_t kPerLine = 10;

std::string ArrayDeclaration(const char* start, const std::vector<std::string>& items) {
  std::string text = std::string(start) + kLineEnd;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i % kPerLine == 0) text += '\t';
    text += items[i];
    if (i + 1 == items.size()) {
      text += kLineEnd;
    } else {
      text += (i % kPerLine == kPerLine - 1) ? std::string(",") + kLineEnd : std::string(", ");
    }
  }
  return text + kArrayEnd + kLineEnd;
}

// Where a declaration starting with `start` begins at a line start, searching from `from`.
size_t FindDeclaration(const std::string& script, const char* start, size_t from) {
  for (size_t at = script.find(start, from); at != std::string::npos; at = script.find(start, at + 1)) {
    if (at == 0 || script[at - 1] == '\n') return at;
  }
  return std::string::npos;
}

}  // namespace

bool ParseGenresList(const std::string& script, std::vector<std::string>* names, std::string* error) {
  size_t at = FindDeclaration(script, kListStart, 0);
  if (at == std::string::npos) {
    *error = std::string("no line starts with \"") + kListStart + "\"";
    return false;
  }
  names->clear();
  bool want_name = true;
  for (at += sizeof kListStart - 1; at < script.size(); ++at) {
    char c = script[at];
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
    if (c == ']') {
      // A comma before the bracket would give old browsers one more, empty entry.
      if (!want_name) return true;
      *error = names->empty() ? "genresList is empty" : "genresList ends in a comma";
      return false;
    }
    if (c == ',' && !want_name) {
      want_name = true;
    } else if (c == '"' && want_name) {
      size_t end = script.find('"', at + 1);
      if (end == std::string::npos) break;
      std::string name = script.substr(at + 1, end - at - 1);
      for (char n : name) {
        if (n < ' ' || n > '~' || n == '\\') {
          *error = "genresList entry " + std::to_string(names->size()) + " holds a character other than printable ASCII";
          return false;
        }
      }
      names->push_back(name);
      want_name = false;
      at = end;
    } else {
      *error = "unexpected '" + std::string(1, c) + "' after genresList entry " + std::to_string(names->size());
      return false;
    }
  }
  *error = "genresList is not closed";
  return false;
}

bool GenreTableDeclarations(const std::vector<std::string>& names, std::string* declarations, std::string* error) {
  std::vector<size_t> order;
  if (!GenreNameOrder(names, &order, error)) return false;
  std::vector<std::string> list, sorted, index;
  for (const std::string& name : names) list.push_back("\"" + name + "\"");
  for (size_t position : order) {
    sorted.push_back("\"" + names[position] + "\"");
    index.push_back(std::to_string(position));
  }
  *declarations = ArrayDeclaration(kListStart, list) + ArrayDeclaration(kSortedStart, sorted) +
                  ArrayDeclaration(kIndexStart, index);
  return true;
}

bool RegenerateGenreTables(const std::string& script, std::string* result, std::string* error) {
  std::vector<std::string> names;
  if (!ParseGenresList(script, &names, error)) return false;
  size_t begin = FindDeclaration(script, kListStart, 0);
  size_t sorted = FindDeclaration(script, kSortedStart, begin);
  size_t index = sorted == std::string::npos ? sorted : FindDeclaration(script, kIndexStart, sorted);
  size_t close = index == std::string::npos ? index : script.find(kArrayEnd, index);
  if (close == std::string::npos) {
    *error = "genresSorted and genresIndex must follow genresList, each ending in \"];\"";
    return false;
  }
  size_t end = script.find('\n', close);
  end = end == std::string::npos ? script.size() : end + 1;
  std::string declarations;
  if (!GenreTableDeclarations(names, &declarations, error)) return false;
  *result = script.substr(0, begin) + declarations + script.substr(end);
  return true;
}

}  // namespace velkor
