#include "support/support.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace velkor::testing {

TempDir::TempDir(const std::string& parent) {
  const char* tmp = std::getenv("TMPDIR");
  path_ = (!parent.empty() ? parent : tmp && *tmp ? tmp : "/tmp") + std::string("/velkor-test-XXXXXX");
  if (!mkdtemp(path_.data())) throw std::runtime_error("mkdtemp failed: " + path_);
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void WriteFile(const std::string& path, const std::string& bytes) {
  if (!(std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes)) throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return {std::istreambuf_iterator<char>(in), {}};
}

bool FileExists(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0;
}

RunResult RunProgram(const std::string& program, const std::vector<std::string>& args, const RunOptions& options) {
  int out_pipe[2], err_pipe[2];
  if (pipe2(out_pipe, O_CLOEXEC) != 0 || pipe2(err_pipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  if (options.output_closed) close(out_pipe[0]);  // before the start: every write finds no reader
  int fds[2] = {options.output_closed ? -1 : out_pipe[0], err_pipe[0]};
  winsize size{50, static_cast<unsigned short>(options.terminal_width), 0, 0};
  const bool terminal = options.terminal || options.terminal_width > 0;
  if (terminal && fds[0] >= 0) close(fds[0]);
  pid_t pid = terminal ? forkpty(&fds[0], nullptr, nullptr, &size) : fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    if (!terminal) dup2(open("/dev/null", O_RDONLY | O_CLOEXEC), STDIN_FILENO);
    if (!terminal) dup2(out_pipe[1], STDOUT_FILENO);
    dup2(err_pipe[1], STDERR_FILENO);
    if (!options.cwd.empty() && chdir(options.cwd.c_str()) != 0) _exit(126);
    rlimit limit{static_cast<rlim_t>(options.file_size_limit), static_cast<rlim_t>(options.file_size_limit)};
    if (options.file_size_limit > 0) setrlimit(RLIMIT_FSIZE, &limit);
    if (options.in_child) options.in_child();
    std::vector<char*> argv{const_cast<char*>(program.c_str())}, envp;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    for (const std::string& entry : options.env) envp.push_back(const_cast<char*>(entry.c_str()));
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    execvpe(program.c_str(), argv.data(), envp.data());
    _exit(127);
  }
  close(out_pipe[1]);
  close(err_pipe[1]);
  // Both outputs are read until each ends (EIO on a pty master counts as the end).
  RunResult result;
  pollfd polled[2] = {{fds[0], POLLIN, 0}, {fds[1], POLLIN, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  char buffer[4096];
  const int wait_ms = options.while_running ? 5 : -1;
  while (polled[0].fd >= 0 || polled[1].fd >= 0) {
    if (options.while_running) options.while_running(pid, result.out);
    if (poll(polled, 2, wait_ms) < 0 && errno != EINTR) break;
    for (int i = 0; i < 2; ++i) {
      if (polled[i].fd < 0 || !(polled[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      ssize_t n = read(polled[i].fd, buffer, sizeof buffer);
      if (n > 0) sinks[i]->append(buffer, static_cast<size_t>(n));
      else if (n == 0 || errno != EINTR) close(polled[i].fd), polled[i].fd = -1;
    }
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  return result;
}

RunResult RunVelkor(const std::vector<std::string>& args, const std::string& locale, RunOptions options) {
  const char* path = std::getenv("PATH");
  options.env.insert(options.env.begin(), {"LC_ALL=" + locale, std::string("PATH=") + (path ? path : "/usr/bin:/bin"),
                                           "TERM=xterm"});
  for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LOCPATH", "HOME", "WINEPREFIX", "WINEDEBUG"}) {
    if (const char* value = std::getenv(name)) options.env.push_back(std::string(name) + "=" + value);
  }
  const char* program = std::getenv("VELKOR_E2E_PROGRAM");
  std::istringstream runner(std::getenv("VELKOR_E2E_RUNNER") ? std::getenv("VELKOR_E2E_RUNNER") : "");
  std::vector<std::string> command{std::istream_iterator<std::string>(runner), {}};
  command.push_back(program && *program ? program : VELKOR_BINARY);
  command.insert(command.end(), args.begin(), args.end());
  return RunProgram(command[0], std::vector<std::string>(command.begin() + 1, command.end()), options);
}

}  // namespace velkor::testing
