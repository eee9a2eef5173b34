#include "reader/document_type.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "reader/job_file_limits.h"
#include "reader/character_reference.h"
#include "text/utf.h"

namespace velkor {
namespace {

// libxml2 refuses entities nested deeper than this, and so do we.
constexpr int kMaxEntityNesting = 40;
// Rough memory cost of a declaration or a node of an entity's content, kept for the run.
constexpr std::size_t kNodeBytes = 128;
// The code of the limits' refusals, libxml2's number for its own.
constexpr std::uint32_t kLimitCode = 1;
// Costs past this are as good as infinite, and their sums cannot overflow.
constexpr std::size_t kCostCap = std::numeric_limits<std::size_t>::max() / 4;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool EndsName(char c) {
  return IsSpace(c) || c == '<' || c == '>' || c == '[' || c == ']' || c == '"' || c == '\'' || c == '%' ||
         c == '&' || c == ';' || c == '=' || c == '/';
}

bool IsPredefined(std::string_view name) {
  return name == "lt" || name == "gt" || name == "amp" || name == "apos" || name == "quot";
}

std::size_t Add(std::size_t a, std::size_t b) { return std::min(kCostCap, a + std::min(b, kCostCap)); }

// A cursor over declaration text.
class Cursor {
 public:
  explicit Cursor(std::string_view text) : text_(text) {}

  bool AtEnd() const { return at_ >= text_.size(); }
  char Peek() const { return AtEnd() ? '\0' : text_[at_]; }
  bool Take(std::string_view word) {
    if (text_.substr(at_, word.size()) != word) return false;
    at_ += word.size();
    return true;
  }
  // True when there was any.
  bool SkipSpace() {
    const std::size_t start = at_;
    while (!AtEnd() && IsSpace(text_[at_])) ++at_;
    return at_ > start;
  }
  std::string_view Name() {
    const std::size_t start = at_;
    while (!AtEnd() && !EndsName(text_[at_])) ++at_;
    return text_.substr(start, at_ - start);
  }
  // A quoted literal, without its quotes; false when there is none or it never ends.
  bool Literal(std::string_view* literal) {
    const char quote = Peek();
    if (quote != '"' && quote != '\'') return false;
    const std::size_t end = text_.find(quote, at_ + 1);
    if (end == std::string_view::npos) return false;
    *literal = text_.substr(at_ + 1, end - at_ - 1);
    at_ = end + 1;
    return true;
  }
  void Skip() { ++at_; }
  bool SkipPast(std::string_view end) {
    const std::size_t found = text_.find(end, at_);
    if (found == std::string_view::npos) return false;
    at_ = found + end.size();
    return true;
  }

