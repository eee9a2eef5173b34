// The operating-system services Velkor uses. Nothing outside src/platform/ touches the
// OS directly, nor converts text to or from the system's charset; tests wrap a real
// implementation to inject faults.
#ifndef VELKOR_PLATFORM_PLATFORM_H_
#define VELKOR_PLATFORM_PLATFORM_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/native_path.h"
#include "platform/report_class.h"

namespace velkor {

// An open file as the platform knows it (a descriptor on POSIX, a HANDLE on Windows).
using NativeFile = std::intptr_t;
constexpr NativeFile kNoFile = -1;

// Results that can fail carry the system's error number (errno on POSIX, the last-error
// code on Windows); 0 is success.
using SystemError = int;
// What OpenForReading says of a path that names something other than a regular file (a
// pipe, a device): no system's error number is negative.
constexpr SystemError kNotRegularFile = -1;

class Platform {
 public:
  virtual ~Platform() = default;

  // --- Run-time start-up ---
  // Brings up the C runtime's locale, the user's language and charset, and the stop
  // request below. False only when the runtime cannot start at all.
  virtual bool InitRuntime() = 0;

  // --- Texts ---
  // A catalogue text by message ID in the user's language, its lines ended as the system
  // ends them (LF on POSIX, CR LF on Windows); empty for an unknown ID. The text stays
  // valid for the whole run.
  virtual std::u16string_view LoadText(int id) = 0;
  // The system's text for an error number, without a line end at its end.
  virtual std::u16string ErrorText(SystemError error) = 0;
  // A name from a job file for the system: exact or not at all. A best-fit character could
  // name a different file that exists, so a NUL, or any character the system's path
  // encoding lacks, makes this return false.
  virtual bool PathFromText(std::u16string_view text, NativePath* path) = 0;
  // A path for the report; what does not decode shows as U+FFFD.
  virtual std::u16string PathForDisplay(const NativePath& path) = 0;
  // Tag text in the system's charset, up to its first NUL, in place of what `out` held (its
  // storage is reused): a character the charset lacks becomes the system's best fit, else '?'.
  virtual void ToAnsi(std::u16string_view text, std::string* out) = 0;

  // --- The console and the standard streams ---
  // The console's width in columns; 0 when standard output is no console (redirected), or a
  // terminal that reports no width.
  virtual int ConsoleWidth() = 0;
  // True when a terminal, and so a person, reads standard output, whatever width it
  // reports: a control character written there would drive it.
  virtual bool OutputIsTerminal() = 0;
  // Prints one line (already wrapped, without line end) in the class's colour, and ends it.
  virtual void WriteConsoleLine(std::u16string_view line, ReportClass report_class) = 0;
  // Writes one whole message to redirected standard output, each unit in the system's charset
  // and nothing added or dropped: the catalogue's texts end their lines as the system does.
  virtual void WriteRedirected(std::u16string_view message) = 0;
  // Sets the console's title for the length of the run; the restore puts the old one back.
  // Neither leaves a trace in redirected output.
  virtual void SetConsoleTitle(std::u16string_view title) = 0;
  virtual void RestoreConsoleTitle() = 0;
  // Shows the two texts of an abandoned job file, in that order; an empty one is left out.
  // Where they go to a terminal, their control characters are masked.
  virtual void ShowFailure(std::u16string_view first, std::u16string_view second) = 0;
  // Shows the text of a run-time that could not start.
  virtual void WriteStartupFailure(std::u16string_view text) = 0;
  // Output failures go unnoticed throughout: a report that cannot be written must not
  // stop the batch.

  // --- File system ---
  // 0 when something exists at the path (a directory too), else the error.
  virtual SystemError PathStatus(const NativePath& path) = 0;
  // Renames or moves a file. Never replaces anything that exists at `to`, even in a race.
  virtual SystemError MoveFile(const NativePath& from, const NativePath& to) = 0;

