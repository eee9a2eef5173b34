#include "reader/job_file_reading.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "reader/declared_encoding.h"
#include "reader/entry_fields.h"
#include "reader/job_file_failure.h"
#include "reader/kept_entries.h"
#include "reader/markup_guard.h"
#include "reader/plain_job_file_scan.h"
#include "resource.h"
#include "text/utf.h"

namespace velkor {
namespace {

// The check pass: keeps the album defaults, and the entries while they fit.
class CheckSink : public ScanSink {
 public:
  CheckSink(AlbumDefaults* album, KeptEntries* kept) : album_(album), kept_(kept) {}
  void OnRoot(const ScanValues& values) override { ReadAttributes(kAlbumBindings, values, album_); }
  void OnFile(const ScanValues& values) override {
    if (kept_->keeping()) kept_->Keep(values);
  }
  bool WantsFiles() const override { return kept_->keeping(); }

 private:
  AlbumDefaults* album_;
  KeptEntries* kept_;
};

// The entries pass: queues the entries of each piece of the file until they are taken.
// Taking swaps the fields, so the queue's strings keep their storage for the next piece.
class EntrySink : public ScanSink {
 public:
  void OnRoot(const ScanValues&) override {}
  void OnFile(const ScanValues& values) override {
    ++received_;
    if (skip_ > 0) {
      --skip_;
      return;
    }
    if (count_ == queue_.size()) queue_.emplace_back();
    ReadAttributes(kEntryBindings, values, &queue_[count_++]);
  }
  bool WantsFiles() const override { return true; }

  // Entries seen since the pass began, skipped ones included.
  std::size_t received() const { return received_; }
  // Passes over the next `count` entries, when the file is read from its start again.
  void SkipNext(std::size_t count) {
    skip_ = count;
    received_ = 0;
  }

  bool Take(TrackEntry* entry) {
    if (next_ == count_) {
      next_ = count_ = 0;
      return false;
    }
    TrackEntry& queued = queue_[next_++];
    for (const FieldBinding<TrackEntry>& binding : kEntryBindings) (entry->*binding.field).swap(queued.*binding.field);
    return true;
  }

 private:
  std::vector<TrackEntry> queue_;
  std::size_t count_ = 0;  // entries queued
  std::size_t next_ = 0;   // the next to take
  std::size_t received_ = 0;
  std::size_t skip_ = 0;
};

enum class Fed { kWhole, kScanFailed, kReadFailed, kRefused };

// Feeds `scan` the whole of `source`, a piece at a time.
template <typename Scan>
Fed FeedAll(JobFileSource* source, Scan* scan, SourceError* read_error) {
  std::vector<char> buffer(JobFileReading::kChunkSize);
  for (;;) {
    std::ptrdiff_t count = source->Read(buffer.data(), buffer.size(), read_error);
    if (count < 0) return Fed::kReadFailed;
    if (count == 0) return scan->Finish() ? Fed::kWhole : Fed::kScanFailed;
    if (!scan->Feed(buffer.data(), static_cast<std::size_t>(count))) return Fed::kScanFailed;
  }
}

// Hands `scan` one piece of the file (none at its end) once `guard` has judged it: the
// library never reads a byte that the program's own limits have not passed. Where the
// guard cannot follow the markup, the library reads up to there and ends, to say what is
// wrong there.
Fed FeedPiece(MarkupGuard* guard, LibraryScan* scan, const char* bytes, std::size_t size) {
  if (size == 0) {
    if (!guard->Finish()) return Fed::kRefused;
    return scan->Finish() ? Fed::kWhole : Fed::kScanFailed;
  }
  const std::uint64_t before = guard->judged();
  if (!guard->Feed(bytes, size)) {
    if (!guard->lost()) return Fed::kRefused;
    const std::size_t judged = static_cast<std::size_t>(std::min<std::uint64_t>(guard->judged() - before, size));
    if (!scan->Feed(bytes, judged) || !scan->Finish()) return Fed::kScanFailed;
    return Fed::kRefused;
  }
  return scan->Feed(bytes, size) ? Fed::kWhole : Fed::kScanFailed;
}

// Feeds `scan` the whole of `source` as `guard` passes it, a piece at a time.
Fed FeedGuarded(JobFileSource* source, MarkupGuard* guard, LibraryScan* scan, SourceError* read_error) {
  std::vector<char> buffer(JobFileReading::kChunkSize);
  for (;;) {
    std::ptrdiff_t count = source->Read(buffer.data(), buffer.size(), read_error);
    if (count < 0) return Fed::kReadFailed;
    const Fed fed = FeedPiece(guard, scan, buffer.data(), static_cast<std::size_t>(count));
    if (fed != Fed::kWhole || count == 0) return fed;
  }
}

ParseError FromSource(SourceError error) { return ParseError{error.code, 0, 0, std::move(error.reason)}; }

std::u16string Describe(const ParseError& failure) {
  return failure.reason + Utf8ToUtf16(" (line " + std::to_string(failure.line) + ", column " +
                                      std::to_string(failure.position) + ")");
}

std::unique_ptr<PlainJobFileScan> MakePlainScan(ScanSink* sink) {
  return std::make_unique<PlainJobFileScan>(AttributeNames(kAlbumBindings), AttributeNames(kEntryBindings), sink);
}

}  // namespace

struct JobFileReading::State {
  State(Platform& the_platform, std::size_t kept_bytes, LibraryScanMaker maker)
      : platform(the_platform), kept(kept_bytes), library(std::move(maker)) {}

