// Signals in runs that move files between tmpfs and disk. SIGINT and SIGTERM at chosen
// moments end a run cleanly; SIGKILL at random moments of long runs (slow, so its own
// label) leaves every file whole, exactly once, under its old or its new name, with at
// most one complete tag.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <iostream>
#include <random>

#include "support/support.h"

namespace velkor::testing {
namespace {

using std::chrono::milliseconds;
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

struct Entry {
  std::string old_path, new_path;  // new_path empty: tag only
  std::string title, content;
};

constexpr char kWholeTwice[] = "whole under both names";

// What is wrong with an entry's file now; empty when nothing is. A move across file
// systems cannot be atomic: a SIGKILL between linking the finished copy and removing the
// source leaves the untouched file under both names (kWholeTwice), never a partial one.
std::string Problem(const Entry& entry, bool must_be_done) {
  bool at_old = FileExists(entry.old_path), at_new = !entry.new_path.empty() && FileExists(entry.new_path);
  const bool across = at_old && at_new && entry.old_path.rfind("/dev/shm/", 0) != entry.new_path.rfind("/dev/shm/", 0);
  if (across && ReadFile(entry.old_path) == entry.content && ReadFile(entry.new_path) == entry.content) return kWholeTwice;
  if (at_old == at_new) return at_old ? "under both names" : "under neither name";
  if (must_be_done && at_old && !entry.new_path.empty()) return "not renamed";
  std::string bytes = ReadFile(at_old ? entry.old_path : entry.new_path);
  if (bytes.compare(0, entry.content.size(), entry.content) != 0) return "bytes changed";
  if (bytes.size() == entry.content.size()) return must_be_done && entry.new_path.empty() ? "not tagged" : "";
  std::string tag = bytes.substr(entry.content.size());
  return tag.size() == 128 && tag.rfind("TAG" + entry.title + '\0', 0) == 0 ? "" : "not one whole tag";
}

// Runs a 10,000-entry job over fresh files, killed `kill_after` into the run unless it is
// zero, then run again to the end; every file is checked after each run. The first run's length.
milliseconds RunAndCheck(milliseconds kill_after, const std::string& label) {
  TempDir shm("/dev/shm"), disk;
  std::vector<Entry> entries;
  std::string xml = "<album artist='Safety'>\n";
  for (int i = 0; i < 10000; ++i) {  // one in 50 moves from tmpfs to disk, one in 50 back, one in 10 only tagged
    const std::string n = std::to_string(i);
    Entry entry{(i % 50 == 1 ? disk : shm) / ("old-" + n + ".mp3"),
                i % 10 == 5 ? "" : (i % 50 == 0 ? disk : shm) / ("new-" + n + ".mp3"), "t-" + n, ""};
    while (entry.content.size() < 200 + static_cast<size_t>(i) * 37 % 3000) entry.content += n + ":";
    WriteFile(entry.old_path, entry.content);
    xml += "<file oldName='" + entry.old_path + "' " + (entry.new_path.empty() ? "" : "newName='" + entry.new_path + "' ") +
           "title='" + entry.title + "'/>\n";
    entries.push_back(entry);
  }
  WriteFile(shm / "job.xml", xml + "</album>\n");
  bool killed = false;
  const auto start = std::chrono::steady_clock::now();
  milliseconds length{};
  for (bool finishing : {false, true}) {
    if (finishing && !killed) break;
    RunOptions options;
    options.while_running = [&](int pid, const std::string&) {
      if (!finishing && kill_after.count() > 0 && !killed && std::chrono::steady_clock::now() - start >= kill_after) {
        killed = kill(pid, SIGKILL) == 0;
      }
    };
    RunResult result = RunVelkor({shm / "job.xml"}, "C.UTF-8", options);
    if (!finishing) length = std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - start);
    EXPECT_EQ(result.signal, killed && !finishing ? SIGKILL : 0);
    int wrong = 0, twice = 0;
    for (const Entry& entry : entries) {
      std::string problem = Problem(entry, finishing || !killed);
      if (problem == kWholeTwice && killed) ++twice;
      else if (!problem.empty() && ++wrong <= 5) ADD_FAILURE() << entry.old_path << ": " << problem;
    }
    EXPECT_LE(twice, 1) << "one kill can catch at most one move between its last two steps";
    std::cout << label << (finishing ? ", run again" : killed ? ", killed" : ", finished") << ": " << entries.size()
              << " files checked, " << wrong << " wrong, " << twice << " whole under both names\n";
  }
  return length;
}

TEST(KillSafety, EveryFileSurvivesSigkillWholeAndOnce) {
  const milliseconds whole = RunAndCheck(milliseconds(0), "whole run");
  const unsigned seed = std::random_device()();
  std::mt19937 random(seed);
  std::uniform_int_distribution<long> moment(20, whole.count() * 3 / 4);  // runs vary in length
  for (int run = 0; run < 5; ++run) {
    const milliseconds kill_after(moment(random));
    RunAndCheck(kill_after, "seed " + std::to_string(seed) + ", kill at " + std::to_string(kill_after.count()) +
                                " of " + std::to_string(whole.count()) + " ms");
  }
}

}  // namespace
}  // namespace velkor::testing
