// What the scans that stand between a job file and a library lacking some encodings or
// entities hand that library: the same text whole or a byte at a time.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "reader/markup_rewrite_scan.h"
#include "reader/recoding_scan.h"

namespace velkor {
namespace {

class Recorder : public LibraryScan {
 public:
  explicit Recorder(std::string* out) : out_(out) {}
  bool Feed(const char* bytes, std::size_t size) override {
    out_->append(bytes, size);
    return true;
  }
  bool Finish() override { return true; }
  ParseError Failure() const override { return {}; }

 private:
  std::string* out_;
};

std::string Rewritten(const std::string& text, std::size_t piece) {
  std::string out;
  RecodingScan scan(std::make_unique<MarkupRewriteScan>(std::make_unique<Recorder>(&out)));
  for (std::size_t at = 0; at < text.size(); at += piece) scan.Feed(text.data() + at, std::min(piece, text.size() - at));
  scan.Finish();
  return out;
}

TEST(RewriteScanTest, HandsOverWhatTheLibraryCanRead) {
  const std::string subset = "<!DOCTYPE a [<!ENTITY e 'x&amp;y'><!ENTITY f \"<file title='&e;'/>\">]>";
  const struct {
    const char* name;
    std::string text;
    std::string expected;
  } rows[] = {
      {"entities in values and content, white space between tags inside them",
       subset + "\n<a t=\"&e;\">\n  &f;\n  <file title='&e;&#38;'/>\n</a>",
       subset + "\n<a t=\"x&amp;y\">\n  <file title='x&amp;y'\n  /><file title='x&amp;y&#38;'\n/></a>"},
      {"text stays where it is", "<a>\n<b/>  <c>t</c>\n</a>", "<a\n><b  /><c>t</c\n></a>"},
      {"references in CDATA and comments are none", "<a><![CDATA[ &e; ]]><!-- &e; --></a>",
       "<a><![CDATA[ &e; ]]><!-- &e; --></a>"},
      {"a prolog with a parameter entity goes through as it is", "<!DOCTYPE a [<!ENTITY % p 'x'>]><a>&e;</a>",
       "<!DOCTYPE a [<!ENTITY % p 'x'>]><a>&e;</a>"},
      {"KOI8-R in UTF-8", "<?xml version=\"1.0\" encoding=\"KOI8-R\"?><a t=\"\xF0\xD2\"/>",
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?><a t=\"Пр\"/>"},
      {"UTF-16LE in UTF-8", std::string("\xFF\xFE<\0a\0 \0t\0=\0'\0\x1F\x04'\0/\0>\0", 22), "<a t='П'/>"},
      {"UTF-16BE in UTF-8", std::string("\xFE\xFF\0<\0a\0 \0t\0=\0'\x04\x1F\0'\0/\0>", 22), "<a t='П'/>"},
      {"quotes of a replacement text in a value are data", "<!DOCTYPE a [<!ENTITY q 'say \"hi\"'>]><a t=\"&q;\"/>",
       "<!DOCTYPE a [<!ENTITY q 'say \"hi\"'>]><a t=\"say &quot;hi&quot;\"/>"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(Rewritten(row.text, row.text.size()), row.expected);
    EXPECT_EQ(Rewritten(row.text, 1), row.expected);
  }
}

}  // namespace
}  // namespace velkor
