// Runs a program with a fixed environment, its output redirected to pipes or shown on
// a real pseudo-terminal of a chosen width.
#ifndef VELKOR_TESTS_SUPPORT_RUN_PROGRAM_H_
#define VELKOR_TESTS_SUPPORT_RUN_PROGRAM_H_

#include <functional>
#include <string>
#include <vector>

namespace velkor::testing {

struct RunOptions {
  std::vector<std::string> env;  // the whole environment, "NAME=value"
  std::string cwd;               // empty: the test's own
  int terminal_width = 0;        // above 0: standard output is a terminal this wide
  bool output_closed = false;    // standard output is a pipe nobody reads any more
  long file_size_limit = 0;      // above 0: the largest file (bytes) the program may write
  std::function<void()> in_child;  // runs in the child, its output in place, before the program starts
  // Called every few milliseconds until the output ends, with standard output so far.
  std::function<void(int pid, const std::string& out)> while_running;
};

struct RunResult {
  int exit_code = -1;  // -1 when the program did not exit normally
  int signal = 0;      // the signal that ended it, if one did
  std::string out;     // what the terminal received, when there was one
  std::string err;
};

// `program` is looked up in PATH when it has no slash; `args` follow it.
RunResult RunProgram(const std::string& program, const std::vector<std::string>& args, const RunOptions& options);

// Runs velkor with LC_ALL=`locale`, PATH and TERM, the sanitizer, LOCPATH and Wine settings
// of the caller, and `options.env`. The program is the built one unless VELKOR_E2E_PROGRAM
// names another; VELKOR_E2E_RUNNER, when set, is a command that runs it (e.g. "wine").
RunResult RunVelkor(const std::vector<std::string>& args, const std::string& locale = "C.UTF-8",
                    RunOptions options = {});

}  // namespace velkor::testing

#endif  // VELKOR_TESTS_SUPPORT_RUN_PROGRAM_H_
