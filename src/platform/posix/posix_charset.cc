#include "platform/posix/posix_charset.h"

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
  Iconv(const std::string& to, const std::string& from)
      : cd_(iconv_open(to.c_str(), from.c_str())), from_utf8_(from == "UTF-8") {}
  ~Iconv() {
    if (ok()) iconv_close(cd_);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;

  bool ok() const { return cd_ != kNoConverter; }

  // Appends the conversion of all of `in` to `out`. An unconvertible or incomplete
  // sequence is replaced by `replacement` when given; without one the conversion fails.
  bool Convert(std::string_view in, const std::string* replacement, std::string* out) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* in_ptr = const_cast<char*>(in.data());
    size_t in_left = in.size();
    char buffer[1024];
    for (;;) {
      char* out_ptr = buffer;
      size_t out_left = sizeof buffer;
      // Once the input is used up, one more call ends any shift state of the charset.
      bool flushing = in_left == 0;
      size_t result = flushing ? iconv(cd_, nullptr, nullptr, &out_ptr, &out_left)
                               : iconv(cd_, &in_ptr, &in_left, &out_ptr, &out_left);
      int error = errno;
      out->append(buffer, static_cast<size_t>(out_ptr - buffer));
      if (result != static_cast<size_t>(-1)) {
        // A count above zero means best-fit characters, which an exact conversion refuses.
        if (!replacement && result > 0) return false;
        if (flushing) return true;
        continue;
      }
      if (error == E2BIG) continue;
      if (!replacement || flushing) return false;
      out->append(*replacement);
      size_t skip = error == EINVAL ? in_left : SkipLength(in_ptr, in_left);
      in_ptr += skip;
      in_left -= skip;
    }
  }

 private:
  // How much input one bad character takes: in UTF-8 its lead byte and continuation
  // bytes; in any other charset a single byte, since its next byte may be a good letter.
  size_t SkipLength(const char* p, size_t left) const {
    size_t n = 1;
    if (!from_utf8_) return n;
    while (n < left && (static_cast<unsigned char>(p[n]) & 0xC0) == 0x80) ++n;
    return n;
  }

  iconv_t cd_;
  bool from_utf8_;
};

struct Charset {
  std::string name = "UTF-8";
  bool utf8 = true;
  std::unique_ptr<Iconv> to_lossy, to_strict, from;
  std::string utf8_text;  // the text on its way to the converter, its storage reused
};

// UTF-8 holds a NUL byte only where the text held a NUL.
bool HasNul(const std::string& bytes) { return bytes.find('\0') != std::string::npos; }

Charset& Current() {
  static Charset charset;
  return charset;
}

// Names of UTF-8 and of the plain C locale's ASCII, in any letter case.
bool IsUtf8Name(const std::string& name) {
  std::string upper;
  for (char c : name) upper += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  return upper.empty() || upper == "UTF-8" || upper == "UTF8" || upper == "ANSI_X3.4-1968" || upper == "ASCII" ||
         upper == "US-ASCII";
}

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

void AppendAnsi(std::u16string_view text, std::string* out) {
  Charset& charset = Current();
  if (charset.utf8) {
    AppendUtf8UpToNul(text, out);
    return;
  }
  static const std::string kQuestionMark = "?";
  charset.utf8_text.clear();
  AppendUtf8UpToNul(text, &charset.utf8_text);
  charset.to_lossy->Convert(charset.utf8_text, &kQuestionMark, out);
}

std::string ToAnsi(std::u16string_view text) {
  std::string out;
  AppendAnsi(text, &out);
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
  Charset& charset = Current();
  if (charset.utf8) {
    // An ASCII path is its own UTF-8: narrowed straight into the buffer, which stops at a NUL.
    native->resize(path.size());
    const size_t ascii = CopyAsciiPrefix(path, native->data());
    if (ascii == path.size()) return true;
    if (path[ascii] == u'\0') return false;
    native->resize(ascii);
    return AppendUtf8Of(path.substr(ascii), native) && !HasNul(*native);
  }
  native->clear();
  charset.utf8_text.clear();
  return AppendUtf8Of(path, &charset.utf8_text) && !HasNul(charset.utf8_text) &&
         charset.to_strict->Convert(charset.utf8_text, nullptr, native);
}

}  // namespace velkor
