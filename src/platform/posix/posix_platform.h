// The platform on Linux and other POSIX systems.
#ifndef VELKOR_PLATFORM_POSIX_POSIX_PLATFORM_H_
#define VELKOR_PLATFORM_POSIX_POSIX_PLATFORM_H_

#include "platform/platform.h"

namespace velkor {

class PosixPlatform : public Platform {
 public:
  bool InitRuntime() override;
  std::string MessagesLocaleName() override;
  std::string CharsetName() override;
  bool ColourDisabled() override;

  bool OutputIsTerminal() override;
  int TerminalWidth() override;
  void Write(OutputStream stream, std::string_view bytes) override;

  SystemError PathStatus(const std::string& path) override;
  std::string ErrorText(SystemError error) override;
  SystemError MoveFile(const std::string& from, const std::string& to) override;

  SystemError OpenForReading(const std::string& path, NativeFile* file) override;
  SystemError OpenForUpdate(const std::string& path, NativeFile* file, std::uint64_t* size) override;
  std::int64_t ReadAt(NativeFile file, void* buffer, std::size_t count, std::uint64_t offset) override;
  std::int64_t WriteAt(NativeFile file, const void* buffer, std::size_t count, std::uint64_t offset) override;
  SystemError Truncate(NativeFile file, std::uint64_t size) override;
  void Close(NativeFile file) override;

  bool StopRequested() override;
  void EndIfStopRequested() override;
};

}  // namespace velkor

#endif  // VELKOR_PLATFORM_POSIX_POSIX_PLATFORM_H_
