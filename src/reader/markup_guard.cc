#include "reader/markup_guard.h"

#include <string_view>
#include <utility>
#include <vector>

#include "reader/job_file_limits.h"
#include "reader/job_file_reading.h"

namespace velkor {
namespace {

bool IsSpace(char32_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::u16string Number(std::size_t value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

constexpr std::u32string_view kCommentOpen = U"--";
constexpr std::u32string_view kCDataOpen = U"[CDATA[";

}  // namespace

bool MarkupGuard::Feed(const char* bytes, std::size_t size) {
  if (refused_) return false;
  if (detected_) return Walk(bytes, size);
  start_.append(bytes, size);
  return start_.size() < 4 || Detect();
}

bool MarkupGuard::Finish() { return refused_ ? false : detected_ || start_.empty() || Detect(); }

bool MarkupGuard::Detect() {
  detected_ = true;
  const DetectedEncoding detected = DetectEncoding(start_);
  family_ = detected.family;
  if (family_ == EncodingFamily::kOther) return Refuse(kLimitRefused, u"Job files in UCS-4 or EBCDIC are not read");
  const std::string start = std::move(start_);
  return Walk(start.data() + detected.bom_bytes, start.size() - detected.bom_bytes);
}

bool MarkupGuard::Walk(const char* bytes, std::size_t size) {
  const auto* in = reinterpret_cast<const unsigned char*>(bytes);
  if (family_ == EncodingFamily::kAsciiCompatible) {
    for (std::size_t at = 0; at < size; ++at) {
      const unsigned char byte = in[at];
      if (!Step(byte < 0x80 ? byte : 0x80, 1, byte < 0x80 || byte >= 0xC0)) return false;
    }
    return true;
  }
  const bool little_endian = family_ == EncodingFamily::kUtf16Le;
  for (std::size_t at = 0; at < size; ++at) {
    if (odd_byte_ < 0) {
      odd_byte_ = in[at];
      continue;
    }
    const unsigned first = static_cast<unsigned>(odd_byte_), second = in[at];
    odd_byte_ = -1;
    const char32_t unit = little_endian ? (second << 8 | first) : (first << 8 | second);
    const bool surrogate = unit >= 0xD800 && unit < 0xE000;
    const std::size_t utf8_bytes = unit < 0x80 ? 1 : unit < 0x800 || surrogate ? 2 : 3;
    if (!Step(unit < 0x80 ? unit : 0x80, utf8_bytes, unit < 0xDC00 || unit >= 0xE000)) return false;
  }
  return true;
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
        attributes_ = 0;
        length_ = 0;
        state_ = State::kStartName;
        continue;
      case State::kBang:
        bang_ += c;
        if (bang_ == kCommentOpen || bang_ == kCDataOpen) {
          state_ = bang_ == kCommentOpen ? State::kComment : State::kCData;
        } else if (kCommentOpen.substr(0, bang_.size()) != bang_ && kCDataOpen.substr(0, bang_.size()) != bang_) {
          return Refuse(kLimitRefused, u"Document type declarations are not accepted in job files");
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
          state_ = State::kInTag;
          continue;
        }
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
        state_ = State::kText;
        return true;
      case State::kValue:
        if (c == quote_) {
          state_ = State::kInTag;
        } else if ((length_ += utf8_bytes) > limits::kMaxAttributeValueBytes) {
          return Refuse(kValueTooLong, u"Attribute value longer than " + Number(limits::kMaxAttributeValueBytes) + u" bytes");
        }
        return true;
      case State::kEndTag:
        if (c == '>') {
          if (depth_ > 0) --depth_;
          state_ = State::kText;
        }
        return true;
    }
  }
}

bool MarkupGuard::Refuse(std::uint32_t code, std::u16string reason) {
  refused_ = true;
  refusal_ = ParseError{code, line_, position_ > 0 ? position_ : 1, std::move(reason)};
  return false;
}

bool GuardJobFile(JobFileSource* source, ParseError* error) {
  SourceError source_error;
  MarkupGuard guard;
  std::vector<char> buffer(JobFileReading::kChunkSize);
  if (source->Rewind(&source_error)) {
    for (;;) {
      const std::ptrdiff_t count = source->Read(buffer.data(), buffer.size(), &source_error);
      if (count < 0) break;
      if (count == 0 ? !guard.Finish() : !guard.Feed(buffer.data(), static_cast<std::size_t>(count))) {
        *error = guard.refusal();
        return false;
      }
      if (count == 0) return true;
    }
  }
  *error = ParseError{source_error.code, 0, 0, std::move(source_error.reason)};
  return false;
}

}  // namespace velkor
