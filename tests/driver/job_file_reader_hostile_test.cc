// Job files written to hurt: they must end in a clear result, never read anything but
// the job file itself, never crash, and never run for long or grow without bound.
#include <libxml/xmlerror.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "job_file_reader_support.h"
#include "support/temp_dir.h"
#include "text/utf.h"

namespace velkor::testing {
namespace {

std::string Repeat(const std::string& text, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += text;
  return out;
}

// Everything the reader handed out, as one text.
std::string AllText(const JobRead& job) {
  std::string text = Utf16ToUtf8(job.error.reason);
  for (const auto& binding : kAlbumBindings) text += Utf16ToUtf8(job.album.*binding.field);
  for (const std::string& row : EntryRows(job)) text += row;
  return text;
}

TEST(JobFileReaderHostile, NothingOutsideTheJobFileIsEverRead) {
  TempDir dir;
  const std::string secret = dir / "secret.txt";
  WriteFile(secret, "SECRET");
  WriteFile(dir / "secret.ent", "<!ENTITY leak 'SECRET'>");
  WriteFile(dir / "secret.dtd", "<!ENTITY leak 'SECRET'><!ATTLIST file title CDATA 'SECRET'>");
  WriteFile(dir / "secret.xml", "<file oldName='SECRET'/>");
  const std::string url = "file://" + dir.path();
  struct Case {
    std::string xml;
    bool loads;
  };
  const std::vector<Case> cases = {
      {"<!DOCTYPE r [<!ENTITY x SYSTEM '" + url + "/secret.txt'>]><r><file oldName='&x;'/></r>", false},
      {"<!DOCTYPE r [<!ENTITY x SYSTEM '" + secret + "'>]><r><file oldName='a'/>&x;</r>", true},
      {"<!DOCTYPE r [<!ENTITY % p SYSTEM '" + url + "/secret.ent'> %p;]><r><file oldName='&leak;'/></r>", false},
      {"<!DOCTYPE r SYSTEM '" + url + "/secret.dtd'><r><file oldName='a'/></r>", true},
      {"<!DOCTYPE r SYSTEM '" + url + "/secret.dtd'><r><file oldName='&leak;'/></r>", false},
      {"<r xmlns:xi='http://www.w3.org/2001/XInclude'><xi:include href='" + url + "/secret.xml'/></r>", true},
      {"<!DOCTYPE r [<!ENTITY x SYSTEM 'http://127.0.0.1:9/x'>]><r>&x;</r>", true},
  };
  for (const Case& c : cases) {
    JobRead job = ReadJobText(c.xml);
    EXPECT_EQ(job.loaded, c.loads) << c.xml << "\n" << ::testing::PrintToString(job.error);
    EXPECT_EQ(AllText(job).find("SECRET"), std::string::npos) << c.xml;
  }
}

TEST(JobFileReaderHostile, EntityBombsEndInAParseError) {
  std::string laughs = "<!ENTITY lol0 'lol'>";
  for (int i = 1; i <= 9; ++i) {
    laughs += "<!ENTITY lol" + std::to_string(i) + " '" + Repeat("&lol" + std::to_string(i - 1) + ";", 10) + "'>";
  }
  const std::string big = "<!ENTITY big '" + std::string(100000, 'x') + "'>";
  const std::string album = "<!ENTITY album \"" + Repeat("<file oldName='x' title='y'/>", 100) + "\">";
  struct Case {
    const char* name;
    std::string xml;
    int code;
  };
  const std::vector<Case> cases = {
      {"billion laughs in an attribute", "<!DOCTYPE r [" + laughs + "]><r><file title='&lol9;'/></r>",
       XML_ERR_ENTITY_LOOP},
      {"billion laughs in content", "<!DOCTYPE r [" + laughs + "]><r>&lol9;</r>", XML_ERR_ENTITY_LOOP},
      {"quadratic blow-up in attributes",
       "<!DOCTYPE r [" + big + "]><r>" + Repeat("<file title='&big;&big;&big;&big;'/>", 10000) + "</r>",
       XML_ERR_ENTITY_LOOP},
      {"quadratic blow-up inside an entity",
       "<!DOCTYPE r [" + big + "<!ENTITY many '" + Repeat("&big;", 1000) + "'>]><r><file title='&many;'/></r>",
       XML_ERR_ENTITY_LOOP},
      {"entries multiplied by an entity", "<!DOCTYPE r [" + album + "]><r>" + Repeat("&album;", 100000) + "</r>",
       XML_ERR_ENTITY_LOOP},
      {"entity content that builds a large tree",
       "<!DOCTYPE r [<!ENTITY e '" + Repeat("<a/>", 2000000) + "'>]><r>&e;</r>", XML_ERR_ENTITY_PROCESSING},
      {"type declaration over ten million bytes", "<!DOCTYPE r [" + Repeat(big, 120) + "]><r/>",
       XML_ERR_INTERNAL_ERROR},
  };
  for (const Case& c : cases) {
    JobRead job = ReadJobText(c.xml);
    EXPECT_FALSE(job.loaded) << c.name;
    EXPECT_TRUE(job.entries.empty()) << c.name;
    EXPECT_EQ(job.error.code, static_cast<std::uint32_t>(c.code)) << c.name << ": " << Utf16ToUtf8(job.error.reason);
  }
}

TEST(JobFileReaderHostile, HugeValuesDeepNestingAndNulBytesEndClearly) {
  TempDir dir;
  // Up to libxml2's limit of ten million bytes a value is read whole; beyond it the file fails.
  WriteFile(dir / "9mb.xml", "<r><file title='" + std::string(9 << 20, 'v') + "'/></r>");
  JobRead large = ReadJobFile(dir / "9mb.xml");
  ASSERT_TRUE(large.loaded);
  ASSERT_EQ(large.entries.size(), 1u);
  EXPECT_EQ(large.entries[0].title.size(), std::size_t{9} << 20);

  WriteFile(dir / "10mb.xml", "<r><file title='" + std::string(10 << 20, 'v') + "'/></r>");
  JobRead huge = ReadJobFile(dir / "10mb.xml");
  EXPECT_FALSE(huge.loaded);
  EXPECT_EQ(huge.error.code, static_cast<std::uint32_t>(XML_ERR_INTERNAL_ERROR));

  JobRead deep = ReadJobText("<r>" + Repeat("<d>", 100000) + Repeat("</d>", 100000) + "</r>");
  EXPECT_FALSE(deep.loaded);
  EXPECT_EQ(Utf16ToUtf8(deep.error.reason), "Excessive depth in document: 256");
  JobRead allowed = ReadJobText("<r>" + Repeat("<d>", 254) + "<file oldName='deep'/>" + Repeat("</d>", 254) + "</r>");
  ASSERT_TRUE(allowed.loaded);
  EXPECT_EQ(EntryRows(allowed), std::vector<std::string>{"deep||||||||"});

  // libxml2 checks an element's attributes for duplicates pair by pair: a hundred
  // thousand of them would keep it busy for minutes, in the document or in an entity.
  std::string many;
  for (int i = 0; i < 100000; ++i) many += " a" + std::to_string(i) + "=''";
  for (const std::string& xml : {"<r><file" + many + "/></r>",
                                 "<!DOCTYPE r [<!ENTITY e \"<file" + many + "/>\">]><r>&e;</r>",
                                 "<r><x" + many.substr(0, many.find(" a1001=")) + "/></r>"}) {
    JobRead crowded = ReadJobText(xml);
    EXPECT_FALSE(crowded.loaded);
    EXPECT_EQ(Utf16ToUtf8(crowded.error.reason), "Excessive number of attributes on an element: more than 1000");
  }
  // Namespace lookups go through every declaration in scope; defaults are checked pairwise.
  std::string namespaces, declarations;
  for (int i = 0; i < 600; ++i) namespaces += " xmlns:p" + std::to_string(i) + "='urn:x'";
  for (int i = 0; i < 1001; ++i) declarations += " a" + std::to_string(i) + " CDATA 'x'";
  JobRead scoped = ReadJobText("<r" + namespaces + "><d" + namespaces + "><file/></d></r>");
  EXPECT_EQ(Utf16ToUtf8(scoped.error.reason), "Excessive number of namespace declarations in scope: more than 1000");
  JobRead declared = ReadJobText("<!DOCTYPE r [<!ATTLIST x" + declarations + ">]><r/>");
  EXPECT_EQ(Utf16ToUtf8(declared.error.reason), "Excessive number of attribute declarations: more than 1000");
  const std::string equals(5000, '=');
  for (const std::string& xml : {"<r><file" + many.substr(0, many.find(" a1000=")) + "/></r>",
                                 "<r><file title='" + equals + "'/><!--" + equals + "--></r>",
                                 "<!DOCTYPE r [<!ENTITY e \"<!--" + equals + "--><file title='" + equals +
                                     "'/><![CDATA[" + equals + "]]>\">]><r>&e;</r>"}) {
    EXPECT_TRUE(ReadJobText(xml).loaded);
  }

  JobRead nul = ReadJobText(std::string("<r>\0<file oldName='a'/></r>", 27));
  EXPECT_FALSE(nul.loaded);
  EXPECT_EQ(nul.error.code, static_cast<std::uint32_t>(XML_ERR_INVALID_CHAR));
}

}  // namespace
}  // namespace velkor::testing
