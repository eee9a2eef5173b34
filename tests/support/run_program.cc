#include "support/run_program.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>

namespace velkor::testing {
namespace {

[[noreturn]] void ExecChild(const std::string& program, const std::vector<std::string>& args,
                            const RunOptions& options) {
  if (!options.cwd.empty() && chdir(options.cwd.c_str()) != 0) _exit(126);
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (const std::string& entry : options.env) envp.push_back(const_cast<char*>(entry.c_str()));
  envp.push_back(nullptr);
  execve(program.c_str(), argv.data(), envp.data());
  _exit(127);
}

// Reads both descriptors until each reaches its end (EIO on a pty master counts as end).
void Drain(int out_fd, int err_fd, pid_t pid, const RunOptions& options, RunResult* result) {
  pollfd fds[2] = {{out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}};
  std::string* sinks[2] = {&result->out, &result->err};
  int open_count = 2;
  char buffer[4096];
  while (open_count > 0) {
    if (options.while_running) options.while_running(pid, result->out);
    if (poll(fds, 2, options.while_running ? 5 : -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        sinks[i]->append(buffer, static_cast<size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        fds[i].fd = -1;
        --open_count;
      }
    }
  }
}

void WaitFor(pid_t pid, RunResult* result) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  result->exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result->signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
}

}  // namespace

RunResult RunProgram(const std::string& program, const std::vector<std::string>& args, const RunOptions& options) {
  RunResult result;
  int err_pipe[2];
  if (pipe2(err_pipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");

  if (options.terminal_width > 0) {
    winsize size{};
    size.ws_col = static_cast<unsigned short>(options.terminal_width);
    size.ws_row = 50;
    int master = -1;
    pid_t pid = forkpty(&master, nullptr, nullptr, &size);
    if (pid < 0) throw std::runtime_error("forkpty failed");
    if (pid == 0) {
      dup2(err_pipe[1], STDERR_FILENO);
      if (options.in_child) options.in_child();
      ExecChild(program, args, options);
    }
    close(err_pipe[1]);
    Drain(master, err_pipe[0], pid, options, &result);
    close(master);
    close(err_pipe[0]);
    WaitFor(pid, &result);
    return result;
  }

  int out_pipe[2];
  if (pipe2(out_pipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    int null_fd = open("/dev/null", O_RDONLY);
    dup2(null_fd, STDIN_FILENO);
    dup2(out_pipe[1], STDOUT_FILENO);
    dup2(err_pipe[1], STDERR_FILENO);
    if (options.in_child) options.in_child();
    ExecChild(program, args, options);
  }
  close(out_pipe[1]);
  close(err_pipe[1]);
  Drain(out_pipe[0], err_pipe[0], pid, options, &result);
  close(out_pipe[0]);
  close(err_pipe[0]);
  WaitFor(pid, &result);
  return result;
}

std::vector<std::string> VelkorEnvironment(const std::string& locale) {
  const char* path = std::getenv("PATH");
  std::vector<std::string> env = {"LC_ALL=" + locale, std::string("PATH=") + (path ? path : "/usr/bin:/bin"),
                                  "TERM=xterm"};
  for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS"}) {
    if (const char* value = std::getenv(name)) env.push_back(std::string(name) + "=" + value);
  }
  return env;
}

RunResult RunVelkor(const std::vector<std::string>& args, const std::string& locale, int terminal_width,
                    const std::string& cwd, const std::vector<std::string>& extra_env) {
  RunOptions options;
  options.env = VelkorEnvironment(locale);
  options.env.insert(options.env.end(), extra_env.begin(), extra_env.end());
  options.cwd = cwd;
  options.terminal_width = terminal_width;
  return RunProgram(VELKOR_BINARY, args, options);
}

}  // namespace velkor::testing
