// The 128 bytes built from an entry, against layouts written out here, and the number
// scan behind the track and genre bytes.
#include <gtest/gtest.h>

#include <string>

#include "id3/decimal_scan.h"
#include "id3/id3v1_tag.h"
#include "tag_test_files.h"
#include "text/ansi_text.h"

namespace velkor::testing {
namespace {

class TagLayoutTest : public ::testing::Test {
 protected:
  void TearDown() override { SelectAnsiCharset("UTF-8"); }
};

TEST_F(TagLayoutTest, EntryAndAlbumFillTheFields) {
  const std::string k31 = "1234567890123456789012345678901", k30 = k31.substr(0, 30), k28 = k31.substr(0, 28);
  const struct {
    const char* name;
    const char* charset;
    std::string entry, album;
    TagLayout expected;
  } rows[] = {
      {"entry only", "UTF-8", "track=3;title=Intro;artist=Band;album=Live;genre=17;year=2003;comment=Great", "",
       {"Intro", "Band", "Live", "2003", "Great", 3, 17}},
      {"album defaults", "UTF-8", "", "title=Record;artist=Root;genre=17;year=1999",
       {"", "Root", "Record", "1999", "", 0, 17}},
      {"entry wins", "UTF-8", "artist=Guest;album=Single;year=2001;genre=5;title=Intro",
       "title=Record;artist=Root;genre=17;year=1999", {"Intro", "Guest", "Single", "2001", "", 0, 5}},
      {"empty counts as missing", "UTF-8", "title=;artist=;album=;year=;genre=;track=",
       "artist=Root;year=1999;genre=17", {"", "Root", "", "1999", "", 0, 17}},
      {"nothing", "UTF-8", "", "", {"", "", "", "", "", 0, 255}},
      {"full fields, no terminator", "UTF-8",
       "title=" + k30 + ";artist=" + k30 + ";album=" + k30 + ";year=2003;comment=" + k28 + ";track=255;genre=254", "",
       {k30, k30, k30, "2003", k28, 255, 254}},
      {"one byte over is cut", "UTF-8",
       "title=" + k31 + ";artist=" + k31 + ";album=" + k31 + ";year=1999-2003;comment=" + k28 + "9;track=1", "",
       {k30, k30, k30, "1999", k28, 1, 255}},
      {"UTF-8 cut inside a letter", "UTF-8", "title=xААААААААААААААА;comment=日日日日日日日日日日", "",
       {"x" + std::string("АААААААААААААА") + "\xD0", "", "", "", "日日日日日日日日日\xE6", 0, 255}},
      {"CP1251 letters", "CP1251", "title=Привет;comment=日本 Band", "artist=Ёлка",
       {"\xCF\xF0\xE8\xE2\xE5\xF2", "\xA8\xEB\xEA\xE0", "", "", "?? Band", 0, 255}},
      {"CP1251 cut", "CP1251", "album=абвгдеёжзийклмнопрстуфхцчшщъыьэюя", "",
       {"", "", "\xE0\xE1\xE2\xE3\xE4\xE5\xB8\xE6\xE7\xE8\xE9\xEA\xEB\xEC\xED\xEE\xEF\xF0\xF1\xF2\xF3\xF4\xF5\xF6"
        "\xF7\xF8\xF9\xFA\xFB\xFC", "", "", 0, 255}},
      {"track scans", "UTF-8", "track=5/12", "", {"", "", "", "", "", 5, 255}},
      {"track zero", "UTF-8", "track=0;genre=0", "", {"", "", "", "", "", 0, 0}},
      {"track without digits", "UTF-8", "track=A", "", {"", "", "", "", "", 0, 255}},
      {"track keeps low 8 bits", "UTF-8", "track=-1;genre=300", "", {"", "", "", "", "", 255, 44}},
      {"track 256", "UTF-8", "track=256;genre=-2", "", {"", "", "", "", "", 0, 254}},
      {"track past 2^32", "UTF-8", "track= +4294967301", "", {"", "", "", "", "", 5, 255}},
      {"entry genre without digits", "UTF-8", "genre=Rock", "genre=17", {"", "", "", "", "", 0, 255}},
      {"root genre without digits", "UTF-8", "", "genre=Rock", {"", "", "", "", "", 0, 255}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    SelectAnsiCharset(row.charset);
    Id3v1Tag tag;
    tag.bytes.fill(0xAA);
    TagBuilder(Entry(row.entry), Album(row.album), &tag);
    EXPECT_EQ(std::string(tag.bytes.begin(), tag.bytes.end()), row.expected.Bytes());
  }
}

TEST_F(TagLayoutTest, DecimalScanLikePercentD) {
  const std::int32_t kMin = -2147483647 - 1, kNone = 12345;
  const struct {
    std::string text;
    std::int32_t value;  // kNone: does not scan
  } rows[] = {
      {"0", 0}, {"9", 9}, {"007", 7}, {"5/12", 5}, {"5:", 5}, {"+9", 9}, {"-1", -1}, {"-0", 0},
      {" \t\n\v\f\r42", 42}, {std::string("7\0" "8", 3), 7}, {"2147483647", 2147483647}, {"-2147483648", kMin},
      {"2147483648", kMin}, {"-2147483649", 2147483647}, {"4294967296", 0}, {"4294967301", 5},
      {"-4294967297", -1}, {"99999999999999999999", 1661992959},
      {"", kNone}, {" ", kNone}, {"A", kNone}, {"-", kNone}, {"+", kNone}, {"- 5", kNone}, {"+-5", kNone},
      {"/5", kNone}, {":5", kNone}, {"\b5", kNone}, {"\x0E" "5", kNone}, {"\xD9\xA5", kNone},
  };
  for (const auto& row : rows) {
    std::int32_t value = kNone;
    EXPECT_EQ(ScanDecimal(row.text, &value), row.value != kNone) << "'" << row.text << "'";
    EXPECT_EQ(value, row.value) << "'" << row.text << "'";
  }
}

}  // namespace
}  // namespace velkor::testing
