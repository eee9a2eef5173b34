// Runs every row of rows.txt (its syntax is described at its top) against velkor, each in
// a temp folder of its own. Expected texts are UTF-8 with LF line ends; they are turned
// here into what the target shows: the locale's charset, and CR LF on a terminal. Another
// build runs the same rows through VELKOR_E2E_PROGRAM and VELKOR_E2E_RUNNER (RunVelkor):
// the Windows program under Wine writes its language's ANSI code page with CR LF, and
// skips the runs that are POSIX's only.
#include <fcntl.h>
#include <iconv.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "support/support.h"

namespace velkor::testing {
namespace {

struct Row {
  std::string name;
  std::vector<std::pair<std::string, std::string>> lines;  // keyword, rest of the line
};
void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }  // names the row in CTest

std::vector<Row> ReadRows() {
  std::vector<Row> rows;
  std::ifstream in(VELKOR_E2E_ROWS);
  for (std::string line; std::getline(in, line);) {
    size_t space = std::min(line.find(' '), line.size());
    if (line.rfind("row ", 0) == 0) rows.push_back({line.substr(4), {}});
    else if (!line.empty() && line[0] != '#') rows.back().lines.emplace_back(line.substr(0, space), line.substr(space + (space < line.size())));
  }
  return rows;
}

std::string Convert(const std::string& utf8, const std::string& charset) {
  if (charset == "UTF-8" || utf8.empty()) return utf8;
  iconv_t cd = iconv_open(charset.c_str(), "UTF-8");  // the test's own charsets: always there
  std::string out(utf8.size() * 4, '\0');
  char *in = const_cast<char*>(utf8.data()), *to = out.data();
  size_t in_left = utf8.size(), out_left = out.size();
  bool ok = iconv(cd, &in, &in_left, &to, &out_left) == 0;
  iconv_close(cd);
  if (!ok) throw std::runtime_error("'" + utf8 + "' has no exact form in " + charset);
  return out.substr(0, out.size() - out_left);
}

// Whether the rows run against the Windows program (VELKOR_E2E_PROGRAM names an .exe).
bool WindowsTarget() {
  const char* program = std::getenv("VELKOR_E2E_PROGRAM");
  const std::string target = program ? program : "";
  return target.size() > 4 && target.compare(target.size() - 4, 4, ".exe") == 0;
}

// The bytes of a value (see rows.txt): text converted to `charset`, escapes and macros.
std::string Bytes(const std::string& value, const std::string& charset) {
  std::string out, text;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\\' && i + 1 < value.size() && value[i + 1] == 'x') {
      out += Convert(text, charset) + static_cast<char>(std::stoi(value.substr(i + 2, 2), nullptr, 16));
      text.clear();
      i += 3;
    } else if (value[i] == '\\' && i + 1 < value.size()) {
      char e = value[++i];
      text += e == 'n' ? '\n' : e == 'r' ? '\r' : e == 't' ? '\t' : e == 'e' ? '\x1b' : e == 'a' ? '\a' : e;
    } else if (value[i] == '{' && value.compare(i, 3, "{*}") != 0) {
      size_t end = i;
      for (int depth = 0; end < value.size() && (depth += value[end] == '{' ? 1 : value[end] == '}' ? -1 : 0) > 0;) {
        ++end;
      }
      std::string macro = value.substr(i + 1, end - i - 1);
      i = end;
      out += Convert(text, charset);
      text.clear();
      if (macro[0] == '~') {
        out += WindowsTarget() ? "{*}" : Bytes(macro.substr(1), charset);
        continue;
      }
      if (macro.rfind("tag ", 0) != 0) {
        for (size_t n = std::stoul(macro); n > 0; --n) out += Bytes(macro.substr(macro.find('*') + 1), charset);
        continue;
      }
      std::vector<std::string> f;
      std::stringstream fields(macro.substr(4));
      for (std::string field; std::getline(fields, field, '|');) f.push_back(Bytes(field, charset) + std::string(30, '\0'));
      f.resize(7, "0");
      out += "TAG" + f[0].substr(0, 30) + f[1].substr(0, 30) + f[2].substr(0, 30) + f[3].substr(0, 4) + f[4].substr(0, 28) +
             '\0' + static_cast<char>(std::stoi(f[5])) + static_cast<char>(std::stoi(f[6]));
    } else {
      text += value[i];
    }
  }
  return out + Convert(text, charset);
}

