// Filling the inserts of message texts. Inserted values are never interpreted, and a
// placeholder without a matching argument stays as written, so no text can read past
// its arguments.
#ifndef VELKOR_REPORT_MESSAGE_FORMAT_H_
#define VELKOR_REPORT_MESSAGE_FORMAT_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velkor {

// One argument of a message: a text or a 32-bit number.
class FormatArg {
 public:
  FormatArg(std::u16string_view text) : text_(text) {}
  FormatArg(const std::u16string& text) : text_(text) {}
  FormatArg(const char16_t* text) : text_(text) {}
  FormatArg(std::int32_t number) : is_number_(true), number_(number) {}
  FormatArg(std::uint32_t number) : is_number_(true), number_(number) {}

  bool is_number() const { return is_number_; }
  std::u16string_view text() const { return text_; }
  std::int64_t number() const { return number_; }

 private:
  bool is_number_ = false;
  std::u16string_view text_;
  std::int64_t number_ = 0;
};

// printf style: %s takes a text, %d a number in decimal, %% is a percent sign.
// Placeholders take the arguments in order.
std::u16string FillPrintfInserts(std::u16string_view format, const std::vector<FormatArg>& args);

// Numbered inserts: %1 to %99, each optionally followed by a conversion between
// exclamation marks (%1!s!, %2!08X!, %3!d!); %% %n %r %t %. %! and "% " as the
// Windows message formatter reads them.
std::u16string FillNumberedInserts(std::u16string_view format, const std::vector<FormatArg>& inserts);

}  // namespace velkor

#endif  // VELKOR_REPORT_MESSAGE_FORMAT_H_
