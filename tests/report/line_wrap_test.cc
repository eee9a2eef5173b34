#include "report/line_wrap.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velkor {
namespace {

std::vector<std::u16string> Wrap(std::u16string_view text, int width) {
  std::vector<std::u16string> out;
  for (auto line : WrapLines(SplitLines(text), width)) out.emplace_back(line);
  return out;
}

// `length` units of 'x' with spaces at the given positions.
std::u16string Line(size_t length, std::initializer_list<size_t> spaces) {
  std::u16string line(length, u'x');
  for (size_t position : spaces) line[position] = u' ';
  return line;
}

TEST(SplitLines, AnyRunOfLineEndsIsOneBreakAndEmptyLinesVanish) {
  using Lines = std::vector<std::u16string_view>;
  EXPECT_EQ(SplitLines(u""), Lines{});
  EXPECT_EQ(SplitLines(u"\r\n\r\n\n\r"), Lines{});
  EXPECT_EQ(SplitLines(u"\r\nab\r\n\r\ncd\r\n"), (Lines{u"ab", u"cd"}));
  EXPECT_EQ(SplitLines(u"a\rb\nc"), (Lines{u"a", u"b", u"c"}));
  EXPECT_EQ(SplitLines(u" a\t\r\n"), Lines{u" a\t"});  // spaces and tabs stay
}

TEST(WrapLines, BreaksAtTheLastSpaceWithinWidthMinusOne) {
  const int w = 80;
  std::u16string l78 = Line(78, {10});
  EXPECT_EQ(Wrap(l78, w), std::vector<std::u16string>{l78}) << "shorter than 79 stays whole";

  // Exactly 79 units is broken at its last space although it would fit.
  std::u16string l79 = Line(79, {20, 60});
  EXPECT_EQ(Wrap(l79, w), (std::vector<std::u16string>{l79.substr(0, 60), l79.substr(61)}));

  // The unit at position 79 is itself the break.
  std::u16string l100 = Line(100, {30, 79});
  EXPECT_EQ(Wrap(l100, w), (std::vector<std::u16string>{l100.substr(0, 79), l100.substr(80)}));

  // 80 units ending in a space: 79 units, then an empty line.
  std::u16string l80 = Line(80, {5, 79});
  EXPECT_EQ(Wrap(l80, w), (std::vector<std::u16string>{l80.substr(0, 79), u""}));

  // Spaces at 79 and 80: only the one at 79 is consumed.
  std::u16string l90 = Line(90, {79, 80});
  EXPECT_EQ(Wrap(l90, w), (std::vector<std::u16string>{l90.substr(0, 79), l90.substr(80)}));
  EXPECT_EQ(Wrap(l90, w)[1][0], u' ');

  // Spaces at 50 and 51, none after: the printed line ends with the space at 50.
  std::u16string l85 = Line(85, {50, 51});
  auto wrapped = Wrap(l85, w);
  ASSERT_EQ(wrapped.size(), 2u);
  EXPECT_EQ(wrapped[0], l85.substr(0, 51));
  EXPECT_EQ(wrapped[0].back(), u' ');
  EXPECT_EQ(wrapped[1], l85.substr(52));
}

TEST(WrapLines, LongContinuationsAreBrokenAgainAndNothingIsLost) {
  std::u16string words;
  for (int i = 0; i < 100; ++i) words += u"word" + std::u16string(1, static_cast<char16_t>(u'0' + i % 10)) + u" ";
  auto wrapped = Wrap(words, 30);
  std::u16string joined;
  for (const auto& line : wrapped) {
    EXPECT_LE(line.size(), 29u);
    joined += line + u" ";
  }
  EXPECT_EQ(joined.substr(0, words.size()), words);
}

TEST(WrapLines, LinesWithoutSpacesAreCutAtTheLimitWithNothingLost) {
  std::u16string long_word(200, u'y');
  auto wrapped = Wrap(long_word, 80);
  EXPECT_EQ(wrapped, (std::vector<std::u16string>{long_word.substr(0, 79), long_word.substr(79, 79),
                                                  long_word.substr(158)}));
  // Exactly the limit and no space: it fits as it is, with no empty continuation.
  EXPECT_EQ(Wrap(std::u16string(79, u'y'), 80), std::vector<std::u16string>{std::u16string(79, u'y')});
  // A TAB is one unit and never a break.
  std::u16string tabs(100, u'\t');
  EXPECT_EQ(Wrap(tabs, 80).size(), 2u);
}

TEST(WrapLines, NarrowTerminalsStillEndAndKeepEveryCharacter) {
  for (int width : {-5, 0, 1, 2, 3}) {
    std::u16string text = u"ab cd  e fghij ";
    auto wrapped = Wrap(text, width);
    size_t limit = static_cast<size_t>(std::max(width - 1, 1));
    size_t kept = 0;
    for (const auto& line : wrapped) {
      EXPECT_LE(line.size(), limit) << "width " << width;
      for (char16_t c : line) kept += c != u' ';
    }
    EXPECT_EQ(kept, 10u) << "width " << width;
  }
  EXPECT_EQ(Wrap(u"ab", 2), (std::vector<std::u16string>{u"a", u"b"}));
  EXPECT_EQ(Wrap(u"a b", 2), (std::vector<std::u16string>{u"a", u"b"}));
}

TEST(WrapLines, NeverCutsASurrogatePair) {
  std::u16string text = u"xx\U0001F3B5\U0001F3B5\U0001F3B5";  // no spaces, 8 units
  auto wrapped = Wrap(text, 4);                                 // limit 3
  EXPECT_EQ(wrapped, (std::vector<std::u16string>{u"xx", u"\U0001F3B5", u"\U0001F3B5", u"\U0001F3B5"}));
}

}  // namespace
}  // namespace velkor
