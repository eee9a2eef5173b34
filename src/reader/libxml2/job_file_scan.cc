#include "reader/libxml2/job_file_scan.h"

#include <libxml/SAX2.h>
#include <libxml/entities.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/valid.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "reader/expanded_attribute_names.h"

namespace velkor {
namespace {

const char* Chars(const xmlChar* text) { return reinterpret_cast<const char*>(text); }

bool IsFileElement(xmlNodePtr node) {
  return xmlStrEqual(node->name, BAD_CAST "file") && (!node->ns || !node->ns->prefix);
}

// libxml2's messages end in a line feed and some have one inside.
std::string OneLine(const char* message) {
  std::string text = message ? message : "";
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  std::replace(text.begin(), text.end(), '\n', ' ');
  return text;
}

}  // namespace

struct JobFileScan::Parser {
  ~Parser() {
    if (!context) return;
    if (context->myDoc) xmlFreeDoc(context->myDoc);
    context->myDoc = nullptr;
    xmlFreeParserCtxt(context);
  }

  xmlDocPtr doc() const { return context->myDoc; }

  xmlParserCtxtPtr context = nullptr;
  int depth = 0;
  bool saw_root = false;
  const xmlChar* file_key = nullptr;
  std::vector<const xmlChar*> root_keys;
  std::vector<const xmlChar*> file_keys;
  std::vector<std::string> expanded;  // one per wanted attribute
  ScanValues values;
  std::vector<std::pair<xmlNodePtr, int>> walk;  // next sibling to visit, entity depth
  std::vector<ExpandedName<char>> names;  // of one element's attributes
};

// libxml2's SAX callbacks. The parser hands every callback the context it runs: the
// document's own, or a short-lived one that parses an entity's content the first time
// the entity is referenced. Those entity contexts build the content as a tree (in the
// default way), so that later references do not parse it again; the document's own
// context builds nothing and reports elements as they go by.
class JobFileScan::Callbacks {
 public:
  static xmlSAXHandler Handler() {
    xmlSAXHandler handler;
    std::memset(&handler, 0, sizeof handler);
    xmlSAXVersion(&handler, 2);
    handler.startElementNs = StartElement;
    handler.endElementNs = EndElement;
    handler.characters = Characters;
    handler.ignorableWhitespace = Characters;
    handler.cdataBlock = nullptr;  // CDATA sections arrive as characters
    handler.comment = nullptr;
    handler.processingInstruction = nullptr;
    handler.reference = Reference;
    // Nothing outside the file is ever read: no external DTD, no external entity.
    handler.externalSubset = nullptr;
    handler.resolveEntity = ResolveEntity;
    handler.serror = Error;
    handler.error = nullptr;
    handler.warning = nullptr;
    handler.fatalError = nullptr;
    return handler;
  }

 private:
  static JobFileScan* ScanOf(void* ctx) {
    return static_cast<JobFileScan*>(static_cast<xmlParserCtxtPtr>(ctx)->_private);
  }

  // Runs a callback's work; an exception must not unwind through the parser's C code.
  template <typename Work>
  static void Guarded(void* ctx, Work work) {
    JobFileScan* scan = ScanOf(ctx);
    try {
      work(*scan, static_cast<xmlParserCtxtPtr>(ctx) == scan->parser_->context);
    } catch (...) {
      scan->Abort(std::current_exception());
    }
  }

  // In the document's context: false, with the parser stopped, once the scan has failed.
  static bool Running(JobFileScan& scan) {
    if (!scan.failed_) return true;
    xmlStopParser(scan.parser_->context);
    return false;
  }

  // In an entity's context: false, with that context stopped, once the scan has failed.
  static bool EntityRunning(JobFileScan& scan, void* ctx) {
    if (!scan.failed_) return true;
    xmlStopParser(static_cast<xmlParserCtxtPtr>(ctx));
    return false;
  }