  // Opens an existing regular file for reading only, others still free to read it. Fails
  // for anything else, so reading it can neither block nor differ twice: with the system's
  // error for a directory, with kNotRegularFile for a pipe or a device.
  virtual SystemError OpenForReading(const NativePath& path, NativeFile* file) = 0;
  // Opens an existing regular file for reading and writing, exclusively locked against
  // other openers, and yields its size. Fails for anything but a writable regular file.
  virtual SystemError OpenForUpdate(const NativePath& path, NativeFile* file, std::uint64_t* size) = 0;
  // Transfer up to `count` bytes at `offset`; the number transferred, or -1 on failure.
  virtual std::int64_t ReadAt(NativeFile file, void* buffer, std::size_t count, std::uint64_t offset) = 0;
  virtual std::int64_t WriteAt(NativeFile file, const void* buffer, std::size_t count, std::uint64_t offset) = 0;
  virtual SystemError Truncate(NativeFile file, std::uint64_t size) = 0;
  virtual void Close(NativeFile file) = 0;

  // --- Stopping on request (SIGINT, SIGTERM, Ctrl-C) ---
  // True once the user asked the run to stop. A move in progress is then abandoned, its
  // partial copy removed; the run ends before the next entry.
  virtual bool StopRequested() = 0;
  // Ends the process as the request would have; returns when there was none.
  virtual void EndIfStopRequested() = 0;
};

// Forwards every call to another platform; tests override the calls they break.
class PlatformWrapper : public Platform {
 public:
  explicit PlatformWrapper(Platform& target) : target_(target) {}

  bool InitRuntime() override { return target_.InitRuntime(); }
  std::u16string_view LoadText(int id) override { return target_.LoadText(id); }
  std::u16string ErrorText(SystemError error) override { return target_.ErrorText(error); }
  bool PathFromText(std::u16string_view text, NativePath* path) override { return target_.PathFromText(text, path); }
  std::u16string PathForDisplay(const NativePath& path) override { return target_.PathForDisplay(path); }
  void ToAnsi(std::u16string_view text, std::string* out) override { target_.ToAnsi(text, out); }
  int ConsoleWidth() override { return target_.ConsoleWidth(); }
  bool OutputIsTerminal() override { return target_.OutputIsTerminal(); }
  void WriteConsoleLine(std::u16string_view line, ReportClass report_class) override {
    target_.WriteConsoleLine(line, report_class);
  }
  void WriteRedirected(std::u16string_view message) override { target_.WriteRedirected(message); }
  void SetConsoleTitle(std::u16string_view title) override { target_.SetConsoleTitle(title); }
  void RestoreConsoleTitle() override { target_.RestoreConsoleTitle(); }
  void ShowFailure(std::u16string_view first, std::u16string_view second) override {
    target_.ShowFailure(first, second);
  }
  void WriteStartupFailure(std::u16string_view text) override { target_.WriteStartupFailure(text); }
  SystemError PathStatus(const NativePath& path) override { return target_.PathStatus(path); }
  SystemError MoveFile(const NativePath& from, const NativePath& to) override { return target_.MoveFile(from, to); }
  SystemError OpenForReading(const NativePath& path, NativeFile* file) override {
    return target_.OpenForReading(path, file);
  }
  SystemError OpenForUpdate(const NativePath& path, NativeFile* file, std::uint64_t* size) override {
    return target_.OpenForUpdate(path, file, size);
  }
  std::int64_t ReadAt(NativeFile file, void* buffer, std::size_t count, std::uint64_t offset) override {
    return target_.ReadAt(file, buffer, count, offset);
  }
  std::int64_t WriteAt(NativeFile file, const void* buffer, std::size_t count, std::uint64_t offset) override {
    return target_.WriteAt(file, buffer, count, offset);
  }
  SystemError Truncate(NativeFile file, std::uint64_t size) override { return target_.Truncate(file, size); }
  void Close(NativeFile file) override { target_.Close(file); }
  bool StopRequested() override { return target_.StopRequested(); }
  void EndIfStopRequested() override { target_.EndIfStopRequested(); }

 private:
  Platform& target_;
};

}  // namespace velkor

#endif  // VELKOR_PLATFORM_PLATFORM_H_
