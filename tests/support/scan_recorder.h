// Runs either job file scan over a text, fed in pieces of a given size, and writes down
// what it hands over, so that the two scans can be compared.
#ifndef VELKOR_TESTS_SUPPORT_SCAN_RECORDER_H_
#define VELKOR_TESTS_SUPPORT_SCAN_RECORDER_H_

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "reader/libxml2/job_file_scan.h"

namespace velkor {

inline const std::vector<std::string> kRecordedRootNames = {"title", "artist", "genre", "year"};
inline const std::vector<std::string> kRecordedFileNames = {"oldName", "newName", "track", "title", "artist",
                                                            "album", "genre", "year", "comment"};

class ScanRecorder : public ScanSink {
 public:
  void OnRoot(const ScanValues& values) override { Write("root", values); }
  void OnFile(const ScanValues& values) override { Write("file", values); }
  bool WantsFiles() const override { return true; }
  const std::string& record() const { return record_; }

 private:
  void Write(const char* what, const ScanValues& values) {
    record_ += what;
    for (std::string_view value : values) (record_ += '|') += value;
    record_ += '\n';
  }
  std::string record_;
};

// What `Scan` hands over for `text` fed `piece` bytes at a time; "failed" when it fails.
template <typename Scan>
std::string RecordScan(std::string_view text, std::size_t piece) {
  ScanRecorder recorder;
  Scan scan(kRecordedRootNames, kRecordedFileNames, &recorder);
  for (std::size_t at = 0; at < text.size(); at += piece) {
    std::string_view part = text.substr(at, piece);
    if (!scan.Feed(part.data(), part.size())) return "failed";
  }
  return scan.Finish() ? recorder.record() : "failed";
}

}  // namespace velkor

#endif  // VELKOR_TESTS_SUPPORT_SCAN_RECORDER_H_
