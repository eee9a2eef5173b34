// A library scan for a library that lacks some encodings, or reads some at a cost: a job
// file in UTF-16 or KOI8-R is handed over in UTF-8, its declaration saying so.
#ifndef VELKOR_READER_RECODING_SCAN_H_
#define VELKOR_READER_RECODING_SCAN_H_

#include <cstddef>
#include <memory>
#include <string>
#include <utility>

#include "reader/job_file_reading.h"

namespace velkor {

class RecodingScan : public LibraryScan {
 public:
  explicit RecodingScan(std::unique_ptr<LibraryScan> library) : library_(std::move(library)) {}

  bool Feed(const char* bytes, std::size_t size) override;
  bool Finish() override;
  ParseError Failure() const override { return library_->Failure(); }

 private:
  enum class Mode { kUndecided, kAsIs, kKoi8R, kUtf16Le, kUtf16Be };

  // Once the declaration is whole (or there is none): the mode, and the start handed over.
  bool Decide();
  // `bytes` in UTF-8 into recoded_.
  void Recode(const char* bytes, std::size_t size);
  bool Pass(const char* bytes, std::size_t size);

  std::unique_ptr<LibraryScan> library_;
  std::string start_;  // the first bytes, until the declaration is whole
  Mode mode_ = Mode::kUndecided;
  int odd_byte_ = -1;          // of UTF-16, waiting for its pair
  char16_t high_surrogate_ = 0;
  std::string recoded_;
};

}  // namespace velkor

#endif  // VELKOR_READER_RECODING_SCAN_H_