  static void StartElement(void* ctx, const xmlChar* localname, const xmlChar* prefix, const xmlChar* uri,
                           int nb_namespaces, const xmlChar** namespaces, int nb_attributes, int nb_defaulted,
                           const xmlChar** attributes) {
    Guarded(ctx, [&](JobFileScan& scan, bool in_document) {
      Parser& parser = *scan.parser_;
      if (!in_document) {
        scan.CheckExpandedNames(nb_attributes, attributes);
        if (EntityRunning(scan, ctx)) {
          xmlSAX2StartElementNs(ctx, localname, prefix, uri, nb_namespaces, namespaces, nb_attributes, nb_defaulted,
                                attributes);
        }
        return;
      }
      if (!Running(scan)) return;
      ++parser.depth;
      if (!scan.CheckExpandedNames(nb_attributes, attributes)) {
        // failed: Running() stops the parser
      } else if (parser.depth == 1) {
        parser.saw_root = true;
        if (scan.ReadAttributes(localname, parser.root_keys, nb_attributes, attributes)) scan.sink_->OnRoot(parser.values);
      } else if (localname == parser.file_key && !prefix) {
        // Without a document type there are no entities, and nothing to check in values.
        bool check = parser.doc() && parser.doc()->intSubset;
        if (scan.sink_->WantsFiles() || check) {
          if (scan.ReadAttributes(localname, parser.file_keys, nb_attributes, attributes) && scan.sink_->WantsFiles()) {
            scan.sink_->OnFile(parser.values);
          }
        }
      }
      Running(scan);
    });
  }

  static void EndElement(void* ctx, const xmlChar* localname, const xmlChar* prefix, const xmlChar* uri) {
    Guarded(ctx, [&](JobFileScan& scan, bool in_document) {
      if (!in_document) {
        if (EntityRunning(scan, ctx)) xmlSAX2EndElementNs(ctx, localname, prefix, uri);
      } else if (Running(scan)) {
        --scan.parser_->depth;
      }
    });
  }

  static void Characters(void* ctx, const xmlChar* text, int length) {
    Guarded(ctx, [&](JobFileScan& scan, bool in_document) {
      // The document's own text means nothing to a job.
      if (!in_document && EntityRunning(scan, ctx)) {
        xmlSAX2Characters(ctx, text, length);
      }
    });
  }

  // An entity reference in content: its elements count as if written in its place.
  static void Reference(void* ctx, const xmlChar* name) {
    Guarded(ctx, [&](JobFileScan& scan, bool in_document) {
      if (!in_document) {
        if (EntityRunning(scan, ctx)) xmlSAX2Reference(ctx, name);
        return;
      }
      if (!Running(scan)) return;
      xmlEntityPtr entity = xmlGetDocEntity(scan.parser_->doc(), name);
      if (entity && entity->etype == XML_INTERNAL_GENERAL_ENTITY) scan.WalkEntity(entity);
      Running(scan);
    });
  }

  static xmlParserInputPtr ResolveEntity(void*, const xmlChar*, const xmlChar*) { return nullptr; }

  // Only well-formedness, namespaces' included, refuses a job file, never validity: the
  // reader does not validate. Repeated attributes the scan finds itself, as on Windows.
  static bool Refuses(const xmlError& error) {
    if (error.level == XML_ERR_FATAL) return true;
    if (error.level != XML_ERR_ERROR) return false;
    switch (error.domain) {
      case XML_FROM_VALID:
      case XML_FROM_DTD:
        return false;
      case XML_FROM_PARSER:
        // An entity that the external subset or a parameter entity might have declared,
        // and a system identifier that is no URI.
        return error.code != XML_WAR_UNDECLARED_ENTITY && error.code != XML_ERR_INVALID_URI;
      case XML_FROM_NAMESPACE:
        return error.code != XML_NS_ERR_ATTRIBUTE_REDEFINED;
      default:
        return true;
    }
  }

