// Runs of a 10,000-entry job, renames and tags on tmpfs with a share moving to and from
// disk, killed with SIGKILL at random moments: afterwards every file is whole, exactly
// once, under its old or its new name, with at most one complete tag.
#include <signal.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <iostream>
#include <random>

#include "support/support.h"

namespace velkor::testing {
namespace {

using std::chrono::milliseconds;

struct Entry {
  std::string old_path, new_path;  // new_path empty: tag only
  std::string title, content;
};

// What is wrong with an entry's file now; empty when nothing is.
std::string Problem(const Entry& entry, bool must_be_done) {
  bool at_old = FileExists(entry.old_path), at_new = !entry.new_path.empty() && FileExists(entry.new_path);
  if (at_old == at_new) return at_old ? "under both names" : "under neither name";
  if (must_be_done && at_old && !entry.new_path.empty()) return "not renamed";
  std::string bytes = ReadFile(at_old ? entry.old_path : entry.new_path);
  if (bytes.compare(0, entry.content.size(), entry.content) != 0) return "bytes changed";
  if (bytes.size() == entry.content.size()) return must_be_done && entry.new_path.empty() ? "not tagged" : "";
  std::string tag = bytes.substr(entry.content.size());
  return tag.size() == 128 && tag.rfind("TAG" + entry.title + '\0', 0) == 0 ? "" : "not one whole tag";
}

int PartialFiles(const std::string& folder) {
  int count = 0;
  for (const auto& item : std::filesystem::directory_iterator(folder)) {
    count += item.path().filename().string().rfind(".velkor-move-", 0) == 0;
  }
  return count;
}

// Runs the job over fresh files, killed `kill_after` into the run unless it is zero, then
// run again to the end; every file is checked after each run. The first run's length.
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
    int wrong = 0;
    for (const Entry& entry : entries) {
      std::string problem = Problem(entry, finishing || !killed);
      if (!problem.empty() && ++wrong <= 5) ADD_FAILURE() << entry.old_path << ": " << problem;
    }
    std::cout << label << (finishing ? ", run again" : killed ? ", killed" : ", finished") << ": " << entries.size()
              << " files checked, " << wrong << " wrong, " << PartialFiles(shm.path()) + PartialFiles(disk.path())
              << " partial files left\n";
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
