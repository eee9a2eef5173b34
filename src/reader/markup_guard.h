// A look over a job file's bytes before an XML library that lacks the program's limits
// parses it: it refuses any document type declaration (and with it every entity that could
// blow up), nesting deeper than limits::kMaxDepth, more than limits::kMaxAttributes
// attributes on one element, and names and attribute values longer than the limits. It
// reads ASCII-compatible encodings and UTF-16 in either byte order, and is not fooled by
// markup inside comments, CDATA sections, processing instructions or quoted values. It
// judges nothing else: the library still reports every other fault.
#ifndef VELKOR_READER_MARKUP_GUARD_H_
#define VELKOR_READER_MARKUP_GUARD_H_

#include <cstddef>
#include <cstdint>
#include <string>

#include "reader/declared_encoding.h"
#include "reader/job_file_reader.h"
#include "reader/job_file_source.h"

namespace velkor {

class MarkupGuard {
 public:
  // The next bytes of the file; false once it is refused.
  bool Feed(const char* bytes, std::size_t size);
  // The end of the file; false when it is refused.
  bool Finish();
  // Why, where: the line and the character on it, both from 1.
  const ParseError& refusal() const { return refusal_; }

 private:
  enum class State {
    kText, kTagOpen, kBang, kComment, kCData, kInstruction, kStartName, kInTag, kEmptyEnd, kAttributeName,
    kValue, kEndTag,
  };

  bool Detect();
  bool Walk(const char* bytes, std::size_t size);
  // One character: `c` as itself below 0x80, 0x80 for any other; `utf8_bytes` its size
  // in UTF-8 (a surrogate counts half of its pair); false for the rest of a character.
  bool Step(char32_t c, std::size_t utf8_bytes, bool starts_character);
  bool Refuse(std::uint32_t code, std::u16string reason);

  std::string start_;  // the first bytes, until the encoding is known
  std::u32string bang_;  // what follows "<!", until it shows what it opens
  bool detected_ = false;
  EncodingFamily family_ = EncodingFamily::kAsciiCompatible;
  int odd_byte_ = -1;  // of UTF-16, waiting for its pair
  State state_ = State::kText;
  std::size_t depth_ = 0;
  std::size_t attributes_ = 0;   // of the start tag being read
  std::size_t length_ = 0;       // UTF-8 bytes of the name or value being read
  std::size_t matched_ = 0;      // characters of an ending or opening matched so far
  char32_t quote_ = 0;
  std::int32_t line_ = 1;
  std::int32_t position_ = 0;
  bool after_cr_ = false;
  bool refused_ = false;
  ParseError refusal_;
};

// Looks over the whole of `source` from its start; false, with `error` filled, when it is
// refused or cannot be read.
bool GuardJobFile(JobFileSource* source, ParseError* error);

}  // namespace velkor

#endif  // VELKOR_READER_MARKUP_GUARD_H_
