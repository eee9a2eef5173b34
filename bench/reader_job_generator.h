// Job files that look like a real music library: every entry with all nine attributes.
#ifndef VELKOR_BENCH_READER_JOB_GENERATOR_H_
#define VELKOR_BENCH_READER_JOB_GENERATOR_H_

#include <string>

namespace velkor::bench {

// Writes a job file of `entries` entries to `path`; its size in bytes.
long long WriteJobFile(const std::string& path, long long entries);

}  // namespace velkor::bench

#endif  // VELKOR_BENCH_READER_JOB_GENERATOR_H_
