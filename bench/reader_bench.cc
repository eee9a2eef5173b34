// Times the job file reader against `xmllint --stream --noout` on the same generated job
// files and measures the reader's peak resident memory. Each measurement runs in a
// process of its own, so that its peak memory is its own. Time is the processor time
// (user + system) of that process: the build machines are shared, and waiting for a
// processor is no work of the program's. The two programs take turns, several rounds,
// and the ratio reported is the median of the rounds' ratios, which load on the machine
// disturbs least.
//
//   reader_bench [entries...]          report (default: 10000 100000 1000000)
//   reader_bench --read FILE           read one job file (the measured child)
//   reader_bench --write N FILE        write a job file of N entries
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "reader/job_file_reader.h"
#include "platform/posix/posix_platform.h"
#include "reader_job_generator.h"
#include "text/utf.h"

namespace velkor::bench {
namespace {

// The reader keeps the entries of a job file up to a fixed budget, so its peak grows with
// small job files and stops growing once the budget is reached: the goals say so.
constexpr double kTimeGoal = 1.5;          // reader time / xmllint time, at every size
constexpr double kMemoryGoalMiB = 32.0;    // peak resident memory at the largest job
constexpr long long kFlatFrom = 100000;    // from this many entries on the peak stays flat:
constexpr double kFlatGoal = 1.10;         // highest of those peaks / lowest of them
constexpr int kRounds = 7;

// Reads every entry; prints the entry count and a checksum so nothing is skipped.
int ReadOnly(const std::string& path) {
  PosixPlatform platform;
  ReaderFailure failure;
  std::unique_ptr<JobFileReader> reader = CreateJobFileReader(platform, &failure);
  if (!reader) return 2;
  ParseError error;
  if (!reader->LoadJobFile(path, &error)) {
    std::fprintf(stderr, "%s: %s\n", path.c_str(), Utf16ToUtf8(error.reason).c_str());
    return 1;
  }
  AlbumDefaults album;
  reader->ReadAlbumDefaults(&album);
  reader->OpenEntries();
  TrackEntry entry;
  long long count = 0;
  std::size_t units = 0;
  while (reader->NextEntry(&entry)) {
    ++count;
    for (const auto& binding : kEntryBindings) units += (entry.*binding.field).size();
  }
  reader.reset();
  std::printf("%lld %zu\n", count, units);
  return 0;
}

struct Run {
  double seconds = 0;  // processor time
  double wall_seconds = 0;
  double peak_mib = 0;
};

double Seconds(const timeval& time) { return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6; }

// Runs a program with its output discarded: processor and wall time, peak resident memory.
Run Measure(const std::vector<std::string>& command) {
  std::fflush(stdout);
  auto start = std::chrono::steady_clock::now();
  pid_t child = fork();
  if (child == 0) {
    if (!std::freopen("/dev/null", "w", stdout)) _exit(126);
    std::vector<char*> argv;
    for (const std::string& arg : command) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  struct rusage usage {};
  wait4(child, &status, 0, &usage);
  Run run;
  run.wall_seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.seconds = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
  run.peak_mib = static_cast<double>(usage.ru_maxrss) / 1024.0;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s failed\n", command[0].c_str());
    std::exit(1);
  }
  return run;
}

struct Comparison {
  Run reader;   // best times, highest peak
  Run xmllint;
  double ratio = 0;  // median of the rounds' processor time ratios
};

Comparison Compare(const std::string& self, const std::string& path) {
  std::vector<Run> readers, xmllints;
  std::vector<double> ratios;
  for (int round = 0; round < kRounds; ++round) {
    // Alternate who goes first, so neither always runs on a warmer cache.
    Run reader, xmllint;
    if (round % 2 == 0) reader = Measure({self, "--read", path});
    xmllint = Measure({"xmllint", "--stream", "--noout", path});
    if (round % 2 == 1) reader = Measure({self, "--read", path});
    readers.push_back(reader);
    xmllints.push_back(xmllint);
    ratios.push_back(reader.seconds / xmllint.seconds);
  }
  auto best = [](const std::vector<Run>& runs) {
    Run result = runs[0];
    for (const Run& run : runs) {
      result.seconds = std::min(result.seconds, run.seconds);
      result.wall_seconds = std::min(result.wall_seconds, run.wall_seconds);
      result.peak_mib = std::max(result.peak_mib, run.peak_mib);
    }
    return result;
  };
  std::sort(ratios.begin(), ratios.end());
  return Comparison{best(readers), best(xmllints), ratios[ratios.size() / 2]};
}

int Report(const std::string& self, const std::vector<long long>& sizes) {
  std::filesystem::path dir = std::filesystem::temp_directory_path() / ("velkor-reader-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  std::printf("%9s %9s | %13s %13s %6s | %13s %13s %6s | %11s %11s\n", "entries", "file MiB", "reader cpu",
              "xmllint cpu", "ratio", "reader wall", "xmllint wall", "ratio", "reader peak", "xmllint pk");
  std::printf("%9s %9s | %13s %13s %6s | %13s %13s %6s | %11s %11s\n", "", "", "ns/entry", "ns/entry", "median",
              "ns/entry", "ns/entry", "best", "MiB", "MiB");
  bool ok = true;
  double last_peak = 0, flat_lowest = 0, flat_highest = 0;
  for (long long entries : sizes) {
    std::string path = (dir / ("job-" + std::to_string(entries) + ".xml")).string();
    long long bytes = WriteJobFile(path, entries);
    Comparison comparison = Compare(self, path);
    std::filesystem::remove(path);
    const Run& reader = comparison.reader;
    const Run& xmllint = comparison.xmllint;
    double ratio = comparison.ratio;
    double per_entry = 1e9 / static_cast<double>(entries);
    std::printf("%9lld %9.1f | %13.0f %13.0f %6.2f | %13.0f %13.0f %6.2f | %11.1f %11.1f\n", entries,
                static_cast<double>(bytes) / (1 << 20), reader.seconds * per_entry, xmllint.seconds * per_entry, ratio,
                reader.wall_seconds * per_entry, xmllint.wall_seconds * per_entry,
                reader.wall_seconds / xmllint.wall_seconds, reader.peak_mib, xmllint.peak_mib);
    std::fflush(stdout);
    if (ratio > kTimeGoal) ok = false;
    last_peak = reader.peak_mib;
    if (entries < kFlatFrom) continue;
    flat_lowest = flat_lowest == 0 ? last_peak : std::min(flat_lowest, last_peak);
    flat_highest = std::max(flat_highest, last_peak);
  }
  std::filesystem::remove_all(dir);
  const double flatness = flat_lowest > 0 ? flat_highest / flat_lowest : 1.0;
  std::printf("goals: processor time ratio <= %.2f, peak < %.0f MiB at the largest job (measured %.1f), "
              "highest/lowest peak from %lld entries on <= %.2f (measured %.2f)\n",
              kTimeGoal, kMemoryGoalMiB, last_peak, kFlatFrom, kFlatGoal, flatness);
  if (last_peak >= kMemoryGoalMiB || flatness > kFlatGoal) ok = false;
  std::printf("%s\n", ok ? "all goals met" : "GOALS MISSED");
  return ok ? 0 : 1;
}

}  // namespace
}  // namespace velkor::bench

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--read") return velkor::bench::ReadOnly(argv[2]);
  if (argc == 4 && std::string(argv[1]) == "--write") {
    velkor::bench::WriteJobFile(argv[3], std::atoll(argv[2]));
    return 0;
  }
  std::vector<long long> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(std::atoll(argv[i]));
  if (sizes.empty()) sizes = {10000, 100000, 1000000};
  std::string self = std::filesystem::canonical("/proc/self/exe").string();
  return velkor::bench::Report(self, sizes);
}
