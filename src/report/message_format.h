// Filling the inserts of message texts. Inserted values are never interpreted, and a
// placeholder without a matching argument stays as written, so no text can read past
// its arguments.
#ifndef VELKOR_REPORT_MESSAGE_FORMAT_H_
#define VELKOR_REPORT_MESSAGE_FORMAT_H_

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

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

// A message's arguments as the braced list at the call, which holds them until the
// call returns.
using FormatArgs = std::initializer_list<FormatArg>;

// printf style: %s takes a text, %d a number in decimal, %% is a percent sign.
// Placeholders take the arguments in order. The message replaces what `out` held; its
// storage is reused.
void FillPrintfInserts(std::u16string_view format, FormatArgs args, std::u16string* out);

// Numbered inserts: %1 to %99, each optionally followed by a conversion between
// exclamation marks (%1!s!, %2!08X!, %3!d!); %% %n %r %t %. %! and "% " as the
// Windows message formatter reads them.
std::u16string FillNumberedInserts(std::u16string_view format, FormatArgs inserts);

}  // namespace velkor

#endif  // VELKOR_REPORT_MESSAGE_FORMAT_H_
