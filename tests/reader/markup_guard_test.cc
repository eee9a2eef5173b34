// The markup guard and the encoding check, over the same text in UTF-8 and in UTF-16 of
// either byte order, fed whole and in small pieces: what they refuse, where and why.
#include "reader/markup_guard.h"

#include <gtest/gtest.h>

#include <string>

#include "reader/declared_encoding.h"
#include "text/utf.h"

namespace velkor {
namespace {

std::string Repeat(const std::string& text, std::size_t count) {
  std::string out;
  out.reserve(text.size() * count);
  while (count-- > 0) out += text;
  return out;
}

// `text` (UTF-8) in UTF-16, little-endian with a byte order mark or big-endian without.
std::string Utf16(const std::string& text, bool little_endian) {
  std::string out = little_endian ? "\xFF\xFE" : "";
  for (char16_t unit : Utf8ToUtf16(text)) {
    const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
    out += little_endian ? std::string{low, high} : std::string{high, low};
  }
  return out;
}

std::string Outcome(bool passed, const ParseError& error) {
  if (passed) return "passed";
  return std::to_string(error.code) + " at " + std::to_string(error.line) + ":" + std::to_string(error.position) +
         ": " + Utf16ToUtf8(error.reason);
}

std::string Guard(const std::string& bytes, std::size_t piece) {
  MarkupGuard guard;
  bool passed = true;
  for (std::size_t at = 0; passed && at < bytes.size(); at += piece) {
    passed = guard.Feed(bytes.data() + at, std::min(piece, bytes.size() - at));
  }
  passed = passed && guard.Finish();
  return Outcome(passed, guard.refusal());
}

TEST(MarkupGuardTest, RefusesWhatPassesTheLimitsInEveryEncoding) {
  const std::string depth = "Excessive depth in document: 256", lost = "The document is not well-formed";
  const std::string parameter = "Parameter entities are not accepted in job files";
  const std::string amplified = "Maximum entity amplification factor exceeded";
  std::string laughs = "<!ENTITY l0 '" + std::string(1000, 'l') + "'>";
  for (int i = 1; i <= 7; ++i) {
    laughs += "<!ENTITY l" + std::to_string(i) + " '" + Repeat("&l" + std::to_string(i - 1) + ";", 10) + "'>";
  }
  // e1 refers to e2, and so on to e`levels`.
  auto nested = [](int levels) {
    std::string entities = "<!ENTITY p PUBLIC 'p' 's'>";
    for (int i = 1; i < levels; ++i) entities += "<!ENTITY e" + std::to_string(i) + " '&e" + std::to_string(i + 1) + ";'>";
    return entities + "<!ENTITY e" + std::to_string(levels) + " 'x'>";
  };
  const std::string laughs_end = std::to_string(laughs.size() + 25);
  const std::string many = "Excessive number of attributes on an element: more than 1000";
  const struct {
    const char* name;
    std::string text;
    std::string expected;
  } rows[] = {
      {"a job file", "<?xml version='1.0'?><a title='x'><file oldName='a.mp3'/></a>", "passed"},
      {"entities declared and used, a comment and line ends of each kind",
       "<?xml version='1.0'?>\r\n<!-- c -->\r<!DOCTYPE r SYSTEM 'r.dtd' [<!-- ' --><?pi ' ?>\n"
       "<!ENTITY e 'x&#37;y'><!ATTLIST r a CDATA '&e;'><!ENTITY f \"<file t='&e;'/>&e;\"><!ENTITY h '&#x3c;h/&#x3E;'>]>"
       "<r a='&e;&#38;'>&f;&h;</r>",
       "passed"},
      {"entities nested 40 deep, an unused public one beside them", "<!DOCTYPE r [" + nested(40) + "]><r>&e1;</r>", "passed"},
      {"and 41 deep", "<!DOCTYPE r [" + nested(41) + "]><r>&e1;</r>",
       "89 at 1:" + std::to_string(nested(41).size() + 22) + ": Detected an entity reference loop"},
      {"a parameter entity after a comment", "<!DOCTYPE r [<!-- c --><!ENTITY % p 'x'>]><r/>", "88 at 1:33: " + parameter},
      {"an entity past an end tag and an instruction", "<!DOCTYPE r [" + laughs + "]><r><d></d><?pi?>&l7;</r>",
       "89 at 1:" + std::to_string(laughs.size() + 35) + ": " + amplified},
      {"namespace declarations: 1000 in scope, then 600 on each of two siblings",
       "<r" + Repeat(" xmlns:n='u'", 1000) + "/><s><a" + Repeat(" xmlns:n='u'", 600) + "/><b" + Repeat(" xmlns:n='u'", 600) + "></b></s>",
       "passed"},
      {"1001 in scope", "<r" + Repeat(" xmlns:n='u'", 600) + "><s xmlns='u'" + Repeat(" xmlns:m='u'", 400) + "/></r>",
       "1 at 1:12012: Excessive number of namespace declarations in scope: more than 1000"},
      {"a parameter entity", "<!DOCTYPE r [\n<!ENTITY % p 'x'>]><r/>", "88 at 2:10: " + parameter},
      {"a parameter entity's reference", "<!DOCTYPE r [<!ENTITY e 'x'> %p;]><r/>", "88 at 1:30: " + parameter},
      {"a parameter entity in an entity", "<!DOCTYPE r [<!ENTITY e '%p;'>]><r/>", "88 at 1:30: " + parameter},
      {"an external entity referenced", "<!DOCTYPE r [<!ENTITY e SYSTEM 'e.xml'>]><r>\n&e;</r>",
       "29 at 2:3: Reference to external entity 'e': job files read nothing from outside"},
      {"an unparsed entity, not referenced", "<!DOCTYPE r [<!NOTATION n SYSTEM 'n'><!ENTITY e SYSTEM 'd:\\e.gif' NDATA n>]><r/>",
       "passed"},
      {"an entity loop", "<!DOCTYPE r [<!ENTITY a '&b;'><!ENTITY b '<x>&a;</x>'>]><r>&a;</r>",
       "89 at 1:62: Detected an entity reference loop"},
      {"laughs in an attribute", "<!DOCTYPE r [" + laughs + "]><r a='&l7;'/>", "89 at 1:" + laughs_end + ": " + amplified},
      {"laughs in a default", "<!DOCTYPE r [" + laughs + "<!ATTLIST r a CDATA '&l7;'>]><r/>",
       "89 at 1:" + std::to_string(laughs.size() + 40) + ": " + amplified},
      {"an entity nesting 250 elements in one nested 7 deep", "<!DOCTYPE r [<!ENTITY e '" + Repeat("<d>", 250) +
       Repeat("</d>", 250) + "'>]>" + Repeat("<d>", 6) + "&e;" + Repeat("</d>", 6), "passed"},
      {"and one more deep", "<!DOCTYPE r [<!ENTITY e '" + Repeat("<d>", 250) + Repeat("</d>", 250) + "'>]>" +
       Repeat("<d>", 7) + "&e;" + Repeat("</d>", 7), "1 at 1:1803: " + depth},
      {"a declaration in content", "<r><!ENTITY e 'x'></r>", "1 at 1:6: " + lost},
      {"a document type after the root", "<r/><!DOCTYPE r>", "1 at 1:13: " + lost},
      {"a CDATA section misspelt", "<r><![CDATA [x]]></r>", "1 at 1:12: " + lost},
      {"markup hidden in comments, CDATA, instructions and values",
       "<r><!-- <!DOCTYPE x> <d><d> -- ->--><![CDATA[<!DOCTYPE x> ]] ]>]]><?pi <!DOCTYPE x> ? >?>"
       "<file title=\"it's <!DOCTYPE x>\" comment='\"<d>\"'/></r>",
       "passed"},
      {"depth 256", Repeat("<d>", 256) + Repeat("</d>", 256), "passed"},
      {"depth 256 with empty elements", Repeat("<d>", 255) + Repeat("<e/>", 300) + Repeat("</d>", 255), "passed"},
      {"depth 257", Repeat("<d>", 256) + "<e/>", "1 at 1:770: " + depth},
      {"1000 attributes", "<r" + Repeat(" a=''", 1000) + "/>", "passed"},
      {"1001 attributes", "<r" + Repeat(" a=\"\"", 1001) + "/>", "1 at 1:5006: " + many},
      {"a value of the most bytes, ASCII", "<r a='" + std::string(10000000, 'x') + "'/>", "passed"},
      {"a value of the most bytes, three to a character", "<r a='" + Repeat("日", 3333333) + "x'/>", "passed"},
      {"a value of the most bytes, four to a character", "<r a='" + Repeat("😀", 2500000) + "'/>", "passed"},
      {"a value one byte longer", "<r a='" + Repeat("😀", 2500000) + "x'/>", "40 at 1:2500007: Attribute value longer than 10000000 bytes"},
      {"a value one byte longer, in U+0800, the first character of three bytes", "<r a='" + Repeat("\xE0\xA0\x80", 3333333) + "xy'/>",
       "40 at 1:3333341: Attribute value longer than 10000000 bytes"},
      {"a name of the most bytes", "<" + std::string(50000, 'n') + "/>", "passed"},
      {"an attribute name of the most bytes", "<r " + std::string(50000, 'n') + "=''/>", "passed"},
      {"an attribute name one byte longer", "<r " + std::string(50001, 'n') + "=''/>", "110 at 1:50004: Name longer than 50000 bytes"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const std::size_t small_piece = row.text.size() < 100000 ? 1 : 4093;
    EXPECT_EQ(Guard(row.text, row.text.size()), row.expected) << "UTF-8";
    EXPECT_EQ(Guard(row.text, small_piece), row.expected) << "UTF-8 in pieces";
    EXPECT_EQ(Guard(Utf16(row.text, true), small_piece), row.expected) << "UTF-16LE in pieces";
    EXPECT_EQ(Guard(Utf16(row.text, false), row.text.size()), row.expected) << "UTF-16BE";
  }
  EXPECT_EQ(Guard(std::string("\0\0\0<\0\0\0r\0\0\0/\0\0\0>", 16), 16),
            "1 at 1:1: Job files in UCS-4 or EBCDIC are not read");
}

TEST(DeclaredEncodingTest, DeclarationThatTheMarkOrUTF16ContradictsIsRefused) {
  const std::string lie = "81 at 1:31: The document is in UTF-16, but its declaration says it is in ";
  const struct {
    const char* name;
    std::string bytes;
    std::string expected;
  } rows[] = {
      {"UTF-16LE saying UTF-8", Utf16("<?xml version=\"1.0\" encoding=\"UTF-8\"?><r/>", true), lie + "UTF-8"},
      {"UTF-16BE with a mark saying UTF-8", "\xFE\xFF" + Utf16("<?xml version=\"1.0\" encoding=\"UTF-8\"?><r/>", false), lie + "UTF-8"},
      {"UTF-16BE without a mark saying utf-8", Utf16("<?xml version=\"1.0\" encoding=\"utf-8\"?><r/>", false), lie + "utf-8"},
      {"spaces around '='", Utf16("<?xml version='1.0'  encoding = 'Utf-8' ?><r/>", true),
       "81 at 1:34: The document is in UTF-16, but its declaration says it is in Utf-8"},
      {"UTF-16 saying windows-1252", Utf16("<?xml version=\"1.0\" encoding=\"windows-1252\"?><r/>", true), lie + "windows-1252"},
      {"UTF-16 saying UTF-16", Utf16("<?xml version=\"1.0\" encoding=\"UTF-16\"?><r/>", true), "passed"},
      {"UTF-16 without an encoding", Utf16("<?xml version=\"1.0\"?><r encoding='UTF-8'/>", true), "passed"},
      {"UTF-16 without a declaration", Utf16("<r/>", false), "passed"},
      {"UTF-8 saying UTF-8", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><r/>", "passed"},
      {"UTF-8 mark saying ISO-8859-1", "\xEF\xBB\xBF<?xml version=\"1.0\" encoding='ISO-8859-1'?><r/>",
       "81 at 1:31: The document is in UTF-8, but its declaration says it is in ISO-8859-1"},
      {"UTF-8 mark saying uTf-8", "\xEF\xBB\xBF<?xml version='1.0' encoding='uTf-8'?><r/>", "passed"},
      {"UTF-8 mark without an encoding", "\xEF\xBB\xBF<?xml version='1.0'?><r encoding='latin1'/>", "passed"},
      {"no mark saying KOI8-R", "<?xml version='1.0' encoding='KOI8-R'?><r/>", "passed"},
      {"UTF-8 mark and a name that is none", "\xEF\xBB\xBF<?xml version='1.0' encoding='a\rb'?><r/>", "passed"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    ParseError error;
    EXPECT_EQ(Outcome(CheckDeclaredEncoding(row.bytes, &error), error), row.expected);
  }
}

}  // namespace
}  // namespace velkor
