#include "reader/msxml/com_failure.h"

#include <cstdio>

#include "reader/job_file_failure.h"
#include "reader/msxml/com_handles.h"
#include "platform/win32/win32_text.h"

namespace velkor::msxml {
namespace {

constexpr unsigned long kDispatchErrorBase = 0x80040200u;
constexpr unsigned long kDispatchErrorLast = 0x8004FFFFu;

std::u16string ErrorDescription(IUnknown* object, REFIID interface_id) {
  ComPtr<ISupportErrorInfo> support;
  if (!object || FAILED(object->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(support.Out()))) ||
      support->InterfaceSupportsErrorInfo(interface_id) != S_OK) {
    return u"";
  }
  ComPtr<IErrorInfo> info;
  Bstr description;
  if (GetErrorInfo(0, info.Out()) != S_OK || !info || FAILED(info->GetDescription(description.Out()))) return u"";
  return description.Text();
}

}  // namespace

std::u16string FailureText(HRESULT result) {
  const unsigned long code = static_cast<unsigned long>(result);
  std::u16string text = win32::SystemText(code);
  if (text.size() > 1 && text.back() == u'\n') {
    text.pop_back();
    if (!text.empty() && text.back() == u'\r') text.pop_back();
  }
  if (!text.empty()) return text;
  char fallback[32];
  if (code > kDispatchErrorBase && code <= kDispatchErrorLast) {
    std::snprintf(fallback, sizeof fallback, "IDispatch error #%d", static_cast<int>(code - kDispatchErrorBase));
  } else {
    std::snprintf(fallback, sizeof fallback, "Unknown error 0x%0lX", code);
  }
  return std::u16string(fallback, fallback + std::char_traits<char>::length(fallback));
}

void Check(HRESULT result, IUnknown* object, REFIID interface_id) {
  if (FAILED(result)) throw JobFileFailure(ErrorDescription(object, interface_id), FailureText(result));
}

void CheckPresent(const void* object) {
  if (!object) throw JobFileFailure(u"", FailureText(E_POINTER));
}

}  // namespace velkor::msxml
