// Message lines wrapped to the terminal's width less one, and message inserts filled:
// values are never interpreted, and nothing reads past them.
#include <gtest/gtest.h>

#include "report/line_wrap.h"
#include "report/message_format.h"

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
      {"79 units without a space fit", X(79), 80, {X(79)}},
      {"the unit at 79 is the break", X(30) + u" " + X(48) + u" " + X(20), 80, {X(30) + u" " + X(48), X(20)}},
      {"ending in a space at 79", X(79) + u" ", 80, {X(79), u""}},
      {"a space before the break stays", X(50) + u"  " + X(33), 80, {X(50) + u" ", X(33)}},
      {"a tab is no break", X(100, u'\t'), 80, {X(79, u'\t'), X(21, u'\t')}},
      {"narrow: limit 2", u"ab cd  e fghij ", 3, {u"ab", u"cd", u" e", u"fg", u"hi", u"j", u""}},
      {"width 2", u"a bc", 2, {u"a", u"b", u"c"}},
      {"width 0", u"a bc", 0, {u"a", u"b", u"c"}},
      {"width -5", u"ab", -5, {u"a", u"b"}},
      {"a pair after one unit", u"x\U0001F3B5y", 3, {u"x", u"\U0001F3B5", u"y"}},
      {"lone surrogates (a Windows name may hold them) are single units",
       u"ab\xD800" u"c\xDC00" u"de", 4, {u"ab\xD800", u"c\xDC00" u"d", u"e"}},
  };
  for (const auto& row : rows) {
    Lines wrapped;
    for (std::u16string_view line : WrapLines(SplitLines(row.text), row.width)) wrapped.emplace_back(line);
    EXPECT_EQ(wrapped, row.expected) << row.name;
  }
}

TEST(MessageFormatTest, InsertsAreFilledAsTheFormatSays) {
  const FormatArgs job = {u"job %1!s!.xml", 0xC00CE502u, 3, -1, u"reason"};
  const struct {
    bool numbered;  // %1!s! style, else printf style
    std::u16string format;
    FormatArgs args;
    std::u16string expected;
  } rows[] = {
      {false, u"File '%s' to '%s'.", {u"a%s%d!1!.mp3", u"100%"}, u"File 'a%s%d!1!.mp3' to '100%'."},
      {false, u"#%d, %d, %d, %d", {12, -7, 0, 0xFFFFFFFFu}, u"#12, -7, 0, -1"},
      {false, u"100%% of %s", {u"x"}, u"100% of x"},
      {false, u"%s and %s and %d", {u"one"}, u"one and %s and %d"},
      {false, u"%d / %s", {u"text", 5}, u"text / 5"},
      {false, u"%x %5d %", {1}, u"%x %5d %"},
      {true, u"'%1!s!' 0x%2!08X! line %3!d! pos %4!d!: %5!s!", job, u"'job %1!s!.xml' 0xC00CE502 line 3 pos -1: reason"},
      {true, u"%5 %3!d! %1", job, u"reason 3 job %1!s!.xml"},
      {true, u"%2 %2!u! %2!d! %2!x!", {0, 0xFFFFFFFFu}, u"4294967295 4294967295 -1 ffffffff"},
      {true, u"[%1!-4d!][%1!4d!][%1!x!][%1!04i!][%2!05d!][%2!-05d!]", {26, -42}, u"[26  ][  26][1a][0026][-0042][-42  ]"},
      {true, u"%10!d! %1%2", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, u"10 12"},
      {true, u"a%%b%!c%.d%te%n%re% f%qg", {}, u"a%b!c.d\te\r\n\re f%qg"},
      {true, u"shown%0hidden", {}, u"shown"},
      {true, u"%2!s! %9!d! %1 %", {u"one"}, u"%2!s! %9!d! one %"},
      {true, u"%1!q! %1!s %1!! %1!10005d! %12", {u"x"}, u"%1!q! %1!s %1!! %1!10005d! %12"},
      {true, u"%1!08X!|%1!-6s!|%2!999d!", {u"text", 5}, u"    text|text  |" + X(998, u' ') + u"5"},
  };
  for (const auto& row : rows) {
    std::u16string filled = u"left from the last message";
    if (row.numbered) filled = FillNumberedInserts(row.format, row.args);
    else FillPrintfInserts(row.format, row.args, &filled);
    EXPECT_EQ(filled, row.expected) << std::string(row.format.begin(), row.format.end());
  }
}

}  // namespace
}  // namespace velkor
