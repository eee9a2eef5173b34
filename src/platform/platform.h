// The operating-system services Velkor uses. Nothing outside src/platform/ touches the
// OS directly; tests wrap a real implementation to inject faults.
#ifndef VELKOR_PLATFORM_PLATFORM_H_
#define VELKOR_PLATFORM_PLATFORM_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace velkor {

enum class OutputStream { Out, Err };

// An open file as the platform knows it (a descriptor on POSIX, a HANDLE on Windows).
using NativeFile = std::intptr_t;
constexpr NativeFile kNoFile = -1;

// Results that can fail carry the system's error number (errno on POSIX); 0 is success.
using SystemError = int;

class Platform {
 public:
  virtual ~Platform() = default;

  // --- Run-time start-up and settings ---
  // Brings up the C runtime's locale and the stop request below. False only when the
  // runtime cannot start at all.
  virtual bool InitRuntime() = 0;
  // The messages locale's name (LC_ALL, else LC_MESSAGES, else LANG); empty when unset.
  virtual std::string MessagesLocaleName() = 0;
  // The character set of the LC_CTYPE locale as the C library names it.
  virtual std::string CharsetName() = 0;
  // True when the user asked for no colour (NO_COLOR set and not empty).
  virtual bool ColourDisabled() = 0;

  // --- Standard streams ---
  virtual bool OutputIsTerminal() = 0;
  // The terminal's width in columns; 0 when standard output is no terminal or has no width.
  virtual int TerminalWidth() = 0;
  // Writes every byte, retrying interrupted and short writes and waiting while a
  // non-blocking output is full. Failures go unnoticed: a report that cannot be written
  // must not stop the batch.
  virtual void Write(OutputStream stream, std::string_view bytes) = 0;

  // --- File system ---
  // 0 when something exists at the path (a directory too), else the error.
  virtual SystemError PathStatus(const std::string& path) = 0;
  // The system's text for an error number, without a trailing line end.
  virtual std::string ErrorText(SystemError error) = 0;
  // Renames or moves a file. Never replaces anything that exists at `to`, even in a race.
  virtual SystemError MoveFile(const std::string& from, const std::string& to) = 0;

  // Opens an existing regular file for reading only. Fails for anything else (a directory:
  // EISDIR; a FIFO or device: EINVAL), so reading it can neither block nor differ twice.
  virtual SystemError OpenForReading(const std::string& path, NativeFile* file) = 0;
  // Opens an existing regular file for reading and writing, exclusively locked against
  // other openers, and yields its size. Fails for anything but a writable regular file.
  virtual SystemError OpenForUpdate(const std::string& path, NativeFile* file, std::uint64_t* size) = 0;
  // Transfer up to `count` bytes at `offset`; the number transferred, or -1 on failure.
  virtual std::int64_t ReadAt(NativeFile file, void* buffer, std::size_t count, std::uint64_t offset) = 0;
  virtual std::int64_t WriteAt(NativeFile file, const void* buffer, std::size_t count, std::uint64_t offset) = 0;
  virtual SystemError Truncate(NativeFile file, std::uint64_t size) = 0;
  virtual void Close(NativeFile file) = 0;

  // --- Stopping on request (SIGINT, SIGTERM, Ctrl-C) ---
  // True once the user asked the run to stop. A move in progress is then abandoned with
  // EINTR, its partial copy removed; the run ends before the next entry.
  virtual bool StopRequested() = 0;
  // Ends the process as the request's signal would have; returns when there was none.
  virtual void EndIfStopRequested() = 0;
};

// Forwards every call to another platform; tests override the calls they break.
class PlatformWrapper : public Platform {
 public:
  explicit PlatformWrapper(Platform& target) : target_(target) {}

  bool InitRuntime() override { return target_.InitRuntime(); }
  std::string MessagesLocaleName() override { return target_.MessagesLocaleName(); }
  std::string CharsetName() override { return target_.CharsetName(); }
  bool ColourDisabled() override { return target_.ColourDisabled(); }
  bool OutputIsTerminal() override { return target_.OutputIsTerminal(); }
  int TerminalWidth() override { return target_.TerminalWidth(); }
  void Write(OutputStream stream, std::string_view bytes) override { target_.Write(stream, bytes); }
  SystemError PathStatus(const std::string& path) override { return target_.PathStatus(path); }
  std::string ErrorText(SystemError error) override { return target_.ErrorText(error); }
  SystemError MoveFile(const std::string& from, const std::string& to) override { return target_.MoveFile(from, to); }
  SystemError OpenForReading(const std::string& path, NativeFile* file) override {
    return target_.OpenForReading(path, file);
  }
  SystemError OpenForUpdate(const std::string& path, NativeFile* file, std::uint64_t* size) override {
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
