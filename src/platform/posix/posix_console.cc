// Standard output and the terminal on POSIX.
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/posix_platform.h"
#include "platform/posix/posix_stop_signal.h"

namespace velkor {
namespace {

// Waits until a non-blocking output takes bytes again. Once the run is being stopped, a
// stalled reader gets a second, so that Ctrl-C cannot hang on it; false then.
bool WaitUntilWritable(int fd) {
  pollfd entry{fd, POLLOUT, 0};
  int ready = poll(&entry, 1, posix::StopRequested() ? 1000 : -1);
  return ready > 0 || (ready < 0 && errno == EINTR);
}

}  // namespace

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
    if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && WaitUntilWritable(fd)) continue;
    if (written <= 0) return;  // a closed pipe, a full disk: the report goes on without it
    bytes.remove_prefix(static_cast<size_t>(written));
  }
}

}  // namespace velkor
