// Splitting a message into lines and wrapping them to the terminal's width less one.
#include "report/line_wrap.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velkor {
namespace {

std::u16string X(std::size_t n, char16_t c = u'x') { return std::u16string(n, c); }

TEST(LineWrapTest, SplitsAtLineEndsAndBreaksAtTheLastSpaceWithinTheLimit) {
  using Lines = std::vector<std::u16string>;
  const struct {
    const char* name;
    std::u16string text;
    int width;
    Lines expected;
  } rows[] = {
      {"nothing", u"", 80, {}},
      {"only line ends", u"\r\n\r\n\n\r", 80, {}},
      {"a run of line ends is one break", u"\r\nab\r\n\r\ncd\r\n", 80, {u"ab", u"cd"}},
      {"CR and LF alone", u"a\rb\nc", 80, {u"a", u"b", u"c"}},
      {"spaces and tabs stay", u" a\t\r\n", 80, {u" a\t"}},
      {"78 units stay whole", X(10) + u" " + X(67), 80, {X(10) + u" " + X(67)}},
      {"79 units break at the last space", X(20) + u" " + X(39) + u" " + X(18), 80,
       {X(20) + u" " + X(39), X(18)}},
      {"79 units without a space fit", X(79), 80, {X(79)}},
      {"the unit at 79 is the break", X(30) + u" " + X(48) + u" " + X(20), 80, {X(30) + u" " + X(48), X(20)}},
      {"ending in a space at 79", X(79) + u" ", 80, {X(79), u""}},
      {"only the first of two spaces goes", X(79) + u"  " + X(9), 80, {X(79), u" " + X(9)}},
      {"a space before the break stays", X(50) + u"  " + X(33), 80, {X(50) + u" ", X(33)}},
      {"no space: cut at the limit", X(200, u'y'), 80, {X(79, u'y'), X(79, u'y'), X(42, u'y')}},
      {"a tab is no break", X(100, u'\t'), 80, {X(79, u'\t'), X(21, u'\t')}},
      {"narrow: limit 2", u"ab cd  e fghij ", 3, {u"ab", u"cd", u" e", u"fg", u"hi", u"j", u""}},
      {"width 2", u"a bc", 2, {u"a", u"b", u"c"}},
      {"width 0", u"a bc", 0, {u"a", u"b", u"c"}},
      {"width -5", u"ab", -5, {u"a", u"b"}},
      {"never inside a surrogate pair", u"xx\U0001F3B5\U0001F3B5\U0001F3B5", 4,
       {u"xx", u"\U0001F3B5", u"\U0001F3B5", u"\U0001F3B5"}},
      {"a pair after one unit", u"x\U0001F3B5y", 3, {u"x", u"\U0001F3B5", u"y"}},
  };
  for (const auto& row : rows) {
    Lines wrapped;
    for (std::u16string_view line : WrapLines(SplitLines(row.text), row.width)) wrapped.emplace_back(line);
    EXPECT_EQ(wrapped, row.expected) << row.name;
  }
}

}  // namespace
}  // namespace velkor
