#include "reader/msxml/sax_handler.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "reader/expanded_attribute_names.h"
#include "text/utf.h"

namespace velkor::msxml {
namespace {

template <typename Record, std::size_t N>
std::vector<std::u16string> Names(const std::array<FieldBinding<Record>, N>& bindings) {
  std::vector<std::u16string> names;
  for (const FieldBinding<Record>& binding : bindings) names.emplace_back(binding.attribute);
  return names;
}

std::u16string_view Text(const wchar_t* text, int length) {
  return text && length > 0 ? std::u16string_view(reinterpret_cast<const char16_t*>(text), static_cast<std::size_t>(length))
                            : std::u16string_view();
}

constexpr std::uint32_t kAttributeRedefined = 203;  // libxml2's number for the same fault

// The reader's messages end in a line end; one inside would break the report's line.
std::u16string OneLine(std::u16string_view message) {
  std::u16string text(message);
  while (!text.empty() && (text.back() == u'\n' || text.back() == u'\r')) text.pop_back();
  std::replace(text.begin(), text.end(), u'\r', u' ');
  std::replace(text.begin(), text.end(), u'\n', u' ');
  return text;
}

}  // namespace

SaxHandler::SaxHandler(ScanSink* sink)
    : sink_(sink), root_names_(Names(kAlbumBindings)), file_names_(Names(kEntryBindings)) {}

HRESULT SaxHandler::QueryInterface(REFIID interface_id, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (IsEqualIID(interface_id, IID_IUnknown) || IsEqualIID(interface_id, kContentHandlerInterface)) {
    *object = static_cast<ISAXContentHandler*>(this);
  } else if (IsEqualIID(interface_id, kErrorHandlerInterface)) {
    *object = static_cast<ISAXErrorHandler*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG SaxHandler::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

ULONG SaxHandler::Release() {
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT SaxHandler::putDocumentLocator(ISAXLocator* locator) {
  locator_ = locator;
  return Going();
}

HRESULT SaxHandler::startElement(const wchar_t*, int, const wchar_t*, int, const wchar_t* name, int name_length,
                                 ISAXAttributes* attributes) {
  if (Going() != S_OK) return E_FAIL;
  try {
    // Depth and attribute counts are the markup guard's, which judged these bytes first.
    ++depth_;
    int count = 0;
    if (attributes && FAILED(attributes->getLength(&count))) count = 0;
    if (!CheckExpandedNames(attributes, count)) return E_FAIL;
    if (depth_ == 1) {
      ReadValues(attributes, root_names_);
      sink_->OnRoot(values_);
    } else if (Text(name, name_length) == u"file" && sink_->WantsFiles()) {
      ReadValues(attributes, file_names_);
      sink_->OnFile(values_);
    }
    return S_OK;
  } catch (...) {
    exception_ = std::current_exception();
    failed_ = true;
    return E_FAIL;
  }
}

bool SaxHandler::CheckExpandedNames(ISAXAttributes* attributes, int count) {
  names_.clear();
  int in_namespace = 0;
  for (int index = 0; index < count; ++index) {
    const wchar_t *uri = nullptr, *local_name = nullptr;
    int uri_length = 0, local_length = 0;
    if (FAILED(attributes->getURI(index, &uri, &uri_length)) ||
        FAILED(attributes->getLocalName(index, &local_name, &local_length))) {
      continue;
    }
    in_namespace += uri_length > 0;
    names_.push_back({Text(uri, uri_length), Text(local_name, local_length)});
  }
  // Only attributes in a namespace can coincide past the parser's own check of names.
  const ExpandedName<char16_t>* repeated = in_namespace < 2 ? nullptr : RepeatedExpandedName(&names_);
  if (repeated) {
    Fail(locator_, kAttributeRedefined, u"Namespaced Attribute " + std::u16string(repeated->local_name) + u" in '" +
                                            std::u16string(repeated->namespace_name) + u"' redefined");
  }
  return !repeated;
}

HRESULT SaxHandler::endElement(const wchar_t*, int, const wchar_t*, int, const wchar_t*, int) {
  if (depth_ > 0) --depth_;
  return Going();
}

// Attributes match by their names as written. Values are valid only during the call, so
// each is copied out as UTF-8 into storage that the next element reuses.
void SaxHandler::ReadValues(ISAXAttributes* attributes, const std::vector<std::u16string>& names) {
  texts_.resize(names.size());
  values_.assign(names.size(), std::string_view());
  int count = 0;
  if (!attributes || FAILED(attributes->getLength(&count))) return;
  for (int index = 0; index < count; ++index) {
    const wchar_t* name = nullptr;
    int name_length = 0;
    if (FAILED(attributes->getQName(index, &name, &name_length))) continue;
    const std::u16string_view written = Text(name, name_length);
    const auto row = std::find(names.begin(), names.end(), written);
    if (row == names.end()) continue;
    const wchar_t* value = nullptr;
    int value_length = 0;
    if (FAILED(attributes->getValue(index, &value, &value_length))) continue;
    std::string& text = texts_[static_cast<std::size_t>(row - names.begin())];
    text.clear();
    AppendUtf8Of(Text(value, value_length), &text);
    values_[static_cast<std::size_t>(row - names.begin())] = text;
  }
}

// A recoverable error is a validity problem, which is no concern of a reader that does not
// validate; only a fatal one, well-formedness, refuses a job file.
HRESULT SaxHandler::error(ISAXLocator*, const wchar_t*, HRESULT) { return S_OK; }

HRESULT SaxHandler::fatalError(ISAXLocator* locator, const wchar_t* message, HRESULT code) {
  return Fail(locator, static_cast<std::uint32_t>(code), OneLine(message ? Text(message, static_cast<int>(wcslen(message))) : u""));
}

HRESULT SaxHandler::Fail(ISAXLocator* locator, std::uint32_t code, std::u16string reason) {
  if (failed_ || !sink_) return E_FAIL;
  failed_ = true;
  int line = 0, column = 0;
  if (locator) {
    locator->getLineNumber(&line);
    locator->getColumnNumber(&column);
  }
  failure_ = ParseError{code, line, column, std::move(reason)};
  return E_FAIL;
}

}  // namespace velkor::msxml
