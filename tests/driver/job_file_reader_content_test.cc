// What the reader makes of well-formed job files: album defaults, which elements are
// entries, which attributes fill which field, and how text arrives.
#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <string>
#include <vector>

#include "job_file_reader_support.h"
#include "support/temp_dir.h"
#include "text/utf.h"

namespace velkor::testing {
namespace {

std::vector<std::string> OldNames(const JobRead& job) {
  std::vector<std::string> names;
  for (const TrackEntry& entry : job.entries) names.push_back(Utf16ToUtf8(entry.oldName));
  return names;
}

TEST(JobFileReaderContent, RootAttributesFillTheAlbumDefaultsAndNothingElse) {
  JobRead job = ReadJobText(
      "<album title='Best Of' artist='Band' genre='17' year='1999' comment='not a default' track='3'>"
      "<file oldName='a.mp3'/></album>");
  ASSERT_TRUE(job.loaded);
  EXPECT_EQ(job.album.title, u"Best Of");
  EXPECT_EQ(job.album.artist, u"Band");
  EXPECT_EQ(job.album.genre, u"17");
  EXPECT_EQ(job.album.year, u"1999");
  // The root's title is the album's name, never a track title.
  EXPECT_EQ(EntryRows(job), std::vector<std::string>{"a.mp3||||||||"});

  JobRead bare = ReadJobText("<album><file oldName='a.mp3'/></album>");
  ASSERT_TRUE(bare.loaded);
  EXPECT_TRUE(bare.album.title.empty() && bare.album.artist.empty() && bare.album.genre.empty() &&
              bare.album.year.empty());
}

TEST(JobFileReaderContent, EveryFileElementBeneathTheRootIsAnEntryInDocumentOrder) {
  // The root is named file and is no entry; nested and deeper file elements are; other
  // names, other cases and prefixed names are not.
  JobRead job = ReadJobText(
      "<file title='Root'>"
      "  <file oldName='1'/>"
      "  <disc><file oldName='2'><file oldName='3'/></file><File oldName='no'/></disc>"
      "  <x:file xmlns:x='urn:x' oldName='no'/><files oldName='no'/>"
      "  <group xmlns='urn:default'><file oldName='4'/></group>"
      "  <!-- <file oldName='no'/> --><![CDATA[<file oldName='no'/>]]>"
      "  <file oldName='5'/>"
      "</file>");
  ASSERT_TRUE(job.loaded);
  EXPECT_EQ(job.album.title, u"Root");
  EXPECT_EQ(OldNames(job), (std::vector<std::string>{"1", "2", "3", "4", "5"}));

  JobRead lone = ReadJobText("<file oldName='root'/>");
  ASSERT_TRUE(lone.loaded);
  EXPECT_TRUE(lone.entries.empty());
}

TEST(JobFileReaderContent, AttributesFillTheirFieldsAndEveryFieldIsClearedFirst) {
  ASSERT_EQ(kEntryBindings[0].attribute, u"oldName");
  ASSERT_EQ(kEntryBindings[8].attribute, u"comment");
  JobRead job = ReadJobText(
      "<r>"
      "<file comment='c' year='2001' genre='7' album='Al' artist='Ar' title='Ti' track='5' newName='n.mp3' "
      "oldName='o.mp3'/>"
      "<file oldName='only.mp3'/>"
      "<file oldName='empty.mp3' newName='' title=''/>"
      "<file OldName='wrong case' oldname='lower' x:oldName='prefixed' xmlns:x='urn:x' NewName='N'/>"
      "</r>");
  ASSERT_TRUE(job.loaded);
  EXPECT_EQ(EntryRows(job), (std::vector<std::string>{
                                "o.mp3|n.mp3|5|Ti|Ar|Al|7|2001|c",
                                "only.mp3||||||||",
                                "empty.mp3||||||||",
                                "||||||||",
                            }));
}

TEST(JobFileReaderContent, NextEntryAtTheEndLeavesTheEntryAsItWas) {
  std::unique_ptr<JobFileReader> reader = JobFileReader::Create(RealPlatform());
  ParseError error;
  ASSERT_TRUE(reader->LoadJobFileFromMemory("<r><file oldName='a'/></r>", &error));
  reader->OpenEntries();
  TrackEntry entry;
  ASSERT_TRUE(reader->NextEntry(&entry));
  entry.title = u"kept";
  EXPECT_FALSE(reader->NextEntry(&entry));
  EXPECT_FALSE(reader->NextEntry(&entry));
  EXPECT_EQ(entry.oldName, u"a");
  EXPECT_EQ(entry.title, u"kept");

  // Walking again starts from the first entry.
  reader->OpenEntries();
  ASSERT_TRUE(reader->NextEntry(&entry));
  EXPECT_EQ(entry.title, u"");
}

// The entries libxml2 itself finds when it builds the whole document with every entity
// substituted: the reference the reader must agree with.
std::vector<std::string> RowsOfSubstitutedDocument(const std::string& xml) {
  std::vector<std::string> rows;
  xmlDocPtr doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), nullptr, nullptr,
                                XML_PARSE_NOENT | XML_PARSE_NONET);
  if (!doc) return {"not parsed"};
  std::vector<xmlNodePtr> pending{xmlDocGetRootElement(doc)->children};
  while (!pending.empty()) {
    xmlNodePtr node = pending.back();
    if (!node) {
      pending.pop_back();
      continue;
    }
    pending.back() = node->next;
    if (node->type != XML_ELEMENT_NODE) continue;
    if (xmlStrEqual(node->name, BAD_CAST "file") && (!node->ns || !node->ns->prefix)) {
      std::string row;
      for (const auto& binding : kEntryBindings) {
        xmlChar* value = xmlGetNoNsProp(node, BAD_CAST Utf16ToUtf8(binding.attribute).c_str());
        row += std::string(value ? reinterpret_cast<const char*>(value) : "") + "|";
        xmlFree(value);
      }
      row.pop_back();
      rows.push_back(row);
    }
    pending.push_back(node->children);
  }
  xmlFreeDoc(doc);
  return rows;
}

