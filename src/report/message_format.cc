#include "report/message_format.h"

#include <cstring>

namespace velkor {
namespace {

struct Conversion {
  bool left_justify = false;
  bool zero_pad = false;
  size_t width = 0;
  char16_t type = u's';  // s, d, i, u, x or X
};

std::u16string Digits(std::uint64_t value, unsigned base, bool upper) {
  const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  std::u16string out;
  do {
    out.insert(out.begin(), static_cast<char16_t>(digits[value % base]));
    value /= base;
  } while (value);
  return out;
}

std::u16string Render(const FormatArg& arg, const Conversion& c) {
  std::u16string body;
  bool negative = false;
  if (!arg.is_number()) {
    body = arg.text();  // a text is printed as it is, whatever the conversion asks
  } else if (c.type == u'x' || c.type == u'X') {
    body = Digits(static_cast<std::uint32_t>(arg.number()), 16, c.type == u'X');
  } else if (c.type == u'u') {
    body = Digits(static_cast<std::uint32_t>(arg.number()), 10, false);
  } else {
    std::int64_t value = c.type == u's' ? arg.number() : static_cast<std::int32_t>(arg.number());
    negative = value < 0;
    body = Digits(negative ? static_cast<std::uint64_t>(-value) : static_cast<std::uint64_t>(value), 10, false);
  }
  size_t length = body.size() + (negative ? 1 : 0);
  size_t pad = c.width > length ? c.width - length : 0;
  std::u16string out;
  if (c.zero_pad && !c.left_justify && arg.is_number()) {
    if (negative) out += u'-';
    out.append(pad, u'0');
  } else {
    if (!c.left_justify) out.append(pad, u' ');
    if (negative) out += u'-';
  }
  out += body;
  if (c.left_justify) out.append(pad, u' ');
  return out;
}

// Reads a conversion such as "08X" or "s" from `text`; false when it is not one.
bool ParseConversion(std::u16string_view text, Conversion* c) {
  size_t i = 0;
  for (; i < text.size() && (text[i] == u'-' || text[i] == u'0'); ++i) {
    if (text[i] == u'-') c->left_justify = true;
    else c->zero_pad = true;
  }
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9' && c->width < 1000; ++i)
    c->width = c->width * 10 + (text[i] - u'0');
  if (i + 1 != text.size()) return false;
  c->type = text[i];
  return std::u16string_view(u"sdiuxX").find(c->type) != std::u16string_view::npos;
}

// Where the first '%' at or after `from` is, or npos. Most of a message is plain text,
// so it is searched four units to a 64-bit word, whatever the byte order.
size_t FindPercent(std::u16string_view text, size_t from) {
  constexpr std::uint64_t kUnitOnes = 0x0001000100010001u;
  constexpr std::uint64_t kUnitTopBits = 0x8000800080008000u;
  constexpr std::uint64_t kPercents = u'%' * kUnitOnes;
  size_t i = from;
  for (std::uint64_t units; i + 4 <= text.size(); i += 4) {
    std::memcpy(&units, text.data() + i, sizeof units);
    const std::uint64_t zero_where_percent = units ^ kPercents;
    // A unit that is zero becomes all ones when one is taken from it, its top bit set.
    if ((zero_where_percent - kUnitOnes) & ~zero_where_percent & kUnitTopBits) break;
  }
  for (; i < text.size(); ++i) {
    if (text[i] == u'%') return i;
  }
  return std::u16string_view::npos;
}

// Gathers a message in a block on the stack and appends the block to the string when it
// is full and at the end, so that a short message costs one append, not one a piece.
class Gather {
 public:
  explicit Gather(std::u16string* out) : out_(out) {}

  void Put(std::u16string_view text) {
    if (text.size() > kUnits - used_) {
      Flush();
      if (text.size() > kUnits) {
        out_->append(text);
        return;
      }
    }
    std::memcpy(block_ + used_, text.data(), text.size() * sizeof(char16_t));
    used_ += text.size();
  }

  void Flush() {
    out_->append(block_, used_);
    used_ = 0;
  }

 private:
  static constexpr size_t kUnits = 256;
  std::u16string* out_;
  char16_t block_[kUnits];
  size_t used_ = 0;
};

}  // namespace

void FillPrintfInserts(std::u16string_view format, FormatArgs args, std::u16string* out) {
  out->clear();
  Gather message(out);
  size_t next_arg = 0;
  for (size_t i = 0; i < format.size(); ++i) {
    size_t percent = FindPercent(format, i);
    message.Put(format.substr(i, percent - i));  // the plain text up to the next placeholder
    if (percent == std::u16string_view::npos) break;
    i = percent;
    char16_t type = i + 1 < format.size() ? format[i + 1] : u'\0';
    if (type != u's' && type != u'd' && type != u'%') {
      message.Put(u"%");
      continue;
    }
    ++i;
    if (type == u'%') {
      message.Put(u"%");
    } else if (next_arg < args.size()) {
      const FormatArg& arg = args.begin()[next_arg++];
      Conversion conversion;
      conversion.type = type;
      message.Put(arg.is_number() ? std::u16string_view(Render(arg, conversion)) : arg.text());
    } else {
      message.Put(format.substr(i - 1, 2));  // no argument left: the placeholder stays
    }
  }
  message.Flush();
}

std::u16string FillNumberedInserts(std::u16string_view format, FormatArgs inserts) {
  std::u16string out;
  for (size_t i = 0; i < format.size(); ++i) {
    char16_t c = format[i];
    if (c != u'%' || i + 1 == format.size()) {
      out += c;
      continue;
    }
    char16_t next = format[i + 1];
    if (next < u'1' || next > u'9') {
      switch (next) {
        case u'0': return out;  // ends the message
        case u'n': out += u"\r\n"; break;
        case u'r': out += u'\r'; break;
        case u't': out += u'\t'; break;
        case u'%': case u'.': case u'!': case u' ': out += next; break;
        default: out += format.substr(i, 2); break;
      }
      ++i;
      continue;
    }
    size_t start = i;
    size_t number = static_cast<size_t>(next - u'0');
    i += 2;
    if (i < format.size() && format[i] >= u'0' && format[i] <= u'9') number = number * 10 + (format[i++] - u'0');
    Conversion conversion;
    if (i < format.size() && format[i] == u'!') {
      size_t close = format.find(u'!', i + 1);
      if (close == std::u16string_view::npos || !ParseConversion(format.substr(i + 1, close - i - 1), &conversion)) {
        out += format.substr(start, i - start);  // a malformed conversion is printed as written
        --i;
        continue;
      }
      i = close + 1;
    }
    if (number > inserts.size()) out += format.substr(start, i - start);
    else out += Render(inserts.begin()[number - 1], conversion);
    --i;
  }
  return out;
}

}  // namespace velkor
