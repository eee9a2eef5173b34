// The platform's job-file reader over real job files: the plain ones that the shared plain
// reading serves, and the others that the XML library reads once the markup guard and the
// encoding check have passed them. The rows' outcomes are the same on Linux and on Windows.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "reader/job_file_failure.h"
#include "support/system_reader.h"
#include "text/utf.h"

namespace velkor {
namespace {

namespace fs = std::filesystem;

std::string Repeat(const std::string& text, int count) {
  std::string out;
  while (count-- > 0) out += text;
  return out;
}

std::string Utf16(const std::string& text, bool little_endian, bool mark) {
  std::string out = !mark ? "" : little_endian ? "\xFF\xFE" : "\xFE\xFF";
  for (char16_t unit : Utf8ToUtf16(text)) {
    const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
    out += little_endian ? std::string{low, high} : std::string{high, low};
  }
  return out;
}

class ReaderTableTest : public ::testing::Test {
 protected:
  ReaderTableTest() : dir_(fs::temp_directory_path() / ("velkor-reader-" + std::to_string(std::random_device()()))) {
    fs::create_directories(dir_);
  }
  ~ReaderTableTest() override { fs::remove_all(dir_); }

  // A new file each time: the reader may hold the last one open, where none may write it.
  NativePath Write(const std::string& bytes) {
    const fs::path path = dir_ / ("job" + std::to_string(++files_) + ".xml");
    std::ofstream(path, std::ios::binary) << bytes;
    return path.native();
  }

  // "album: ...\n" and a line per entry, fields in table order; or "error CODE: REASON";
  // or "abandoned" when the job file was given up while its entries were read. With
  // `interrupted`, a first walk stops after one entry: the reading under way is dropped.
  static std::string Read(JobFileReader* reader, const NativePath& path, bool interrupted = false) {
    ParseError error;
    if (!reader->LoadJobFile(path, &error)) {
      return "error " + std::to_string(error.code) + ": " + Utf16ToUtf8(error.reason);
    }
    AlbumDefaults album;
    reader->ReadAlbumDefaults(&album);
    std::string out = "album: ";
    for (const auto& binding : kAlbumBindings) out += Utf16ToUtf8(album.*binding.field) + "|";
    out.back() = '\n';
    try {
      TrackEntry first;
      reader->OpenEntries();
      if (interrupted) reader->NextEntry(&first), reader->OpenEntries();
      for (TrackEntry entry; reader->NextEntry(&entry);) {
        for (const auto& binding : kEntryBindings) out += Utf16ToUtf8(entry.*binding.field) + "|";
        out.back() = '\n';
      }
    } catch (const JobFileFailure&) {
      return "abandoned";
    }
    return out;
  }

