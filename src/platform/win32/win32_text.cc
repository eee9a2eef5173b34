// Texts from the system: code-page conversion, the string tables, error texts.
#include "platform/win32/win32_text.h"

#include "platform/win32/windows_api.h"

#include "platform/win32/win32_platform.h"

namespace velkor {
namespace win32 {

void ToAnsiCodePage(std::u16string_view text, std::string* bytes) {
  text = text.substr(0, text.find(u'\0'));
  bytes->clear();
  if (text.empty()) return;
  const int units = static_cast<int>(text.size());
  const int size = WideCharToMultiByte(CP_ACP, 0, Wide(text), units, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return;
  bytes->resize(static_cast<std::size_t>(size));
  WideCharToMultiByte(CP_ACP, 0, Wide(text), units, bytes->data(), size, nullptr, nullptr);
}

std::u16string SystemText(unsigned long code) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
      MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::u16string text = buffer ? FromWide(buffer, length) : std::u16string();
  LocalFree(buffer);
  while (!text.empty() && (text.back() == u'\n' || text.back() == u'\r')) text.pop_back();
  return text;
}

}  // namespace win32

bool Win32Platform::PathFromText(std::u16string_view text, NativePath* path) {
  if (text.find(u'\0') != std::u16string_view::npos) return false;
  path->assign(win32::Wide(text), text.size());
  return true;
}

std::u16string Win32Platform::PathForDisplay(const NativePath& path) {
  return win32::FromWide(path.data(), path.size());
}

void Win32Platform::ToAnsi(std::u16string_view text, std::string* out) { win32::ToAnsiCodePage(text, out); }

// The system picks the language from the user's settings. With a length of 0, LoadStringW
// hands out the resource's own read-only text, which is not NUL-terminated and lives as
// long as the program.
std::u16string_view Win32Platform::LoadText(int id) {
  const wchar_t* text = nullptr;
  const int length = LoadStringW(GetModuleHandleW(nullptr), static_cast<UINT>(id), reinterpret_cast<wchar_t*>(&text), 0);
  if (length <= 0 || !text) return {};
  return std::u16string_view(reinterpret_cast<const char16_t*>(text), static_cast<std::size_t>(length));
}

std::u16string Win32Platform::ErrorText(SystemError error) { return win32::SystemText(static_cast<unsigned long>(error)); }

}  // namespace velkor
