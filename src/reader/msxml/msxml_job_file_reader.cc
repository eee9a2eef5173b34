#include "reader/msxml/msxml_job_file_reader.h"

#include <utility>

#include "reader/markup_guard.h"
#include "reader/msxml/com_failure.h"
#include "reader/msxml/source_stream.h"

namespace velkor::msxml {
namespace {

// The text of an attribute named `name`, empty when the element has none.
std::u16string AttributeText(IXMLDOMNamedNodeMap* attributes, std::u16string_view name) {
  Bstr bstr(name);
  if (!bstr.get()) Check(E_OUTOFMEMORY, nullptr, IID_NULL);
  ComPtr<IXMLDOMNode> item;
  Check(attributes->getNamedItem(bstr.get(), item.Out()), attributes, IID_IXMLDOMNamedNodeMap);
  if (!item) return u"";
  Variant value;
  Check(item->get_nodeValue(value.get()), item.get(), IID_IXMLDOMNode);
  return value.Text();
}

// Every field of `record` emptied, then filled from the attributes of `node`.
template <typename Record, typename Bindings>
void ReadFields(IXMLDOMNode* node, REFIID node_interface, const Bindings& bindings, Record* record) {
  ComPtr<IXMLDOMNamedNodeMap> attributes;
  Check(node->get_attributes(attributes.Out()), node, node_interface);
  CheckPresent(attributes.get());
  for (const auto& binding : bindings) {
    (record->*binding.field).clear();
    record->*binding.field = AttributeText(attributes.get(), binding.attribute);
  }
}

}  // namespace

MsxmlJobFileReader::~MsxmlJobFileReader() {
  ReleaseJobFile();
  document_.Reset();
  if (com_started_) CoUninitialize();
}

void MsxmlJobFileReader::ReleaseJobFile() {
  plain_.reset();
  entries_.Reset();
  root_.Reset();
}

bool MsxmlJobFileReader::LoadJobFile(const NativePath& path, ParseError* error) {
  ReleaseJobFile();
  SourceError source_error;
  std::unique_ptr<JobFileSource> source = OpenJobFileSource(platform_, path, &source_error);
  if (!source) {
    *error = ParseError{source_error.code, 0, 0, std::move(source_error.reason)};
    return false;
  }
  return Load(std::move(source), error);
}

// A plain file is read by the plain reading alone. Any other reaches MSXML only once the
// guard has passed it, which MSXML then reads from the same open file (no one can write
// it meanwhile), and which is closed once the document is loaded.
bool MsxmlJobFileReader::Load(std::unique_ptr<JobFileSource> source, ParseError* error) {
  auto reading = std::make_unique<JobFileReading>(platform_, kept_bytes_, nullptr);
  switch (reading->Check(std::move(source), error)) {
    case JobFileReading::Checked::kWellFormed:
      plain_ = std::move(reading);
      return true;
    case JobFileReading::Checked::kFailed:
      return false;
    case JobFileReading::Checked::kNotPlain:
      break;
  }
  return GuardJobFile(reading->source(), error) && LoadDocument(reading->source(), error);
}

bool MsxmlJobFileReader::LoadDocument(JobFileSource* source, ParseError* error) {
  SourceError source_error;
  if (!source->Rewind(&source_error)) {
    *error = ParseError{source_error.code, 0, 0, std::move(source_error.reason)};
    return false;
  }
  auto* stream = new SourceStream(source);
  Variant argument;
  argument.get()->vt = VT_UNKNOWN;
  argument.get()->punkVal = static_cast<IStream*>(stream);  // the variant's reference, released with it
  VARIANT_BOOL loaded = VARIANT_FALSE;
  const HRESULT result = document_->load(*argument.get(), &loaded);
  stream->Detach();
  if (stream->failed()) {
    *error = ParseError{stream->failure().code, 0, 0, stream->failure().reason};
    return false;
  }
  if (SUCCEEDED(result) && loaded == VARIANT_TRUE) return true;
  // A document that did not load is a parse error, also when the load itself failed, as
  // it does for a stream under some MSXML versions.

  ComPtr<IXMLDOMParseError> details;
  Check(document_->get_parseError(details.Out()), document_.get(), IID_IXMLDOMDocument);
  CheckPresent(details.get());
  long code = 0, line = 0, position = 0;
  Bstr reason;
  Check(details->get_errorCode(&code), details.get(), IID_IXMLDOMParseError);
  Check(details->get_line(&line), details.get(), IID_IXMLDOMParseError);
  Check(details->get_linepos(&position), details.get(), IID_IXMLDOMParseError);
  Check(details->get_reason(reason.Out()), details.get(), IID_IXMLDOMParseError);
  error->code = static_cast<std::uint32_t>(code);
  error->line = static_cast<std::int32_t>(line);
  error->position = static_cast<std::int32_t>(position);
  error->reason = reason.Text();
  while (!error->reason.empty() && (error->reason.back() == u'\n' || error->reason.back() == u'\r')) {
    error->reason.pop_back();
  }
  if (error->code == 0) error->code = static_cast<std::uint32_t>(FAILED(result) ? result : E_FAIL);
  if (error->reason.empty()) error->reason = FailureText(static_cast<HRESULT>(error->code));
  return false;
}

void MsxmlJobFileReader::ReadAlbumDefaults(AlbumDefaults* defaults) {
  if (plain_) return plain_->ReadAlbumDefaults(defaults);
  Check(document_->get_documentElement(root_.Out()), document_.get(), IID_IXMLDOMDocument);
  CheckPresent(root_.get());
  ReadFields(root_.get(), IID_IXMLDOMElement, kAlbumBindings, defaults);
}

void MsxmlJobFileReader::OpenEntries() {
  if (plain_) return plain_->OpenEntries();
  CheckPresent(root_.get());
  Bstr name(u"file");
  if (!name.get()) Check(E_OUTOFMEMORY, nullptr, IID_NULL);
  Check(root_->getElementsByTagName(name.get(), entries_.Out()), root_.get(), IID_IXMLDOMElement);
  CheckPresent(entries_.get());
}

bool MsxmlJobFileReader::NextEntry(TrackEntry* entry) {
  if (plain_) return plain_->NextEntry(entry);
  ComPtr<IXMLDOMNode> node;
  Check(entries_->nextNode(node.Out()), entries_.get(), IID_IXMLDOMNodeList);
  if (!node) return false;
  ReadFields(node.get(), IID_IXMLDOMNode, kEntryBindings, entry);
  return true;
}

}  // namespace velkor::msxml
