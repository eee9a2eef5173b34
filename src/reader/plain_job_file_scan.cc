#include "reader/plain_job_file_scan.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

namespace velkor {
namespace {

constexpr std::size_t kMaxName = 1000;
constexpr std::size_t kCutOff = static_cast<std::size_t>(-1);

// What each byte may be. The loops below need no bounds check: they stop at the NUL that
// ends every std::string, which belongs to no class.
enum ByteClass : std::uint8_t {
  kPlain = 1,      // in a value or in text as it is: printable ASCII but the quotes, '&',
                   // '<' and (in text, where "]]>" is not allowed) ']'
  kNameStart = 2,  // ASCII letters and '_'
  kName = 4,       // those, digits, '.' and '-'
  kSpace = 8,
};

constexpr std::array<std::uint8_t, 256> ByteClasses() {
  std::array<std::uint8_t, 256> classes{};
  for (int c = 0x20; c < 0x7F; ++c) {
    if (c != '"' && c != '\'' && c != '&' && c != '<' && c != ']') classes[c] |= kPlain;
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_') classes[c] |= kNameStart | kName;
    if ((c >= '0' && c <= '9') || c == '.' || c == '-') classes[c] |= kName;
  }
  for (char c : {' ', '\t', '\n', '\r'}) classes[static_cast<unsigned char>(c)] |= kSpace;
  return classes;
}
constexpr std::array<std::uint8_t, 256> kClasses = ByteClasses();

bool Is(char c, ByteClass byte_class) { return kClasses[static_cast<unsigned char>(c)] & byte_class; }
bool IsSpace(char c) { return Is(c, kSpace); }

// The first position from `p` on whose byte is not of `byte_class`.
std::size_t Skip(const char* text, std::size_t p, ByteClass byte_class) {
  while (Is(text[p], byte_class)) ++p;
  return p;
}

unsigned char Byte(std::string_view text, std::size_t at) { return static_cast<unsigned char>(text[at]); }

// The length of the UTF-8 sequence at `at` when it encodes a character above U+007F that
// XML allows; 0 when it does not; kCutOff when the bytes end inside it.
std::size_t WideCharLength(std::string_view text, std::size_t at) {
  unsigned lead = Byte(text, at);
  std::size_t length = 0;
  unsigned low = 0x80, high = 0xBF;  // the second byte's range
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing past U+10FFFF
  } else {
    return 0;
  }
  for (std::size_t i = 1; i < length; ++i) {
    if (at + i >= text.size()) return kCutOff;
    unsigned c = Byte(text, at + i);
    if (c < (i == 1 ? low : 0x80) || c > (i == 1 ? high : 0xBF)) return 0;
  }
  // U+FFFE and U+FFFF are not characters.
  if (lead == 0xEF && Byte(text, at + 1) == 0xBF && Byte(text, at + 2) >= 0xBE) return 0;
  return length;
}

struct Predefined {
  std::string_view reference;
  char character;
};
constexpr Predefined kPredefined[] = {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};

// The length of the predefined entity reference at `at`; 0 when there is none; kCutOff
// when the bytes end before it can be told.
std::size_t ReferenceLength(std::string_view text, std::size_t at, bool at_end, char* character) {
  std::string_view rest = text.substr(at);
  for (const Predefined& entity : kPredefined) {
    if (rest.substr(0, entity.reference.size()) == entity.reference) {
      *character = entity.character;
      return entity.reference.size();
    }
    if (!at_end && rest.size() < entity.reference.size() && entity.reference.substr(0, rest.size()) == rest) {
      return kCutOff;
    }
  }
  return 0;
}

// A value with its entity references replaced, in `out`.
std::string_view Decode(std::string_view raw, std::string* out) {
  out->clear();
  for (std::size_t p = 0; p < raw.size();) {
    char character = raw[p];
    p += raw[p] == '&' ? ReferenceLength(raw, p, true, &character) : 1;
    out->push_back(character);
  }
  return *out;
}

}  // namespace

PlainJobFileScan::PlainJobFileScan(std::vector<std::string> root_names, std::vector<std::string> file_names,
                                   ScanSink* sink)
    : root_names_(std::move(root_names)), file_names_(std::move(file_names)), sink_(sink),
      decoded_(std::max(root_names_.size(), file_names_.size())) {}

