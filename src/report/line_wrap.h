// Splitting a message into lines and wrapping them to a terminal's width. Positions
// and lengths count UTF-16 units.
#ifndef VELKOR_REPORT_LINE_WRAP_H_
#define VELKOR_REPORT_LINE_WRAP_H_

#include <string_view>
#include <vector>

namespace velkor {

// Lines of `text`, split at CR and LF. A run of line ends counts as one break, so no
// line is empty.
std::vector<std::u16string_view> SplitLines(std::u16string_view text);

// Wraps every line to at most `width` - 1 units (at least 1), breaking at spaces.
// A break consumes the one space it happens at; all other spaces stay.
// A line with no space to break at is cut at the limit, never inside a surrogate pair: a
// pair that does not fit a one-unit limit gets a line of its own.
std::vector<std::u16string_view> WrapLines(const std::vector<std::u16string_view>& lines, int width);

}  // namespace velkor

#endif  // VELKOR_REPORT_LINE_WRAP_H_
