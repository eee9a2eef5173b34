// The file system on Windows: paths are UTF-16 from end to end, and every call takes them
// in the form of SystemPath, so that no length limit applies.
#include "platform/win32/win32_long_path.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/windows_api.h"

namespace velkor {
namespace {

HANDLE Handle(NativeFile file) { return reinterpret_cast<HANDLE>(file); }

// Opens an existing file without sharing. Only a disk file passes: a device name such as
// NUL or CON is refused like a missing file, so nothing but a file's bytes is ever read
// or written.
SystemError OpenDiskFile(const NativePath& path, DWORD access, NativeFile* file) {
  *file = kNoFile;
  HANDLE handle = CreateFileW(path.c_str(), access, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return static_cast<SystemError>(GetLastError());
  if (GetFileType(handle) != FILE_TYPE_DISK) {
    CloseHandle(handle);
    return ERROR_FILE_NOT_FOUND;
  }
  *file = reinterpret_cast<NativeFile>(handle);
  return 0;
}

// Moves the file position to `offset`; false when the system refuses.
bool Seek(NativeFile file, std::uint64_t offset) {
  LONG high = static_cast<LONG>(offset >> 32);
  const DWORD low = SetFilePointer(Handle(file), static_cast<LONG>(offset & 0xFFFFFFFFu), &high, FILE_BEGIN);
  return !(low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR);
}

}  // namespace

SystemError Win32Platform::PathStatus(const NativePath& path) {
  return GetFileAttributesW(win32::SystemPath(path).c_str()) == INVALID_FILE_ATTRIBUTES
             ? static_cast<SystemError>(GetLastError())
             : 0;
}

// Others may read the file meanwhile, as they may on POSIX; none may write it. A device
// (COM1, AUX, CON, a pipe) is refused before any read, which could block.
SystemError Win32Platform::OpenForReading(const NativePath& path, NativeFile* file) {
  *file = kNoFile;
  HANDLE handle =
      CreateFileW(win32::SystemPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return static_cast<SystemError>(GetLastError());
  if (GetFileType(handle) != FILE_TYPE_DISK) {
    CloseHandle(handle);
    return kNotRegularFile;
  }
  *file = reinterpret_cast<NativeFile>(handle);
  return 0;
}

// A directory cannot be opened this way at all; a read-only file fails for the write access.
SystemError Win32Platform::OpenForUpdate(const NativePath& path, NativeFile* file, std::uint64_t* size) {
  *size = 0;
  SystemError error = OpenDiskFile(win32::SystemPath(path), GENERIC_READ | GENERIC_WRITE, file);
  if (error != 0) return error;
  DWORD high = 0;
  const DWORD low = GetFileSize(Handle(*file), &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
    error = static_cast<SystemError>(GetLastError());
    Close(*file);
    *file = kNoFile;
    return error;
  }
  *size = (static_cast<std::uint64_t>(high) << 32) | low;
  return 0;
}

std::int64_t Win32Platform::ReadAt(NativeFile file, void* buffer, std::size_t count, std::uint64_t offset) {
  if (!Seek(file, offset)) return -1;
  DWORD done = 0;
  if (!ReadFile(Handle(file), buffer, static_cast<DWORD>(count), &done, nullptr)) return -1;
  return done;
}

std::int64_t Win32Platform::WriteAt(NativeFile file, const void* buffer, std::size_t count, std::uint64_t offset) {
  if (!Seek(file, offset)) return -1;
  DWORD done = 0;
  if (!WriteFile(Handle(file), buffer, static_cast<DWORD>(count), &done, nullptr)) return done ? static_cast<std::int64_t>(done) : -1;
  return done;
}

SystemError Win32Platform::Truncate(NativeFile file, std::uint64_t size) {
  if (!Seek(file, size) || !SetEndOfFile(Handle(file))) return static_cast<SystemError>(GetLastError());
  return 0;
}

void Win32Platform::Close(NativeFile file) { CloseHandle(Handle(file)); }

}  // namespace velkor
