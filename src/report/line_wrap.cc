#include "report/line_wrap.h"

#include <algorithm>

namespace velkor {
namespace {

constexpr size_t kNone = std::u16string_view::npos;

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// The break space for a line of at least `limit` units: the unit at `limit` when it is a
// space (when the line is exactly `limit` long that unit is its end, which is no space),
// else the nearest space before it.
size_t FindBreak(std::u16string_view line, size_t limit) {
  size_t position = limit < line.size() ? limit : limit - 1;
  for (;; --position) {
    if (line[position] == u' ') return position;
    if (position == 0) return kNone;
  }
}

}  // namespace

std::vector<std::u16string_view> SplitLines(std::u16string_view text) {
  std::vector<std::u16string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of(u"\r\n", start);
    if (end == kNone) end = text.size();
    if (end > start) lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::vector<std::u16string_view> WrapLines(const std::vector<std::u16string_view>& lines, int width) {
  // A terminal one column wide still gets every character, one per line.
  const size_t limit = static_cast<size_t>(std::max(width - 1, 1));
  std::vector<std::u16string_view> wrapped;
  for (std::u16string_view rest : lines) {
    while (rest.size() >= limit) {
      size_t space = FindBreak(rest, limit);
      if (space != kNone) {
        wrapped.push_back(rest.substr(0, space));
        rest.remove_prefix(space + 1);
        continue;
      }
      if (rest.size() == limit) break;  // fits, and there is nothing to break at
      size_t cut = limit;
      if (IsHighSurrogate(rest[cut - 1]) && IsLowSurrogate(rest[cut])) {
        // Never cut a pair in two: end the line before it, or, when the limit is a single
        // unit, give the pair a line of its own.
        if (cut == 1 && rest.size() == 2) break;
        cut = cut == 1 ? 2 : cut - 1;
      }
      wrapped.push_back(rest.substr(0, cut));
      rest.remove_prefix(cut);
    }
    wrapped.push_back(rest);
  }
  return wrapped;
}

}  // namespace velkor
