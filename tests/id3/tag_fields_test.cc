// What each of the 128 bytes of a written tag holds: fallbacks, cuts, numbers and
// charsets, checked on real files against layouts written out here.
#include <gtest/gtest.h>

#include <string>

#include "id3/id3v1_tag.h"
#include "job_fields.h"
#include "support/temp_dir.h"
#include "tag_test_files.h"
#include "text/ansi_text.h"

namespace velkor::testing {
namespace {

class TagFieldsTest : public ::testing::Test {
 protected:
  void SetUp() override { SelectAnsiCharset("UTF-8"); }
  void TearDown() override { SelectAnsiCharset("UTF-8"); }

  // The last 128 bytes of a freshly tagged file.
  std::string WrittenTag(const TrackEntry& entry, const AlbumDefaults& album) {
    std::string bytes = TagNewFile(dir_ / ("track" + std::to_string(++count_) + ".mp3"), entry, album);
    return bytes.size() < kId3v1TagSize ? bytes : bytes.substr(bytes.size() - kId3v1TagSize);
  }

  TempDir dir_;
  int count_ = 0;
};

struct TagCase {
  const char* name;
  TrackEntry entry;
  AlbumDefaults album;
  TagLayout expected;
};

TEST_F(TagFieldsTest, EntryFieldsFallBackToAlbumDefaults) {
  const TagCase cases[] = {
      {"entry only",
       Entry({{"track", u"3"}, {"title", u"Intro"}, {"artist", u"Band"}, {"album", u"Live"}, {"genre", u"17"},
              {"year", u"2003"}, {"comment", u"Great"}}),
       Album({}), {"Intro", "Band", "Live", "2003", "Great", 3, 17}},
      {"album defaults only",
       Entry({}), Album({{"title", u"Record"}, {"artist", u"Root"}, {"genre", u"17"}, {"year", u"1999"}}),
       {"", "Root", "Record", "1999", "", 0, 17}},
      {"entry wins over root",
       Entry({{"artist", u"Guest"}, {"album", u"Single"}, {"year", u"2001"}, {"genre", u"5"}}),
       Album({{"title", u"Record"}, {"artist", u"Root"}, {"genre", u"17"}, {"year", u"1999"}}),
       {"", "Guest", "Single", "2001", "", 0, 5}},
      {"root title names the album, never the track",
       Entry({{"title", u"Intro"}}), Album({{"title", u"Record"}}), {"Intro", "", "Record", "", "", 0, 255}},
      {"root title without entry title",
       Entry({{"track", u"1"}}), Album({{"title", u"Record"}}), {"", "", "Record", "", "", 1, 255}},
      {"empty attributes count as missing",
       Entry({{"title", u""}, {"artist", u""}, {"album", u""}, {"year", u""}, {"genre", u""}, {"track", u""}}),
       Album({{"artist", u"Root"}, {"year", u"1999"}, {"genre", u"17"}}), {"", "Root", "", "1999", "", 0, 17}},
      {"a present year wins whatever it holds",
       Entry({{"year", u"soon"}}), Album({{"year", u"1999"}}), {"", "", "", "soon", "", 0, 255}},
      {"nothing anywhere", Entry({}), Album({}), {"", "", "", "", "", 0, 255}},
  };
  for (const TagCase& c : cases) EXPECT_EQ(WrittenTag(c.entry, c.album), c.expected.Bytes()) << c.name;
}

TEST_F(TagFieldsTest, TextsAreCutToTheirFieldsWithoutTerminator) {
  // Exactly 30 bytes: no zero byte after the title, the artist starts at offset 33.
  std::string tag = WrittenTag(Entry({{"title", u"123456789012345678901234567890"}, {"artist", u"Band"}}), Album({}));
  EXPECT_EQ(tag.substr(0, 37), std::string("TAG123456789012345678901234567890Band"));
  EXPECT_EQ(tag[37], '\0');

  const TagCase cases[] = {
      {"40-byte title keeps 30",
       Entry({{"title", u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMN"}}), Album({}),
       {"abcdefghijklmnopqrstuvwxyzABCD", "", "", "", "", 0, 255}},
      {"long artist and album",
       Entry({{"artist", u"The Quite Extraordinarily Long Band"}}),
       Album({{"title", u"A Collection Of Rather Many Songs"}}),
       {"", "The Quite Extraordinarily Long", "A Collection Of Rather Many So", "", "", 0, 255}},
      {"30-byte comment keeps 28; byte 125 stays 0 before the track",
       Entry({{"comment", u"123456789012345678901234567890"}, {"track", u"7"}}), Album({}),
       {"", "", "", "", "1234567890123456789012345678", 7, 255}},
      {"year 2003 fills its four bytes", Entry({{"year", u"2003"}}), Album({}), {"", "", "", "2003", "", 0, 255}},
      {"year 03", Entry({{"year", u"03"}}), Album({}), {"", "", "", "03", "", 0, 255}},
      {"year 1999-2003", Entry({{"year", u"1999-2003"}}), Album({}), {"", "", "", "1999", "", 0, 255}},
  };
  for (const TagCase& c : cases) EXPECT_EQ(WrittenTag(c.entry, c.album), c.expected.Bytes()) << c.name;
}

TEST_F(TagFieldsTest, TrackKeepsTheLowEightBitsOrZero) {
  const struct {
    std::u16string text;
    int byte;
  } cases[] = {
      {u"5", 5}, {u"5/12", 5}, {u"A", 0}, {u"", 0}, {u"-1", 255}, {u"256", 0}, {u" +7", 7}, {u"4294967301", 5},
  };
  for (const auto& c : cases) {
    std::string tag = WrittenTag(Entry({{"track", c.text}, {"title", u"t"}}), Album({}));
    EXPECT_EQ(static_cast<unsigned char>(tag[126]), c.byte) << "track '" << std::string(c.text.begin(), c.text.end())
                                                            << "'";
    EXPECT_EQ(tag[125], '\0');
  }
}

TEST_F(TagFieldsTest, GenreComesFromEntryOrRootOr255) {
  const struct {
    std::u16string entry, root;
    int byte;
  } cases[] = {
      {u"", u"", 255},   {u"17", u"", 17},   {u"Rock", u"17", 255}, {u"", u"17", 17},
      {u"-2", u"", 254}, {u"300", u"", 44},  {u"0", u"", 0},        {u"", u"Rock", 255},
  };
  for (const auto& c : cases) {
    std::string tag = WrittenTag(Entry({{"genre", c.entry}, {"title", u"t"}}), Album({{"genre", c.root}}));
    EXPECT_EQ(static_cast<unsigned char>(tag[127]), c.byte)
        << "entry genre '" << std::string(c.entry.begin(), c.entry.end()) << "', root genre '"
        << std::string(c.root.begin(), c.root.end()) << "'";
  }
}

TEST_F(TagFieldsTest, Utf8TextIsCutByBytesEvenInsideACharacter) {
  const TagCase cases[] = {
      {"Cyrillic title, two bytes a letter",
       Entry({{"title", u"Привет"}}), Album({}),
       {"\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82", "", "", "", "", 0, 255}},
      {"31 bytes: the last letter loses its second byte",
       Entry({{"title", u"xААААААААААААААА"}}), Album({}),
       {"x\xD0\x90\xD0\x90\xD0\x90\xD0\x90\xD0\x90\xD0\x90\xD0\x90\xD0\x90\xD0\x90\xD0\x90\xD0\x90\xD0\x90\xD0\x90"
        "\xD0\x90\xD0",
        "", "", "", "", 0, 255}},
      {"15 letters fill the comment to 28 bytes",
       Entry({{"comment", u"ЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖ"}, {"track", u"2"}}), Album({}),
       {"", "", "", "", "\xD0\x96\xD0\x96\xD0\x96\xD0\x96\xD0\x96\xD0\x96\xD0\x96\xD0\x96\xD0\x96\xD0\x96\xD0\x96"
        "\xD0\x96\xD0\x96\xD0\x96", 2, 255}},
      {"three-byte characters", Entry({{"artist", u"日日日日日日日日日日日"}}), Album({}),
       {"", "\xE6\x97\xA5\xE6\x97\xA5\xE6\x97\xA5\xE6\x97\xA5\xE6\x97\xA5\xE6\x97\xA5\xE6\x97\xA5\xE6\x97\xA5"
        "\xE6\x97\xA5\xE6\x97\xA5", "", "", "", 0, 255}},
  };
  for (const TagCase& c : cases) EXPECT_EQ(WrittenTag(c.entry, c.album), c.expected.Bytes()) << c.name;
}

TEST_F(TagFieldsTest, SingleByteCharsetTakesOneByteALetter) {
  SelectAnsiCharset("CP1251");
  ASSERT_EQ(AnsiCharsetName(), "CP1251");
  const TagCase cases[] = {
      {"Cyrillic title", Entry({{"title", u"Привет"}}), Album({{"artist", u"Ёлка"}}),
       {"\xCF\xF0\xE8\xE2\xE5\xF2", "\xA8\xEB\xEA\xE0", "", "", "", 0, 255}},
      {"33 letters keep 30",
       Entry({{"title", u"абвгдеёжзийклмнопрстуфхцчшщъыьэюя"}}), Album({}),
       {"\xE0\xE1\xE2\xE3\xE4\xE5\xB8\xE6\xE7\xE8\xE9\xEA\xEB\xEC\xED\xEE\xEF\xF0\xF1\xF2\xF3\xF4\xF5\xF6\xF7\xF8"
        "\xF9\xFA\xFB\xFC", "", "", "", "", 0, 255}},
      {"letters the charset lacks become '?' and count as one byte each",
       Entry({{"title", u"日本日本日本日本日本日本日本日本日本日本日本日本日本日本日本日本"}, {"artist", u"日本 Band"}}), Album({}),
       {"??????????????????????????????", "?? Band", "", "", "", 0, 255}},
  };
  for (const TagCase& c : cases) EXPECT_EQ(WrittenTag(c.entry, c.album), c.expected.Bytes()) << c.name;
}

}  // namespace
}  // namespace velkor::testing