bool PlainJobFileScan::Feed(const char* bytes, std::size_t size) {
  if (failed_) return false;
  pending_.append(bytes, size);
  return Scan(false);
}

bool PlainJobFileScan::Finish() { return Scan(true) && stage_ == Stage::kEpilog && pending_.empty(); }

bool PlainJobFileScan::Scan(bool at_end) {
  at_end_ = at_end;
  while (!failed_ && done_ < pending_.size()) {
    Step step = Next();
    if (step == Step::kNotPlain || (step == Step::kNeedMore && at_end)) failed_ = true;
    if (step != Step::kDone) break;
  }
  pending_.erase(0, done_);
  done_ = 0;
  if (pending_.size() > kMaxPending) failed_ = true;
  return !failed_;
}

PlainJobFileScan::Step PlainJobFileScan::Next() {
  std::string_view text = pending_;
  std::size_t at = done_;
  Step step;
  if (stage_ == Stage::kStart) {
    step = Declaration(&at);
  } else if (text[at] != '<') {
    step = Text(&at);
  } else if (at + 1 == text.size()) {
    step = Step::kNeedMore;
  } else if (text[at + 1] == '/') {
    step = stage_ == Stage::kContent ? EndTag(&at) : Step::kNotPlain;
  } else if (text[at + 1] == '!') {
    step = Comment(&at);
  } else {
    step = StartTag(&at);
  }
  if (step == Step::kDone) done_ = at;
  return step;
}

// A byte order mark and an XML declaration that say UTF-8 and version 1.0, when they are there.
PlainJobFileScan::Step PlainJobFileScan::Declaration(std::size_t* at) {
  std::string_view text = std::string_view(pending_).substr(*at);
  constexpr std::string_view kMark = "\xEF\xBB\xBF";
  constexpr std::string_view kOpening = "<?xml";
  if (text.size() < kMark.size() + kOpening.size() + 1 && !at_end_) return Step::kNeedMore;
  std::size_t p = text.substr(0, kMark.size()) == kMark ? kMark.size() : 0;
  if (text.substr(p, kOpening.size()) != kOpening || p + kOpening.size() >= text.size() ||
      !IsSpace(text[p + kOpening.size()])) {
    if (text.substr(p, 2) == "<?") return Step::kNotPlain;  // some other processing instruction
    stage_ = Stage::kProlog;
    *at += p;
    return Step::kDone;
  }
  std::size_t end = text.find("?>", p);
  if (end == std::string_view::npos) return text.size() > 200 ? Step::kNotPlain : Step::kNeedMore;
  // Pseudo-attributes in their fixed order: version, then encoding and standalone when given.
  std::string_view rest = text.substr(p + kOpening.size(), end - p - kOpening.size());
  auto pseudo_attribute = [&rest](std::string_view name, std::string_view* value) {
    std::size_t q = 0;
    while (q < rest.size() && IsSpace(rest[q])) ++q;
    if (q == 0 || rest.substr(q, name.size()) != name) return false;
    q += name.size();
    while (q < rest.size() && IsSpace(rest[q])) ++q;
    if (q == rest.size() || rest[q++] != '=') return false;
    while (q < rest.size() && IsSpace(rest[q])) ++q;
    if (q == rest.size() || (rest[q] != '"' && rest[q] != '\'')) return false;
    std::size_t close = rest.find(rest[q], q + 1);
    if (close == std::string_view::npos) return false;
    *value = rest.substr(q + 1, close - q - 1);
    rest.remove_prefix(close + 1);
    return true;
  };
  std::string_view value;
  if (!pseudo_attribute("version", &value) || value != "1.0") return Step::kNotPlain;
  if (pseudo_attribute("encoding", &value)) {
    std::string upper(value);
    for (char& c : upper) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    if (upper != "UTF-8") return Step::kNotPlain;
  }
  if (pseudo_attribute("standalone", &value) && value != "yes" && value != "no") return Step::kNotPlain;
  if (!std::all_of(rest.begin(), rest.end(), IsSpace)) return Step::kNotPlain;
  stage_ = Stage::kProlog;
  *at += end + 2;
  return Step::kDone;
}

