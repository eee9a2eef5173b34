#include "reader/job_file_reading.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "reader/declared_encoding.h"
#include "reader/job_file_failure.h"
#include "reader/plain_job_file_scan.h"
#include "resource.h"
#include "text/utf.h"

namespace velkor {
namespace {

template <typename Record, std::size_t N>
std::vector<std::string> AttributeNames(const std::array<FieldBinding<Record>, N>& bindings) {
  std::vector<std::string> names;
  for (const FieldBinding<Record>& binding : bindings) names.push_back(Utf16ToUtf8(binding.attribute));
  return names;
}

// Widens eight ASCII bytes at `text` into `out`; false, with nothing written, when they are
// not all ASCII.
bool WidenAsciiBlock(const char* text, char16_t* out) {
  constexpr std::uint64_t kHighBits = 0x8080808080808080u;
  std::uint64_t block;
  std::memcpy(&block, text, 8);
  if (block & kHighBits) return false;
  // From a local copy: stores through `out` cannot change it, so they need no reloads.
  unsigned char bytes[8];
  std::memcpy(bytes, &block, 8);
  for (std::size_t i = 0; i < 8; ++i) out[i] = bytes[i];
  return true;
}

// Widens the ASCII text at the start of `text` into `out`, eight bytes at a time; its length.
std::size_t WidenAscii(std::string_view text, char16_t* out) {
  std::size_t length = 0;
  while (length + 8 <= text.size() && WidenAsciiBlock(text.data() + length, out + length)) length += 8;
  // The rest as one more block, ending at the text's end, when the text is that long.
  if (length < text.size() && length + 8 > text.size() && text.size() >= 8 &&
      WidenAsciiBlock(text.data() + text.size() - 8, out + text.size() - 8)) {
    return text.size();
  }
  for (; length < text.size() && static_cast<unsigned char>(text[length]) < 0x80; ++length) {
    out[length] = static_cast<char16_t>(text[length]);
  }
  return length;
}

// Empties the field, then fills it with the attribute's value when there is one. Job
// files are mostly ASCII, which widens straight into the field's own storage; two- and
// three-byte sequences are decoded in place too, anything else by the general decoder.
void ReadAttribute(std::string_view value, std::u16string* field) {
  // Never more units than bytes. Fields often keep their length from entry to entry, and
  // then need no resizing (which would first fill what is about to be written).
  if (field->size() != value.size()) field->resize(value.size());
  char16_t* out = field->data();
  std::size_t in = 0, length = 0;
  for (;;) {
    std::size_t ascii = WidenAscii(value.substr(in), out + length);
    in += ascii;
    length += ascii;
    if (in == value.size()) break;
    unsigned lead = static_cast<unsigned char>(value[in]);
    std::size_t left = value.size() - in;
    if (lead >= 0xC2 && lead < 0xE0 && left >= 2 && (value[in + 1] & 0xC0) == 0x80) {
      out[length++] = static_cast<char16_t>(((lead & 0x1F) << 6) | (value[in + 1] & 0x3F));
      in += 2;
    } else if (lead >= 0xE0 && lead < 0xF0 && left >= 3 && (value[in + 1] & 0xC0) == 0x80 &&
               (value[in + 2] & 0xC0) == 0x80) {
      unsigned unit = ((lead & 0x0F) << 12) | ((value[in + 1] & 0x3F) << 6) | (value[in + 2] & 0x3F);
      if (unit < 0x800 || (unit >= 0xD800 && unit < 0xE000)) break;
      out[length++] = static_cast<char16_t>(unit);
      in += 3;
    } else {
      break;
    }
  }
  field->resize(length);
  if (in < value.size()) field->append(Utf8ToUtf16(value.substr(in)));
}

template <typename Record, std::size_t N>
void ReadAttributes(const std::array<FieldBinding<Record>, N>& bindings, const ScanValues& values, Record* record) {
  for (std::size_t row = 0; row < N; ++row) ReadAttribute(values[row], &(record->*bindings[row].field));
}

// The entries that the check pass has decoded, their values as UTF-8 in one buffer, up
// to a limit in bytes: a job file whose entries fit is parsed once. Past the limit all are
// dropped and the entries pass reads the file again, so memory stays flat.
class KeptEntries {
 public:
  explicit KeptEntries(std::size_t limit) : limit_(limit) {}

  bool keeping() const { return keeping_; }
  std::size_t limit() const { return limit_; }

  void Keep(const ScanValues& values) {
    std::size_t size = bytes_.size();
    for (std::string_view value : values) size += value.size();
    if (size + sizeof(std::uint32_t) * (ends_.size() + values.size()) > limit_) {
      Drop();
      return;
    }
    if (size > bytes_.capacity()) Grow(size);
    std::size_t end = bytes_.size();
    bytes_.resize(size);
    for (std::string_view value : values) {
      value.copy(bytes_.data() + end, value.size());
      end += value.size();
      ends_.push_back(static_cast<std::uint32_t>(end));
    }
  }

  void Drop() {
    keeping_ = false;
    bytes_ = std::string();
    ends_ = std::vector<std::uint32_t>();
  }

  // Fills `entry` from the next kept entry; false at the end.
  bool Take(TrackEntry* entry) {
    if (next_ == ends_.size()) return false;
    for (const FieldBinding<TrackEntry>& binding : kEntryBindings) {
      std::size_t begin = next_ == 0 ? 0 : ends_[next_ - 1];
      ReadAttribute(std::string_view(bytes_).substr(begin, ends_[next_] - begin), &(entry->*binding.field));
      ++next_;
    }
    return true;
  }

 private:
  // Small job files grow the buffers by doubling. Past a mebibyte they take room for the
  // limit at once: doubling a large buffer would copy it and hold the old one and the new
  // one at the same time, where pages never written take no memory.
  void Grow(std::size_t size) {
    constexpr std::size_t kSmall = 1024 * 1024;
    std::size_t room = size <= kSmall ? std::max(size, 2 * bytes_.capacity()) : limit_;
    bytes_.reserve(room);
    ends_.reserve(room / sizeof(std::uint32_t));
  }

  std::size_t limit_;
  bool keeping_ = true;
  std::string bytes_;
  std::vector<std::uint32_t> ends_;  // where each value ends in bytes_, entry by entry
  std::size_t next_ = 0;             // the next value to take
};

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

enum class Fed { kWhole, kScanFailed, kReadFailed };

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
        fed = FeedAll(checked.get(), scan.get(), &source_error);
        if (fed == Fed::kWhole) {
          source = std::move(checked);
          return Checked::kWellFormed;
        }
        if (fed == Fed::kScanFailed) {
          *error = scan->Failure();
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
    bool ok = count == 0 ? library_scan->Finish() : library_scan->Feed(buffer.data(), static_cast<std::size_t>(count));
    if (!ok) Abandon(Describe(library_scan->Failure()));
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
