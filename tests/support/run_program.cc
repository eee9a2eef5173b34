#include "support/run_program.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

namespace velkor::testing {
namespace {

[[noreturn]] void ExecChild(const std::string& program, const std::vector<std::string>& args,
                            const RunOptions& options) {
  if (!options.cwd.empty() && chdir(options.cwd.c_str()) != 0) _exit(126);
  if (options.file_size_limit > 0) {
    rlimit limit{static_cast<rlim_t>(options.file_size_limit), static_cast<rlim_t>(options.file_size_limit)};
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (const std::string& entry : options.env) envp.push_back(const_cast<char*>(entry.c_str()));
  envp.push_back(nullptr);
  execvpe(program.c_str(), argv.data(), envp.data());
  _exit(127);
}

// Reads both descriptors until each reaches its end (EIO on a pty master counts as end).
void Drain(int out_fd, int err_fd, RunResult* result) {
  pollfd fds[2] = {{out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}};
  std::string* sinks[2] = {&result->out, &result->err};
  char buffer[4096];
  while (fds[0].fd >= 0 || fds[1].fd >= 0) {
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) sinks[i]->append(buffer, static_cast<size_t>(n));
      else if (n == 0 || errno != EINTR) fds[i].fd = -1;
    }
  }
}

}  // namespace

RunResult RunProgram(const std::string& program, const std::vector<std::string>& args, const RunOptions& options) {
  int out_pipe[2], err_pipe[2];
  if (pipe2(out_pipe, O_CLOEXEC) != 0 || pipe2(err_pipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  if (options.output_closed) close(out_pipe[0]);  // before the start: every write finds no reader
  int out_fd = options.output_closed ? -1 : out_pipe[0];
  pid_t pid;
  if (options.terminal_width > 0) {
    winsize size{};
    size.ws_col = static_cast<unsigned short>(options.terminal_width);
    size.ws_row = 50;
    close(out_pipe[1]);
    if (out_fd >= 0) close(out_fd);
    pid = forkpty(&out_fd, nullptr, nullptr, &size);
  } else {
    pid = fork();
    if (pid == 0) {
      dup2(open("/dev/null", O_RDONLY | O_CLOEXEC), STDIN_FILENO);
      dup2(out_pipe[1], STDOUT_FILENO);
    }
  }
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    dup2(err_pipe[1], STDERR_FILENO);
    ExecChild(program, args, options);
  }
  if (options.terminal_width == 0) close(out_pipe[1]);
  close(err_pipe[1]);
  RunResult result;
  Drain(out_fd, err_pipe[0], &result);
  if (out_fd >= 0) close(out_fd);
  close(err_pipe[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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
  std::vector<std::string> command;
  std::istringstream runner(std::getenv("VELKOR_E2E_RUNNER") ? std::getenv("VELKOR_E2E_RUNNER") : "");
  for (std::string word; runner >> word;) command.push_back(word);
  command.push_back(program && *program ? program : VELKOR_BINARY);
  command.insert(command.end(), args.begin(), args.end());
  return RunProgram(command[0], std::vector<std::string>(command.begin() + 1, command.end()), options);
}

}  // namespace velkor::testing