  // The first pass: the whole file must be well-formed before any entry is read. A file
  // in the plain form is read quickly; any other, once its declaration is found true to
  // its encoding, by the library from the start.
  Checked Check(std::unique_ptr<JobFileSource> checked, ParseError* error) {
    SourceError source_error;
    Fed fed;
    {
      CheckSink sink(&album, &kept);
      std::unique_ptr<PlainJobFileScan> scan = MakePlainScan(&sink);
      fed = FeedAll(checked.get(), scan.get(), &source_error);
    }
    if (fed == Fed::kWhole) {
      plain = true;
      source = std::move(checked);
      return Checked::kWellFormed;
    }
    album = AlbumDefaults();
    kept = KeptEntries(kept.limit());
    if (fed == Fed::kScanFailed && checked->Rewind(&source_error)) {
      std::ptrdiff_t count = checked->Read(buffer.data(), buffer.size(), &source_error);
      if (count >= 0 && !CheckDeclaredEncoding(std::string_view(buffer.data(), static_cast<std::size_t>(count)), error)) {
        kept.Drop();
        return Checked::kFailed;
      }
      if (count >= 0 && !library) {
        kept.Drop();
        source = std::move(checked);
        return Checked::kNotPlain;
      }
      if (count >= 0 && checked->Rewind(&source_error)) {
        CheckSink sink(&album, &kept);
        std::unique_ptr<LibraryScan> scan = library(&sink);
        MarkupGuard guard;
        fed = FeedGuarded(checked.get(), &guard, scan.get(), &source_error);
        if (fed == Fed::kWhole) {
          source = std::move(checked);
          return Checked::kWellFormed;
        }
        if (fed == Fed::kScanFailed || fed == Fed::kRefused) {
          *error = fed == Fed::kRefused ? guard.refusal() : scan->Failure();
          album = AlbumDefaults();
          kept.Drop();
          return Checked::kFailed;
        }
      }
    }
    *error = FromSource(std::move(source_error));
    return Checked::kFailed;
  }

  // The second pass, a piece of the file at a time: false at the end of the file.
  bool ReadMoreEntries() {
    if (at_end) return false;
    SourceError source_error;
    if (!library_scan && !plain_scan) {
      if (!source->Rewind(&source_error)) Abandon(std::move(source_error.reason));
      if (plain) {
        plain_scan = MakePlainScan(&entries);
      } else {
        // The file may have changed since its check: it is judged again as it is read.
        entries_guard = std::make_unique<MarkupGuard>();
        library_scan = library(&entries);
      }
    }
    std::ptrdiff_t count = source->Read(buffer.data(), buffer.size(), &source_error);
    if (count < 0) Abandon(std::move(source_error.reason));
    if (plain_scan) {
      bool ok = count == 0 ? plain_scan->Finish() : plain_scan->Feed(buffer.data(), static_cast<std::size_t>(count));
      if (count == 0 && ok) at_end = true;
      if (!ok) {
        // The file is no longer plain: the library reads it again, past the entries
        // handed over; without one, the job file is given up.
        if (!library) Abandon(u"");
        plain_scan.reset();
        plain = false;
        entries.SkipNext(entries.received());
      }
      return true;
    }
    const Fed fed = FeedPiece(entries_guard.get(), library_scan.get(), buffer.data(), static_cast<std::size_t>(count));
    if (fed == Fed::kRefused) Abandon(Describe(entries_guard->refusal()));
    if (fed == Fed::kScanFailed) Abandon(Describe(library_scan->Failure()));
    if (count == 0) at_end = true;
    return true;
  }

  // The file passed its check but fails now: the rest of the job file is given up.
  [[noreturn]] void Abandon(std::u16string description) {
    at_end = true;
    library_scan.reset();
    plain_scan.reset();
    source.reset();
    entries = EntrySink();
    throw JobFileFailure(std::move(description), platform.LoadText(IDS_JOB_FILE_CHANGED));
  }

  Platform& platform;
  std::unique_ptr<JobFileSource> source;  // set while a checked job file is open
  AlbumDefaults album;
  KeptEntries kept;
  LibraryScanMaker library;
  bool replaying = false;  // the entries come from `kept`
  std::vector<char> buffer = std::vector<char>(kChunkSize);
  bool plain = false;  // the file passed its check in the plain form
  EntrySink entries;
  // One of these is set once the entries pass has begun.
  std::unique_ptr<PlainJobFileScan> plain_scan;
  std::unique_ptr<LibraryScan> library_scan;
  std::unique_ptr<MarkupGuard> entries_guard;  // of the library's entries pass
  bool at_end = true;
};

JobFileReading::JobFileReading(Platform& platform, std::size_t kept_bytes, LibraryScanMaker library)
    : state_(std::make_unique<State>(platform, kept_bytes, std::move(library))) {}
JobFileReading::~JobFileReading() = default;

JobFileReading::Checked JobFileReading::Check(std::unique_ptr<JobFileSource> source, ParseError* error) {
  return state_->Check(std::move(source), error);
}

JobFileSource* JobFileReading::source() const { return state_->source.get(); }

void JobFileReading::ReadAlbumDefaults(AlbumDefaults* defaults) const { *defaults = state_->album; }

void JobFileReading::OpenEntries() {
  state_->library_scan.reset();
  state_->plain_scan.reset();
  state_->entries = EntrySink();
  state_->at_end = !state_->source;
  // The kept entries serve one walk; any later one reads the file again.
  state_->replaying = state_->source && state_->kept.keeping();
  if (!state_->replaying) state_->kept.Drop();
}

bool JobFileReading::NextEntry(TrackEntry* entry) {
  if (state_->replaying) {
    if (state_->kept.Take(entry)) return true;
    state_->replaying = false;
    state_->kept.Drop();
    return false;
  }
  while (!state_->entries.Take(entry)) {
    if (!state_->ReadMoreEntries()) return false;
  }
  return true;
}

}  // namespace velkor
