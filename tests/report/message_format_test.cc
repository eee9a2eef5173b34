#include "report/message_format.h"

#include <gtest/gtest.h>

namespace velkor {
namespace {

TEST(FillPrintfInserts, InsertedTextsAreNeverInterpreted) {
  EXPECT_EQ(FillPrintfInserts(u"File '%s' to '%s'.", {u"a%s%d!1!.mp3", u"100%"}), u"File 'a%s%d!1!.mp3' to '100%'.");
  EXPECT_EQ(FillPrintfInserts(u"#%d, %d, %d", {12, -7, 0}), u"#12, -7, 0");
  EXPECT_EQ(FillPrintfInserts(u"100%% of %s", {u"x"}), u"100% of x");
}

TEST(FillPrintfInserts, MissingOrMismatchedArgumentsCannotReadPastTheList) {
  EXPECT_EQ(FillPrintfInserts(u"%s and %s and %d", {u"one"}), u"one and %s and %d");
  EXPECT_EQ(FillPrintfInserts(u"%d / %s", {u"text", 5}), u"text / 5");
  EXPECT_EQ(FillPrintfInserts(u"%x %5d %", {1}), u"%x %5d %");
  EXPECT_EQ(FillPrintfInserts(u"trailing %", {}), u"trailing %");
}

TEST(FillNumberedInserts, ConversionsAndOrder) {
  std::vector<FormatArg> inserts{u"job %1!s!.xml", 0xC00CE502u, 3, -1, u"reason"};
  EXPECT_EQ(FillNumberedInserts(u"'%1!s!' 0x%2!08X! line %3!d! pos %4!d!: %5!s!", inserts),
            u"'job %1!s!.xml' 0xC00CE502 line 3 pos -1: reason");
  EXPECT_EQ(FillNumberedInserts(u"%5 %3!d! %1", inserts), u"reason 3 job %1!s!.xml");
  EXPECT_EQ(FillNumberedInserts(u"0x%1!08X!", {0x1Fu}), u"0x0000001F");
  EXPECT_EQ(FillNumberedInserts(u"[%1!-4d!][%1!4d!][%1!x!]", {26}), u"[26  ][  26][1a]");
  EXPECT_EQ(FillNumberedInserts(u"a%%b%!c%.d%te%n", {}), u"a%b!c.d\te\r\n");
  EXPECT_EQ(FillNumberedInserts(u"shown%0hidden", {}), u"shown");
}

TEST(FillNumberedInserts, MalformedOrMissingInsertsStayAsWritten) {
  EXPECT_EQ(FillNumberedInserts(u"%2!s! %9!d! %1", {u"one"}), u"%2!s! %9!d! one");
  EXPECT_EQ(FillNumberedInserts(u"%1!q! %1!s %1!!", {u"x"}), u"%1!q! %1!s %1!!");
  EXPECT_EQ(FillNumberedInserts(u"%12 %99!s!", {u"x"}), u"%12 %99!s!");
  EXPECT_EQ(FillNumberedInserts(u"%1!08X!", {u"text"}), u"    text");  // a text is never zero-padded
  EXPECT_EQ(FillNumberedInserts(u"%", {}), u"%");
  EXPECT_EQ(FillNumberedInserts(u"%1!999999999999999999d!", {5}).empty(), false);
}

}  // namespace
}  // namespace velkor