// Walks characters up to `stop`: the value's quote, or '<' after text.
PlainJobFileScan::Step PlainJobFileScan::Characters(std::size_t* at, char stop) {
  const bool in_text = stop == '<';
  std::string_view text = pending_;
  std::size_t p = *at;
  for (;;) {
    p = Skip(text.data(), p, kPlain);
    *at = p;
    if (p == text.size()) return Step::kNeedMore;
    const char c = text[p];
    if (c == stop) return Step::kDone;
    std::size_t length = 0;
    char character;
    if (c == '&') {
      length = ReferenceLength(text, p, at_end_, &character);
      saw_reference_ = true;
    } else if (c == '"' || c == '\'') {
      length = 1;
    } else if (c == ']') {
      length = in_text ? 0 : 1;  // text may not hold "]]>"
    } else if (IsSpace(c)) {
      length = in_text ? 1 : 0;  // in a value libxml2 turns them into spaces
    } else if (Byte(text, p) >= 0x80) {
      length = WideCharLength(text, p);
    }
    if (length == 0) return Step::kNotPlain;
    if (length == kCutOff) return Step::kNeedMore;
    p += length;
  }
}

// Text between elements: white space only outside the root element.
PlainJobFileScan::Step PlainJobFileScan::Text(std::size_t* at) {
  const std::size_t start = *at;
  Step step;
  if (stage_ == Stage::kContent) {
    step = Characters(at, '<');
  } else {
    std::string_view text = pending_;
    *at = Skip(text.data(), *at, kSpace);
    step = *at == text.size() ? Step::kNeedMore : text[*at] == '<' ? Step::kDone : Step::kNotPlain;
  }
  return step == Step::kNeedMore && *at > start ? Step::kDone : step;
}

PlainJobFileScan::Step PlainJobFileScan::Comment(std::size_t* at) {
  std::string_view text = std::string_view(pending_).substr(*at);
  constexpr std::string_view kOpening = "<!--";
  if (text.size() < kOpening.size()) return Step::kNeedMore;
  if (text.substr(0, kOpening.size()) != kOpening) return Step::kNotPlain;  // a declaration or CDATA
  std::size_t end = text.find("--", kOpening.size());
  if (end == std::string_view::npos || end + 2 == text.size()) return Step::kNeedMore;
  if (text[end + 2] != '>') return Step::kNotPlain;  // "--" inside a comment
  std::string_view content = text.substr(kOpening.size(), end - kOpening.size());
  for (std::size_t p = 0; p < content.size();) {
    std::size_t length = Byte(content, p) >= 0x80 ? WideCharLength(content, p)
                         : Byte(content, p) >= 0x20 || IsSpace(content[p]) ? 1 : 0;
    if (length == 0 || length == kCutOff) return Step::kNotPlain;
    p += length;
  }
  *at += end + 3;
  return Step::kDone;
}

// A name of ASCII letters, digits, '_', '.' and '-' at `*at`, which is left after it.
PlainJobFileScan::Step PlainJobFileScan::Name(std::size_t* at, std::string_view* name) {
  std::string_view text = pending_;
  std::size_t p = *at;
  if (!Is(text[p], kNameStart)) return Step::kNotPlain;
  p = Skip(text.data(), p, kName);
  if (p == text.size()) return Step::kNeedMore;
  if (p - *at > kMaxName) return Step::kNotPlain;
  *name = text.substr(*at, p - *at);
  *at = p;
  return Step::kDone;
}

PlainJobFileScan::Step PlainJobFileScan::ReadAttribute(std::size_t* at, Attribute* attribute) {
  std::string_view text = pending_;
  Step step = Name(at, &attribute->name);
  if (step != Step::kDone) return step;
  std::string_view xml = attribute->name.substr(0, 3);
  if (xml.size() == 3 && (xml[0] | 0x20) == 'x' && (xml[1] | 0x20) == 'm' && (xml[2] | 0x20) == 'l') {
    return Step::kNotPlain;  // namespace declarations and the reserved xml: names
  }
  std::size_t p = *at;
  p = Skip(text.data(), p, kSpace);
  if (p < text.size() && text[p++] != '=') return Step::kNotPlain;
  p = Skip(text.data(), p, kSpace);
  if (p >= text.size()) return Step::kNeedMore;
  const char quote = text[p++];
  if (quote != '"' && quote != '\'') return Step::kNotPlain;
  const std::size_t start = p;
  saw_reference_ = false;
  step = Characters(&p, quote);
  if (step != Step::kDone) return step;
  attribute->raw = text.substr(start, p - start);
  attribute->has_references = saw_reference_;
  *at = p + 1;
  return Step::kDone;
}

