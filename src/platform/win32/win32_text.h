// UTF-16 as Win32 takes it: char16_t and wchar_t are the same units there.
#ifndef VELKOR_PLATFORM_WIN32_WIN32_TEXT_H_
#define VELKOR_PLATFORM_WIN32_WIN32_TEXT_H_

#include <string>
#include <string_view>

namespace velkor::win32 {

inline const wchar_t* Wide(std::u16string_view text) { return reinterpret_cast<const wchar_t*>(text.data()); }
inline std::u16string FromWide(const wchar_t* text, std::size_t length) {
  return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}

// The text up to its first NUL in the ANSI code page, in place of what `bytes` held (its
// storage is reused); the system's best-fit or default character stands for what the code
// page lacks.
void ToAnsiCodePage(std::u16string_view text, std::string* bytes);

// The system's text for an error or HRESULT code, without the line end the system puts
// at its end; empty when it has none.
std::u16string SystemText(unsigned long code);

}  // namespace velkor::win32

#endif  // VELKOR_PLATFORM_WIN32_WIN32_TEXT_H_