// The first word of `rest` (a backslash keeps a space in it), cut off `rest`.
std::string Word(std::string* rest) {
  size_t end = 0;
  while (end < rest->size() && (*rest)[end] != ' ') end += (*rest)[end] == '\\' ? 2 : 1;
  std::string word = rest->substr(0, end);
  rest->erase(0, std::min(end + 1, rest->size()));
  return word;
}

// Whether `actual` is `expected` with each {*} standing for one or more bytes other than LF.
bool Matches(const std::string& actual, const std::string& expected) {
  size_t star = expected.find("{*}");
  if (star == std::string::npos) return actual == expected;
  if (actual.compare(0, star, expected, 0, star) != 0) return false;
  for (size_t end = star + 1; end <= actual.size() && actual[end - 1] != '\n'; ++end) {
    if (Matches(actual.substr(end), expected.substr(star + 3))) return true;
  }
  return false;
}

// Every file and folder under `dir` by name, folders as "/".
std::map<std::string, std::string> Files(const std::string& dir) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
    files[entry.path().lexically_relative(dir)] = entry.is_directory() ? "/" : ReadFile(entry.path());
  }
  return files;
}

// From here on every flock() of this process and what it runs fails with `error`.
void FailFlock(int error) {
  sock_filter filter[] = {
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_flock, 0, 1),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (static_cast<unsigned>(error) & SECCOMP_RET_DATA)),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
  };
  sock_fprog program{static_cast<unsigned short>(std::size(filter)), filter};
  if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 || prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0) _exit(125);
}

struct VelkorRun {
  std::vector<std::string> args;
  RunOptions options;
  std::string posix_only;  // why the Windows program cannot have this run; empty: it can
  int exit_code = 0;
  std::string out;
};

class Rows : public ::testing::TestWithParam<Row> {};