 private:
  std::string_view text_;
  std::size_t at_ = 0;
};

Judgement ParameterEntities() {
  return Judgement::Refused(kParameterEntityRefused, u"Parameter entities are not accepted in job files");
}

Judgement Amplified() { return Judgement::Refused(kEntityLoop, u"Maximum entity amplification factor exceeded"); }

Judgement TooLarge() { return Judgement::Refused(kDeclarationsTooLarge, u"Document type declaration too large"); }

std::u16string Latin(std::string_view text) { return std::u16string(text.begin(), text.end()); }

}  // namespace

Judgement DocumentType::Header(std::string_view header) {
  Cursor cursor(header);
  std::string_view literal;
  cursor.SkipSpace();
  if (cursor.Name().empty()) return Judgement::Malformed();
  cursor.SkipSpace();
  const bool system = cursor.Take("SYSTEM"), public_id = !system && cursor.Take("PUBLIC");
  for (int literals = public_id ? 2 : system ? 1 : 0; literals > 0; --literals) {
    cursor.SkipSpace();
    if (!cursor.Literal(&literal)) return Judgement::Malformed();
  }
  cursor.SkipSpace();
  return cursor.AtEnd() ? Judgement::Accepted() : Judgement::Malformed();
}

Judgement DocumentType::Declaration(std::string_view markup, ExpansionBudget* budget) {
  Cursor cursor(markup);
  std::string_view literal;
  cursor.SkipSpace();
  if (cursor.AtEnd()) return Judgement::Accepted();
  if (cursor.Peek() == '%') return ParameterEntities();
  if (cursor.Take("<!--")) return cursor.SkipPast("-->") ? Judgement::Accepted() : Judgement::Malformed();
  if (cursor.Take("<?")) return cursor.SkipPast("?>") ? Judgement::Accepted() : Judgement::Malformed();
  if (cursor.Take("<!ATTLIST")) {
    // Each definition: a name, a type (a word, an enumeration, or NOTATION and one), and
    // a default. Default values are read where they are declared: their references are
    // charged now.
    cursor.SkipSpace();
    if (cursor.Name().empty()) return Judgement::Malformed();
    for (;;) {
      cursor.SkipSpace();
      if (cursor.AtEnd() || cursor.Peek() == '>') break;
      if (cursor.Name().empty()) return Judgement::Malformed();
      if (++attribute_declarations_ > limits::kMaxAttributes) {
        return Judgement::Refused(kLimitCode, u"Excessive number of attribute declarations: more than " +
                                                  Latin(std::to_string(limits::kMaxAttributes)));
      }
      cursor.SkipSpace();
      const bool notation = cursor.Take("NOTATION");
      if (notation) cursor.SkipSpace();
      if (cursor.Peek() == '(') {
        if (!cursor.SkipPast(")")) return Judgement::Malformed();
      } else if (notation || cursor.Name().empty()) {
        return Judgement::Malformed();
      }
      cursor.SkipSpace();
      if (cursor.Take("#REQUIRED") || cursor.Take("#IMPLIED")) continue;
      if (cursor.Take("#FIXED")) cursor.SkipSpace();
      if (!cursor.Literal(&literal)) return Judgement::Malformed();
      for (std::size_t amp = literal.find('&'); amp != std::string_view::npos; amp = literal.find('&', amp + 1)) {
        const std::size_t end = literal.find(';', amp);
        if (end == std::string_view::npos) return Judgement::Malformed();
        const std::string_view name = literal.substr(amp + 1, end - amp - 1);
        if (!name.empty() && name[0] == '#') continue;
        EntityCost cost;
        Judgement referenced = Reference(name, &cost);
        if (!referenced.accepted()) return referenced;
        if (!budget->Spend(cost.in_attribute)) return Amplified();
      }
    }
    if (!budget->Keep(markup.size() + kNodeBytes)) return TooLarge();
    return Judgement::Accepted();
  }
  if (cursor.Take("<!ELEMENT") || cursor.Take("<!NOTATION")) {
    if (!budget->Keep(markup.size() + kNodeBytes)) return TooLarge();
    return Judgement::Accepted();
  }
  if (!cursor.Take("<!ENTITY") || !cursor.SkipSpace()) return Judgement::Malformed();
  if (cursor.Peek() == '%') return ParameterEntities();
  const std::string_view name = cursor.Name();
  if (name.empty() || !cursor.SkipSpace()) return Judgement::Malformed();
  Entity entity;
  if (cursor.Literal(&literal)) {
    // The replacement text: character references resolved now, entity references kept.
    for (std::size_t at = 0; at < literal.size();) {
      const char c = literal[at];
      if (c == '%') return ParameterEntities();
      if (c != '&' || at + 1 >= literal.size() || literal[at + 1] != '#') {
        entity.replacement.push_back(c);
        ++at;
        continue;
      }
      const std::size_t end = literal.find(';', at);
      const std::uint32_t code = end == std::string_view::npos ? 0 : CharacterReference(literal.substr(at + 2, end - at - 2));
      if (code == 0) return Judgement::Malformed();
      AppendCodePoint(code, &entity.replacement);
      at = end + 1;
    }
  } else {
    const bool system = cursor.Take("SYSTEM"), public_id = !system && cursor.Take("PUBLIC");
    if (!system && !public_id) return Judgement::Malformed();
    for (int literals = public_id ? 2 : 1; literals > 0; --literals) {
      cursor.SkipSpace();
      if (!cursor.Literal(&literal)) return Judgement::Malformed();
    }
    entity.kind = Kind::kExternal;
    if (cursor.SkipSpace() && cursor.Take("NDATA")) entity.kind = Kind::kUnparsed;
  }
  return Declare(name, std::move(entity), budget);
}

Judgement DocumentType::Declare(std::string_view name, Entity entity, ExpansionBudget* budget) {
  // What a library keeps of it: the text, and a node for each element of its content.
  std::size_t nodes = 1;
  for (std::size_t at = entity.replacement.find('<'); at != std::string::npos; at = entity.replacement.find('<', at + 1)) {
    const char next = at + 1 < entity.replacement.size() ? entity.replacement[at + 1] : '/';
    if (next != '/' && next != '!' && next != '?') ++nodes;
  }
  if (nodes > kCostCap / kNodeBytes || !budget->Keep(name.size() + entity.replacement.size()) ||
      !budget->Keep(nodes * kNodeBytes)) {
    return TooLarge();
  }
  // The first declaration of a name binds it; the predefined five cannot be redefined.
  if (!IsPredefined(name)) entities_.emplace(std::string(name), std::move(entity));
  return Judgement::Accepted();
}

Judgement DocumentType::Reference(std::string_view name, EntityCost* cost) {
  *cost = EntityCost();
  if (IsPredefined(name)) {
    cost->in_attribute = cost->in_content = 1;
    return Judgement::Accepted();
  }
  const auto found = entities_.find(std::string(name));
  if (found == entities_.end() || found->second.kind == Kind::kUnparsed) return Judgement::Accepted();
  if (found->second.kind == Kind::kExternal) {
    return Judgement::Refused(kExternalEntityRefused,
                              u"Reference to external entity '" + Utf8ToUtf16(name) + u"': job files read nothing from outside");
  }
  Judgement computed = Compute(&found->second, 1);
  if (computed.accepted()) *cost = found->second.cost;
  return computed;
}

// Walks an entity's replacement text once: its characters, its elements and the entities
// it references, whose costs are computed once each. In an attribute value every byte of
// the expansion is paid for; in content every byte too (a library may hand all of it
// over), and every node the expansion makes.
Judgement DocumentType::Compute(Entity* entity, int nesting) {
  if (entity->state == State::kComputed) return Judgement::Accepted();
  if (entity->state == State::kComputing || nesting > kMaxEntityNesting) {
    return Judgement::Refused(kEntityLoop, u"Detected an entity reference loop");
  }
  entity->state = State::kComputing;
  EntityCost cost;
  std::size_t depth = 0;
  bool in_text = false;  // a text node is open: more characters cost nothing more in content
  const std::string& text = entity->replacement;
  auto text_node = [&] {
    if (!in_text) cost.in_content = Add(cost.in_content, ExpansionBudget::kUnitsPerNode);
    in_text = true;
  };
  // The reference at `at` ("&...;"): `*inner` is what it costs in an attribute value.
  auto reference = [&](std::size_t* at, const EntityCost** inner, std::size_t* units) -> Judgement {
    const std::size_t end = text.find(';', *at);
    if (end == std::string::npos) return Judgement::Malformed();
    const std::string_view name(text.data() + *at + 1, end - *at - 1);
    *at = end + 1;
    *inner = nullptr;
    *units = !name.empty() && name[0] == '#' ? 4 : IsPredefined(name) ? 1 : 0;
    if (*units != 0) return Judgement::Accepted();
    const auto found = entities_.find(std::string(name));
    if (found == entities_.end() || found->second.kind == Kind::kUnparsed) return Judgement::Accepted();
    if (found->second.kind == Kind::kExternal) {
      EntityCost ignored;
      return Reference(name, &ignored);
    }
    Judgement computed = Compute(&found->second, nesting + 1);
    *inner = &found->second.cost;
    *units = found->second.cost.in_attribute;
    return computed;
  };
  for (std::size_t at = 0; at < text.size();) {
    const std::string_view rest(text.data() + at, text.size() - at);
    const EntityCost* inner = nullptr;
    std::size_t units = 0;
    if (rest[0] == '&') {
      Judgement referenced = reference(&at, &inner, &units);
      if (!referenced.accepted()) return referenced;
      cost.in_attribute = Add(cost.in_attribute, units);
      if (!inner) {
        cost.in_content = Add(cost.in_content, units);
        text_node();
        continue;
      }
      in_text = false;
      cost.in_content = Add(cost.in_content, Add(ExpansionBudget::kUnitsPerNode, inner->in_content));
      cost.depth = std::max(cost.depth, depth + inner->depth);
      cost.attributes = std::max(cost.attributes, inner->attributes);
      continue;
    }
    const std::size_t skipped = rest.rfind("<!--", 0) == 0       ? rest.find("-->", 4)
                                : rest.rfind("<![CDATA[", 0) == 0 ? rest.find("]]>", 9)
                                : rest.rfind("<?", 0) == 0        ? rest.find("?>", 2)
                                                                  : 0;
    if (skipped == std::string_view::npos) return Judgement::Malformed();
    if (skipped > 0 || rest[0] != '<') {
      // Characters, or a node that holds no markup.
      const std::size_t end = skipped > 0 ? skipped + (rest[1] == '?' ? 2 : 3) : 1;
      if (skipped > 0) in_text = false;
      text_node();
      cost.in_attribute = Add(cost.in_attribute, end);
      cost.in_content = Add(cost.in_content, end);
      at += end;
      continue;
    }
    // A tag: an end tag closes an element, a start tag opens one unless it ends in "/>".
    in_text = false;
    const bool end_tag = rest.size() > 1 && rest[1] == '/';
    std::size_t attributes = 0;
    char quote = 0;
    std::size_t close = 1;
    cost.in_attribute = Add(cost.in_attribute, 1);
    cost.in_content = Add(cost.in_content, end_tag ? 1 : 1 + ExpansionBudget::kUnitsPerNode);
    for (; close < rest.size() && (quote || rest[close] != '>'); ++close) {
      cost.in_attribute = Add(cost.in_attribute, 1);
      cost.in_content = Add(cost.in_content, 1);
      if (quote && rest[close] == '&') {
        std::size_t ref = at + close;
        Judgement referenced = reference(&ref, &inner, &units);
        if (!referenced.accepted()) return referenced;
        cost.in_content = Add(cost.in_content, units);
        close = ref - at - 1;
      } else if (quote && rest[close] == quote) {
        quote = 0;
      } else if (!quote && (rest[close] == '"' || rest[close] == '\'')) {
        quote = rest[close];
        ++attributes;
      }
    }
    if (close >= rest.size()) return Judgement::Malformed();
    if (end_tag) {
      if (depth > 0) --depth;
    } else {
      cost.depth = std::max(cost.depth, depth + 1);
      cost.attributes = std::max(cost.attributes, attributes);
      if (rest[close - 1] != '/') ++depth;
    }
    at += close + 1;
  }
  entity->cost = cost;
  entity->state = State::kComputed;
  return Judgement::Accepted();
}

}  // namespace velkor
