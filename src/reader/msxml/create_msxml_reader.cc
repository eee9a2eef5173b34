// The MSXML reader for the run: COM for the thread, one DOM document that never fetches
// anything from outside a job file.
#include "reader/msxml/msxml_job_file_reader.h"

namespace velkor {
namespace msxml {
namespace {

// A document type declaration ends the parse, so no entity is ever expanded; parsers
// without that switch still resolve nothing from outside. The switch is a property of
// IXMLDOMDocument2, which msxml.h does not declare: it is set through the document's
// automation interface.
void ProhibitDtd(IXMLDOMDocument* document) {
  wchar_t method[] = L"setProperty";
  wchar_t* names[] = {method};
  DISPID id = 0;
  if (FAILED(document->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return;
  Variant arguments[2];  // in reverse order: the value, then the name
  arguments[0].get()->vt = VT_BOOL;
  arguments[0].get()->boolVal = VARIANT_TRUE;
  arguments[1].get()->vt = VT_BSTR;
  arguments[1].get()->bstrVal = SysAllocString(L"ProhibitDTD");
  if (!arguments[1].get()->bstrVal) return;
  VARIANT values[2] = {*arguments[0].get(), *arguments[1].get()};
  DISPPARAMS parameters = {values, nullptr, 2, 0};
  document->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, nullptr, nullptr, nullptr);
}

}  // namespace

ReaderFailure MsxmlJobFileReader::Start() {
  com_started_ = SUCCEEDED(CoInitialize(nullptr));
  if (!com_started_) return ReaderFailure::XmlLibraryFailed;
  if (FAILED(CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                              IID_IXMLDOMDocument, reinterpret_cast<void**>(document_.Out()))) ||
      !document_) {
    return ReaderFailure::ReaderNotCreated;
  }
  ProhibitDtd(document_.get());
  const bool configured = SUCCEEDED(document_->put_async(VARIANT_FALSE)) &&
                          SUCCEEDED(document_->put_resolveExternals(VARIANT_FALSE)) &&
                          SUCCEEDED(document_->put_validateOnParse(VARIANT_FALSE));
  return configured ? ReaderFailure::None : ReaderFailure::ReaderNotCreated;
}

}  // namespace msxml

std::unique_ptr<JobFileReader> CreateJobFileReader(Platform& platform, ReaderFailure* failure) {
  auto reader = std::make_unique<msxml::MsxmlJobFileReader>(platform);
  *failure = reader->Start();
  if (*failure != ReaderFailure::None) return nullptr;
  return reader;
}

}  // namespace velkor
