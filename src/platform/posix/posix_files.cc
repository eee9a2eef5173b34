// Opening, reading and writing audio files for their tags on POSIX.
#include <cerrno>

#include "platform/posix/posix_platform.h"

namespace velkor {

SystemError PosixPlatform::OpenForUpdate(const std::string&, NativeFile* file, std::uint64_t*) {
  *file = kNoFile;
  return ENOSYS;
}

std::int64_t PosixPlatform::ReadAt(NativeFile, void*, std::size_t, std::uint64_t) { return -1; }

std::int64_t PosixPlatform::WriteAt(NativeFile, const void*, std::size_t, std::uint64_t) { return -1; }

SystemError PosixPlatform::Truncate(NativeFile, std::uint64_t) { return ENOSYS; }

void PosixPlatform::Close(NativeFile) {}

}  // namespace velkor
