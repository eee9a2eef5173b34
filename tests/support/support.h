// What every test shares: a temp folder removed afterwards, its files, and runs of a program
// (or of velkor) with a fixed environment, output to pipes or to a real pseudo-terminal.
#ifndef VELKOR_TESTS_SUPPORT_SUPPORT_H_
#define VELKOR_TESTS_SUPPORT_SUPPORT_H_

#include <functional>
#include <string>
#include <vector>

namespace velkor::testing {

class TempDir {
 public:
  explicit TempDir(const std::string& parent = "");  // under $TMPDIR (or /tmp) unless given
  ~TempDir();
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);

struct RunOptions {
  std::vector<std::string> env;  // the whole environment, "NAME=value"
  std::string cwd;               // empty: the test's own
  int terminal_width = 0;        // above 0: standard output is a terminal this wide
  bool terminal = false;         // standard output is a terminal even at width 0 (no columns)
  bool output_closed = false;    // standard output is a pipe nobody reads any more
  long file_size_limit = 0;      // above 0: the largest file (bytes) the program may write
  std::function<void()> in_child;  // runs in the child, its output in place, before the program starts
  // Called every few milliseconds until the output ends, with standard output so far.
  std::function<void(int pid, const std::string& out)> while_running;
};

struct RunResult {
  int exit_code = -1;    // -1 when the program did not exit normally
  int signal = 0;        // the signal that ended it, if one did
  std::string out, err;  // out: what the terminal received, when there was one
};

// `program` is looked up in PATH when it has no slash.
RunResult RunProgram(const std::string& program, const std::vector<std::string>& args, const RunOptions& options);

// Runs velkor with LC_ALL=`locale`, PATH and TERM, the sanitizer, LOCPATH and Wine settings
// of the caller, and `options.env`. The program is the built one unless VELKOR_E2E_PROGRAM
// names another; VELKOR_E2E_RUNNER, when set, is a command that runs it (e.g. "wine").
RunResult RunVelkor(const std::vector<std::string>& args, const std::string& locale = "C.UTF-8",
                    RunOptions options = {});

}  // namespace velkor::testing

#endif  // VELKOR_TESTS_SUPPORT_SUPPORT_H_
