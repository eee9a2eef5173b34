#include "platform/win32/win32_long_path.h"

#include "platform/win32/windows_api.h"

namespace velkor::win32 {
namespace {

bool StartsWith(const std::wstring& path, const wchar_t* prefix) { return path.rfind(prefix, 0) == 0; }

// `\\?\` takes a path verbatim; `\\.\` names a device, which the verbatim form cannot.
bool IsVerbatimOrDevice(const std::wstring& path) { return StartsWith(path, L"\\\\?\\") || StartsWith(path, L"\\\\.\\"); }

}  // namespace

std::wstring FullPath(const std::wstring& path) {
  if (path.empty() || StartsWith(path, L"\\\\?\\")) return path;
  std::wstring full(MAX_PATH, L'\0');
  for (;;) {
    // The length written, or when the buffer is short the size it needs, its NUL included.
    const DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0) return path;
    const bool fitted = length < full.size();
    full.resize(length);
    if (fitted) return full;
  }
}

std::wstring SystemPath(const std::wstring& path) {
  std::wstring full = FullPath(path);
  // A reserved device name (COM1, aux.xml) comes back as \\.\COM1, which some calls refuse
  // outright: it goes to the system as spelled, so it is found and then refused as no disk file.
  if (StartsWith(full, L"\\\\.\\") && !StartsWith(path, L"\\\\.\\")) return path;
  if (full.size() < MAX_PATH || IsVerbatimOrDevice(full)) return full;
  if (StartsWith(full, L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  const bool drive_absolute = full.size() > 2 && full[1] == L':' && full[2] == L'\\';
  return drive_absolute ? L"\\\\?\\" + full : full;
}

}  // namespace velkor::win32
