// What the SAX reader reports, turned into what a scan hands over: the root element's
// wanted attributes, those of every element below it named "file" as written, and the
// first failure. Nothing thrown here crosses into the reader: an exception is kept and
// the parse aborted.
#ifndef VELKOR_READER_MSXML_SAX_HANDLER_H_
#define VELKOR_READER_MSXML_SAX_HANDLER_H_

#include <exception>
#include <string>
#include <vector>

#include "reader/expanded_attribute_names.h"
#include "reader/job_file_reader.h"
#include "reader/msxml/sax_api.h"
#include "reader/scan_sink.h"

namespace velkor::msxml {

// Reference-counted like any COM object; it starts with one reference, its creator's.
// The reader may hold it past the scan: Detach() ends its use of the sink.
class SaxHandler final : public ISAXContentHandler, public ISAXErrorHandler {
 public:
  explicit SaxHandler(ScanSink* sink);
  SaxHandler(const SaxHandler&) = delete;
  SaxHandler& operator=(const SaxHandler&) = delete;

  // From now on every call aborts the parse and nothing more is recorded.
  void Detach() { sink_ = nullptr; }
  bool failed() const { return failed_; }
  const ParseError& failure() const { return failure_; }
  // The exception a call caught, to be thrown on the caller's side; null when none.
  std::exception_ptr exception() const { return exception_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID interface_id, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE putDocumentLocator(ISAXLocator* locator) override;
  HRESULT STDMETHODCALLTYPE startDocument() override { return Going(); }
  HRESULT STDMETHODCALLTYPE endDocument() override { return Going(); }
  HRESULT STDMETHODCALLTYPE startPrefixMapping(const wchar_t*, int, const wchar_t*, int) override { return Going(); }
  HRESULT STDMETHODCALLTYPE endPrefixMapping(const wchar_t*, int) override { return Going(); }
  HRESULT STDMETHODCALLTYPE startElement(const wchar_t* uri, int uri_length, const wchar_t* local_name,
                                         int local_length, const wchar_t* name, int name_length,
                                         ISAXAttributes* attributes) override;
  HRESULT STDMETHODCALLTYPE endElement(const wchar_t*, int, const wchar_t*, int, const wchar_t*, int) override;
  HRESULT STDMETHODCALLTYPE characters(const wchar_t*, int) override { return Going(); }
  HRESULT STDMETHODCALLTYPE ignorableWhitespace(const wchar_t*, int) override { return Going(); }
  HRESULT STDMETHODCALLTYPE processingInstruction(const wchar_t*, int, const wchar_t*, int) override { return Going(); }
  HRESULT STDMETHODCALLTYPE skippedEntity(const wchar_t*, int) override { return Going(); }

  HRESULT STDMETHODCALLTYPE error(ISAXLocator* locator, const wchar_t* message, HRESULT code) override;
  HRESULT STDMETHODCALLTYPE fatalError(ISAXLocator* locator, const wchar_t* message, HRESULT code) override;
  HRESULT STDMETHODCALLTYPE ignorableWarning(ISAXLocator*, const wchar_t*, HRESULT) override { return S_OK; }

 private:
  ~SaxHandler() = default;

  HRESULT Going() const { return sink_ && !failed_ ? S_OK : E_FAIL; }
  // Records the first failure, where `locator` says the parse is; always E_FAIL.
  HRESULT Fail(ISAXLocator* locator, std::uint32_t code, std::u16string reason);
  // False, failed, when two of the attributes have one namespace and local name.
  bool CheckExpandedNames(ISAXAttributes* attributes, int count);
  // The values of the wanted attributes named in `names`, into values_.
  void ReadValues(ISAXAttributes* attributes, const std::vector<std::u16string>& names);

  LONG references_ = 1;
  ScanSink* sink_;
  ISAXLocator* locator_ = nullptr;  // valid while the parse runs
  std::size_t depth_ = 0;
  std::vector<std::u16string> root_names_;
  std::vector<std::u16string> file_names_;
  std::vector<std::string> texts_;  // UTF-8 values, storage kept from element to element
  ScanValues values_;
  std::vector<ExpandedName<char16_t>> names_;  // of one element's attributes
  bool failed_ = false;
  ParseError failure_;
  std::exception_ptr exception_;
};

}  // namespace velkor::msxml

#endif  // VELKOR_READER_MSXML_SAX_HANDLER_H_
