// SIGINT and SIGTERM at several moments of a run that moves a large file from tmpfs to
// disk: the file exists once, whole, the target name never holds a partial copy, the
// terminal gets its title back and the run ends by the signal.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>

#include "support/support.h"

namespace velkor::testing {
namespace {

constexpr off_t kBigSize = off_t{256} << 20;

// The size of the partial copy in `folder`; -1 when there is none.
off_t PartialSize(const std::string& folder) {
  std::error_code gone;  // the program may remove it while we look
  for (const auto& item : std::filesystem::directory_iterator(folder)) {
    auto size = item.file_size(gone);
    if (item.path().filename().string().rfind(".velkor-move-", 0) == 0 && !gone) return static_cast<off_t>(size);
  }
  return -1;
}

off_t SizeOf(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 ? info.st_size : -1;
}

// Entries whose renames fail at once, each giving one report line.
std::string MissingEntries(int first, int last) {
  std::string xml;
  for (int i = first; i <= last; ++i) xml += "<file oldName='missing-" + std::to_string(i) + "' newName='x-" + std::to_string(i) + "'/>\n";
  return xml;
}

TEST(StopSignal, EndsTheRunCleanlyAtEveryMoment) {
  const struct {
    const char* what;
    int signal;
    int terminal_width;  // 0: output to a pipe
    std::function<bool(const std::string& out, const std::string& near)> moment;
    bool moved;
  } rows[] = {
      {"while reporting, before the move", SIGINT, 200,
       [](const std::string& out, const std::string&) { return out.find("'x-100'") != std::string::npos; }, false},
      {"as the copy begins", SIGTERM, 0, [](const std::string&, const std::string& near) { return PartialSize(near) >= 0; }, false},
      {"half way through the copy", SIGINT, 200,
       [](const std::string&, const std::string& near) { return PartialSize(near) >= kBigSize / 2; }, false},
      {"after the move, while reporting", SIGTERM, 200,
       [](const std::string& out, const std::string&) { return out.find("was renamed to") != std::string::npos; }, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    TempDir near, far("/dev/shm");
    const std::string source = far / "big.mp3", target = near / "big.mp3";
    WriteFile(source, "");
    ASSERT_EQ(truncate(source.c_str(), kBigSize), 0);
    WriteFile(near / "job.xml", "<job>\n" + MissingEntries(1, 2000) + "<file oldName='" + source + "' newName='" +
                                    target + "' title='Big'/>\n" + MissingEntries(2001, 22000) + "</job>\n");
    RunOptions options;
    options.terminal_width = row.terminal_width;
    options.in_child = [] {  // a shell may start tests with these ignored
      std::signal(SIGINT, SIG_DFL);
      std::signal(SIGTERM, SIG_DFL);
    };
    bool sent = false;
    options.while_running = [&](int pid, const std::string& out) {
      if (!sent && row.moment(out, near.path())) sent = kill(pid, row.signal) == 0;
    };
    RunResult result = RunVelkor({near / "job.xml", near / "job.xml"}, "C.UTF-8", options);
    ASSERT_TRUE(sent);
    EXPECT_EQ(result.signal, row.signal);
    EXPECT_EQ(result.out.find("'x-22000'"), std::string::npos) << "the run went on";
    EXPECT_EQ(result.out.find("Processing", result.out.find("Processing") + 1), std::string::npos)
        << "the next job file was started";
    EXPECT_EQ(PartialSize(near.path()), -1) << "a partial copy was left behind";
    EXPECT_EQ(SizeOf(source), row.moved ? -1 : kBigSize);
    EXPECT_EQ(SizeOf(target), row.moved ? kBigSize + 128 : -1);
    const size_t restored = result.out.rfind("\x1b[23;0t");
    EXPECT_TRUE(row.terminal_width == 0 || (restored != std::string::npos && restored > result.out.rfind("\x1b[22;0t")));
  }
}

}  // namespace
}  // namespace velkor::testing
