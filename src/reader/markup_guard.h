// The program's own limits on a job file's markup, judged on its bytes before the XML
// library parses them, the same on every platform: nesting deeper than limits::kMaxDepth,
// more than limits::kMaxAttributes attributes on one element (or namespace declarations in
// scope, or attribute declarations), names and attribute values
// longer than the limits, and what a document type declaration may do: parameter entities
// and references to external entities are refused, and every reference to an entity,
// in content or in an attribute value, is charged what it expands to against a budget
// earned by the file's size. It reads ASCII-compatible encodings and UTF-16 in either byte
// order, and is not fooled by markup inside comments, CDATA sections, processing
// instructions or quoted values. Markup it cannot follow it leaves to the library, which
// must then be given no byte past it.
#ifndef VELKOR_READER_MARKUP_GUARD_H_
#define VELKOR_READER_MARKUP_GUARD_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "reader/declared_encoding.h"
#include "reader/document_type.h"
#include "reader/expansion_budget.h"
#include "reader/job_file_reader.h"

namespace velkor {

class MarkupGuard {
 public:
  // The next bytes of the file; false once it is refused or has left what the guard follows.
  bool Feed(const char* bytes, std::size_t size);
  // The end of the file; false when it is refused.
  bool Finish();
  // True when it stopped at markup it cannot follow rather than at a limit.
  bool lost() const { return lost_; }
  // The bytes of the file judged so far: once it has stopped, up to and with the one it stopped at.
  std::uint64_t judged() const { return judged_; }
  // Why, where: the line and the character on it, both from 1.
  const ParseError& refusal() const { return refusal_; }

 private:
  enum class State {
    kText, kTagOpen, kBang, kComment, kCData, kInstruction, kStartName, kInTag, kEmptyEnd, kAttributeName,
    kValue, kEndTag, kReference, kDoctype,
  };

  bool Detect();
  bool Walk(const char* bytes, std::size_t size);
  // Past the ordinary characters of text or a value from `at`: where they end.
  std::size_t SkipOrdinary(const unsigned char* in, std::size_t at, std::size_t size);
  // One character: `c` as itself (a byte of an ASCII-compatible encoding, or a UTF-16
  // unit); `utf8_bytes` its size in UTF-8 (a surrogate counts half of its pair); false for
  // the rest of a character.
  bool Step(char32_t c, std::size_t utf8_bytes, bool starts_character);
  bool StepDoctype(char32_t c);
  bool Reference();
  // At the end of an attribute's name: counts it when it declares a namespace.
  bool DeclaresNamespace();
  void EndElement();
  void Keep(char32_t c, std::string* text) const;
  bool Judge(const Judgement& judgement);
  bool Refuse(std::uint32_t code, std::u16string reason);
  bool Lose();

  std::string start_;  // the first bytes, until the encoding is known
  std::u32string bang_;  // what follows "<!", until it shows what it opens
  bool detected_ = false;
  EncodingFamily family_ = EncodingFamily::kAsciiCompatible;
  int odd_byte_ = -1;  // of UTF-16, waiting for its pair
  State state_ = State::kText;
  State after_reference_ = State::kText;
  std::size_t depth_ = 0;
  bool saw_root_ = false;
  std::size_t attributes_ = 0;   // of the start tag being read
  std::size_t length_ = 0;       // UTF-8 bytes of the name or value being read
  std::size_t matched_ = 0;      // characters of an ending or opening matched so far
  char32_t quote_ = 0;
  std::string name_;             // of the entity being referenced
  char name_start_[6] = {};      // the first characters of the attribute name being read
  std::vector<std::size_t> namespaces_;  // declared by each open element
  std::size_t namespaces_in_scope_ = 0;
  std::string declaration_;      // of the document type, while it is read
  char32_t doctype_quote_ = 0;   // the quote of a literal in it
  int doctype_brackets_ = 0;     // '[' open in it
  std::string doctype_ending_;   // of a comment or instruction in it: "-->" or "?>"
  DocumentType document_type_;
  ExpansionBudget budget_;
  std::uint64_t judged_ = 0;
  std::int32_t line_ = 1;
  std::int32_t position_ = 0;
  bool after_cr_ = false;
  bool stopped_ = false;
  bool lost_ = false;
  ParseError refusal_;
};

}  // namespace velkor

#endif  // VELKOR_READER_MARKUP_GUARD_H_
