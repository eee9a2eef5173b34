#include "reader/msxml/com_failure.h"

#include <cstdio>

#include "platform/win32/win32_text.h"

namespace velkor::msxml {
namespace {

constexpr unsigned long kDispatchErrorBase = 0x80040200u;
constexpr unsigned long kDispatchErrorLast = 0x8004FFFFu;

}  // namespace

std::u16string FailureText(HRESULT result) {
  const unsigned long code = static_cast<unsigned long>(result);
  std::u16string text = win32::SystemText(code);
  if (!text.empty()) return text;
  char fallback[32];
  if (code > kDispatchErrorBase && code <= kDispatchErrorLast) {
    std::snprintf(fallback, sizeof fallback, "IDispatch error #%d", static_cast<int>(code - kDispatchErrorBase));
  } else {
    std::snprintf(fallback, sizeof fallback, "Unknown error 0x%0lX", code);
  }
  return std::u16string(fallback, fallback + std::char_traits<char>::length(fallback));
}

}  // namespace velkor::msxml
