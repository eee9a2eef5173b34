// The plain scan must give up on a job file or hand over exactly what libxml2 does. The
// file's size picks the size of the pieces it is fed in.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "reader/plain_job_file_scan.h"
#include "support/scan_recorder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::size_t piece = size % 13 + 1;
  const std::string plain = velkor::RecordScan<velkor::PlainJobFileScan>(text, piece);
  if (plain != "failed" && plain != velkor::RecordScan<velkor::JobFileScan>(text, text.size() + 1)) std::abort();
  return 0;
}
