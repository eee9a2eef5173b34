#include "reader/markup_guard.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "reader/job_file_limits.h"
#include "text/utf.h"

namespace velkor {
namespace {

bool IsSpace(char32_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool EndsReference(char32_t c) {
  return IsSpace(c) || c == '<' || c == '>' || c == '&' || c == '"' || c == '\'' || c == '=';
}

std::u16string Number(std::size_t value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

bool EndsWith(const std::string& text, std::string_view ending) {
  return text.size() >= ending.size() && std::string_view(text).substr(text.size() - ending.size()) == ending;
}

constexpr std::u32string_view kCommentOpen = U"--";
constexpr std::u32string_view kCDataOpen = U"[CDATA[";
constexpr std::u32string_view kDoctypeOpen = U"DOCTYPE";
constexpr std::string_view kXmlns = "xmlns";

}  // namespace

bool MarkupGuard::Feed(const char* bytes, std::size_t size) {
  if (stopped_) return false;
  budget_.Earn(size);
  if (detected_) return Walk(bytes, size);
  start_.append(bytes, size);
  return start_.size() < 4 || Detect();
}

bool MarkupGuard::Finish() {
  if (stopped_) return false;
  return detected_ || start_.empty() || Detect();
}

bool MarkupGuard::Detect() {
  detected_ = true;
  const DetectedEncoding detected = DetectEncoding(start_);
  family_ = detected.family;
  judged_ += detected.bom_bytes;
  if (family_ == EncodingFamily::kOther) return Refuse(kLimitRefused, u"Job files in UCS-4 or EBCDIC are not read");
  const std::string start = std::move(start_);
  return Walk(start.data() + detected.bom_bytes, start.size() - detected.bom_bytes);
}

bool MarkupGuard::Walk(const char* bytes, std::size_t size) {
  const auto* in = reinterpret_cast<const unsigned char*>(bytes);
  if (family_ == EncodingFamily::kAsciiCompatible) {
    for (std::size_t at = SkipOrdinary(in, 0, size); at < size; at = SkipOrdinary(in, at + 1, size)) {
      const unsigned char byte = in[at];
      ++judged_;
      if (!Step(byte, 1, byte < 0x80 || byte >= 0xC0)) return false;
    }
    return true;
  }
  const bool little_endian = family_ == EncodingFamily::kUtf16Le;
  for (std::size_t at = 0; at < size; ++at) {
    ++judged_;
    if (odd_byte_ < 0) {
      odd_byte_ = in[at];
      continue;
    }
    const unsigned first = static_cast<unsigned>(odd_byte_), second = in[at];
    odd_byte_ = -1;
    const char32_t unit = little_endian ? (second << 8 | first) : (first << 8 | second);
    const bool surrogate = unit >= 0xD800 && unit < 0xE000;
    const std::size_t utf8_bytes = unit < 0x80 ? 1 : unit < 0x800 || surrogate ? 2 : 3;
    if (!Step(unit, utf8_bytes, unit < 0xDC00 || unit >= 0xE000)) return false;
  }
  return true;
}

// Most of a job file is text, names and attribute values whose characters change nothing
// but the position (and a length): they are passed over in one go. Where the run would take
// a name or value past its limit, it stops there, for Step() to refuse the next byte.
std::size_t MarkupGuard::SkipOrdinary(const unsigned char* in, std::size_t at, std::size_t size) {
  const bool value = state_ == State::kValue;
  // A name's first characters are looked at one by one: they may declare a namespace.
  const bool name = state_ == State::kStartName || (state_ == State::kAttributeName && length_ > kXmlns.size());
  if (!value && !name && state_ != State::kText) return at;
  const std::size_t limit = value ? limits::kMaxAttributeValueBytes : name ? limits::kMaxNameBytes : size;
  const std::size_t room = length_ < limit ? limit - length_ : 0;
  const std::size_t last = size - at > room ? at + room : size;
  std::size_t end = at;
  std::int32_t starts = 0;
  for (; end < last; ++end) {
    const unsigned char byte = in[end];
    if (byte == '&' || byte == '<' || byte == '\n' || byte == '\r' || (value && byte == quote_)) break;
    if (name && (byte == ' ' || byte == '\t' || byte == '/' || byte == '>' || byte == '=' || byte == '"' || byte == '\'')) break;
    starts += byte < 0x80 || byte >= 0xC0;
  }
  if (end == at) return at;
  position_ += starts;
  after_cr_ = false;
  judged_ += end - at;
  if (value || name) length_ += end - at;
  return end;
}

bool MarkupGuard::Step(char32_t c, std::size_t utf8_bytes, bool starts_character) {
  if (c == '\n' && after_cr_) {
    after_cr_ = false;
  } else if (c == '\n' || c == '\r') {
    ++line_;
    position_ = 0;
    after_cr_ = c == '\r';
  } else {
    after_cr_ = false;
    if (starts_character) ++position_;
  }
  for (;;) {  // a character that ends a name is read again by the state after it
    switch (state_) {
      case State::kText:
        if (c == '<') state_ = State::kTagOpen;
        if (c == '&') {
          name_.clear();
          after_reference_ = State::kText;
          state_ = State::kReference;
        }
        return true;
      case State::kTagOpen:
        if (c == '!' || c == '?' || c == '/') {
          bang_.clear();
          matched_ = 0;
          state_ = c == '!' ? State::kBang : c == '?' ? State::kInstruction : State::kEndTag;
          return true;
        }
        if (++depth_ > limits::kMaxDepth) {
          return Refuse(kLimitRefused, u"Excessive depth in document: " + Number(limits::kMaxDepth));
        }
        saw_root_ = true;
        attributes_ = 0;
        length_ = 0;
        namespaces_.push_back(0);
        state_ = State::kStartName;
        continue;
      case State::kBang:
        bang_ += c;
        if (bang_ == kCommentOpen || bang_ == kCDataOpen) {
          state_ = bang_ == kCommentOpen ? State::kComment : State::kCData;
        } else if (bang_ == kDoctypeOpen) {
          // Only one, and only before the root element.
          if (saw_root_) return Lose();
          saw_root_ = true;
          declaration_.clear();
          state_ = State::kDoctype;
        } else if (kCommentOpen.substr(0, bang_.size()) != bang_ && kCDataOpen.substr(0, bang_.size()) != bang_ &&
                   kDoctypeOpen.substr(0, bang_.size()) != bang_) {
          return Lose();
        }
        return true;
      case State::kComment:
      case State::kCData:
        if (c == (state_ == State::kComment ? U'-' : U']')) {
          ++matched_;
        } else {
          if (c == '>' && matched_ >= 2) state_ = State::kText;
          matched_ = 0;
        }
        return true;
      case State::kInstruction:
        if (c == '>' && matched_ == 1) state_ = State::kText;
        matched_ = c == '?' ? 1 : 0;
        return true;
      case State::kStartName:
      case State::kAttributeName:
        if (IsSpace(c) || c == '/' || c == '>' || c == '=' || c == '"' || c == '\'') {
          if (state_ == State::kAttributeName && !DeclaresNamespace()) return false;
          state_ = State::kInTag;
          continue;
        }
        if (length_ < kXmlns.size() + 1) name_start_[length_] = static_cast<char>(c < 0x80 ? c : 0x80);
        if ((length_ += utf8_bytes) > limits::kMaxNameBytes) return Refuse(kNameTooLong, u"Name longer than " + Number(limits::kMaxNameBytes) + u" bytes");
        return true;
      case State::kInTag:
        if (c == '>') {
          state_ = State::kText;
        } else if (c == '/') {
          state_ = State::kEmptyEnd;
        } else if (c == '"' || c == '\'') {
          if (++attributes_ > limits::kMaxAttributes) {
            return Refuse(kLimitRefused,
                          u"Excessive number of attributes on an element: more than " + Number(limits::kMaxAttributes));
          }
          quote_ = c;
          length_ = 0;
          state_ = State::kValue;
        } else if (!IsSpace(c) && c != '=') {
          length_ = 0;
          state_ = State::kAttributeName;
          continue;
        }
        return true;
      case State::kEmptyEnd:
        if (c != '>') {
          state_ = State::kInTag;
          continue;
        }
        --depth_;
        EndElement();
        state_ = State::kText;
        return true;
      case State::kValue:
        if (c == quote_) {
          state_ = State::kInTag;
          return true;
        }
        if ((length_ += utf8_bytes) > limits::kMaxAttributeValueBytes) {
          return Refuse(kValueTooLong, u"Attribute value longer than " + Number(limits::kMaxAttributeValueBytes) + u" bytes");
        }
        if (c == '&') {
          name_.clear();
          after_reference_ = State::kValue;
          state_ = State::kReference;
        }
        return true;
      case State::kReference:
        if (after_reference_ == State::kValue && (length_ += utf8_bytes) > limits::kMaxAttributeValueBytes) {
          return Refuse(kValueTooLong, u"Attribute value longer than " + Number(limits::kMaxAttributeValueBytes) + u" bytes");
        }
        if (c == ';') {
          state_ = after_reference_;
          return name_.empty() || name_[0] == '#' || Reference();
        }
        if (EndsReference(c)) return Lose();
        Keep(c, &name_);
        if (name_.size() > limits::kMaxNameBytes) {
          return Refuse(kNameTooLong, u"Name longer than " + Number(limits::kMaxNameBytes) + u" bytes");
        }
        return true;
      case State::kEndTag:
        if (c == '>') {
          if (depth_ > 0) --depth_;
          EndElement();
          state_ = State::kText;
        }
        return true;
      case State::kDoctype:
        return StepDoctype(c);
    }
  }
}

// The document type declaration is judged a piece at a time: its header once its internal
// subset opens, then each declaration of the subset as soon as it is whole, before the
// library has read past it.
bool MarkupGuard::StepDoctype(char32_t c) {
  Keep(c, &declaration_);
  if (declaration_.size() > ExpansionBudget::kMaxKept) {
    return Refuse(kDeclarationsTooLarge, u"Document type declaration too large");
  }
  if (!doctype_ending_.empty()) {  // in a comment or instruction of the subset
    if (!EndsWith(declaration_, doctype_ending_)) return true;
    doctype_ending_.clear();
    if (!Judge(document_type_.Declaration(declaration_, &budget_))) return false;
    declaration_.clear();
    return true;
  }
  if (doctype_quote_ != 0) {
    if (c == doctype_quote_) doctype_quote_ = 0;
    return true;
  }
  if (c == '"' || c == '\'') {
    doctype_quote_ = c;
  } else if (doctype_brackets_ == 1 && EndsWith(declaration_, "<!--")) {
    doctype_ending_ = "-->";
  } else if (doctype_brackets_ == 1 && EndsWith(declaration_, "<?")) {
    doctype_ending_ = "?>";
  } else if (doctype_brackets_ == 1 && c == '%') {
    return Judge(document_type_.Declaration("%", &budget_));
  } else if (c == '[') {
    if (doctype_brackets_++ != 0) return Lose();
    declaration_.pop_back();
    if (!Judge(DocumentType::Header(declaration_))) return false;
    declaration_.clear();
  } else if (c == ']' && doctype_brackets_ == 1) {
    doctype_brackets_ = 2;  // the subset has ended
    declaration_.pop_back();
    if (!Judge(document_type_.Declaration(declaration_, &budget_))) return false;
    declaration_.clear();
  } else if (c == '>' && doctype_brackets_ == 1) {
    if (!Judge(document_type_.Declaration(declaration_, &budget_))) return false;
    declaration_.clear();
  } else if (c == '>') {
    declaration_.pop_back();
    const bool subset = doctype_brackets_ == 2;
    for (char left : declaration_) {
      if (subset && !IsSpace(static_cast<unsigned char>(left))) return Lose();
    }
    if (!subset && !Judge(DocumentType::Header(declaration_))) return false;
    declaration_ = std::string();
    state_ = State::kText;
  }
  return true;
}

// Namespace declarations in scope are limited like attributes on one element: an XML
// library looks them up one by one.
bool MarkupGuard::DeclaresNamespace() {
  const std::string_view name(name_start_, std::min(length_, kXmlns.size() + 1));
  if (name != kXmlns && name != std::string(kXmlns) + ":") return true;
  ++namespaces_.back();
  if (++namespaces_in_scope_ <= limits::kMaxAttributes) return true;
  return Refuse(kLimitRefused,
                u"Excessive number of namespace declarations in scope: more than " + Number(limits::kMaxAttributes));
}

void MarkupGuard::EndElement() {
  if (namespaces_.empty()) return;
  namespaces_in_scope_ -= namespaces_.back();
  namespaces_.pop_back();
}

bool MarkupGuard::Reference() {
  EntityCost cost;
  if (!Judge(document_type_.Reference(name_, &cost))) return false;
  if (!budget_.Spend(after_reference_ == State::kText ? cost.in_content : cost.in_attribute)) return Refuse(kEntityLoop, u"Maximum entity amplification factor exceeded");
  if (after_reference_ == State::kText && depth_ + cost.depth > limits::kMaxDepth) {
    return Refuse(kLimitRefused, u"Excessive depth in document: " + Number(limits::kMaxDepth));
  }
  if (cost.attributes > limits::kMaxAttributes) {
    return Refuse(kLimitRefused,
                  u"Excessive number of attributes on an element: more than " + Number(limits::kMaxAttributes));
  }
  return true;
}

// Texts are kept in the file's own encoding when it keeps ASCII, else in UTF-8, a unit at a time.
void MarkupGuard::Keep(char32_t c, std::string* text) const {
  if (family_ == EncodingFamily::kAsciiCompatible) {
    text->push_back(static_cast<char>(c));
  } else {
    AppendCodePoint(c, text);
  }
}

bool MarkupGuard::Judge(const Judgement& judgement) {
  switch (judgement.verdict) {
    case Judgement::Verdict::kAccepted:
      return true;
    case Judgement::Verdict::kRefused:
      return Refuse(judgement.code, judgement.reason);
    case Judgement::Verdict::kMalformed:
      break;
  }
  return Lose();
}

bool MarkupGuard::Refuse(std::uint32_t code, std::u16string reason) {
  stopped_ = true;
  refusal_ = ParseError{code, line_, position_ > 0 ? position_ : 1, std::move(reason)};
  return false;
}

bool MarkupGuard::Lose() {
  lost_ = true;
  return Refuse(kLimitRefused, u"The document is not well-formed");
}

}  // namespace velkor
