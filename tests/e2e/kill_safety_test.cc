// Runs of a 10,000-entry job, renames and tags on tmpfs with a share moving to and from
// disk, killed with SIGKILL at random moments: afterwards every file is whole, exactly
// once, under its old or its new name, with at most one complete tag.
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <iostream>
#include <random>

#include "support/run_program.h"
#include "support/temp_dir.h"

namespace velkor::testing {
namespace {

constexpr int kEntries = 10000;
constexpr int kKilledRuns = 5;
constexpr char kPartialPrefix[] = ".velkor-move-";

struct Entry {
  std::string old_path, new_path;  // new_path empty: tag only
  std::string title, content;
  bool across;  // the move crosses file systems
};

// One in 50 moves from tmpfs to disk, one in 50 back, one in 10 is only tagged.
std::vector<Entry> MakeEntries(const TempDir& shm, const TempDir& disk) {
  std::vector<Entry> entries;
  for (int i = 0; i < kEntries; ++i) {
    const std::string n = std::to_string(i);
    const TempDir& from = i % 50 == 1 ? disk : shm;
    const TempDir& to = i % 50 == 0 ? disk : shm;
    Entry entry{from / ("old-" + n + ".mp3"), i % 10 == 5 ? "" : to / ("new-" + n + ".mp3"), "t-" + n, "",
                i % 50 < 2};
    while (entry.content.size() < 200 + static_cast<size_t>(i) * 37 % 3000) entry.content += n + ":";
    WriteFile(entry.old_path, entry.content);
    entries.push_back(entry);
  }
  return entries;
}

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
    count += item.path().filename().string().rfind(kPartialPrefix, 0) == 0;
  }
  return count;
}

// Runs the job over fresh files, killed `kill_after` into the run unless it is zero, then
// checks every file; the run's length.
std::chrono::milliseconds RunAndCheck(std::chrono::milliseconds kill_after, const char* label) {
  TempDir shm("/dev/shm"), disk;
  const std::vector<Entry> entries = MakeEntries(shm, disk);
  std::string xml = "<album artist='Safety'>\n";
  for (const Entry& e : entries) {
    xml += "<file oldName='" + e.old_path + "' " + (e.new_path.empty() ? "" : "newName='" + e.new_path + "' ") +
           "title='" + e.title + "'/>\n";
  }
  WriteFile(shm / "job.xml", xml + "</album>\n");

  // Killed, then run again to the end: the second run must finish what the first left.
  bool killed = false;
  const auto start = std::chrono::steady_clock::now();
  for (bool finishing : {false, true}) {
    if (finishing && !killed) break;
    RunOptions options;
    options.while_running = [&](int pid, const std::string&) {
      if (!finishing && kill_after.count() > 0 && !killed && std::chrono::steady_clock::now() - start >= kill_after) {
        killed = kill(pid, SIGKILL) == 0;
      }
    };
    RunResult result = RunVelkor({shm / "job.xml"}, "C.UTF-8", options);
    EXPECT_EQ(result.signal, killed && !finishing ? SIGKILL : 0);

    int checked[2] = {0, 0}, wrong = 0;
    for (const Entry& entry : entries) {
      std::string problem = Problem(entry, finishing || !killed);
      ++checked[entry.across];
      if (!problem.empty() && ++wrong <= 5) ADD_FAILURE() << entry.old_path << ": " << problem;
    }
    std::cout << label << (finishing ? ", run again" : killed ? ", killed" : ", finished") << ": checked "
              << checked[0] << " same-fs and " << checked[1] << " cross-fs files, " << wrong << " wrong, "
              << PartialFiles(shm.path()) + PartialFiles(disk.path()) << " partial files left\n";
  }
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
}

TEST(KillSafety, EveryFileSurvivesSigkillWholeAndOnce) {
  const std::chrono::milliseconds whole = RunAndCheck(std::chrono::milliseconds(0), "whole run");
  const unsigned seed = std::random_device()();
  std::mt19937 random(seed);
  std::uniform_int_distribution<long> moment(20, whole.count() * 3 / 4);  // runs vary in length
  for (int run = 0; run < kKilledRuns; ++run) {
    const std::chrono::milliseconds kill_after(moment(random));
    RunAndCheck(kill_after, ("seed " + std::to_string(seed) + ", kill at " + std::to_string(kill_after.count()) +
                             " of " + std::to_string(whole.count()) + " ms").c_str());
  }
}

}  // namespace
}  // namespace velkor::testing
