// The platform on Linux and other POSIX systems.
#ifndef VELKOR_PLATFORM_POSIX_POSIX_PLATFORM_H_
#define VELKOR_PLATFORM_POSIX_POSIX_PLATFORM_H_

#include "platform/platform.h"

namespace velkor {

enum class OutputStream { Out, Err };

class PosixPlatform : public Platform {
 public:
  bool InitRuntime() override;

  std::u16string_view LoadText(int id) override;
  std::u16string ErrorText(SystemError error) override;
  bool PathFromText(std::u16string_view text, NativePath* path) override;
  std::u16string PathForDisplay(const NativePath& path) override;
  void ToAnsi(std::u16string_view text, std::string* out) override;

  int ConsoleWidth() override;
  bool OutputIsTerminal() override;
  void WriteConsoleLine(std::u16string_view line, ReportClass report_class) override;
  void WriteRedirected(std::u16string_view message) override;
  void SetConsoleTitle(std::u16string_view title) override;
  void RestoreConsoleTitle() override;
  void ShowFailure(std::u16string_view first, std::u16string_view second) override;
  void WriteStartupFailure(std::u16string_view text) override;

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

  // What the calls above are built on; tests override them to fix the environment.
  // The messages locale's name (LC_ALL, else LC_MESSAGES, else LANG); empty when unset.
  virtual std::string MessagesLocaleName();
  // The character set of the LC_CTYPE locale as the C library names it.
  virtual std::string CharsetName();
  // True when the user asked for no colour (NO_COLOR set and not empty).
  virtual bool ColourDisabled();
  // True when standard error is a terminal.
  virtual bool ErrorIsTerminal();
  // The terminal's width in columns; 0 when standard output is no terminal or has no width.
  virtual int TerminalWidth();
  // Writes every byte, retrying interrupted and short writes and waiting while a
  // non-blocking output is full. Failures go unnoticed.
  virtual void Write(OutputStream stream, std::string_view bytes);

 private:
  bool russian_ = false;  // the catalogue's language, English otherwise
  bool colour_ = true;    // NO_COLOR, read once at start-up
  bool title_set_ = false;
  std::string output_;  // the last line or message written, its storage reused
};

}  // namespace velkor

#endif  // VELKOR_PLATFORM_POSIX_POSIX_PLATFORM_H_
