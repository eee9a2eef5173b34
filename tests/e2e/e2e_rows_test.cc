// Runs every row of rows.txt (its syntax is described at its top) against velkor, each in
// a temp folder of its own. Expected texts are written as UTF-8 with LF line ends and
// turned here into the bytes the target shows: the locale's charset, and CR LF on a
// terminal. To run the rows against another build, see RunVelkor (VELKOR_E2E_PROGRAM,
// VELKOR_E2E_RUNNER).
#include <iconv.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "support/run_program.h"
#include "support/temp_dir.h"

namespace velkor::testing {
namespace {

struct Row {
  std::string name;
  std::vector<std::pair<std::string, std::string>> lines;  // keyword, rest of the line
};

std::vector<Row> ReadRows() {
  std::vector<Row> rows;
  std::ifstream in(VELKOR_E2E_ROWS);
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    size_t space = std::min(line.find(' '), line.size());
    std::string keyword = line.substr(0, space), rest = line.substr(std::min(space + 1, line.size()));
    if (keyword == "row") rows.push_back({rest, {}});
    else if (!rows.empty()) rows.back().lines.emplace_back(keyword, rest);
  }
  return rows;
}

std::string Convert(const std::string& utf8, const std::string& charset) {
  if (charset == "UTF-8" || utf8.empty()) return utf8;
  iconv_t cd = iconv_open(charset.c_str(), "UTF-8");
  std::string out(utf8.size() * 4, '\0');
  char *in = const_cast<char*>(utf8.data()), *to = out.data();
  size_t in_left = utf8.size(), out_left = out.size();
  bool ok = cd != reinterpret_cast<iconv_t>(-1) && iconv(cd, &in, &in_left, &to, &out_left) == 0;
  if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
  if (!ok) throw std::runtime_error("'" + utf8 + "' has no exact form in " + charset);
  return out.substr(0, out.size() - out_left);
}

std::string Field(const std::string& text, size_t size) { return (text + std::string(size, '\0')).substr(0, size); }

// The bytes of a value: its text converted to `charset`; \n \r \t \e \a \\ and "\ " escape
// characters, \xNN stands for a raw byte; {N*text} is N copies of text; {tag title|artist|album|
// year|comment|track|genre} is the 128 bytes of a tag.
std::string Bytes(const std::string& value, const std::string& charset) {
  std::string out, text;
  for (size_t i = 0; i < value.size(); ++i) {
    char c = value[i];
    if (c == '\\' && i + 1 < value.size()) {
      char e = value[++i];
      if (e != 'x') {
        text += e == 'n' ? '\n' : e == 'r' ? '\r' : e == 't' ? '\t' : e == 'e' ? '\x1b' : e == 'a' ? '\a' : e;
        continue;
      }
      out += Convert(text, charset) + static_cast<char>(std::stoi(value.substr(i + 1, 2), nullptr, 16));
      text.clear();
      i += 2;
    } else if (c == '{') {
      size_t end = i;
      for (int depth = 0; end < value.size(); ++end) {
        depth += value[end] == '{' ? 1 : value[end] == '}' ? -1 : 0;
        if (depth == 0) break;
      }
      std::string macro = value.substr(i + 1, end - i - 1);
      i = end;
      if (macro == "*") {
        text += "{*}";  // left for the matching
        continue;
      }
      out += Convert(text, charset);
      text.clear();
      if (macro.compare(0, 4, "tag ") != 0) {
        for (size_t n = std::stoul(macro); n > 0; --n) out += Bytes(macro.substr(macro.find('*') + 1), charset);
        continue;
      }
      std::vector<std::string> f;
      std::stringstream fields(macro.substr(4));
      for (std::string field; std::getline(fields, field, '|');) f.push_back(Bytes(field, charset));
      f.resize(7);
      out += "TAG" + Field(f[0], 30) + Field(f[1], 30) + Field(f[2], 30) + Field(f[3], 4) + Field(f[4], 28) + '\0' +
             static_cast<char>(std::stoi(f[5])) + static_cast<char>(std::stoi(f[6]));
    } else {
      text += c;
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

// Whether `actual` is `pieces` joined by stretches of one or more bytes other than LF.
bool Matches(const std::string& actual, const std::vector<std::string>& pieces) {
  const size_t npos = std::string::npos;
  if (actual.compare(0, pieces[0].size(), pieces[0]) != 0) return false;
  size_t at = pieces[0].size();
  for (size_t i = 1; i < pieces.size(); ++i) {
    size_t found = i + 1 < pieces.size()                           ? actual.find(pieces[i], at + 1)
                   : actual.size() >= at + 1 + pieces[i].size() ? actual.size() - pieces[i].size()
                                                                  : npos;
    if (found == npos || actual.compare(found, pieces[i].size(), pieces[i]) != 0 || actual.find('\n', at) < found) {
      return false;
    }
    at = found + pieces[i].size();
  }
  return at == actual.size();
}

// Every file and folder under `dir` by name, folders as "/".
std::map<std::string, std::string> Files(const std::string& dir) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
    std::string name = entry.path().lexically_relative(dir).string();
    files[name] = entry.is_directory() ? "/" : ReadFile(entry.path().string());
  }
  return files;
}

void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }  // names the row in CTest

class Rows : public ::testing::TestWithParam<Row> {};

TEST_P(Rows, Run) {
  TempDir dir;
  RunOptions options;
  options.cwd = dir.path();
  std::string locale = "C.UTF-8", out, err;
  for (const auto& [keyword, rest] : GetParam().lines) {
    if (keyword == "locale") locale = rest;
    if (keyword == "width") options.terminal_width = std::stoi(rest);
  }
  const std::string charset = locale.substr(locale.find('.') + 1);
  // What the target shows for an expected line: \c at its end leaves the line end out.
  auto shown = [&](const std::string& line) {
    bool open = line.size() >= 2 && line.compare(line.size() - 2, 2, "\\c") == 0;
    std::string text = Bytes(open ? line.substr(0, line.size() - 2) : line, charset) + (open ? "" : "\n");
    for (size_t at = 0; options.terminal_width > 0 && (at = text.find('\n', at)) != std::string::npos; at += 2) {
      text.insert(at, "\r");
    }
    return text;
  };
  std::vector<std::vector<std::string>> runs;
  std::map<std::string, std::string> before, after;
  int exit_code = 0;
  for (auto [keyword, rest] : GetParam().lines) {
    // Names of files are in the locale's charset on disk here (under Wine they are UTF-8).
    std::string name = keyword == "env" || keyword == "out" || keyword == "err" ? "" : Bytes(Word(&rest), charset);
    if (keyword == "env") options.env.push_back(Bytes(rest, "UTF-8"));
    if (keyword == "limit") options.file_size_limit = std::stol(name);
    if (keyword == "closed") options.output_closed = true;
    if (keyword == "exit") exit_code = std::stoi(name);
    if (keyword == "file") before[name] = Bytes(rest, charset);
    if (keyword == "job") before[name] += Bytes(rest, "UTF-8") + "\n";
    if (keyword == "dir") before[name] = "/";
    if (keyword == "after") after[name] = Bytes(rest, charset);
    if (keyword == "out") out += shown(rest);
    if (keyword == "err") err += shown(rest);
    if (keyword == "run") {
      runs.push_back({});
      for (; !name.empty() || !rest.empty(); name = Bytes(Word(&rest), charset)) runs.back().push_back(name);
    }
  }
  for (const auto& [name, bytes] : before) {
    if (bytes == "/") mkdir((dir / name).c_str(), 0700);
    else WriteFile(dir / name, bytes);
  }
  std::string actual_out, actual_err;
  for (const std::vector<std::string>& args : runs) {
    RunResult result = RunVelkor(args, locale, options);
    EXPECT_EQ(result.exit_code, exit_code);
    actual_out += result.out;
    actual_err += result.err;
  }
  for (auto [expected, actual] : {std::pair{out, actual_out}, std::pair{err, actual_err}}) {
    std::vector<std::string> pieces{""};
    for (size_t at = 0; at < expected.size(); ++at) {
      if (expected.compare(at, 3, "{*}") == 0) pieces.emplace_back(), at += 2;
      else pieces.back() += expected[at];
    }
    EXPECT_TRUE(Matches(actual, pieces)) << "expected:\n" << expected << "\nactual:\n" << actual;
  }
  for (const auto& [name, bytes] : after) {
    if (bytes.empty()) before.erase(name);
    else before[name] = bytes;
  }
  EXPECT_EQ(Files(dir.path()), before);
}

INSTANTIATE_TEST_SUITE_P(E2e, Rows, ::testing::ValuesIn(ReadRows()));

}  // namespace
}  // namespace velkor::testing
