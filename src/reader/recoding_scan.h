// A library scan for a library that lacks some 8-bit encodings: a job file whose
// declaration names one of them is handed over in UTF-8, its declaration saying so.
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
  // Once the declaration is whole (or there is none): whether to recode, and the start.
  bool Decide();
  bool Pass(const char* bytes, std::size_t size);

  std::unique_ptr<LibraryScan> library_;
  std::string start_;  // the first bytes, until the declaration is whole
  bool decided_ = false;
  const char16_t* table_ = nullptr;  // the upper half of the encoding, when recoding
  std::string recoded_;
};

}  // namespace velkor

#endif  // VELKOR_READER_RECODING_SCAN_H_
