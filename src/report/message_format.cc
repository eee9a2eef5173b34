#include "report/message_format.h"

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

}  // namespace

void FillPrintfInserts(std::u16string_view format, FormatArgs args, std::u16string* out) {
  out->clear();
  size_t next_arg = 0;
  for (size_t i = 0; i < format.size(); ++i) {
    size_t percent = format.find(u'%', i);
    out->append(format.substr(i, percent - i));  // the plain text up to the next placeholder
    if (percent == std::u16string_view::npos) break;
    i = percent;
    char16_t type = i + 1 < format.size() ? format[i + 1] : u'\0';
    if (type != u's' && type != u'd' && type != u'%') {
      *out += u'%';
      continue;
    }
    ++i;
    if (type == u'%') {
      *out += u'%';
    } else if (next_arg < args.size()) {
      const FormatArg& arg = args.begin()[next_arg++];
      Conversion conversion;
      conversion.type = type;
      if (arg.is_number()) *out += Render(arg, conversion);
      else out->append(arg.text());
    } else {
      *out += format.substr(i - 1, 2);  // no argument left: the placeholder stays
    }
  }
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
