// Filling message inserts: values are never interpreted, and nothing reads past them.
#include "report/message_format.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velkor {
namespace {

TEST(MessageFormatTest, InsertsAreFilledAsTheFormatSays) {
  const std::vector<FormatArg> job = {u"job %1!s!.xml", 0xC00CE502u, 3, -1, u"reason"};
  const std::vector<FormatArg> ten = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  const struct {
    bool numbered;  // %1!s! style, else printf style
    std::u16string format;
    std::vector<FormatArg> args;
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
      {true, u"%10!d! %1%2", ten, u"10 12"},
      {true, u"a%%b%!c%.d%te%n%re% f%qg", {}, u"a%b!c.d\te\r\n\re f%qg"},
      {true, u"shown%0hidden", {}, u"shown"},
      {true, u"%2!s! %9!d! %1 %", {u"one"}, u"%2!s! %9!d! one %"},
      {true, u"%1!q! %1!s %1!! %1!10005d! %12", {u"x"}, u"%1!q! %1!s %1!! %1!10005d! %12"},
      {true, u"%1!08X!|%1!-6s!|%2!999d!", {u"text", 5}, u"    text|text  |" + std::u16string(998, u' ') + u"5"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(row.numbered ? FillNumberedInserts(row.format, row.args) : FillPrintfInserts(row.format, row.args),
              row.expected)
        << std::string(row.format.begin(), row.format.end());
  }
}

}  // namespace
}  // namespace velkor
