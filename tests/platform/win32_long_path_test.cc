// Paths for the Win32 file calls: absolute by the system's rules, and verbatim (\\?\) from
// MAX_PATH characters on, so that the old limit never applies. Cross-built, run under Wine.
#include <gtest/gtest.h>

#include <string>

#include "platform/win32/win32_long_path.h"
#include "platform/win32/windows_api.h"

namespace velkor::win32 {
namespace {

// "C:" then folders of nine x, up to `length` characters in all; it never ends in "\".
std::wstring DrivePath(std::size_t length) {
  std::wstring path = L"C:";
  while (path.size() < length) path += path.size() % 10 == 2 ? L'\\' : L'x';
  return path;
}

std::wstring Slashed(std::wstring path) {
  for (wchar_t& c : path) c = c == L'\\' ? L'/' : c;
  return path;
}

TEST(LongPath, AbsoluteAlwaysAndVerbatimFromMaxPathOn) {
  wchar_t saved[4096];
  ASSERT_GT(GetCurrentDirectoryW(4096, saved), 0u);
  ASSERT_TRUE(SetCurrentDirectoryW(L"C:\\"));
  const std::wstring unc_tail = DrivePath(300).substr(2);
  const struct {
    const char* what;
    std::wstring path, wanted;
  } rows[] = {
      {"relative", L"a.mp3", L"C:\\a.mp3"},
      {". and ..", L".\\sub\\..\\a.mp3", L"C:\\a.mp3"},
      {"forward slashes", L"sub/x/../a.mp3", L"C:\\sub\\a.mp3"},
      {"drive-relative", L"C:name.mp3", L"C:\\name.mp3"},
      {"UNC", L"\\\\server\\share\\a.mp3", L"\\\\server\\share\\a.mp3"},
      {"259 characters", DrivePath(259), DrivePath(259)},
      {"260 characters", DrivePath(260), L"\\\\?\\" + DrivePath(260)},
      {"261 characters", DrivePath(261), L"\\\\?\\" + DrivePath(261)},
      {"1,000 characters, relative, forward slashes", Slashed(DrivePath(1003).substr(3)), L"\\\\?\\" + DrivePath(1003)},
      {"long UNC", L"\\\\server\\share" + unc_tail, L"\\\\?\\UNC\\server\\share" + unc_tail},
      {"device name", L"aux.xml", L"aux.xml"},
      {"verbatim already", L"\\\\?\\C:\\a/../b", L"\\\\?\\C:\\a/../b"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(SystemPath(row.path), row.wanted);
  }
  SetCurrentDirectoryW(saved);
}

}  // namespace
}  // namespace velkor::win32
