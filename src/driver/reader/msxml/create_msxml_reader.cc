// The MSXML reader for the run: COM for the thread, one DOM document that never fetches
// anything from outside a job file.
#include "driver/reader/msxml/msxml_job_file_reader.h"

namespace velkor {
namespace msxml {
namespace {

// IXMLDOMDocument2, as far as its setProperty; msxml.h does not declare it.
const IID kDocument2Id = {0x2933BF95, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
struct Document2 : IXMLDOMDocument {
  virtual HRESULT STDMETHODCALLTYPE get_namespaces(IUnknown** collection) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_schemas(VARIANT* schemas) = 0;
  virtual HRESULT STDMETHODCALLTYPE putref_schemas(VARIANT schemas) = 0;
  virtual HRESULT STDMETHODCALLTYPE validate(IXMLDOMParseError** error) = 0;
  virtual HRESULT STDMETHODCALLTYPE setProperty(BSTR name, VARIANT value) = 0;
};

// A document type declaration ends the parse, so no entity is ever expanded; parsers
// without that switch still resolve nothing from outside.
void ProhibitDtd(IXMLDOMDocument* document) {
  ComPtr<Document2> document2;
  if (FAILED(document->QueryInterface(kDocument2Id, reinterpret_cast<void**>(document2.Out())))) return;
  Bstr name(u"ProhibitDTD");
  Variant on;
  on.get()->vt = VT_BOOL;
  on.get()->boolVal = VARIANT_TRUE;
  if (name.get()) document2->setProperty(name.get(), *on.get());
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

std::unique_ptr<JobFileReader> CreateJobFileReader(Platform&, ReaderFailure* failure) {
  auto reader = std::make_unique<msxml::MsxmlJobFileReader>();
  *failure = reader->Start();
  if (*failure != ReaderFailure::None) return nullptr;
  return reader;
}

}  // namespace velkor
