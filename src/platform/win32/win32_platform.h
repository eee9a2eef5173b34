// The platform on Windows: the console, file, resource and code-page services of Win32.
#ifndef VELKOR_PLATFORM_WIN32_WIN32_PLATFORM_H_
#define VELKOR_PLATFORM_WIN32_WIN32_PLATFORM_H_

#include "platform/platform.h"

namespace velkor {

class Win32Platform : public Platform {
 public:
  // Fetches the standard output handle and queries its screen buffer, once for the run:
  // a query that succeeds means console mode, with the buffer's width.
  Win32Platform();

  bool InitRuntime() override;

  int ConsoleWidth() override;
  bool OutputIsTerminal() override;
  void WriteConsoleLine(std::u16string_view line, ReportClass report_class) override;
  void WriteRedirected(std::u16string_view message) override;
  void SetConsoleTitle(std::u16string_view title) override;
  void RestoreConsoleTitle() override;
  void ShowFailure(std::u16string_view first, std::u16string_view second) override;
  void WriteStartupFailure(std::u16string_view text) override;

  bool PathFromText(std::u16string_view text, NativePath* path) override;
  std::u16string PathForDisplay(const NativePath& path) override;
  void ToAnsi(std::u16string_view text, std::string* out) override;
  std::u16string_view LoadText(int id) override;
  std::u16string ErrorText(SystemError error) override;

  SystemError PathStatus(const NativePath& path) override;
  SystemError MoveFile(const NativePath& from, const NativePath& to) override;
  SystemError OpenForReading(const NativePath& path, NativeFile* file) override;
  SystemError OpenForUpdate(const NativePath& path, NativeFile* file, std::uint64_t* size) override;
  std::int64_t ReadAt(NativeFile file, void* buffer, std::size_t count, std::uint64_t offset) override;
  std::int64_t WriteAt(NativeFile file, const void* buffer, std::size_t count, std::uint64_t offset) override;
  SystemError Truncate(NativeFile file, std::uint64_t size) override;
  void Close(NativeFile file) override;

  bool StopRequested() override;
  void EndIfStopRequested() override;

 private:
  void* output_;    // the standard output handle
  int width_ = 0;  // the screen buffer's width at start-up; 0 when redirected
  std::string redirected_;  // the last message written to redirected output, its storage reused
};

}  // namespace velkor

#endif  // VELKOR_PLATFORM_WIN32_WIN32_PLATFORM_H_