  fs::path dir_;
  int files_ = 0;
};

TEST_F(ReaderTableTest, EveryRow) {
  std::string many, many_rows, attributes;
  for (int i = 0; i <= 1000; ++i) attributes += " a" + std::to_string(i) + "=''";
  for (int i = 0; i < 3000; ++i) {
    many += "<file oldName='" + std::to_string(i) + ".mp3' title='Песня " + std::to_string(i) + "'/>\n";
    many_rows += std::to_string(i) + ".mp3|||Песня " + std::to_string(i) + "|||||\n";
  }
  const std::string no_album = "album: |||\n", tail = "||||||||\n";
  const std::string unicode = "<album artist='Кино'><file oldName='Привет.mp3' title='€🎵'/></album>";
  const std::string unicode_rows = "album: |Кино||\nПривет.mp3|||€🎵|||||\n";
  const struct {
    const char* name;
    std::string bytes;
    std::string expected;
  } rows[] = {
      {"plain: declaration, comments, entities",
       "<?xml version='1.0' encoding='UTF-8'?><!-- c --><album title='A &amp; B' year='1999'>\n"
       "<file oldName='a.mp3' newName='b.mp3' track='1'/><group><file comment='&lt;x&gt;'/></group></album>",
       "album: A & B|||1999\na.mp3|b.mp3|1||||||\n||||||||<x>\n"},
      {"not plain: references, CDATA, comments and instructions that hide file elements",
       "<r title='&#x41;&#66;'><file oldName='&#1071;'/><![CDATA[<file oldName='no'/>]]><!-- <file oldName='no'/> -->"
       "<?pi <file oldName='no'/>?><d><file oldName='2'><file oldName='3'/></file></d></r>",
       "album: AB|||\nЯ" + tail + "2" + tail + "3" + tail},
      {"not plain: white space and text between tags", "<r>\n <file oldName='a/b' title=\"x>y\"/>\n t&#32;&amp; <file\n"
       "oldName='c' />\t</r >\n<!-- end -->\n", no_album + "a/b|||x>y|||||\nc" + tail},
      {"UTF-16LE with a mark, declared", Utf16("<?xml version='1.0' encoding='UTF-16'?>" + unicode, true, true), unicode_rows},
      {"UTF-16BE with a mark", Utf16(unicode, false, true), unicode_rows},
      {"KOI8-R", "<?xml version='1.0' encoding='koi8-r'?><album artist='\xEB\xC9\xCE\xCF'><file oldName='\xF0.mp3'/></album>",
       "album: |Кино||\nП.mp3" + std::string(8, '|') + "\n"},
      {"windows-1251", "<?xml version='1.0' encoding='windows-1251'?><album artist='\xCA\xE8\xED\xEE'><file oldName='\xCF.mp3'/></album>",
       "album: |Кино||\nП.mp3" + std::string(8, '|') + "\n"},
      {"3000 entries, plain", "<album>" + many + "</album>", no_album + many_rows},
      {"3000 entries, not plain", "<album>" + many + "&#32;</album>", no_album + many_rows},
      {"depth 256", Repeat("<d>", 255) + "<file oldName='deep'/>" + Repeat("</d>", 255), no_album + "deep" + tail},
      {"depth 257", "<r>" + Repeat("<d>", 255) + "<file/>" + Repeat("</d>", 255) + "</r>",
       "error 1: Excessive depth in document: 256"},
      {"attribute defaults of the document type", "<!DOCTYPE r [<!ATTLIST file genre CDATA '17'>]><r><file oldName='a' genre='3'/>"
       "<file oldName='b'/></r>", no_album + "a||||||3||\nb||||||17||\n"},
      {"an entity of the document type", "<!DOCTYPE r [<!ENTITY t \"T'i\"><!-- & -->]><r title='&t;'><!-- &t; -->"
       "<file oldName='&t;.mp3' title=\"&t;&#32;&amp;\"/></r>", "album: T'i|||\nT'i.mp3|||T'i &|||||\n"},
      {"file elements by the name as written", "<r xmlns:x='urn:x'><x:file oldName='x'/><file oldName='f'/></r>",
       no_album + "f" + tail},
      {"1001 attributes", "<r><file" + attributes + "/></r>",
       "error 1: Excessive number of attributes on an element: more than 1000"},
      {"UTF-16 declared as UTF-8", Utf16("<?xml version='1.0' encoding='UTF-8'?><r/>", true, true),
       "error 81: The document is in UTF-16, but its declaration says it is in UTF-8"},
      {"UTF-8 mark, declared as ISO-8859-1", "\xEF\xBB\xBF<?xml version=\"1.0\" encoding='iso-8859-1'?><r/>",
       "error 81: The document is in UTF-8, but its declaration says it is in iso-8859-1"},
      {"UTF-8 mark, declared in lower case", "\xEF\xBB\xBF<?xml version='1.0' encoding='utf-8'?><r title='&#65;'/>",
       "album: A|||\n"},
      {"one attribute twice by two prefixes", "<r xmlns:a='urn:x' xmlns:b='urn:x'><e a:attr='1' b:attr='2'/></r>",
       "error *: Namespaced Attribute attr in 'urn:x' redefined"},  // Wine's reader has one code for all
      {"namespaced attributes that differ, after an element with more",
       "<r xmlns:a='urn:x' xmlns:b='urn:x'><e a:x='' b:y='' a:z=''/><e a:x='' b:z=''/></r>", no_album},
      // Validity is no concern of a reader that does not validate.
      {"default that does not fit its type", "<!DOCTYPE r [<!ATTLIST identifier value IDREF '42'>]><r><file oldName='a'/></r>",
       no_album + "a" + tail},
      {"token twice in a type", "<!DOCTYPE r [<!NOTATION n SYSTEM 'n'><!ATTLIST r a (x|x) #IMPLIED b NOTATION (n|n) #IMPLIED>]>"
       "<r><file oldName='a'/></r>", no_album + "a" + tail},
      {"element type declared twice", "<!DOCTYPE r [<!ELEMENT r EMPTY><!ELEMENT r ANY>]><r><file oldName='a'/></r>",
       no_album + "a" + tail},
      {"two ID attributes", "<!DOCTYPE r [<!ATTLIST r a ID #IMPLIED b ID #IMPLIED>]><r><file oldName='a'/></r>",
       no_album + "a" + tail},
      {"text whose first character the 64 KiB pieces cut in two",
       "<album><!--" + std::string(65521, 'x') + "-->\xC3\xA9<file oldName='a'/></album>", no_album + "a" + tail},
  };
  for (std::size_t kept_bytes : {std::size_t{16} << 20, std::size_t{0}}) {
    std::unique_ptr<JobFileReader> reader = MakeSystemReader(SystemPlatform(), kept_bytes);
    ASSERT_TRUE(reader);
    for (const auto& row : rows) {
      SCOPED_TRACE(row.name);
      std::string got = Read(reader.get(), Write(row.bytes), kept_bytes == 0);
      if (row.expected.rfind("error *:", 0) == 0 && got.rfind("error ", 0) == 0) got.replace(6, got.find(':') - 6, "*");
      EXPECT_TRUE(got == row.expected) << "kept bytes: " << kept_bytes << "\ngot:\n"
                                       << got.substr(0, 400) << "\nexpected:\n" << row.expected.substr(0, 400);
    }
  }
}

// The real platform, except that from the second read from the start on, the job file
// says "&#98;" where it said "bbbbb" when it was checked.
class ChangingPlatform : public PlatformWrapper {
 public:
  using PlatformWrapper::PlatformWrapper;
  std::int64_t ReadAt(NativeFile file, void* buffer, std::size_t count, std::uint64_t offset) override {
    starts_ += offset == 0;
    const std::int64_t done = PlatformWrapper::ReadAt(file, buffer, count, offset);
    char* bytes = static_cast<char*>(buffer);
    for (std::int64_t at = 0; starts_ >= 2 && at + 5 <= done; ++at) {
      if (std::memcmp(bytes + at, "bbbbb", 5) == 0) std::memcpy(bytes + at, "&#98;", 5);
    }
    return done;
  }

 private:
  int starts_ = 0;
};

TEST_F(ReaderTableTest, PlainFileThatChangesSinceItsCheck) {
  ChangingPlatform platform(SystemPlatform());
  std::unique_ptr<JobFileReader> reader = MakeSystemReader(platform, 0);  // keeps nothing: reads again
  ASSERT_TRUE(reader);
  const std::string got = Read(reader.get(), Write("<r><file oldName='a'/><file oldName='bbbbb'/></r>"));
  EXPECT_EQ(got, "album: |||\na" + std::string(8, '|') + "\nb" + std::string(8, '|') + "\n");
}

}  // namespace
}  // namespace velkor