TEST(JobFileReaderContent, ReferencesArriveResolvedAsLibxml2ResolvesThem) {
  const std::string dtd =
      "<!DOCTYPE r ["
      "<!ENTITY lib '/home/me/Music'>"
      "<!ENTITY band 'Ton &amp; Steine'>"
      "<!ENTITY nested '[&lib;/&band;]'>"
      "<!ENTITY spaced 'a\tb\nc'>"
      "<!ENTITY escaped '&#38;#65;&#38;amp;'>"
      "<!ENTITY two \"<file oldName='&lib;/e1.mp3'/><x><file oldName='e2' title='&band;'/></x>\">"
      "<!ENTITY both '&two;&two;'>"
      "<!ATTLIST file comment CDATA 'from the &band; defaults'>"
      "]>";
  const std::vector<std::string> documents = {
      "<r><file oldName='&lib;/a.mp3' artist='&band;' title='&lt;&gt;&amp;&apos;&quot;' "
      "album='&#x41;&#1071;&#128512;' comment='&nested;' genre='&spaced;' year='&escaped;'/></r>",
      "<r><file oldName='1'/>&two;<file oldName='2'/>&both;<file oldName='3'/></r>",
      "<r><file oldName='literal&#38;amp;' title='x&#10;y&#9;z' artist='a  b\n c'/></r>",
      "<!DOCTYPE r [<!ENTITY e '  a   b  '><!ENTITY f \"<file genre=' p &e; q ' artist=' p &e; q '/>\">"
      "<!ATTLIST file genre NMTOKENS #IMPLIED>]><r><file genre=' x  &e; y ' artist=' x  &e; y '/>&f;</r>",
  };
  for (const std::string& body : documents) {
    std::string xml = body.rfind("<!DOCTYPE", 0) == 0 ? body : dtd + body;
    JobRead job = ReadJobText(xml);
    ASSERT_TRUE(job.loaded) << body;
    EXPECT_EQ(EntryRows(job), RowsOfSubstitutedDocument(xml)) << body;
  }
  // Token attributes are normalised after their references are resolved.
  EXPECT_EQ(EntryRows(ReadJobText(documents[3])),
            (std::vector<std::string>{"|||| x    a   b   y ||x a b y||", "|||| p   a   b   q ||p a b q||"}));
  // The first document, spelled out.
  JobRead job = ReadJobText(dtd + documents[0]);
  ASSERT_EQ(job.entries.size(), 1u);
  EXPECT_EQ(job.entries[0].oldName, u"/home/me/Music/a.mp3");
  EXPECT_EQ(job.entries[0].title, u"<>&'\"");
  EXPECT_EQ(job.entries[0].album, u"A\u042F\U0001F600");
  EXPECT_EQ(job.entries[0].comment, u"[/home/me/Music/Ton & Steine]");
  EXPECT_EQ(job.entries[0].genre, u"a b c");
  EXPECT_EQ(job.entries[0].year, u"A&");
  // A default from the document type fills a missing attribute, in entities too.
  JobRead defaulted = ReadJobText(dtd + documents[1]);
  ASSERT_EQ(defaulted.entries.size(), 9u);
  for (const TrackEntry& entry : defaulted.entries) EXPECT_EQ(entry.comment, u"from the Ton & Steine defaults");
}

