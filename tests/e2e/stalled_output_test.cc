// A standard output left non-blocking by another program and read slowly: every line
// arrives, and on a terminal the title is restored at the end.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "support/run_program.h"
#include "support/temp_dir.h"

namespace velkor::testing {
namespace {

size_t Count(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

TEST(StalledOutput, IsWaitedForNotDropped) {
  constexpr int kLines = 20000;
  TempDir dir;
  std::string xml = "<job>\n";
  for (int i = 0; i < kLines; ++i) xml += "<file oldName='missing' newName='x'/>\n";
  WriteFile(dir / "job.xml", xml + "</job>\n");

  for (int width : {0, 200}) {  // a pipe, a terminal
    SCOPED_TRACE(width);
    RunOptions options;
    options.terminal_width = width;
    options.in_child = [] { fcntl(STDOUT_FILENO, F_SETFL, fcntl(STDOUT_FILENO, F_GETFL) | O_NONBLOCK); };
    options.while_running = [](int, const std::string&) { usleep(500); };  // a slow reader
    RunResult result = RunVelkor({dir / "job.xml"}, "C.UTF-8", options);

    EXPECT_EQ(result.exit_code, 0);
    EXPECT_EQ(Count(result.out, "Cannot rename file 'missing' to 'x'."), static_cast<size_t>(kLines));
    if (width > 0) {
      EXPECT_EQ(result.out.substr(result.out.size() - 7), "\x1b[23;0t");
    }
  }
}

}  // namespace
}  // namespace velkor::testing
