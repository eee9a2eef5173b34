#include "reader/markup_rewrite_scan.h"

#include <algorithm>
#include <string_view>

#include "reader/expansion_budget.h"

namespace velkor {
namespace {

// Past this, entities are left to the library: the program's limits keep no more declarations.
constexpr std::size_t kLongestProlog = ExpansionBudget::kMaxKept;
constexpr std::size_t kLongestSpace = 64 * 1024;  // white space held at most
constexpr std::string_view kCommentOpen = "<!--";
constexpr std::string_view kCDataOpen = "<![CDATA[";

// A replacement text that is never handed over: the library reports the reference.
constexpr std::string_view kUnreadable = "%";
constexpr int kDeepest = 40;  // entities within entities

// The replacement text of an entity's literal value: character references are replaced as
// it is declared, those to '&' and '<' must be (they are markup once replaced); the others
// mean the same either way and stay, so that no encoding is assumed. A parameter entity
// reference makes it unreadable here.
std::string ReplacementText(std::string value) {
  if (value.find('%') != std::string::npos) return std::string(kUnreadable);
  std::string text;
  for (std::size_t at = 0; at < value.size();) {
    const std::size_t end = value.compare(at, 2, "&#") == 0 ? value.find(';', at) : std::string::npos;
    if (end == std::string::npos) {
      text += value[at++];
      continue;
    }
    const bool hex = at + 2 < end && (value[at + 2] == 'x');
    unsigned long code = 0;
    for (std::size_t digit = at + (hex ? 3 : 2); digit < end && code < 0x110000; ++digit) {
      const char c = value[digit];
      const int number = c >= '0' && c <= '9' ? c - '0' : hex && (c | 0x20) >= 'a' && (c | 0x20) <= 'f' ? (c | 0x20) - 'a' + 10 : -1;
      code = number < 0 ? 0x110000 : code * (hex ? 16 : 10) + static_cast<unsigned long>(number);
    }
    if (code == '&' || code == '<') {
      text += static_cast<char>(code);
    } else {
      text.append(value, at, end + 1 - at);
    }
    at = end + 1;
  }
  return text;
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsNameChar(char c) { return !IsSpace(c) && std::string_view("<>&;'\"=%#[]/").find(c) == std::string_view::npos; }
bool Ends(const std::string& text, std::string_view ending) {
  return text.size() >= ending.size() && text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
}

// Reads the prolog's markup from `at`; npos when more bytes are needed, else where it ends.
class PrologReader {
 public:
  explicit PrologReader(std::string_view text) : text_(text) {}

  static constexpr std::size_t kMore = std::string_view::npos;

  void SkipSpace(std::size_t* at) const {
    while (*at < text_.size() && IsSpace(text_[*at])) ++*at;
  }
  // Past `ending` from `at`.
  std::size_t Past(std::size_t at, std::string_view ending) const {
    const std::size_t found = text_.find(ending, at);
    return found == kMore ? kMore : found + ending.size();
  }
  // Past the '>' that ends a declaration, quoted text skipped.
  std::size_t PastDeclaration(std::size_t at) const {
    for (char quote = 0; at < text_.size(); ++at) {
      const char c = text_[at];
      if (quote) {
        if (c == quote) quote = 0;
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == '>') {
        return at + 1;
      }
    }
    return kMore;
  }
  bool At(std::size_t at, std::string_view word) const { return text_.compare(at, word.size(), word) == 0; }
  // Whether the text from `at` could still become `word`.
  bool Prefix(std::size_t at, std::string_view word) const {
    return text_.size() - at < word.size() && word.compare(0, text_.size() - at, text_.substr(at)) == 0;
  }
  std::string_view text() const { return text_; }

 private:
  std::string_view text_;
};

}  // namespace

bool MarkupRewriteScan::Feed(const char* bytes, std::size_t size) {
  if (prolog_read_) return Pass(bytes, size);
  start_.append(bytes, size);
  if (!ReadProlog(false)) return true;
  return PassStart();
}

// The prolog as it is; what follows it, through Pass().
bool MarkupRewriteScan::PassStart() {
  std::string start = std::move(start_);
  const std::size_t prolog = rewriting_ ? prolog_end_ : 0;
  if (prolog > 0 && !library_->Feed(start.data(), prolog)) return false;
  return Pass(start.data() + prolog, start.size() - prolog);
}

bool MarkupRewriteScan::Finish() {
  if (!prolog_read_) {
    ReadProlog(true);
    if (!PassStart()) return false;
  }
  out_.clear();
  if (state_ == State::kReference) EndReference(false);
  if (state_ == State::kAfterTag) EndAfterTag(false);
  if (slash_) out_ += '/';
  if (!out_.empty() && !library_->Feed(out_.data(), out_.size())) return false;
  return library_->Finish();
}

// The prolog up to the end of the document type: only the internal subset's entity
// declarations matter. Whatever cannot be read here is left for the library to judge,
// with no entity replaced.
bool MarkupRewriteScan::ReadProlog(bool at_end) {
  const PrologReader reader(start_);
  std::size_t at = 0;
  auto give_up = [&] {
    entities_.clear();
    prolog_read_ = true;
    rewriting_ = false;
    return true;
  };
  auto rewrite_from = [&](std::size_t end) {
    prolog_end_ = end;
    prolog_read_ = true;
    rewriting_ = true;
    return true;
  };
  auto more = [&] { return at_end || start_.size() > kLongestProlog ? give_up() : false; };
  if (start_.size() < 4) return more();
  if (start_[0] == '\xFF' || start_[0] == '\xFE' || start_[0] == '\0' || start_[1] == '\0') return give_up();  // UTF-16
  if (reader.At(0, "\xEF\xBB\xBF")) at = 3;
  for (;;) {
    reader.SkipSpace(&at);
    if (at >= start_.size()) return more();
    if (reader.At(at, "<?")) {
      at = reader.Past(at, "?>");
    } else if (reader.At(at, kCommentOpen)) {
      at = reader.Past(at, "-->");
    } else if (reader.At(at, "<!DOCTYPE")) {
      break;
    } else if (reader.Prefix(at, "<!DOCTYPE") || reader.Prefix(at, kCommentOpen)) {
      return more();
    } else {
      return rewrite_from(at);  // the root element: no document type
    }
    if (at == PrologReader::kMore) return more();
  }
  // The document type's name and external identifier, up to its subset.
  for (char quote = 0;; ++at) {
    if (at >= start_.size()) return more();
    const char c = start_[at];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '>') {
      return rewrite_from(at + 1);  // no internal subset
    } else if (c == '[') {
      ++at;
      break;
    }
  }
  for (;;) {
    reader.SkipSpace(&at);
    if (at >= start_.size()) return more();
    if (start_[at] == ']') {
      ++at;
      reader.SkipSpace(&at);
      if (at >= start_.size()) return more();
      if (start_[at] != '>') return give_up();
      return rewrite_from(at + 1);
    }
    std::size_t end = PrologReader::kMore;
    if (reader.At(at, kCommentOpen)) {
      end = reader.Past(at, "-->");
    } else if (reader.At(at, "<?")) {
      end = reader.Past(at, "?>");
    } else if (reader.At(at, "<!ENTITY")) {
      end = reader.PastDeclaration(at);
      if (end == PrologReader::kMore) return more();
      std::size_t name = at + 8;
      reader.SkipSpace(&name);
      if (name < end && start_[name] == '%') return give_up();  // parameter entities reshape the subset
      std::size_t name_end = name;
      while (name_end < end && IsNameChar(start_[name_end])) ++name_end;
      std::size_t value = name_end;
      reader.SkipSpace(&value);
      const char quote = value < end ? start_[value] : 0;
      const std::size_t value_end = quote == '"' || quote == '\'' ? start_.find(quote, value + 1) : PrologReader::kMore;
      if (value_end < end && name_end > name) {
        std::string text = start_.substr(value + 1, value_end - value - 1);
        const std::string key = start_.substr(name, name_end - name);
        // The first declaration binds.
        longest_name_ = std::max(longest_name_, key.size());
        entities_.emplace(key, ReplacementText(std::move(text)));
      }
    } else if (reader.At(at, "<!")) {
      end = reader.PastDeclaration(at);
    } else if (reader.Prefix(at, "<!")) {
      return more();
    } else {
      return give_up();  // a parameter entity reference, or not well-formed
    }
    if (end == PrologReader::kMore) return more();
    at = end;
  }
}

bool MarkupRewriteScan::Pass(const char* bytes, std::size_t size) {
  if (!rewriting_) return size == 0 || library_->Feed(bytes, size);
  out_.clear();
  for (std::size_t at = 0; at < size; ++at) Step(bytes[at]);
  return out_.empty() || library_->Feed(out_.data(), out_.size());
}

void MarkupRewriteScan::Step(char c) {
  switch (state_) {
    case State::kText:
      if (c == '&' && !entities_.empty()) {
        before_reference_ = state_;
        state_ = State::kReference;
        pending_.assign(1, c);
        return;
      }
      if (c == '<') state_ = State::kOpen;
      break;
    case State::kOpen:
      state_ = c == '!' ? State::kBang : c == '?' ? State::kInstruction : State::kTag;
      if (state_ == State::kBang) pending_ = "<!";
      if (state_ == State::kInstruction) pending_.clear();
      if (state_ == State::kTag) quote_ = 0;
      if (state_ == State::kTag && c == '>') state_ = State::kText;
      break;
    case State::kBang:
      pending_ += c;
      if (pending_ == kCommentOpen) {
        state_ = State::kComment;
        pending_.clear();
      } else if (pending_ == kCDataOpen) {
        state_ = State::kCData;
        pending_.clear();
      } else if (kCDataOpen.compare(0, pending_.size(), pending_) != 0 &&
                 kCommentOpen.compare(0, pending_.size(), pending_) != 0) {
        state_ = c == '>' ? State::kText : State::kTag;
        quote_ = 0;
      }
      out_ += c;
      return;
    case State::kComment:
    case State::kCData:
    case State::kInstruction: {
      const std::string_view ending = state_ == State::kComment ? "-->" : state_ == State::kCData ? "]]>" : "?>";
      pending_ += c;
      if (pending_.size() > ending.size()) pending_.erase(0, 1);
      if (Ends(pending_, ending)) {
        state_ = State::kText;
        pending_.clear();
      }
      break;
    }
    case State::kTag:
      if (quote_ && c == '&' && !entities_.empty()) {
        before_reference_ = state_;
        state_ = State::kReference;
        pending_.assign(1, c);
        return;
      }
      if (quote_) {
        if (c == quote_ && replacing_ > quote_depth_) {
          out_ += c == '"' ? "&quot;" : "&apos;";  // a replacement text's quote is data
          return;
        }
        if (c == quote_) quote_ = 0;
        break;
      }
      {
        const bool empty_element = slash_ && c == '>';
        if (slash_ && !empty_element) out_ += '/';
        slash_ = c == '/';
        if (slash_) return;
        if (c == '"' || c == '\'') {
          quote_ = c;
          quote_depth_ = replacing_;
        } else if (c == '>') {
          state_ = State::kAfterTag;
          tag_end_ = empty_element ? "/>" : ">";
          return;
        }
      }
      break;
    case State::kAfterTag:
      if (IsSpace(c) && space_.size() < kLongestSpace) {
        space_ += c;
        return;
      }
      EndAfterTag(c == '<');
      Step(c);
      return;
    case State::kReference:
      if (c == ';') {
        EndReference(true);
        return;
      }
      if (!IsNameChar(c) || pending_.size() > longest_name_) {
        EndReference(false);
        Step(c);
        return;
      }
      pending_ += c;
      return;
  }
  out_ += c;
}

void MarkupRewriteScan::EndAfterTag(bool inside) {
  state_ = State::kText;
  if (inside) {
    out_ += space_;
    out_ += tag_end_;
  } else {
    out_ += tag_end_;
    out_ += space_;
  }
  space_.clear();
}

// In an attribute value, the value's own quotes are written as references.
// A replacement text goes through the rewriting as if written in place of its reference;
// in an attribute value, its quotes are data.
void MarkupRewriteScan::EndReference(bool complete) {
  state_ = before_reference_;
  const std::string reference = std::move(pending_);
  pending_.clear();
  const auto entity = complete ? entities_.find(std::string_view(reference).substr(1)) : entities_.end();
  // What the references expand to, the program's limits have judged before these bytes came.
  const bool within = entity != entities_.end() && entity->second != kUnreadable && replacing_ < kDeepest;
  if (!within) {
    out_ += reference;
    if (complete) out_ += ';';
    return;
  }
  ++replacing_;
  for (char c : entity->second) Step(c);
  --replacing_;
}

}  // namespace velkor
