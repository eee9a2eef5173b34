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

RunResult RunProgram(const std::string& program, const std::vector<std::string>& args, const RunOptions& options);

// The environment RunVelkor gives the program: LC_ALL=`locale`, PATH, TERM and the
// sanitizer settings of the test run.
std::vector<std::string> VelkorEnvironment(const std::string& locale = "C.UTF-8");

// Runs the built velkor with LC_ALL=`locale` and nothing else of the caller's environment
// but PATH, plus `extra_env`.
RunResult RunVelkor(const std::vector<std::string>& args, const std::string& locale = "C.UTF-8",
                    int terminal_width = 0, const std::string& cwd = "",
                    const std::vector<std::string>& extra_env = {});

}  // namespace velkor::testing

#endif  // VELKOR_TESTS_SUPPORT_RUN_PROGRAM_H_