 public:
  // Keeps the first error that refuses the file.
  static void Error(void* ctx, xmlErrorPtr error) {
    if (!ctx || !error || !Refuses(*error)) return;
    JobFileScan* scan = ScanOf(ctx);
    if (!scan || scan->failed_) return;
    scan->failed_ = true;
    scan->failure_.code = static_cast<std::uint32_t>(error->code);
    scan->failure_.line = error->line;
    scan->failure_.column = error->int2;
    xmlParserCtxtPtr context = scan->parser_->context;
    if (error->line <= 0 && context->input) {
      // An error from outside the parser, such as the encoding converter's: where the parser is.
      scan->failure_.line = context->input->line;
      scan->failure_.column = context->input->col;
    }
    scan->failure_.out_of_memory = error->code == XML_ERR_NO_MEMORY;
    try {
      scan->failure_.reason = OneLine(error->message);
    } catch (...) {
      scan->failure_.out_of_memory = true;
    }
  }
};

JobFileScan::JobFileScan(std::vector<std::string> root_names, std::vector<std::string> file_names, ScanSink* sink)
    : root_names_(std::move(root_names)), file_names_(std::move(file_names)), sink_(sink),
      parser_(std::make_unique<Parser>()) {
  parser_->expanded.resize(std::max(root_names_.size(), file_names_.size()));
}

JobFileScan::~JobFileScan() = default;

bool JobFileScan::Feed(const char* bytes, std::size_t size) {
  if (failed_) return false;
  if (!parser_->context) {
    // The first bytes tell the parser the encoding.
    std::size_t head = std::min<std::size_t>(size, 4);
    xmlSAXHandler handler = Callbacks::Handler();
    parser_->context = xmlCreatePushParserCtxt(&handler, nullptr, bytes, static_cast<int>(head), nullptr);
    if (!parser_->context) throw std::bad_alloc();
    xmlParserCtxtPtr context = parser_->context;
    context->_private = this;
    xmlCtxtUseOptions(context, XML_PARSE_NONET);
    // Entity references stay references (expanded here, within limits); no DTD is loaded.
    context->replaceEntities = 0;
    context->loadsubset = 0;
    context->validate = 0;
    InternNames();
    bytes += head;
    size -= head;
  }
  return Parse(bytes, size, false);
}

bool JobFileScan::Finish() {
  if (!failed_ && !parser_->context) Feed("", 0);
  if (failed_) return false;
  Parse(nullptr, 0, true);
  Parser& parser = *parser_;
  // The push parser calls every early end "extra content"; say what it is.
  if (!parser.saw_root && (!failed_ || failure_.code == XML_ERR_DOCUMENT_END)) {
    failed_ = false;
    Fail(XML_ERR_DOCUMENT_EMPTY, "Document is empty");
  } else if (failed_ && failure_.code == XML_ERR_DOCUMENT_END && parser.depth > 0) {
    failure_.reason = "Premature end of data";
  }
  return !failed_;
}

bool JobFileScan::Parse(const char* bytes, std::size_t size, bool terminate) {
  xmlParserCtxtPtr context = parser_->context;
  // Errors raised without the parser's context (an encoding converter's, say) come here too.
  xmlStructuredErrorFunc stray_handler = xmlStructuredError;
  void* stray_context = xmlStructuredErrorContext;
  xmlSetStructuredErrorFunc(context, Callbacks::Error);
  xmlParseChunk(context, bytes, static_cast<int>(size), terminate ? 1 : 0);
  xmlSetStructuredErrorFunc(stray_context, stray_handler);
  if (exception_) std::rethrow_exception(exception_);
  if (!failed_ && !context->wellFormed) {
    Fail(static_cast<std::uint32_t>(context->errNo != 0 ? context->errNo : XML_ERR_INTERNAL_ERROR),
         "The document is not well-formed");
  }
  return !failed_;
}

void JobFileScan::InternNames() {
  xmlDictPtr dict = parser_->context->dict;
  auto intern = [&](const std::string& name) {
    const xmlChar* key = xmlDictLookup(dict, BAD_CAST name.c_str(), -1);
    if (!key) throw std::bad_alloc();
    return key;
  };
  parser_->file_key = intern("file");
  for (const std::string& name : root_names_) parser_->root_keys.push_back(intern(name));
  for (const std::string& name : file_names_) parser_->file_keys.push_back(intern(name));
}

bool JobFileScan::CheckExpandedNames(int count, const xmlChar** attributes) {
  // Only attributes in a namespace can coincide past the parser's own check of names.
  int in_namespace = 0;
  for (int i = 0; i < count; ++i) in_namespace += attributes[i * 5 + 2] != nullptr;
  if (in_namespace < 2) return true;
  std::vector<ExpandedName<char>>& names = parser_->names;
  names.clear();
  for (int i = 0; i < count; ++i) {
    const xmlChar** attribute = attributes + i * 5;  // local name, prefix, URI, value, value end
    names.push_back({attribute[2] ? Chars(attribute[2]) : "", Chars(attribute[0])});
  }
  const ExpandedName<char>* repeated = RepeatedExpandedName(&names);
  if (repeated) {
    Fail(XML_NS_ERR_ATTRIBUTE_REDEFINED, "Namespaced Attribute " + std::string(repeated->local_name) + " in '" +
                                             std::string(repeated->namespace_name) + "' redefined");
  }
  return !repeated;
}

bool JobFileScan::ReadAttributes(const xmlChar* element, const std::vector<const xmlChar*>& keys, int count,
                                 const xmlChar** attributes) {
  Parser& parser = *parser_;
  parser.values.assign(keys.size(), std::string_view());
  for (int i = 0; i < count; ++i) {
    const xmlChar** attribute = attributes + i * 5;  // local name, prefix, URI, value, value end
    if (attribute[1]) continue;
    auto key = std::find(keys.begin(), keys.end(), attribute[0]);
    if (key == keys.end()) continue;
    std::size_t row = static_cast<std::size_t>(key - keys.begin());
    std::string_view raw(Chars(attribute[3]), static_cast<std::size_t>(attribute[4] - attribute[3]));
    if (raw.find('&') == std::string_view::npos) {
      parser.values[row] = raw;
      continue;
    }
    std::string& expanded = parser.expanded[row];
    expanded.clear();
    if (!Expanded(ExpandAttributeText(parser.doc(), raw, &expanded))) return false;
    NormalizeIfTokens(parser.doc(), element, attribute[0], &expanded);
    parser.values[row] = expanded;
  }
  return true;
}

bool JobFileScan::ReadNodeAttributes(xmlNodePtr element) {
  Parser& parser = *parser_;
  parser.values.assign(file_names_.size(), std::string_view());
  for (std::size_t row = 0; row < file_names_.size(); ++row) {
    const xmlChar* name = parser.file_keys[row];
    std::string& expanded = parser.expanded[row];
    expanded.clear();
    xmlAttrPtr attribute = element->properties;
    while (attribute && (attribute->ns || !xmlStrEqual(attribute->name, name))) attribute = attribute->next;
    Expansion expansion;
    if (attribute) {
      expansion = ExpandAttributeNodes(parser.doc(), attribute->children, &expanded);
    } else {
      // A default from the document type, as the parser supplies for the document's own elements.
      xmlAttributePtr declaration = xmlGetDtdQAttrDesc(parser.doc()->intSubset, element->name, name, nullptr);
      if (!declaration || !declaration->defaultValue) continue;
      expansion = ExpandAttributeText(parser.doc(), Chars(declaration->defaultValue), &expanded);
    }
    if (!Expanded(expansion)) return false;
    NormalizeIfTokens(parser.doc(), element->name, name, &expanded);
    parser.values[row] = expanded;
  }
  return true;
}

void JobFileScan::WalkEntity(xmlEntityPtr entity) {
  // libxml2 stops entities nested deeper than this.
  constexpr int kMaxEntityDepth = 40;
  Parser& parser = *parser_;
  parser.walk.clear();
  parser.walk.emplace_back(entity->children, 1);
  while (!parser.walk.empty() && !failed_) {
    auto [node, entity_depth] = parser.walk.back();
    if (!node) {
      parser.walk.pop_back();
      continue;
    }
    parser.walk.back().first = node->next;
    if (node->type == XML_ELEMENT_NODE) {
      if (IsFileElement(node) && ReadNodeAttributes(node) && sink_->WantsFiles()) sink_->OnFile(parser.values);
      parser.walk.emplace_back(node->children, entity_depth);
    } else if (node->type == XML_ENTITY_REF_NODE) {
      xmlEntityPtr inner = xmlGetDocEntity(parser.doc(), node->name);
      if (entity_depth >= kMaxEntityDepth) {
        Fail(XML_ERR_ENTITY_LOOP, "Detected an entity reference loop");
      } else if (inner && inner->etype == XML_INTERNAL_GENERAL_ENTITY) {
        parser.walk.emplace_back(inner->children, entity_depth + 1);
      }
    }
  }
}

bool JobFileScan::Expanded(const Expansion& expansion) {
  switch (expansion.result) {
    case ExpansionResult::kOk:
      return true;
    case ExpansionResult::kUndeclaredEntity:
      Fail(XML_ERR_UNDECLARED_ENTITY, "Entity '" + expansion.entity + "' not defined");
      break;
    case ExpansionResult::kExternalEntity:
      Fail(XML_ERR_ENTITY_IS_EXTERNAL, "Attribute references external entity '" + expansion.entity + "'");
      break;
    case ExpansionResult::kBadReference:
      Fail(XML_ERR_INVALID_CHARREF, "Invalid character or entity reference in an attribute value");
      break;
    case ExpansionResult::kTooDeep:
      Fail(XML_ERR_ENTITY_LOOP, "Detected an entity reference loop");
      break;
  }
  return false;
}

void JobFileScan::Fail(std::uint32_t code, std::string reason) {
  if (failed_) return;
  failed_ = true;
  failure_.code = code;
  failure_.reason = std::move(reason);
  xmlParserCtxtPtr context = parser_->context;
  if (context && context->input) {
    failure_.line = context->input->line;
    failure_.column = context->input->col;
  }
}

void JobFileScan::Abort(std::exception_ptr exception) {
  failed_ = true;
  if (!exception_) exception_ = std::move(exception);
}

}  // namespace velkor
