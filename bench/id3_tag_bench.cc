// Tags a 4 GiB file (sparse, so it costs no disk) and a 1 KiB file over and over and
// compares the time per tag. The goal is a ratio near 1: the size of the audio data must
// not matter. Exits 1 when the large file is more than kLimit times slower.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "id3/id3v1_tag.h"
#include "platform/posix/posix_platform.h"

namespace {

constexpr double kLimit = 4.0;
constexpr int kRounds = 9;
constexpr int kTagsPerRound = 400;

bool MakeFile(const std::string& path, off_t size) {
  int fd = open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = ftruncate(fd, size) == 0;
  close(fd);
  return ok;
}

// Seconds per probe, build and append, the file cut back after each one.
double TimePerTag(velkor::Platform& platform, const std::string& path, off_t size) {
  velkor::TrackEntry entry;
  entry.title = u"Bench";
  entry.track = u"7";
  velkor::AlbumDefaults album;
  album.artist = u"Artist";
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kTagsPerRound; ++i) {
    velkor::Id3v1Tag block;
    velkor::TagFile file;
    if (velkor::TagProbe(platform, path, &block, &file) != velkor::ProbeResult::NoTag) std::exit(2);
    velkor::TagBuilder(platform, entry, album, &block);
    if (!velkor::AppendTag(file, block)) std::exit(2);
    if (truncate(path.c_str(), size) != 0) std::exit(2);
  }
  std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  return elapsed.count() / kTagsPerRound;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main() {
  const char* tmp = std::getenv("TMPDIR");
  std::string dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/velkor-id3-bench-XXXXXX";
  if (!mkdtemp(dir.data())) return 2;
  const off_t kSmall = 1024;
  const off_t kLarge = off_t{1} << 32;
  std::string small = dir + "/small.mp3", large = dir + "/large.mp3";
  if (!MakeFile(small, kSmall) || !MakeFile(large, kLarge)) return 2;

  velkor::PosixPlatform platform;
  std::vector<double> small_times, large_times;
  for (int round = 0; round < kRounds; ++round) {  // interleaved, so load affects both
    small_times.push_back(TimePerTag(platform, small, kSmall));
    large_times.push_back(TimePerTag(platform, large, kLarge));
  }
  unlink(small.c_str());
  unlink(large.c_str());
  rmdir(dir.c_str());

  double small_time = Median(small_times), large_time = Median(large_times);
  double ratio = large_time / small_time;
  std::printf("tag 1 KiB file: %.2f us\ntag 4 GiB file: %.2f us\nratio: %.2f (limit %.1f)\n", small_time * 1e6,
              large_time * 1e6, ratio, kLimit);
  return ratio <= kLimit ? 0 : 1;
}
