// Names that hold terminal control sequences, from the command line and from a job file.
#include <gtest/gtest.h>

#include <string>

#include "support/run_program.h"
#include "support/temp_dir.h"

namespace velkor::testing {
namespace {

TEST(HostileNames, ReachATerminalMaskedAndRedirectedOutputWhole) {
  TempDir dir;
  const std::string job = "x\x1b]0;PWNED\x07\x1b[2Jy.xml";  // missing, so reported by name
  WriteFile(dir / "c1.xml", "<a><file oldName=\"in&#x9B;2J.mp3\" newName=\"out.mp3\"/></a>");
  const std::string title_set = "\x1b[22;0t\x1b]0;Velkor and Add ID3 v1 Tag\x07", title_restore = "\x1b[23;0t";
  struct Row {
    int width;
    std::string job_shown, c1_shown;
  } rows[] = {
      {80, "x?]0;PWNED??[2Jy.xml", "in?2J.mp3"},
      {0, job, "in\xc2\x9b" "2J.mp3"},
  };
  for (const Row& row : rows) {
    RunResult result = RunVelkor({job, "c1.xml"}, "C.UTF-8", row.width, dir.path(), {"NO_COLOR=1"});
    EXPECT_NE(result.out.find("File '" + row.job_shown + "' does not exist"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("Cannot rename file '" + row.c1_shown + "' to"), std::string::npos) << result.out;
    if (row.width == 0) continue;
    // Between the title's own sequences the terminal gets nothing but text.
    ASSERT_EQ(result.out.rfind(title_set, 0), 0u) << result.out;
    ASSERT_EQ(result.out.substr(result.out.size() - title_restore.size()), title_restore);
    std::string report = result.out.substr(title_set.size(), result.out.size() - title_set.size() - title_restore.size());
    EXPECT_EQ(report.find_first_of("\x1b\x07\x9b"), std::string::npos) << report;
  }
}

}  // namespace
}  // namespace velkor::testing
