// The entries that a job file's check has decoded, kept to be handed out without reading
// the file again.
#ifndef VELKOR_READER_KEPT_ENTRIES_H_
#define VELKOR_READER_KEPT_ENTRIES_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "reader/entry_fields.h"

namespace velkor {

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

}  // namespace velkor

#endif  // VELKOR_READER_KEPT_ENTRIES_H_