PlainJobFileScan::Step PlainJobFileScan::StartTag(std::size_t* at) {
  std::string_view text = pending_;
  std::size_t p = *at + 1;
  std::string_view name;
  Step step = Name(&p, &name);
  if (step != Step::kDone) return step;
  attributes_.clear();
  bool empty = false;
  for (;;) {
    const std::size_t before = p;
    p = Skip(text.data(), p, kSpace);
    if (p == text.size()) return Step::kNeedMore;
    if (text[p] == '/') {
      if (p + 1 == text.size()) return Step::kNeedMore;
      if (text[p + 1] != '>') return Step::kNotPlain;
      empty = true;
      p += 2;
      break;
    }
    if (text[p] == '>') {
      ++p;
      break;
    }
    if (p == before || attributes_.size() == kMaxAttributes) return Step::kNotPlain;
    Attribute attribute;
    step = ReadAttribute(&p, &attribute);
    if (step != Step::kDone) return step;
    attributes_.push_back(attribute);
  }
  if (stage_ == Stage::kEpilog || depth_ == kMaxDepth) return Step::kNotPlain;  // a second root, or too deep
  const bool root = depth_ == 0;
  const std::vector<std::string>* names = root ? &root_names_ : name == "file" ? &file_names_ : nullptr;
  if (!MatchNames(names)) return Step::kNotPlain;
  if (root || (names && sink_->WantsFiles())) Deliver(*names, root);
  if (!empty) {
    if (open_.size() == depth_) open_.emplace_back();
    open_[depth_++].assign(name);
    stage_ = Stage::kContent;
  } else if (root) {
    stage_ = Stage::kEpilog;
  }
  *at = p;
  return Step::kDone;
}

PlainJobFileScan::Step PlainJobFileScan::EndTag(std::size_t* at) {
  std::string_view text = pending_;
  std::size_t p = *at + 2;
  std::string_view name;
  if (p == text.size()) return Step::kNeedMore;
  Step step = Name(&p, &name);
  if (step != Step::kDone) return step;
  p = Skip(text.data(), p, kSpace);
  if (p == text.size()) return Step::kNeedMore;
  if (text[p] != '>' || name != open_[depth_ - 1]) return Step::kNotPlain;
  if (--depth_ == 0) stage_ = Stage::kEpilog;
  *at = p + 1;
  return Step::kDone;
}

bool PlainJobFileScan::MatchNames(const std::vector<std::string>* names) {
  std::uint64_t seen = 0;  // rows matched so far
  bool unmatched = false;
  for (Attribute& attribute : attributes_) {
    attribute.row = kNoRow;
    // Attributes mostly come in the order of the names: the search starts after the last match.
    for (std::size_t i = 0; names && i < names->size(); ++i) {
      std::size_t row = (next_row_ + i) % names->size();
      if ((*names)[row] != attribute.name) continue;
      if (seen & (std::uint64_t{1} << row)) return false;
      seen |= std::uint64_t{1} << row;
      attribute.row = row;
      next_row_ = row + 1;
      break;
    }
    unmatched = unmatched || attribute.row == kNoRow;
  }
  if (!unmatched) return true;
  for (auto a = attributes_.begin(); a != attributes_.end(); ++a) {
    if (a->row != kNoRow) continue;
    for (auto b = a + 1; b != attributes_.end(); ++b) {
      if (b->row == kNoRow && a->name == b->name) return false;
    }
  }
  return true;
}

void PlainJobFileScan::Deliver(const std::vector<std::string>& names, bool root) {
  values_.assign(names.size(), std::string_view());
  for (const Attribute& attribute : attributes_) {
    if (attribute.row == kNoRow) continue;
    values_[attribute.row] = attribute.has_references ? Decode(attribute.raw, &decoded_[attribute.row]) : attribute.raw;
  }
  if (root) {
    sink_->OnRoot(values_);
  } else {
    sink_->OnFile(values_);
  }
}

}  // namespace velkor
