// The plain scan either gives up on a job file or hands over exactly what libxml2 does,
// however the file is cut into pieces.
#include <gtest/gtest.h>

#include "reader/plain_job_file_scan.h"
#include "support/scan_recorder.h"

namespace velkor {
namespace {

TEST(PlainJobFileScanTest, GivesUpOrAgreesWithLibxml2) {
  const struct {
    const char* name;
    std::string text;
    bool plain;
  } rows[] = {
      {"declaration, comments, entities, nesting",
       "\xEF\xBB\xBF<?xml version='1.0' encoding=\"utf-8\" standalone='yes' ?>\n<!-- a - b -->\n"
       "<album title=\"A &amp; B\" year='1999' x=\"&lt;&gt;&quot;&apos;\">\n text > ' \" \n"
       "<file oldName = 'a.mp3' newName=\"b.mp3\" artist='Ж&amp;\xF0\x9F\x8E\xB5' unknown='1'>t</file>"
       "<!----><group><file comment='x]]>' oldName='c.mp3'/><file/></group></album>\n<!-- end -->\n",
       true},
      {"attributes out of order, no declaration", "<a><file year='2' track='1' oldName='x'/><file title=''/></a>", true},
      {"empty root", "<album/>", true},
      {"UTF-8 at the edges of each length",
       "<a title='\xC2\x80 \xDF\xBF \xE0\xA0\x80 \xED\x9F\xBF \xEE\x80\x80 \xEF\xBF\xBD \xF0\x90\x80\x80 "
       "\xF4\x8F\xBF\xBF'/>",
       true},
      {"character reference", "<a title='&#233;'/>", false},
      {"other entity", "<a title='&nbsp;'/>", false},
      {"tab in a value", "<a title='x\ty'/>", false},
      {"line end in a value", "<a title='x\r\ny'/>", false},
      {"document type", "<!DOCTYPE a><a/>", false},
      {"CDATA", "<a><![CDATA[x]]></a>", false},
      {"processing instruction", "<?pi x?><a/>", false},
      {"prefixed element", "<a xmlns:x='u'><x:file oldName='a'/></a>", false},
      {"namespace", "<a xmlns='u'><file oldName='a'/></a>", false},
      {"repeated wanted attribute", "<a><file oldName='a' oldName='b'/></a>", false},
      {"repeated other attribute", "<a><file z='a' z='b'/></a>", false},
      {"other encoding", "<?xml version='1.0' encoding='ISO-8859-1'?><a/>", false},
      {"version 1.1", "<?xml version='1.1'?><a/>", false},
      {"declaration not first", " <?xml version='1.0'?><a/>", false},
      {"text before the root", "x<a/>", false},
      {"second root", "<a/><b/>", false},
      {"wrong end tag", "<a></b>", false},
      {"no end tag", "<a>", false},
      {"empty file", "", false},
      {"overlong UTF-8", "<a title='\xC0\x80'/>", false},
      {"surrogate in UTF-8", "<a title='\xED\xA0\x80'/>", false},
      {"U+FFFE", "<a title='\xEF\xBF\xBE'/>", false},
      {"cut UTF-8", "<a title='\xE2\x82'/>", false},
      {"control character", "<a title='\x01'/>", false},
      {"'<' in a value", "<a title='<'/>", false},
      {"\"]]>\" in text", "<a>]]></a>", false},
      {"\"--\" in a comment", "<!-- a -- b --><a/>", false},
      {"no space between attributes", "<a x='1'y='2'/>", false},
      {"text after the root", "<a/>x", false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string libxml2 = RecordScan<JobFileScan>(row.text, row.text.size() + 1);
    for (std::size_t piece : {row.text.size() + 1, std::size_t{1}, std::size_t{7}}) {
      const std::string plain = RecordScan<PlainJobFileScan>(row.text, piece);
      EXPECT_EQ(plain != "failed", row.plain) << "pieces of " << piece;
      if (plain != "failed") {
        EXPECT_EQ(plain, libxml2) << "pieces of " << piece;
      }
    }
  }
}

}  // namespace
}  // namespace velkor
