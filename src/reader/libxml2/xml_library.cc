// Process-wide settings of libxml2 for the whole run.
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlerror.h>

#include "reader/libxml2/libxml2_job_file_reader.h"

namespace velkor {
namespace {

// A job file never pulls in anything from outside itself: no external DTD, no external
// entity, no network; this refuses every such load whatever the parser's options.
xmlParserInputPtr RefuseExternalEntity(const char*, const char*, xmlParserCtxtPtr) { return nullptr; }

// libxml2 prints its errors on standard error unless given somewhere else to put them.
// The parser's errors reach the job file reader through its context; the rest (for
// instance an encoding converter's complaint) repeat what the parser reports.
void DiscardError(void*, const char*, ...) {}
void DiscardStructuredError(void*, xmlErrorPtr) {}

}  // namespace

bool InitXmlLibrary() {
  xmlInitParser();
  xmlSetExternalEntityLoader(RefuseExternalEntity);
  xmlSetGenericErrorFunc(nullptr, DiscardError);
  xmlSetStructuredErrorFunc(nullptr, DiscardStructuredError);
  return true;
}

void ShutdownXmlLibrary() { xmlCleanupParser(); }

}  // namespace velkor
