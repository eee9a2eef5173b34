// Attribute values with their entity references resolved. The parser leaves references
// alone so that this program can bound what they expand to: it hands over "&name;" for
// each entity reference and "&#38;" for each literal ampersand, everything else final.
#ifndef VELKOR_READER_LIBXML2_XML_ATTRIBUTE_TEXT_H_
#define VELKOR_READER_LIBXML2_XML_ATTRIBUTE_TEXT_H_

#include <libxml/tree.h>

#include <string>
#include <string_view>

namespace velkor {

enum class ExpansionResult {
  kOk,
  kUndeclaredEntity,  // `entity` names it
  kExternalEntity,    // `entity` names it
  kBadReference,
  kTooDeep,
};

struct Expansion {
  ExpansionResult result = ExpansionResult::kOk;
  std::string entity;
};

// Appends the resolved text of an attribute value as the parser handed it over. White
// space that entity replacement text brings in becomes spaces, as attribute-value
// normalisation asks. What it may expand to, the program's own limits have judged before.
Expansion ExpandAttributeText(xmlDocPtr doc, std::string_view raw, std::string* out);

// The same for an attribute of an element that came out of an entity: its value is a list
// of text and entity reference nodes.
Expansion ExpandAttributeNodes(xmlDocPtr doc, xmlNodePtr children, std::string* out);

// Attributes that the document type declares as tokens (anything but CDATA) lose leading
// and trailing spaces and keep single spaces between tokens, after their references are
// resolved. The parser did this before resolving; this finishes the job.
void NormalizeIfTokens(xmlDocPtr doc, const xmlChar* element, const xmlChar* attribute, std::string* value);

}  // namespace velkor

#endif  // VELKOR_READER_LIBXML2_XML_ATTRIBUTE_TEXT_H_