TEST_P(Rows, Run) {
  TempDir dir;
  RunOptions options;
  options.cwd = dir.path();
  const bool windows = WindowsTarget();
  // Names on disk are in the locale's charset; Wine keeps them in UTF-8 and takes the ANSI
  // code page from the locale's language, so its runs get that language's UTF-8 locale.
  std::string locale = "C.UTF-8", charset = windows ? "CP1252" : "UTF-8", name_charset = windows ? "UTF-8" : charset;
  std::vector<VelkorRun> runs;
  std::map<std::string, std::string> before, after;
  std::string posix_only;  // the reason the runs from here on are POSIX's only
  bool files_checked = true;
  const std::map<std::string, std::string> posix_settings = {
      {"width", "a pty"}, {"nowidth", "a pty"}, {"limit", "a file-size limit"}, {"slow", "O_NONBLOCK"}, {"nostdin", "descriptor numbers"},
      {"flock", "flock()"}};
  for (auto [keyword, rest] : GetParam().lines) {
    if (keyword == "posix-only" || posix_settings.count(keyword)) {
      posix_only = keyword != "posix-only" ? posix_settings.at(keyword) : rest.empty() ? "a POSIX behaviour" : rest;
    }
    if (keyword == "locale") {
      locale = windows ? rest.substr(0, rest.find('.')) + ".UTF-8" : rest;
      charset = !windows ? rest.substr(rest.find('.') + 1) : rest.rfind("ru", 0) == 0 ? "CP1251" : "CP1252";
      if (!windows) name_charset = charset;
    }
    if (keyword == "out" && windows && !runs.back().posix_only.empty()) continue;  // may not exist in its code page
    if (keyword == "out") {  // \c at its end leaves the line end out
      bool open = rest.size() >= 2 && rest.compare(rest.size() - 2, 2, "\\c") == 0;
      runs.back().out += Bytes(rest.substr(0, rest.size() - (open ? 2 : 0)), charset) + (open ? "" : "\n");
      continue;
    }
    std::string name = Bytes(Word(&rest), name_charset);
    if (keyword == "width") options.terminal_width = std::stoi(name), options.terminal = options.terminal_width > 0;
    if (keyword == "nowidth") options.terminal_width = 0, options.terminal = true;
    if (keyword == "env") options.env.push_back(name);
    if (keyword == "limit") options.file_size_limit = std::stol(name);
    options.output_closed |= keyword == "closed";
    if (keyword == "slow") {  // standard output left non-blocking by someone else, read slowly
      options.in_child = [] { fcntl(STDOUT_FILENO, F_SETFL, fcntl(STDOUT_FILENO, F_GETFL) | O_NONBLOCK); };
      options.while_running = [](int, const std::string&) { usleep(500); };
    }
    if (keyword == "nostdin") options.in_child = [] { close(STDIN_FILENO); };
    const int flock_error = name == "ENOLCK" ? ENOLCK : EOPNOTSUPP;
    if (keyword == "flock") options.in_child = [flock_error] { FailFlock(flock_error); };
    if (keyword == "exit") runs.back().exit_code = std::stoi(name);
    for (; keyword == "audio" && !name.empty(); name = Bytes(Word(&rest), name_charset)) before[name] = std::string(200, 'a');
    if (keyword == "file") before[name] = Bytes(rest, charset);
    if (keyword == "job") before[name] += Bytes(rest, "UTF-8") + "\n";
    if (keyword == "dir") before[name] = "/";
    if (keyword == "after" && files_checked) after[name] = Bytes(rest, charset);
    if (keyword == "run") runs.push_back({{}, options, posix_only, 0, {}});
    files_checked &= !(keyword == "run" && windows && !posix_only.empty());  // not what all runs would have left
    for (; keyword == "run" && !(name.empty() && rest.empty()); name = Bytes(Word(&rest), name_charset)) {
      runs.back().args.push_back(name);
    }
  }
  for (const auto& [name, bytes] : before) {
    if (bytes == "/") mkdir((dir / name).c_str(), 0700);
    else WriteFile(dir / name, bytes);
  }
  size_t skipped = 0;
  std::string reasons;
  for (VelkorRun& run : runs) {
    if (windows && !run.posix_only.empty() && ++skipped) {
      if (reasons.find(run.posix_only) == std::string::npos) reasons += (reasons.empty() ? "" : "; ") + run.posix_only;
      continue;
    }
    const bool crlf = run.options.terminal || windows;
    for (size_t at = 0; crlf && (at = run.out.find('\n', at)) != std::string::npos; at += 2) {
      run.out.insert(at, "\r");  // the terminal's and Windows' line ends
    }
    RunResult result = RunVelkor(run.args, locale, run.options);
    EXPECT_EQ(result.exit_code, run.exit_code);
    EXPECT_EQ(result.err, "");
    EXPECT_TRUE(Matches(result.out, run.out)) << "expected:\n" << run.out << "\nactual:\n" << result.out;
  }
  for (const auto& [name, bytes] : after) {
    if (bytes.empty()) before.erase(name);
    else before[name] = bytes;
  }
  if (skipped == runs.size() && skipped > 0) GTEST_SKIP() << "POSIX's only: " << reasons;
  if (files_checked) {
    EXPECT_EQ(Files(dir.path()), before);
  }
}

INSTANTIATE_TEST_SUITE_P(E2e, Rows, ::testing::ValuesIn(ReadRows()));

}  // namespace
}  // namespace velkor::testing
