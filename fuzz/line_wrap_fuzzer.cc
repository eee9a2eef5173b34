// Wraps arbitrary UTF-16 text (the input after its first two bytes, little-endian units)
// to a width of 0 to 300 (the first two bytes). Every printed line is a view into the
// text, so the walk can be checked against it: the lines come in order, each unit printed
// once; between two lines lie only line ends, one consumed break space, or nothing where
// a line without spaces was cut; no line is longer than the limit unless it is one
// surrogate pair that cannot fit; no pair is cut in two.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "report/line_wrap.h"

namespace {

bool IsHigh(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLow(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }
bool IsLineEnd(char16_t unit) { return unit == u'\r' || unit == u'\n'; }

void Check(bool promise) {
  if (!promise) std::abort();
}

bool OnlyLineEnds(std::u16string_view gap) {
  for (char16_t unit : gap) {
    if (!IsLineEnd(unit)) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const int width = (data[0] | data[1] << 8) % 301;
  std::u16string text;
  for (std::size_t i = 2; i + 1 < size; i += 2) text += static_cast<char16_t>(data[i] | data[i + 1] << 8);

  const std::size_t limit = width > 2 ? static_cast<std::size_t>(width - 1) : 1;
  std::size_t at = 0;  // where the text not yet printed begins
  std::u16string_view previous;
  bool first = true;
  for (std::u16string_view line : velkor::WrapLines(velkor::SplitLines(text), width)) {
    std::size_t start = static_cast<std::size_t>(line.data() - text.data());
    Check(start >= at && start + line.size() <= text.size());
    std::u16string_view gap(text.data() + at, start - at);
    if (gap.empty() && !first) {
      // A cut without a space: the line before had none to break at, and kept the pair whole.
      Check(previous.find(u' ') == std::u16string_view::npos);
      Check(previous.empty() || line.empty() || !(IsHigh(previous.back()) && IsLow(line.front())));
    } else if (!(gap == u" " && !first)) {
      Check(OnlyLineEnds(gap) && (first || !gap.empty()));
    }
    for (char16_t unit : line) Check(!IsLineEnd(unit));
    Check(line.size() <= limit || (line.size() == 2 && IsHigh(line[0]) && IsLow(line[1])));
    at = start + line.size();
    previous = line;
    first = false;
  }
  Check(OnlyLineEnds(std::u16string_view(text).substr(at)));
  return 0;
}
