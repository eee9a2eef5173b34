#include "reader/libxml2/xml_attribute_text.h"

#include <libxml/entities.h>
#include <libxml/valid.h>

#include <cstdint>

#include "reader/character_reference.h"
#include "text/utf.h"

namespace velkor {
namespace {

// libxml2 refuses deeper nesting of entities too.
constexpr int kMaxEntityDepth = 40;

class Expander {
 public:
  Expander(xmlDocPtr doc, std::string* out) : doc_(doc), out_(out) {}

  // `depth` 0 is the attribute's own text; above that, replacement text of entities.
  ExpansionResult Text(std::string_view text, int depth) {
    while (!text.empty()) {
      std::size_t amp = text.find('&');
      Literal(text.substr(0, amp), depth);
      if (amp == std::string_view::npos) break;
      std::size_t semicolon = text.find(';', amp);
      if (semicolon == std::string_view::npos) return ExpansionResult::kBadReference;
      std::string_view reference = text.substr(amp + 1, semicolon - amp - 1);
      ExpansionResult result = !reference.empty() && reference[0] == '#' ? Character(reference.substr(1))
                                                                          : Entity(reference, depth);
      if (result != ExpansionResult::kOk) return result;
      text.remove_prefix(semicolon + 1);
    }
    return ExpansionResult::kOk;
  }

  ExpansionResult Entity(std::string_view name, int depth) {
    if (depth >= kMaxEntityDepth) return ExpansionResult::kTooDeep;
    entity_.assign(name);
    const xmlChar* key = reinterpret_cast<const xmlChar*>(entity_.c_str());
    // As the parser looks them up: the five predefined entities cannot be redefined.
    xmlEntityPtr entity = xmlGetPredefinedEntity(key);
    if (!entity) entity = xmlGetDocEntity(doc_, key);
    if (!entity) return ExpansionResult::kUndeclaredEntity;
    std::string_view content = entity->content ? reinterpret_cast<const char*>(entity->content) : "";
    switch (entity->etype) {
      case XML_INTERNAL_PREDEFINED_ENTITY:
        out_->append(content);
        return ExpansionResult::kOk;
      case XML_INTERNAL_GENERAL_ENTITY:
        return Text(content, depth + 1);
      default:
        return ExpansionResult::kExternalEntity;
    }
  }

  void Literal(std::string_view text, int depth) {
    if (depth == 0) {
      out_->append(text);
      return;
    }
    for (char c : text) out_->push_back(c == '\t' || c == '\n' || c == '\r' ? ' ' : c);
  }

  // The entity that the last failure concerns.
  const std::string& entity() const { return entity_; }

 private:
  ExpansionResult Character(std::string_view digits) {
    std::uint32_t c = CharacterReference(digits);
    if (c == 0) return ExpansionResult::kBadReference;
    AppendCodePoint(c, out_);
    return ExpansionResult::kOk;
  }

  xmlDocPtr doc_;
  std::string* out_;
  std::string entity_;
};

Expansion Finish(ExpansionResult result, const Expander& expander) {
  Expansion expansion;
  expansion.result = result;
  if (result == ExpansionResult::kUndeclaredEntity || result == ExpansionResult::kExternalEntity) {
    expansion.entity = expander.entity();
  }
  return expansion;
}

}  // namespace

Expansion ExpandAttributeText(xmlDocPtr doc, std::string_view raw, std::string* out) {
  Expander expander(doc, out);
  return Finish(expander.Text(raw, 0), expander);
}

Expansion ExpandAttributeNodes(xmlDocPtr doc, xmlNodePtr children, std::string* out) {
  Expander expander(doc, out);
  for (xmlNodePtr node = children; node; node = node->next) {
    ExpansionResult result = ExpansionResult::kOk;
    if (node->type == XML_TEXT_NODE && node->content) {
      // Text of an entity's content, already normalised.
      out->append(reinterpret_cast<const char*>(node->content));
    } else if (node->type == XML_ENTITY_REF_NODE) {
      result = expander.Entity(reinterpret_cast<const char*>(node->name), 1);
    }
    if (result != ExpansionResult::kOk) return Finish(result, expander);
  }
  return Expansion();
}

void NormalizeIfTokens(xmlDocPtr doc, const xmlChar* element, const xmlChar* attribute, std::string* value) {
  xmlAttributePtr declaration = doc ? xmlGetDtdQAttrDesc(doc->intSubset, element, attribute, nullptr) : nullptr;
  if (!declaration || declaration->atype == XML_ATTRIBUTE_CDATA) return;
  std::string tokens;
  for (char c : *value) {
    if (c != ' ' || (!tokens.empty() && tokens.back() != ' ')) tokens.push_back(c);
  }
  if (!tokens.empty() && tokens.back() == ' ') tokens.pop_back();
  value->swap(tokens);
}

}  // namespace velkor
