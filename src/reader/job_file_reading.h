// The reading that both job-file readers share: a check pass over the whole file before any
// entry, by the quick plain scan and, for a file not in the plain form, by the platform's
// XML library; the entries the check could keep, up to a limit; then an entries pass that
// reads the file again, a piece at a time, when they did not fit.
#ifndef VELKOR_READER_JOB_FILE_READING_H_
#define VELKOR_READER_JOB_FILE_READING_H_

#include <cstddef>
#include <functional>
#include <memory>

#include "reader/job_file_reader.h"
#include "reader/job_file_source.h"
#include "reader/scan_sink.h"

namespace velkor {

// A streaming scan by the platform's XML library, for files the plain scan gives up on.
class LibraryScan {
 public:
  virtual ~LibraryScan() = default;
  // The next bytes of the file; false once the file has failed.
  virtual bool Feed(const char* bytes, std::size_t size) = 0;
  // The end of the file; false when the file has failed.
  virtual bool Finish() = 0;
  // Where and why it failed; throws std::bad_alloc when it ran out of memory.
  virtual ParseError Failure() const = 0;
};

// Makes a library scan that hands its elements to `sink`.
using LibraryScanMaker = std::function<std::unique_ptr<LibraryScan>(ScanSink* sink)>;

class JobFileReading {
 public:
  // The size of the pieces both passes feed, so that they see the file alike.
  static constexpr std::size_t kChunkSize = 64 * 1024;
  // What the entries that the check decodes may take in memory, to be handed out without
  // reading the file again.
  static constexpr std::size_t kKeptBytes = 16 * 1024 * 1024;

  enum class Checked { kWellFormed, kFailed, kNotPlain };

  // Without `library`, a file that is not plain is left to the caller (kNotPlain).
  JobFileReading(Platform& platform, std::size_t kept_bytes, LibraryScanMaker library);
  ~JobFileReading();

  // Reads the whole of `source` once. kWellFormed: album defaults and entries are ready.
  // kFailed: `error` says why. kNotPlain: the file is neither plain nor refused; source()
  // still holds it.
  Checked Check(std::unique_ptr<JobFileSource> source, ParseError* error);
  JobFileSource* source() const;

  void ReadAlbumDefaults(AlbumDefaults* defaults) const;
  void OpenEntries();
  // Throws JobFileFailure when the file can no longer be read, or (without a library scan)
  // has left the plain form since its check.
  bool NextEntry(TrackEntry* entry);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace velkor

#endif  // VELKOR_READER_JOB_FILE_READING_H_
