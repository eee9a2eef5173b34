// Job files as the reader sees them: one row per file, with the album defaults and
// entries it hands out or the parse error, where and why. Hostile files must end in a
// clear result, never read anything but the job file, and libxml2 must print nothing.
#include "reader/libxml2/libxml2_job_file_reader.h"

#include <libxml/xmlerror.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cerrno>

#include "reader/job_file_failure.h"
#include "platform/posix/posix_platform.h"
#include "support/support.h"
#include "text/utf.h"

namespace velkor::testing {
namespace {

std::string Repeat(const std::string& text, int count) {
  std::string out;
  while (count-- > 0) out += text;
  return out;
}

// A failure as a row expects it; line -1 when the position is of no interest (Fails).
std::string Error(int code, int line, int column, const std::string& reason) {
  std::string at = line < 0 ? "" : " at " + std::to_string(line) + ":" + std::to_string(column);
  return "error " + std::to_string(code) + at + ": " + reason;
}
std::string Fails(int code, const std::string& reason) { return Error(code, -1, 0, reason); }

// `count` entries, each with a Cyrillic title: several pieces of reading.
std::string ManyEntries(int count, std::string* rows) {
  std::string xml = "<album>\n";
  for (int i = 0; i < count; ++i) {
    xml += "<file oldName='" + std::to_string(i) + ".mp3' title='Песня " + std::to_string(i) + "' comment='&amp;'/>\n";
    if (rows) *rows += std::to_string(i) + ".mp3|||Песня " + std::to_string(i) + "|||||&\n";
  }
  return xml + "</album>\n";
}

class JobFileReaderTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(InitXmlLibrary()); }
  static void TearDownTestSuite() { ShutdownXmlLibrary(); }

  // Loads the job file at `source` (or held in it) and reads it all: "album: ...\n" and one
  // line per entry, its fields in table order, or the error. Standard error must stay empty.
  std::string Read(const std::string& source, bool with_position = true, bool in_memory = false) {
    ::testing::internal::CaptureStderr();
    ParseError error;
    std::string out;
    if (in_memory ? reader_->LoadJobFileFromMemory(source, &error) : reader_->LoadJobFile(source, &error)) {
      AlbumDefaults album;
      reader_->ReadAlbumDefaults(&album);
      out = "album: ";
      for (const auto& binding : kAlbumBindings) out += Utf16ToUtf8(album.*binding.field) + "|";
      out.back() = '\n';
      reader_->OpenEntries();
      for (TrackEntry entry; reader_->NextEntry(&entry);) {
        for (const auto& binding : kEntryBindings) out += Utf16ToUtf8(entry.*binding.field) + "|";
        out.back() = '\n';
      }
    } else {
      out = Error(static_cast<int>(error.code), with_position ? error.line : -1, error.position, Utf16ToUtf8(error.reason));
    }
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "") << "libxml2 printed this";
    return out;
  }

  TempDir dir_;
  PosixPlatform platform_;
  std::unique_ptr<Libxml2JobFileReader> reader_ = std::make_unique<Libxml2JobFileReader>(platform_);
};

