// Moving a file to another volume by a flushed copy that takes the target's name only when
// it is complete.
#include <vector>

#include "platform/win32/win32_move.h"
#include "platform/win32/win32_partial_file.h"
#include "platform/win32/win32_stop.h"

namespace velkor::win32 {
namespace {

// Few calls for a large file, and a stop request waits for one chunk at most.
constexpr DWORD kChunkBytes = 1 << 20;
// What a copy keeps of its source's attributes; the others tell how a volume stores it.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

SystemError LastError() { return static_cast<SystemError>(GetLastError()); }

class OwnedHandle {
 public:
  explicit OwnedHandle(HANDLE handle) : handle_(handle) {}
  ~OwnedHandle() { Close(); }
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;
  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  void Close() {
    if (valid()) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE handle_;
};

// Stops between chunks when the run is asked to stop.
SystemError CopyContent(HANDLE in, HANDLE out) {
  std::vector<char> buffer(kChunkBytes);
  for (;;) {
    if (StopRequested()) return ERROR_OPERATION_ABORTED;
    DWORD got = 0, put = 0;
    if (!ReadFile(in, buffer.data(), kChunkBytes, &got, nullptr)) return LastError();
    if (got == 0) return 0;
    if (!WriteFile(out, buffer.data(), got, &put, nullptr)) return LastError();
    if (put != got) return ERROR_WRITE_FAULT;  // a disk file takes all of a write or fails
  }
}

SystemError KeepTimesAndAttributes(HANDLE copy, const BY_HANDLE_FILE_INFORMATION& source) {
  if (!SetFileTime(copy, &source.ftCreationTime, &source.ftLastAccessTime, &source.ftLastWriteTime)) return LastError();
  FILE_BASIC_INFO basic{};  // times of 0 stay as they are
  basic.FileAttributes = source.dwFileAttributes & kKeptAttributes;
  if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
  return SetFileInformationByHandle(copy, FileBasicInfo, &basic, sizeof basic) ? 0 : LastError();
}

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\') + 1); }

// A read-only file can be renamed within its volume, so it leaves this one too.
SystemError RemoveSource(const std::wstring& path, DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  if (DeleteFileW(path.c_str())) return 0;
  const SystemError error = LastError();
  if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(path.c_str(), attributes);
  return error;
}

}  // namespace

SystemError MoveByCopy(const std::wstring& from, const std::wstring& to) {
  const DWORD attributes = GetFileAttributesW(from.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return LastError();
  if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) return ERROR_NOT_SAME_DEVICE;
  // Others may read the source meanwhile, but neither change it nor take it away.
  OwnedHandle source(CreateFileW(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!source.valid()) return LastError();
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(source.get(), &info)) return LastError();
  if (GetFileType(source.get()) != FILE_TYPE_DISK) return ERROR_NOT_SAME_DEVICE;  // a device stays where it is
  // A taken name fails before a long copy; the final rename still never replaces anything.
  if (GetFileAttributesW(to.c_str()) != INVALID_FILE_ATTRIBUTES) return ERROR_ALREADY_EXISTS;

  {
    PartialFile partial(FolderOf(to));
    SystemError error = partial.error();
    if (!error) error = CopyContent(source.get(), partial.handle());
    if (!error) error = KeepTimesAndAttributes(partial.handle(), info);
    if (!error && !FlushFileBuffers(partial.handle())) error = LastError();
    if (!error) error = partial.Close();
    if (!error && StopRequested()) error = ERROR_OPERATION_ABORTED;
    if (!error) error = partial.RenameTo(to);
    if (error) return error;
  }
  source.Close();
  const SystemError error = RemoveSource(from, info.dwFileAttributes);
  if (error) RemoveFile(to);  // keep the one intact original rather than two names
  return error;
}

}  // namespace velkor::win32
