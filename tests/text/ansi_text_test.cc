// Text in the locale's charset: tag text and output are lossy, paths are exact.
#include "text/ansi_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "platform/posix/posix_platform.h"
#include "support/locale.h"

namespace velkor {
namespace {

class AnsiTextTest : public ::testing::Test {
 protected:
  void TearDown() override {
    std::setlocale(LC_ALL, "C");
    SelectAnsiCharset("UTF-8");
  }
};

TEST_F(AnsiTextTest, PlainLocaleAndUnknownCharsetsCountAsUtf8) {
  for (const char* name : {"ANSI_X3.4-1968", "utf-8", "UTF8", "", "NO-SUCH-CHARSET"}) {
    SelectAnsiCharset(name);
    EXPECT_EQ(AnsiCharsetName(), "UTF-8") << name;
    EXPECT_EQ(ToAnsi(u"Привет 日"), "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 \xE6\x97\xA5") << name;
  }
  EXPECT_EQ(ToAnsi(std::u16string(u"ab\0cd", 5)), "ab");
  EXPECT_EQ(ToAnsi(std::u16string(1, u'\xD800') + u"x"), "\xEF\xBF\xBDx");
  EXPECT_EQ(FromAnsi("a\xFF" "b\xD0\x96"), u"a\uFFFDbЖ");
}

TEST_F(AnsiTextTest, SingleByteCharsetConvertsBothWays) {
  SelectAnsiCharset("CP1251");
  ASSERT_EQ(AnsiCharsetName(), "CP1251");
  EXPECT_EQ(ToAnsi(u"Привет, Ёж €"), "\xCF\xF0\xE8\xE2\xE5\xF2, \xA8\xE6 \x88");
  EXPECT_EQ(ToAnsi(u"日本 x"), "?? x");
  EXPECT_EQ(ToAnsi(std::u16string(u"Жa\0Ж", 4)), "\xC6" "a");
  EXPECT_EQ(FromAnsi("\xCF\xF0\xE8\xE2\xE5\xF2"), u"Привет");
  // 0x98 is no character in CP1251; the letter after it must survive.
  EXPECT_EQ(FromAnsi("\x98\xB8\xA8"), u"\uFFFDёЁ");

  // Longer than one pass of the converter's buffer.
  std::u16string long_text;
  std::string long_bytes;
  for (int i = 0; i < 3000; ++i) {
    long_text += i % 2 ? u"Я" : u"日";
    long_bytes += i % 2 ? "\xDF" : "?";
  }
  EXPECT_EQ(ToAnsi(long_text), long_bytes);
}

TEST_F(AnsiTextTest, PathsAreEncodedExactlyOrNotAtAll) {
  std::string native = "unchanged";
  SelectAnsiCharset("CP1251");
  EXPECT_TRUE(ToNativePath(u"/tmp/Песня.mp3", &native));
  EXPECT_EQ(native, "/tmp/\xCF\xE5\xF1\xED\xFF.mp3");
  // A best-fit or '?' could name another file that exists.
  EXPECT_FALSE(ToNativePath(u"/tmp/日.mp3", &native));
  EXPECT_FALSE(ToNativePath(u"/tmp/caf\u00E9.mp3", &native));
  EXPECT_FALSE(ToNativePath(std::u16string(u"a\0b", 3), &native));
  EXPECT_FALSE(ToNativePath(std::u16string(1, u'\xDC00'), &native));

  SelectAnsiCharset("UTF-8");
  EXPECT_TRUE(ToNativePath(u"/tmp/日.mp3", &native));
  EXPECT_EQ(native, "/tmp/\xE6\x97\xA5.mp3");
  EXPECT_FALSE(ToNativePath(std::u16string(u"x\xD800", 2), &native));
}

TEST_F(AnsiTextTest, OutputGetsPosixLineEnds) {
  EXPECT_EQ(ToAnsiWithPosixLineEnds(u"a\r\nb\rc\n\r\n"), "a\nb\rc\n\n");
  SelectAnsiCharset("CP1251");
  EXPECT_EQ(ToAnsiWithPosixLineEnds(u"Да\r\n"), "\xC4\xE0\n");
}

TEST_F(AnsiTextTest, LocaleCharsetDecidesTheConversion) {
  PosixPlatform platform;
  std::setlocale(LC_ALL, "C");
  SelectAnsiCharset(platform.CharsetName());
  EXPECT_EQ(AnsiCharsetName(), "UTF-8");

  ASSERT_TRUE(testing::UseLocale("ru_RU.CP1251")) << "ru_RU.CP1251: " << testing::LocaleHint();
  EXPECT_EQ(platform.CharsetName(), "CP1251");
  SelectAnsiCharset(platform.CharsetName());
  EXPECT_EQ(AnsiCharsetName(), "CP1251");
  // The locale knows how to write accented Latin letters without their accents.
  EXPECT_EQ(ToAnsi(u"Café Привет 日"), "Cafe \xCF\xF0\xE8\xE2\xE5\xF2 ?");
}

}  // namespace
}  // namespace velkor
