// The program's own limits, judged by the markup guard that runs before the XML library on
// both platforms, against what libxml2 finds reading the same bytes with every entity
// expanded: how deep elements nest, how many attributes one element has, how many namespace
// declarations are in scope and attributes declared, how long values get, and how much the
// entities expand to. A file libxml2 reads as well-formed and within the limits (expanding
// to far less than the guard's budget, with no parameter or external entity) must pass the
// guard, and one past a limit must not.
#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "reader/job_file_limits.h"
#include "reader/job_file_reading.h"
#include "reader/markup_guard.h"

namespace {

// What libxml2 hands over, measured.
struct Measure {
  std::size_t depth = 0, deepest = 0;
  std::size_t most_attributes = 0;
  std::vector<int> namespaces;
  std::size_t namespaces_in_scope = 0, most_namespaces_in_scope = 0;
  std::size_t attribute_declarations = 0;
  std::size_t longest_value = 0;
  std::size_t expanded = 0;    // bytes of text and values, and elements, as delivered
  bool undecidable = false;    // a parameter or external entity: the guard refuses by policy
  bool failed = false;         // an error that makes the file not well-formed

  bool WithinLimits() const {
    return deepest <= velkor::limits::kMaxDepth && most_attributes <= velkor::limits::kMaxAttributes &&
           most_namespaces_in_scope <= velkor::limits::kMaxAttributes &&
           attribute_declarations <= velkor::limits::kMaxAttributes &&
           longest_value <= velkor::limits::kMaxAttributeValueBytes;
  }
};

Measure& Of(void* ctx) { return *static_cast<Measure*>(static_cast<xmlParserCtxtPtr>(ctx)->_private); }

void StartElement(void* ctx, const xmlChar*, const xmlChar*, const xmlChar*, int nb_namespaces, const xmlChar**,
                  int nb_attributes, int nb_defaulted, const xmlChar** attributes) {
  Measure& m = Of(ctx);
  m.deepest = std::max(m.deepest, ++m.depth);
  m.most_attributes = std::max(m.most_attributes, static_cast<std::size_t>(nb_attributes - nb_defaulted + nb_namespaces));
  m.namespaces.push_back(nb_namespaces);
  m.namespaces_in_scope += static_cast<std::size_t>(nb_namespaces);
  m.most_namespaces_in_scope = std::max(m.most_namespaces_in_scope, m.namespaces_in_scope);
  m.expanded += 16;
  for (int i = 0; i < nb_attributes; ++i) {
    const std::size_t length = static_cast<std::size_t>(attributes[i * 5 + 4] - attributes[i * 5 + 3]);
    m.longest_value = std::max(m.longest_value, length);
    m.expanded += length;
  }
}

void EndElement(void* ctx, const xmlChar*, const xmlChar*, const xmlChar*) {
  Measure& m = Of(ctx);
  if (m.depth > 0) --m.depth;
  if (m.namespaces.empty()) return;
  m.namespaces_in_scope -= static_cast<std::size_t>(m.namespaces.back());
  m.namespaces.pop_back();
}

void Characters(void* ctx, const xmlChar*, int length) { Of(ctx).expanded += static_cast<std::size_t>(length) + 16; }

void EntityDecl(void* ctx, const xmlChar* name, int type, const xmlChar* public_id, const xmlChar* system_id,
                xmlChar* content) {
  if (type != XML_INTERNAL_GENERAL_ENTITY && type != XML_EXTERNAL_GENERAL_UNPARSED_ENTITY) Of(ctx).undecidable = true;
  xmlSAX2EntityDecl(ctx, name, type, public_id, system_id, content);
}

void AttributeDecl(void* ctx, const xmlChar* element, const xmlChar* name, int type, int def,
                   const xmlChar* default_value, xmlEnumerationPtr tree) {
  ++Of(ctx).attribute_declarations;
  xmlSAX2AttributeDecl(ctx, element, name, type, def, default_value, tree);
}

xmlParserInputPtr NoExternal(void*, const xmlChar*, const xmlChar*) { return nullptr; }
// Validity is no concern of a reader that does not validate.
void Record(Measure* measure, xmlErrorPtr error) {
  if (!error || error->level < XML_ERR_ERROR) return;
  if (error->level == XML_ERR_ERROR && (error->domain == XML_FROM_VALID || error->domain == XML_FROM_DTD)) return;
  measure->failed = true;
}
// Before the parser's context is set up (its encoding found), its own flag tells.
void Error(void* ctx, xmlErrorPtr error) {
  if (void* measure = static_cast<xmlParserCtxtPtr>(ctx)->_private) Record(static_cast<Measure*>(measure), error);
}
// Errors raised outside the parser's context, such as the encoding detection's.
void StrayError(void* measure, xmlErrorPtr error) { Record(static_cast<Measure*>(measure), error); }

// True when libxml2 reads `text` as well-formed; `measure` says what it found.
bool ReadWithLibxml2(std::string_view text, Measure* measure) {
  xmlSAXHandler handler;
  std::memset(&handler, 0, sizeof handler);
  xmlSAXVersion(&handler, 2);
  handler.startElementNs = StartElement;
  handler.endElementNs = EndElement;
  handler.characters = Characters;
  handler.ignorableWhitespace = Characters;
  handler.cdataBlock = Characters;
  handler.comment = nullptr;  // the defaults would build nodes with no tree to hold them
  handler.processingInstruction = nullptr;
  handler.entityDecl = EntityDecl;
  handler.attributeDecl = AttributeDecl;
  handler.resolveEntity = NoExternal;
  handler.externalSubset = nullptr;
  handler.serror = Error;
  handler.error = nullptr;
  handler.warning = nullptr;
  xmlSetStructuredErrorFunc(measure, StrayError);
  // The first bytes tell the parser the encoding.
  const std::size_t head = std::min<std::size_t>(text.size(), 4);
  xmlParserCtxtPtr context = xmlCreatePushParserCtxt(&handler, nullptr, text.data(), static_cast<int>(head), nullptr);
  if (!context) std::abort();
  context->_private = measure;
  text.remove_prefix(head);
  xmlCtxtUseOptions(context, XML_PARSE_NONET | XML_PARSE_NOENT);
  context->loadsubset = 0;
  const std::size_t piece = velkor::JobFileReading::kChunkSize;
  for (std::size_t at = 0; at < text.size() && context->wellFormed; at += piece) {
    const std::string_view part = text.substr(at, piece);
    xmlParseChunk(context, part.data(), static_cast<int>(part.size()), 0);
  }
  xmlParseChunk(context, nullptr, 0, 1);
  xmlSetStructuredErrorFunc(nullptr, nullptr);
  const bool well_formed = context->wellFormed != 0 && !measure->failed;
  const bool root_seen = measure->deepest > 0;
  if (context->myDoc) xmlFreeDoc(context->myDoc);
  xmlFreeParserCtxt(context);
  return well_formed && root_seen;
}

// libxml2 2.9 reads an internal subset that follows the declaration's '>' ("<!DOCTYPE r>[...]"),
// which is not well-formed; the guard rightly loses its way there.
bool SubsetAfterDoctype(std::string_view text) {
  const std::size_t doctype = text.find("<!DOCTYPE");
  if (doctype == std::string_view::npos) return false;
  const std::size_t end = text.find_first_of("[>", doctype);
  if (end == std::string_view::npos || text[end] != '>') return false;
  const std::size_t next = text.find_first_not_of(" \t\r\n", end + 1);
  return next != std::string_view::npos && text[next] == '[';
}

bool Guard(std::string_view text, velkor::MarkupGuard* guard) {
  const std::size_t piece = velkor::JobFileReading::kChunkSize;
  for (std::size_t at = 0; at < text.size(); at += piece) {
    const std::string_view part = text.substr(at, piece);
    if (!guard->Feed(part.data(), part.size())) return false;
  }
  return guard->Finish();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  Measure measure;
  if (!ReadWithLibxml2(text, &measure) || measure.undecidable || SubsetAfterDoctype(text)) return 0;
  velkor::MarkupGuard guard;
  const bool guarded = Guard(text, &guard);
  // Far below the guard's budget, which a file starts with, whatever its size.
  constexpr std::size_t kSurelyAffordable = std::size_t{1} << 20;
  if (measure.WithinLimits() && measure.expanded <= kSurelyAffordable && !guarded) std::abort();
  if (!measure.WithinLimits() && guarded) std::abort();
  return 0;
}
