// The one failure that travels as an exception: it abandons the rest of a job file,
// and the batch goes on with the next one.
#ifndef VELKOR_READER_JOB_FILE_FAILURE_H_
#define VELKOR_READER_JOB_FILE_FAILURE_H_

#include <exception>
#include <string>
#include <string_view>
#include <utility>

namespace velkor {

class JobFileFailure : public std::exception {
 public:
  // `description` says what went wrong in detail (it may be empty); `message` is the
  // failure's general text. Both are shown to the user, in that order.
  JobFileFailure(std::u16string description, std::u16string_view message)
      : description_(std::move(description)), message_(message) {}

  const std::u16string& description() const { return description_; }
  const std::u16string& message() const { return message_; }
  const char* what() const noexcept override { return "job file failure"; }

 private:
  std::u16string description_;
  std::u16string message_;
};

}  // namespace velkor

#endif  // VELKOR_READER_JOB_FILE_FAILURE_H_
