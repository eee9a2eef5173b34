// Written tags as another program reads them: Debian's python3-mutagen, run by the
// system's own Python.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "job_fields.h"
#include "support/run_program.h"
#include "support/temp_dir.h"
#include "tag_test_files.h"
#include "text/ansi_text.h"

namespace velkor::testing {
namespace {

constexpr char kSystemPython[] = "/usr/bin/python3";

// One line per file: title, artist, album, year, comment, track, genre as mutagen sees
// them, each as hex of its bytes ('-' when mutagen finds no such field).
constexpr char kReader[] = R"(
import sys
from mutagen.id3 import ID3
for path in sys.argv[1:]:
    tags = ID3(path, v2_version=3, translate=False)
    def field(key):
        frames = tags.getall(key)
        return str(frames[0].text[0]).encode('latin1').hex() if frames else '-'
    print('|'.join(field(k) for k in ('TIT2', 'TPE1', 'TALB', 'TYER', 'COMM', 'TRCK', 'TCON')))
)";

std::string Hex(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += kDigits[c >> 4];
    out += kDigits[c & 15];
  }
  return out;
}

struct ReaderCase {
  const char* name;
  const char* charset;
  TrackEntry entry;
  AlbumDefaults album;
  // title, artist, album, year, comment, track, genre; nullptr where mutagen sees none.
  std::vector<const char*> fields;
};

TEST(TagReaderTest, MutagenReadsWhatWasWritten) {
  const ReaderCase cases[] = {
      {"every field", "UTF-8",
       Entry({{"track", u"5"}, {"title", u"Intro"}, {"artist", u"Band"}, {"album", u"Live"}, {"genre", u"17"},
              {"year", u"2003"}, {"comment", u"Recorded at home"}}),
       Album({}), {"Intro", "Band", "Live", "2003", "Recorded at home", "5", "17"}},
      {"album defaults", "UTF-8", Entry({{"title", u"Second"}}),
       Album({{"title", u"Record"}, {"artist", u"Root"}, {"genre", u"13"}, {"year", u"1999"}}),
       {"Second", "Root", "Record", "1999", nullptr, nullptr, "13"}},
      {"full fields", "UTF-8",
       Entry({{"title", u"123456789012345678901234567890xx"}, {"artist", u"abcdefghijklmnopqrstuvwxyzABCDEFG"},
              {"comment", u"The comment that is too long!!"}, {"year", u"1999-2003"}, {"track", u"-1"},
              {"genre", u"0"}}),
       Album({{"title", u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdef"}}),
       {"123456789012345678901234567890", "abcdefghijklmnopqrstuvwxyzABCD", "ABCDEFGHIJKLMNOPQRSTUVWXYZabcd", "1999",
        "The comment that is too long", "255", "0"}},
      {"single-byte Cyrillic", "CP1251",
       Entry({{"title", u"Привет"}, {"artist", u"Ёлка"}, {"comment", u"日本"}, {"track", u"256"}, {"genre", u"Rock"}}),
       Album({{"title", u"Альбом"}, {"genre", u"17"}}),
       {"\xCF\xF0\xE8\xE2\xE5\xF2", "\xA8\xEB\xEA\xE0", "\xC0\xEB\xFC\xE1\xEE\xEC", nullptr, "??", nullptr, nullptr}},
  };
  TempDir dir;
  std::vector<std::string> args = {"-c", kReader};
  std::string expected;
  for (const ReaderCase& c : cases) {
    SelectAnsiCharset(c.charset);
    std::string path = dir / (std::to_string(args.size()) + ".mp3");
    TagNewFile(path, c.entry, c.album, 2048);
    args.push_back(path);
    std::string line;
    for (const char* field : c.fields) line += (line.empty() ? "" : "|") + (field ? Hex(field) : std::string("-"));
    expected += line + "\n";
  }
  SelectAnsiCharset("UTF-8");

  RunOptions options;
  options.env = {"PATH=/usr/bin:/bin", "PYTHONDONTWRITEBYTECODE=1", "LC_ALL=C.UTF-8"};
  RunResult result = RunProgram(kSystemPython, args, options);
  ASSERT_EQ(result.exit_code, 0) << "is python3-mutagen installed? " << result.err;
  EXPECT_EQ(result.out, expected) << "cases: every field, album defaults, full fields, single-byte Cyrillic";
}

}  // namespace
}  // namespace velkor::testing
