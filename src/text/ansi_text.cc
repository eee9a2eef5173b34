#include "text/ansi_text.h"

#include <iconv.h>

#include <cerrno>
#include <memory>

#include "text/utf.h"

namespace velkor {
namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

// One iconv descriptor, opened once and reused for every conversion of the run.
class Iconv {
 public:
  Iconv(const std::string& to, const std::string& from) : cd_(iconv_open(to.c_str(), from.c_str())) {}
  ~Iconv() {
    if (ok()) iconv_close(cd_);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;

  bool ok() const { return cd_ != kNoConverter; }

  // Converts all of `in`. An unconvertible or incomplete sequence is replaced by
  // `replacement` when given; without one the conversion fails.
  bool Convert(std::string_view in, const std::string* replacement, std::string* out) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    out->clear();
    char* in_ptr = const_cast<char*>(in.data());
    size_t in_left = in.size();
    char buffer[1024];
    for (;;) {
      char* out_ptr = buffer;
      size_t out_left = sizeof buffer;
      size_t result = in_left ? iconv(cd_, &in_ptr, &in_left, &out_ptr, &out_left)
                              : iconv(cd_, nullptr, nullptr, &out_ptr, &out_left);
      int error = errno;
      out->append(buffer, static_cast<size_t>(out_ptr - buffer));
      if (result != static_cast<size_t>(-1)) {
        if (in_left == 0) return true;
        continue;
      }
      if (error == E2BIG) continue;
      if (!replacement) return false;
      out->append(*replacement);
      size_t skip = error == EINVAL ? in_left : SequenceLength(in_ptr, in_left);
      in_ptr += skip;
      in_left -= skip;
    }
  }

 private:
  // The length of the UTF-8 sequence at `p`: its lead byte and the continuation bytes.
  static size_t SequenceLength(const char* p, size_t left) {
    size_t n = 1;
    while (n < left && (static_cast<unsigned char>(p[n]) & 0xC0) == 0x80) ++n;
    return n;
  }

  iconv_t cd_;
};

struct Charset {
  std::string name = "UTF-8";
  bool utf8 = true;
  std::unique_ptr<Iconv> to_lossy, to_strict, from;
};

Charset& Current() {
  static Charset charset;
  return charset;
}

bool IsUtf8Name(const std::string& name) {
  return name.empty() || name == "UTF-8" || name == "utf8" || name == "UTF8" || name == "ANSI_X3.4-1968" ||
         name == "ASCII" || name == "US-ASCII";
}

std::u16string_view UpToNul(std::u16string_view text) { return text.substr(0, text.find(u'\0')); }

}  // namespace

void SelectAnsiCharset(const std::string& charset_name) {
  Charset& charset = Current();
  charset = Charset();
  if (IsUtf8Name(charset_name)) return;
  auto to_lossy = std::make_unique<Iconv>(charset_name + "//TRANSLIT", "UTF-8");
  auto to_strict = std::make_unique<Iconv>(charset_name, "UTF-8");
  auto from = std::make_unique<Iconv>("UTF-8", charset_name);
  if (!to_lossy->ok() || !to_strict->ok() || !from->ok()) return;
  charset.name = charset_name;
  charset.utf8 = false;
  charset.to_lossy = std::move(to_lossy);
  charset.to_strict = std::move(to_strict);
  charset.from = std::move(from);
}

const std::string& AnsiCharsetName() { return Current().name; }

std::string ToAnsi(std::u16string_view text) {
  std::string utf8 = Utf16ToUtf8(UpToNul(text));
  Charset& charset = Current();
  if (charset.utf8) return utf8;
  static const std::string kQuestionMark = "?";
  std::string out;
  charset.to_lossy->Convert(utf8, &kQuestionMark, &out);
  return out;
}

std::string ToAnsiWithPosixLineEnds(std::u16string_view text) {
  std::string ansi = ToAnsi(text);
  std::string out;
  out.reserve(ansi.size());
  for (size_t i = 0; i < ansi.size(); ++i) {
    if (ansi[i] == '\r' && i + 1 < ansi.size() && ansi[i + 1] == '\n') continue;
    out += ansi[i];
  }
  return out;
}

std::u16string FromAnsi(std::string_view bytes) {
  Charset& charset = Current();
  if (charset.utf8) return Utf8ToUtf16(bytes);
  static const std::string kReplacement = "\xEF\xBF\xBD";
  std::string utf8;
  charset.from->Convert(bytes, &kReplacement, &utf8);
  return Utf8ToUtf16(utf8);
}

bool ToNativePath(std::u16string_view path, std::string* native) {
  if (path.find(u'\0') != std::u16string_view::npos) return false;
  bool valid = true;
  std::string utf8 = Utf16ToUtf8(path, &valid);
  if (!valid) return false;
  Charset& charset = Current();
  if (charset.utf8) {
    *native = std::move(utf8);
    return true;
  }
  return charset.to_strict->Convert(utf8, nullptr, native);
}

}  // namespace velkor