TEST_F(JobFileReaderTest, EveryRow) {
  const std::string url = "file://" + dir_.path(), secret = dir_ / "secret.txt";
  WriteFile(secret, "SECRET");
  WriteFile(dir_ / "secret.ent", "<!ENTITY leak 'SECRET'>");
  WriteFile(dir_ / "secret.dtd", "<!ENTITY leak 'SECRET'><!ATTLIST file title CDATA 'SECRET'>");
  const std::string dtd =
      "<!DOCTYPE r [<!ENTITY lib '/home/me/Music'><!ENTITY band 'Ton &amp; Steine'>"
      "<!ENTITY nested '[&lib;/&band;]'><!ENTITY spaced 'a\tb\nc'><!ENTITY escaped '&#38;#65;&#38;amp;'>"
      "<!ENTITY two \"<file oldName='&lib;/e1.mp3'/><x><file oldName='e2' title='&band;'/></x>\">"
      "<!ENTITY both '&two;&two;'><!ENTITY hex '&#38;#x4A;&#38;#x6a;&#38;#x10FFFF;'>"
      "<!ATTLIST file comment CDATA 'from &band;'>]>";
  std::string laughs = "<!ENTITY lol0 'lol'>";
  for (int i = 1; i <= 9; ++i) {
    laughs += "<!ENTITY lol" + std::to_string(i) + " '" + Repeat("&lol" + std::to_string(i - 1) + ";", 10) + "'>";
  }
  const std::string big = "<!ENTITY big '" + std::string(100000, 'x') + "'>";
  std::string many_rows, attributes;
  const std::string many = ManyEntries(20000, &many_rows);
  for (int i = 0; i < 1000; ++i) attributes += " a" + std::to_string(i) + "=''";
  std::string namespaces, declarations, utf16;
  for (int i = 0; i < 500; ++i) namespaces += " xmlns:p" + std::to_string(i) + "='urn:x'";
  for (int i = 0; i < 1000; ++i) declarations += " a" + std::to_string(i) + " CDATA 'x'";
  std::string notations = "<!NOTATION n SYSTEM 'x'>";  // and unparsed entities: kept too
  for (int i = 0; i < 1000; ++i) notations += "<!NOTATION n" + std::to_string(i) + " SYSTEM 'x'><!ENTITY u" + std::to_string(i) + " SYSTEM 'x' NDATA n>";
  for (char16_t unit : u"\uFEFF<album artist='Кино'><file oldName='Привет.mp3' title='€🎵'/></album>") {
    if (unit) utf16 += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
  }
  const std::string equals(5000, '='), tail = "|||||||", no_entry = "album: |||\n";
  const std::string kino = "album: |Кино||\nПривет.mp3|||€🎵|||||\n";
  const std::string amplified = Fails(XML_ERR_ENTITY_LOOP, "Maximum entity amplification factor exceeded");
  const struct {
    const char* name;
    std::string xml;
    std::string expected;
  } rows[] = {
      // What a well-formed file holds.
      {"root attributes are the album defaults", "<album title='Best Of' artist='Band' genre='17' year='1999' comment='no' track='3'><file oldName='a.mp3'/></album>",
       "album: Best Of|Band|17|1999\na.mp3||||||||\n"},
      {"every file element beneath the root, in order",
       "<file title='Root'><file oldName='1'/><d><file oldName='2'><file oldName='3'/></file><File oldName='no'/></d>"
       "<x:file xmlns:x='urn:x' oldName='no'/><files oldName='no'/><g xmlns='urn:d'><file oldName='4'/></g>"
       "<!-- <file oldName='no'/> --><![CDATA[<file oldName='no'/>]]><?pi <file oldName='no'/>?><file oldName='5'/></file>",
       "album: Root|||\n1" + tail + "|\n2" + tail + "|\n3" + tail + "|\n4" + tail + "|\n5" + tail + "|\n"},
      {"attributes fill their fields, each cleared first",
       "<r><file comment='c' year='2001' genre='7' album='Al' artist='Ar' title='Ti' track='5' newName='n' oldName='o'/>"
       "<file oldName='only'/><file OldName='case' oldname='lower' x:oldName='prefixed' xmlns:x='urn:x'/></r>",
       no_entry + "o|n|5|Ti|Ar|Al|7|2001|c\nonly||||||||\n||||||||\n"},
      {"every UTF-8 length after ASCII runs of 7, 8 and 9",
       "<r><file title='1234567Ж12345678Ж123456789\u0080\u07FF\u0800\u0FFF\u1000\uD7FF\uE000\uFFFD\U00010000\U0010FFFF'/></r>",
       no_entry + "|||1234567Ж12345678Ж123456789\u0080\u07FF\u0800\u0FFF\u1000\uD7FF\uE000\uFFFD\U00010000\U0010FFFF|||||\n"},
      {"references resolved",
       dtd + "<r><file oldName='&lib;/a.mp3' newName='literal&#38;amp;' track='x&#10;y&#9;z\n w' artist='&band;' "
             "title='&lt;&gt;&amp;&apos;&quot;' album='&#x41;&#1071;&#128512;' comment='&nested;' genre='&spaced;' "
             "year='&escaped;&hex;'/></r>",
       no_entry + "/home/me/Music/a.mp3|literal&amp;|x\ny\tz  w|<>&'\"|Ton & Steine|AЯ😀|a b c|A&Jj\U0010FFFF|"
                  "[/home/me/Music/Ton & Steine]\n"},
      {"entries from entities, with defaults from the type",
       dtd + "<r>&both;<file oldName='2'/></r>", no_entry + Repeat("/home/me/Music/e1.mp3||||||||from Ton & Steine\n"
                                                              "e2|||Ton & Steine|||||from Ton & Steine\n", 2) +
                                                       "2||||||||from Ton & Steine\n"},
      {"a warning is no failure", "<r xmlns='relative/uri'><file oldName='w'/></r>", no_entry + "w||||||||\n"},
      {"token attributes normalised after their references",
       "<!DOCTYPE r [<!ENTITY e '  a   b  '><!ENTITY f \"<file genre=' p &e; q ' artist=' p &e; q '/>\">"
       "<!ATTLIST file genre NMTOKENS #IMPLIED>]><r><file genre=' x  &e; y ' artist=' x  &e; y '/>&f;</r>",
       no_entry + "|||| x    a   b   y ||x a b y||\n|||| p   a   b   q ||p a b q||\n"},
      // Validity is no concern of a reader that does not validate. (Wine's reader takes these two for
      // faults of form, so they are Linux's rows alone.)
      {"unparsed entity's system literal no URI",
       "<!DOCTYPE r [<!NOTATION gif SYSTEM 'gif'><!ENTITY img SYSTEM 'd:\\images\\sunset.gif' NDATA gif>]><r><file oldName='a'/></r>",
       no_entry + "a||||||||\n"},
      {"undeclared entity that the external subset might declare",
       "<!DOCTYPE r SYSTEM 'types.dtd'><r>&u;<file oldName='a'/></r>", no_entry + "a||||||||\n"},
      {"one attribute twice by two prefixes, in an entity",
       "<!DOCTYPE r [<!ENTITY e \"<e a:n='1' b:n='2'/>\">]><r xmlns:a='urn:x' xmlns:b='urn:x'>&e;</r>",
       Error(XML_NS_ERR_ATTRIBUTE_REDEFINED, 1, 88, "Namespaced Attribute n in 'urn:x' redefined")},
      {"20000 entries read piece by piece", many, no_entry + many_rows},
      {"UTF-16LE", utf16, kino},
      // Files that are not well-formed: where and why, before any entry.
      {"error past the first piece", ManyEntries(3000, nullptr) + "<bad",
       Error(XML_ERR_DOCUMENT_END, 3003, 1, "Extra content at the end of the document")},
      {"blank", " \n\t\n", Error(XML_ERR_DOCUMENT_EMPTY, 3, 1, "Document is empty")},
      {"cut short", "<album>\n<file oldName='a.mp3'/>", Error(XML_ERR_DOCUMENT_END, 2, 24, "Premature end of data")},
      {"two roots", "<a/><b/>", Error(XML_ERR_DOCUMENT_END, 1, 5, "Extra content at the end of the document")},
      {"bad windows-1251", "<?xml version='1.0' encoding='windows-1251'?><r><file title='\x98'/></r>",
       Error(XML_I18N_CONV_FAILED, 1, 44, "input conversion failed due to input error, bytes 0x98 0x27 0x2F 0x3E")},
      {"undefined prefix", "<r><a:file oldName='x'/></r>",
       Error(XML_NS_ERR_UNDEFINED_NAMESPACE, 1, 23, "Namespace prefix a on file is not defined")},
      {"undeclared entity", "<!DOCTYPE r []><r><file title='&none;'/></r>",
       Error(XML_ERR_UNDECLARED_ENTITY, 1, 38, "Entity 'none' not defined")},
      // Nothing outside the job file is ever read.
      {"external entity in an attribute", "<!DOCTYPE r [<!ENTITY x SYSTEM '" + url + "/secret.txt'>]><r><file oldName='&x;'/></r>",
       Fails(XML_ERR_ENTITY_IS_EXTERNAL, "Reference to external entity 'x': job files read nothing from outside")},
      {"external entity in content", "<!DOCTYPE r [<!ENTITY x SYSTEM '" + secret + "'>]><r><file oldName='a'/>&x;</r>",
       Fails(XML_ERR_ENTITY_IS_EXTERNAL, "Reference to external entity 'x': job files read nothing from outside")},
      {"external parameter entity", "<!DOCTYPE r [<!ENTITY % p SYSTEM '" + url + "/secret.ent'> %p;]><r><file oldName='&leak;'/></r>",
       Fails(XML_ERR_ENTITY_PE_INTERNAL, "Parameter entities are not accepted in job files")},
      {"external type", "<!DOCTYPE r SYSTEM '" + url + "/secret.dtd'><r><file oldName='a'/></r>", no_entry + "a||||||||\n"},
      // Bombs and limits end in an error, quickly.
      {"billion laughs in an attribute", "<!DOCTYPE r [" + laughs + "]><r><file title='&lol9;'/></r>", amplified},
      {"billion laughs in content", "<!DOCTYPE r [" + laughs + "]><r>&lol9;</r>", amplified},
      {"quadratic blow-up", "<!DOCTYPE r [" + big + "]><r>" + Repeat("<file title='&big;&big;&big;&big;'/>", 10000) + "</r>",
       Fails(XML_ERR_ENTITY_LOOP, "Maximum entity amplification factor exceeded")},
      {"quadratic blow-up in an entity", "<!DOCTYPE r [" + big + "<!ENTITY m '" + Repeat("&big;", 1000) + "'>]><r><file title='&m;'/></r>",
       amplified},
      {"entries multiplied", "<!DOCTYPE r [<!ENTITY a \"" + Repeat("<file oldName='x'/>", 100) + "\">]><r>" +
                                 Repeat("&a;", 100000) + "</r>",
       Fails(XML_ERR_ENTITY_LOOP, "Maximum entity amplification factor exceeded")},
      {"an entity tree and declarations, together just over what may be kept",
       "<!DOCTYPE r [" + notations + "<!ENTITY e '" + Repeat("<a/>", 253000) + "'>]><r>&e;</r>",
       Fails(XML_ERR_ENTITY_PROCESSING, "Document type declaration too large")},
      {"expansion paid for by the length read since", "<!DOCTYPE r [<!ENTITY e '" + Repeat("<a/>", 1000) + "'>]><r>" +
           Repeat("&e;", 800) + std::string(1000000, ' ') + Repeat("&e;", 100) + "<file oldName='a'/></r>", no_entry + "a" + tail + "|\n"},
      {"1000 attributes", "<r><file" + attributes + "/></r>", no_entry + "||||||||\n"},
      {"20000 attributes in a tag that never ends", "<r><file" + Repeat(" a=''", 20000),
       Fails(XML_ERR_INTERNAL_ERROR, "Excessive number of attributes on an element: more than 1000")},
      {"1000 attributes in an entity", "<!DOCTYPE r [<!ENTITY e \"<file" + attributes + "/>\">]><r>&e;</r>",
       no_entry + "||||||||\n"},
      {"1001 attributes in an entity", "<!DOCTYPE r [<!ENTITY e \"<x" + attributes + " z=''/>\">]><r>&e;</r>",
       Fails(XML_ERR_INTERNAL_ERROR, "Excessive number of attributes on an element: more than 1000")},
      {"1001 namespaces in scope", "<r" + namespaces + "><d" + namespaces + " xmlns:z='urn:x'/></r>",
       Fails(XML_ERR_INTERNAL_ERROR, "Excessive number of namespace declarations in scope: more than 1000")},
      {"1001 attribute declarations", "<!DOCTYPE r [<!ATTLIST x" + declarations + " z CDATA 'x'>]><r/>",
       Fails(XML_ERR_INTERNAL_ERROR, "Excessive number of attribute declarations: more than 1000")},
      {"'=' in values, comments (one across two pieces) and CDATA counts for nothing",
       "<!DOCTYPE r [<!ENTITY e \"<!--" + equals + "--><file title='" + equals + "'/><![CDATA[" + equals + "]]>\">]>"
       "<r><!--" + Repeat(equals, 14) + "-->&e;</r>", no_entry + "|||" + equals + "|||||\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    WriteFile(dir_ / "job.xml", row.xml);
    std::string got = Read(dir_ / "job.xml", row.expected.find(" at ") != std::string::npos);
    EXPECT_TRUE(got == row.expected) << "got:\n" << got.substr(0, 600) << "\nexpected:\n" << row.expected.substr(0, 600);
  }
  ASSERT_EQ(mkfifo((dir_ / "fifo.xml").c_str(), 0600), 0);  // would block a plain open
  ASSERT_EQ(mkdir((dir_ / "folder.xml").c_str(), 0700), 0);
  EXPECT_EQ(Read(dir_ / "missing.xml"), Error(XML_IO_ENOENT, 0, 0, "No such file or directory"));
  EXPECT_EQ(Read(dir_ / "folder.xml"), Error(XML_IO_EISDIR, 0, 0, "Is a directory"));
  EXPECT_EQ(Read(dir_ / "fifo.xml"), Error(XML_IO_UNKNOWN, 0, 0, "Not a regular file"));
  EXPECT_TRUE(Read(many, true, true) == no_entry + many_rows) << "read from memory";
  // Entries that do not fit the kept bytes, from the first or from one past it, are read again.
  for (std::size_t kept_bytes : {std::size_t{0}, std::size_t{100000}}) {
    reader_ = std::make_unique<Libxml2JobFileReader>(platform_, kept_bytes);
    EXPECT_TRUE(Read(many, true, true) == no_entry + many_rows) << "kept bytes: " << kept_bytes;
  }
}

// The real platform, except that a job file read from its start a second time fails, or
// from then on ends after its first 7 bytes as if it had been cut short since its check.
class SecondReadPlatform : public PlatformWrapper {
 public:
  SecondReadPlatform(Platform& target, bool cut) : PlatformWrapper(target), cut_(cut) {}
  std::int64_t ReadAt(NativeFile file, void* buffer, std::size_t count, std::uint64_t offset) override {
    if (offset == 0 && ++starts_ == 2 && !cut_) {
      errno = ESTALE;  // not the EIO a reader says when it knows no better
      return -1;
    }
    if (starts_ >= 2 && cut_) count = offset < 7 ? 7 - offset : 0;
    return PlatformWrapper::ReadAt(file, buffer, count, offset);
  }

 private:
  bool cut_;
  int starts_ = 0;
};

TEST_F(JobFileReaderTest, FailingSecondReadGivesUpTheRest) {
  WriteFile(dir_ / "job.xml", "<album><file oldName='a.mp3'/></album>");
  const struct {
    bool cut;
    std::string description;
  } rows[] = {{false, "Stale file handle"}, {true, "Premature end of data (line 1, column 8)"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.description);
    SecondReadPlatform platform(platform_, row.cut);
    Libxml2JobFileReader reader(platform, 0);  // keeps no entry, so they are read again
    ParseError error;
    ASSERT_TRUE(reader.LoadJobFile(dir_ / "job.xml", &error));
    reader.OpenEntries();
    TrackEntry entry;
    try {
      reader.NextEntry(&entry);
      ADD_FAILURE() << "no failure";
    } catch (const JobFileFailure& failure) {
      EXPECT_EQ(Utf16ToUtf8(failure.description()), row.description);
      EXPECT_EQ(Utf16ToUtf8(failure.message()),
                "The job file changed or could not be read while its entries were processed.");
    }
  }
}

// The run's reader stops libxml2 only once the parser it still holds is gone: a UTF-16 job
// file whose entries are too many to keep is read twice, the second time by libxml2 with its
// converter for UTF-16.
TEST(RunReaderTest, StopsTheLibraryAfterItsParser) {
  TempDir dir;
  std::string utf16 = "\xFF\xFE";
  for (char16_t unit : Utf8ToUtf16("<r>" + Repeat("<file comment='" + std::string(9000, 'c') + "'/>", 2000) + "</r>")) {
    utf16 += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
  }
  WriteFile(dir / "job.xml", utf16);
  PosixPlatform platform;
  ReaderFailure failure;
  std::unique_ptr<JobFileReader> reader = CreateJobFileReader(platform, &failure);
  ASSERT_TRUE(reader);
  ParseError error;
  ASSERT_TRUE(reader->LoadJobFile(dir / "job.xml", &error));
  reader->OpenEntries();
  int entries = 0;
  for (TrackEntry entry; reader->NextEntry(&entry);) ++entries;
  EXPECT_EQ(entries, 2000);
  reader.reset();
  ASSERT_TRUE(InitXmlLibrary());  // for the tests after this one
}

}  // namespace
}  // namespace velkor::testing