TEST(JobFileReaderContent, LargeJobFileIsReadPieceByPieceInOrder) {
  TempDir dir;
  std::string xml = "<album>\n";
  const int kEntries = 20000;  // well over ten pieces of reading
  for (int i = 0; i < kEntries; ++i) {
    xml += "<file oldName='" + std::to_string(i) + ".mp3' title='\xD0\x9F\xD0\xB5\xD1\x81\xD0\xBD\xD1\x8F " +
           std::to_string(i) + "' comment='&amp;'/>\n";
  }
  WriteFile(dir / "large.xml", xml + "</album>\n");
  JobRead job = ReadJobFile(dir / "large.xml");
  ASSERT_TRUE(job.loaded);
  ASSERT_EQ(job.entries.size(), static_cast<std::size_t>(kEntries));
  for (int i = 0; i < kEntries; ++i) {
    const TrackEntry& entry = job.entries[static_cast<std::size_t>(i)];
    ASSERT_EQ(entry.oldName, Utf8ToUtf16(std::to_string(i) + ".mp3"));
    ASSERT_EQ(entry.title, u"\u041F\u0435\u0441\u043D\u044F " + Utf8ToUtf16(std::to_string(i)));
    ASSERT_EQ(entry.comment, u"&");
  }
}

std::string Utf16Bytes(const std::u16string& text, bool big_endian) {
  std::string bytes;
  for (char16_t unit : u"\uFEFF" + text) {
    char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
    bytes += big_endian ? std::string{high, low} : std::string{low, high};
  }
  return bytes;
}

TEST(JobFileReaderContent, JobFilesLoadInEveryEncodingTheParserKnows) {
  TempDir dir;
  const std::u16string utf16_xml =
      u"<?xml version='1.0'?><album artist='\u041A\u0438\u043D\u043E'>"
      u"<file oldName='\u041F\u0440\u0438\u0432\u0435\u0442.mp3' title='\u20AC\U0001F3B5'/></album>";
  struct Case {
    const char* name;
    std::string bytes;
  };
  const std::vector<Case> cases = {
      {"utf-8", Utf16ToUtf8(utf16_xml)},
      {"utf-8 with BOM", "\xEF\xBB\xBF" + Utf16ToUtf8(utf16_xml)},
      {"utf-16le", Utf16Bytes(utf16_xml, false)},
      {"utf-16be", Utf16Bytes(utf16_xml, true)},
      {"windows-1251",
       "<?xml version='1.0' encoding='windows-1251'?><album artist='\xCA\xE8\xED\xEE'>"
       "<file oldName='\xCF\xF0\xE8\xE2\xE5\xF2.mp3' title='&#x20AC;&#x1F3B5;'/></album>"},
      {"koi8-r",
       "<?xml version='1.0' encoding='KOI8-R'?><album artist='\xEB\xC9\xCE\xCF'>"
       "<file oldName='\xF0\xD2\xC9\xD7\xC5\xD4.mp3' title='&#8364;&#127925;'/></album>"},
  };
  for (const Case& c : cases) {
    std::string path = dir / (std::string(c.name) + ".xml");
    WriteFile(path, c.bytes);
    JobRead job = ReadJobFile(path);
    ASSERT_TRUE(job.loaded) << c.name << ": " << ::testing::PrintToString(job.error);
    EXPECT_EQ(job.album.artist, u"\u041A\u0438\u043D\u043E") << c.name;
    ASSERT_EQ(job.entries.size(), 1u) << c.name;
    EXPECT_EQ(job.entries[0].oldName, u"\u041F\u0440\u0438\u0432\u0435\u0442.mp3") << c.name;
    EXPECT_EQ(job.entries[0].title, u"\u20AC\U0001F3B5") << c.name;
  }
}

}  // namespace
}  // namespace velkor::testing
