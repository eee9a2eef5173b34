#include "platform/win32/win32_partial_file.h"

#include <random>

#include "platform/win32/win32_long_path.h"
#include "platform/win32/win32_stop.h"

namespace velkor::win32 {
namespace {

constexpr int kAttempts = 100;
// Windows volumes ignore letter case, so the random letters keep to one case.
constexpr wchar_t kNameCharacters[] = L"abcdefghijklmnopqrstuvwxyz0123456789";

std::minstd_rand SeededGenerator() {
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return std::minstd_rand(static_cast<unsigned>(counter.QuadPart) ^ (GetCurrentProcessId() << 16));
}

std::wstring RandomName(std::minstd_rand& generator) {
  std::wstring name = L".velkor-move-XXXXXX.partial";
  std::uniform_int_distribution<int> pick(0, static_cast<int>(std::size(kNameCharacters)) - 2);
  for (size_t at = name.find(L'X'); at < name.size() && name[at] == L'X'; ++at) name[at] = kNameCharacters[pick(generator)];
  return name;
}

}  // namespace

PartialFile::PartialFile(const std::wstring& folder) {
  std::minstd_rand generator = SeededGenerator();
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const std::wstring path = SystemPath(folder + RandomName(generator));
    StopHandlerHeld held;
    // Shared for deleting only, so that the handler can remove it while it is open.
    handle_ = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle_ != INVALID_HANDLE_VALUE) {
      path_ = path;
      error_ = 0;
      WatchPartialFile(path_);
      return;
    }
    error_ = static_cast<SystemError>(GetLastError());
    if (error_ != ERROR_FILE_EXISTS && error_ != ERROR_ALREADY_EXISTS) return;
  }
}

PartialFile::~PartialFile() {
  if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  if (path_.empty() || renamed_) return;
  StopHandlerHeld held;
  RemoveFile(path_);
  WatchPartialFile(L"");
}

SystemError PartialFile::Close() {
  const bool closed = CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
  return closed ? 0 : static_cast<SystemError>(GetLastError());
}

SystemError PartialFile::RenameTo(const std::wstring& target) {
  StopHandlerHeld held;
  if (!MoveFileExW(path_.c_str(), target.c_str(), 0)) return static_cast<SystemError>(GetLastError());
  renamed_ = true;
  WatchPartialFile(L"");
  return 0;
}

bool RemoveFile(const std::wstring& path) {
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  return DeleteFileW(path.c_str());
}

}  // namespace velkor::win32
