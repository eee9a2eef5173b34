// Standard output, standard error and the terminal on POSIX.
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/posix/posix_charset.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/posix_stop_signal.h"
#include "text/visible_text.h"

namespace velkor {
namespace {

// Waits until a non-blocking output takes bytes again. Once the run is being stopped, a
// stalled reader gets a second, so that Ctrl-C cannot hang on it; false then.
bool WaitUntilWritable(int fd) {
  pollfd entry{fd, POLLOUT, 0};
  int ready = poll(&entry, 1, posix::StopRequested() ? 1000 : -1);
  return ready > 0 || (ready < 0 && errno == EINTR);
}

// SGR colours by class number, always on a black background.
constexpr const char* kClassColours[] = {
    "\x1b[37;40m",  // Normal: light grey
    "\x1b[96;40m",  // Header: bright cyan
    "\x1b[95;40m",  // Error: bright magenta
    "\x1b[93;40m",  // Warning: yellow
    "\x1b[91;40m",  // Fatal: bright red
};
constexpr const char* kResetAttributes = "\x1b[0m";

}  // namespace

int PosixPlatform::ConsoleWidth() { return TerminalWidth(); }

void PosixPlatform::WriteConsoleLine(std::u16string_view line, ReportClass report_class) {
  // The colour is reset before the line end, so the terminal's own attributes are back in
  // force after every line.
  output_.clear();
  if (colour_) output_ += kClassColours[static_cast<int>(report_class)];
  AppendAnsi(line, &output_);
  if (colour_) output_ += kResetAttributes;
  output_ += '\n';
  Write(OutputStream::Out, output_);
}

// The catalogue's texts end their lines in LF already, so the values inserted into them
// keep every byte, line ends included.
void PosixPlatform::WriteRedirected(std::u16string_view message) {
  output_.clear();
  AppendAnsi(message, &output_);
  Write(OutputStream::Out, output_);
}

void PosixPlatform::SetConsoleTitle(std::u16string_view title) {
  // Redirected output never carries escape sequences.
  if (!OutputIsTerminal()) return;
  std::string text = velkor::ToAnsi(title);
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';  // a control byte would end the sequence
  }
  // Push the current title on the terminal's title stack, then set ours.
  Write(OutputStream::Out, "\x1b[22;0t\x1b]0;" + text + "\x07");
  title_set_ = true;
}

void PosixPlatform::RestoreConsoleTitle() {
  if (title_set_) Write(OutputStream::Out, "\x1b[23;0t");
  title_set_ = false;
}

// The texts may quote the job file (a parser's reason names what it found there), so a
// terminal gets them masked like every inserted value.
void PosixPlatform::ShowFailure(std::u16string_view first, std::u16string_view second) {
  const bool terminal = ErrorIsTerminal();
  for (std::u16string_view text : {first, second}) {
    if (text.empty()) continue;
    std::u16string shown = terminal ? MaskControlCharacters(text) : std::u16string(text);
    Write(OutputStream::Err, velkor::ToAnsi(shown + u"\n"));
  }
}

void PosixPlatform::WriteStartupFailure(std::u16string_view text) { Write(OutputStream::Err, velkor::ToAnsi(text)); }

bool PosixPlatform::OutputIsTerminal() { return isatty(STDOUT_FILENO) == 1; }

bool PosixPlatform::ErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

int PosixPlatform::TerminalWidth() {
  if (!OutputIsTerminal()) return 0;
  struct winsize size {};
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0) return 0;
  return size.ws_col;
}

void PosixPlatform::Write(OutputStream stream, std::string_view bytes) {
  int fd = stream == OutputStream::Out ? STDOUT_FILENO : STDERR_FILENO;
  while (!bytes.empty()) {
    ssize_t written = write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && WaitUntilWritable(fd)) continue;
    if (written <= 0) return;  // a closed pipe, a full disk: the report goes on without it
    bytes.remove_prefix(static_cast<size_t>(written));
  }
}

}  // namespace velkor
