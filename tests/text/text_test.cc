// UTF-8 and UTF-16 at every range boundary, and text in the locale's charset: lossy for
// tags and output, exact or refused for paths.
#include <gtest/gtest.h>

#include "platform/posix/posix_charset.h"
#include "text/utf.h"

namespace velkor {
namespace {

class TextTest : public ::testing::Test {
 protected:
  void TearDown() override { SelectAnsiCharset("UTF-8"); }
};

TEST_F(TextTest, Utf8DecodesEveryRangeAndRefusesTheRest) {
  const std::u16string bad(1, kReplacementCharacter);
  const struct {
    std::string bytes;
    std::u16string text;  // a valid row also encodes back to its bytes
    bool valid;
  } rows[] = {
      {"A\x7F", u"A\x7F", true},           {"\xC2\x80", u"\u0080", true},      {"\xDF\xBF", u"\u07FF", true},
      {"\xE0\xA0\x80", u"\u0800", true},   {"\xE0\xBF\xBF", u"\u0FFF", true},  {"\xE1\x80\x80", u"\u1000", true},
      {"\xED\x9F\xBF", u"\uD7FF", true},   {"\xEE\x80\x80", u"\uE000", true},  {"\xEF\xBF\xBF", u"\uFFFF", true},
      {"\xF0\x90\x80\x80", u"\U00010000", true}, {"\xF4\x8F\xBF\xBF", u"\U0010FFFF", true},
      {"\xC0\x80", bad + bad, false},      {"\xC1\xBF", bad + bad, false},     {"\xE0\x9F\xBF", bad + bad + bad, false},
      {"\xED\xA0\x80", bad + bad + bad, false},  {"\xED\xBF\xBF", bad + bad + bad, false},
      {"\xF0\x8F\xBF\xBF", bad + bad + bad + bad, false}, {"\xF4\x90\x80\x80", bad + bad + bad + bad, false},
      {"\xF5\x80", bad + bad, false},      {"\xC1\x80\x80\x80", bad + bad + bad + bad, false},
      {"\x80" "a\xFF", bad + u"a" + bad, false},
      {"\xC3" "A", bad + u"A", false},     {"\xE6\x97", bad + bad, false},     {"\xE6\x97" "A", bad + bad + u"A", false},
  };
  for (const auto& row : rows) {
    bool valid = !row.valid;
    EXPECT_EQ(Utf8ToUtf16(row.bytes, &valid), row.text) << ::testing::PrintToString(row.bytes);
    EXPECT_EQ(valid, row.valid) << ::testing::PrintToString(row.bytes);
    if (row.valid) {
      EXPECT_EQ(Utf16ToUtf8(row.text), row.bytes) << ::testing::PrintToString(row.bytes);
    }
  }
  const struct {
    std::u16string text;
    std::string bytes;  // lone surrogates become U+FFFD and make the text invalid
  } utf16_rows[] = {
      {u"ab\U00010000", "ab\xF0\x90\x80\x80"},  {u"\U0010FFFF", "\xF4\x8F\xBF\xBF"},
      {std::u16string(1, u'\xD800'), "\xEF\xBF\xBD"}, {std::u16string(u"\xDBFF" "A", 2), "\xEF\xBF\xBD" "A"},
      {std::u16string(u"x\xDC00", 2), "x\xEF\xBF\xBD"}, {std::u16string(u"\xDFFF\xD800", 2), "\xEF\xBF\xBD\xEF\xBF\xBD"},
  };
  for (const auto& row : utf16_rows) {
    bool valid = true;
    EXPECT_EQ(Utf16ToUtf8(row.text, &valid), row.bytes) << ::testing::PrintToString(row.bytes);
    EXPECT_EQ(valid, row.bytes.find("\xEF\xBF\xBD") == std::string::npos) << ::testing::PrintToString(row.bytes);
  }
}

TEST_F(TextTest, CharsetConversions) {
  std::u16string long_text;
  std::string long_bytes;
  for (int i = 0; i < 3000; ++i) {  // longer than one pass of the converter's buffer
    long_text += i % 2 ? u"Я" : u"日";
    long_bytes += i % 2 ? "\xDF" : "?";
  }
  const std::string kPrivet = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82";
  for (const char* name : {"ANSI_X3.4-1968", "utf-8", "UTF8", "ascii", "US-ASCII", "", "NO-SUCH"}) {
    SelectAnsiCharset(name);  // the plain C locale's charset and unknown ones count as UTF-8
    EXPECT_EQ(AnsiCharsetName() + ToAnsi(u"Привет"), "UTF-8" + kPrivet) << name;
  }
  const struct {
    const char* charset;
    std::u16string text;
    std::string ansi;  // ToAnsi: line ends as they are
    std::string path;  // ToNativePath, "refused" when it fails
  } rows[] = {
      {"UTF-8", u"Привет\r\n", kPrivet + "\r\n", kPrivet + "\r\n"},
      {"UTF-8", std::u16string(u"ab\0cd", 5), "ab", "refused"},
      {"UTF-8", u"a\rb\r\r\n\r", "a\rb\r\r\n\r", "a\rb\r\r\n\r"},
      {"UTF-8", std::u16string(u"x\xD800", 2), "x\xEF\xBF\xBD", "refused"},
      {"CP1251", u"Привет, Ёж €\r\r\n", "\xCF\xF0\xE8\xE2\xE5\xF2, \xA8\xE6 \x88\r\r\n",
       "\xCF\xF0\xE8\xE2\xE5\xF2, \xA8\xE6 \x88\r\r\n"},
      {"CP1251", u"日本 x", "?? x", "refused"},
      {"CP1251", u"café", "caf?", "refused"},
      {"CP1251", std::u16string(u"Жa\0Ж", 4), "\xC6" "a", "refused"},
      {"CP1251", long_text, long_bytes, "refused"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.charset) + ": " + row.ansi.substr(0, 20));
    SelectAnsiCharset(row.charset);
    EXPECT_EQ(AnsiCharsetName(), row.charset);
    EXPECT_EQ(ToAnsi(row.text), row.ansi);
    std::string native = "refused";
    EXPECT_EQ(ToNativePath(row.text, &native) ? native : "refused", row.path);
  }
  // A NUL, the first non-ASCII unit and one with a zero low byte, at every place of texts
  // around eight units, 64 units and 256 units.
  SelectAnsiCharset("UTF-8");
  for (std::size_t length : {7, 8, 9, 15, 16, 17, 63, 64, 65, 72, 254, 256, 258}) {
    for (std::size_t at = 0; at < length; ++at) {
      const std::string a(length, 'a');
      for (const auto& [unit, bytes] :
           {std::pair<char16_t, std::string>{u'\0', ""}, {u'\x80', "\xC2\x80"}, {u'\u0100', "\xC4\x80"}}) {
        std::u16string text(length, u'a');
        text[at] = unit;
        const std::string expected = a.substr(0, at) + (unit ? bytes + a.substr(at + 1) : "");
        std::string native = "refused";
        EXPECT_EQ(ToAnsi(text), expected) << length << " " << at;
        EXPECT_EQ(ToNativePath(text, &native) ? native : "refused", unit ? expected : "refused") << length << " " << at;
      }
    }
  }
  SelectAnsiCharset("CP1251");
  EXPECT_EQ(FromAnsi("\xCF\xF0\xE8\xE2\xE5\xF2 \x98\xB8\xA8"), u"Привет \uFFFDёЁ");  // 0x98 is no letter
  SelectAnsiCharset("UTF-8");
  EXPECT_EQ(FromAnsi("a\xFF" "b\xD0\x96"), u"a\uFFFDbЖ");
}

}  // namespace
}  // namespace velkor
