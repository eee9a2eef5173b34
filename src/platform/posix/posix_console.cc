// Standard output and the terminal on POSIX.
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/posix_platform.h"

namespace velkor {

bool PosixPlatform::OutputIsTerminal() { return isatty(STDOUT_FILENO) == 1; }

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
    if (written <= 0) return;
    bytes.remove_prefix(static_cast<size_t>(written));
  }
}

}  // namespace velkor
