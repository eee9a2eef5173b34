// Reads the STRINGTABLE blocks of a resource script (UTF-8, code page 65001) and the
// #define lines of its header, and writes the English and Russian tables as C++ source,
// every CR LF of a text as LF: the Linux program ends its lines so, and can then write the
// values inserted into a text exactly as they are.
// Usage: rc_strings resource.h velkor.rc message_table.cc
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Reports why the tables cannot be written; the exit code for main.
int Fail(const std::string& what) {
  std::fprintf(stderr, "rc_strings: %s\n", what.c_str());
  return 1;
}

std::string ReadFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::stringstream s(text);
  for (std::string line; std::getline(s, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return "";
  size_t e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

// Decodes an RC string literal body (between the quotes) into code points.
bool DecodeLiteral(const std::string& body, std::u32string* out) {
  for (size_t i = 0; i < body.size();) {
    unsigned char c = static_cast<unsigned char>(body[i]);
    if (c == '\\') {
      if (i + 1 >= body.size()) return false;
      char e = body[i + 1];
      i += 2;
      switch (e) {
        case 'r': out->push_back(U'\r'); break;
        case 'n': out->push_back(U'\n'); break;
        case 't': out->push_back(U'\t'); break;
        case '\\': out->push_back(U'\\'); break;
        default: return false;
      }
      continue;
    }
    if (c == '"') {  // "" stands for one quote
      if (i + 1 >= body.size() || body[i + 1] != '"') return false;
      out->push_back(U'"');
      i += 2;
      continue;
    }
    int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    if (extra < 0 || i + extra >= body.size() + (extra == 0 ? 1 : 0)) return false;
    char32_t cp = extra == 0 ? c : c & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
      unsigned char cc = static_cast<unsigned char>(body[i + k]);
      if ((cc & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    out->push_back(cp);
    i += static_cast<size_t>(extra) + 1;
  }
  return true;
}

std::u32string WithLfLineEnds(std::u32string text) {
  for (size_t at; (at = text.find(U"\r\n")) != std::u32string::npos;) text.erase(at, 1);
  return text;
}

std::string CppLiteral(const std::u32string& text) {
  std::string out = "u\"";
  char buf[16];
  for (char32_t cp : text) {
    if (cp == '\r') out += "\\r";
    else if (cp == '\n') out += "\\n";
    else if (cp == '\t') out += "\\t";
    else if (cp == '"' || cp == '\\') { out += '\\'; out += static_cast<char>(cp); }
    else if (cp >= 0x20 && cp < 0x7F) out += static_cast<char>(cp);
    else {
      std::snprintf(buf, sizeof buf, cp > 0xFFFF ? "\\U%08X" : "\\u%04X", static_cast<unsigned>(cp));
      out += buf;
    }
  }
  return out + "\"";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) return Fail("usage: rc_strings resource.h script.rc output.cc");

  std::map<std::string, int> ids;
  int last_id = 0;
  for (const std::string& line : Lines(ReadFile(argv[1]))) {
    std::istringstream words(line);
    std::string directive, name;
    int value = 0;
    if (words >> directive >> name >> value && directive == "#define") {
      ids[name] = value;
      if (value > last_id) last_id = value;
    }
  }

  std::map<std::string, std::vector<std::u32string>> tables;  // language -> texts by ID
  std::string language;
  bool in_table = false, in_block = false;
  int line_no = 0;
  for (const std::string& raw : Lines(ReadFile(argv[2]))) {
    ++line_no;
    std::string line = Trim(raw);
    std::string where = std::string(argv[2]) + ":" + std::to_string(line_no);
    if (line.rfind("LANGUAGE ", 0) == 0) {
      language = line.find("LANG_RUSSIAN") != std::string::npos ? "Russian" : "English";
    } else if (line == "STRINGTABLE") {
      in_table = true;
    } else if (in_table && line == "BEGIN") {
      in_block = true;
      tables[language].resize(static_cast<size_t>(last_id) + 1);
    } else if (in_block && line == "END") {
      in_table = in_block = false;
    } else if (in_block && !line.empty()) {
      size_t space = line.find_first_of(" \t");
      size_t open = line.find('"');
      if (space == std::string::npos || open == std::string::npos || line.back() != '"' || open == line.size() - 1)
        return Fail(where + ": expected NAME \"text\"");
      std::string name = line.substr(0, space);
      if (!ids.count(name)) return Fail(where + ": unknown ID " + name);
      std::u32string text;
      if (!DecodeLiteral(line.substr(open + 1, line.size() - open - 2), &text))
        return Fail(where + ": bad string literal");
      tables[language][static_cast<size_t>(ids[name])] = WithLfLineEnds(text);
    }
  }

  std::ostringstream out;
  out << "// Generated by rc_strings from velkor.rc. Do not edit.\n"
      << "#include \"message_table.h\"\n\nnamespace velkor {\n";
  for (const char* lang : {"English", "Russian"}) {
    auto& table = tables[lang];
    if (table.empty()) return Fail(std::string("no string table for ") + lang);
    out << "\nconst std::u16string_view k" << lang << "Messages[kLastMessageId + 1] = {\n    {},\n";
    for (int id = 1; id <= last_id; ++id) {
      if (table[static_cast<size_t>(id)].empty())
        return Fail(std::string(lang) + " table lacks ID " + std::to_string(id));
      out << "    " << CppLiteral(table[static_cast<size_t>(id)]) << ",\n";
    }
    out << "};\n";
  }
  out << "\n}  // namespace velkor\n";

  std::ofstream file(argv[3], std::ios::binary);
  file << out.str();
  return file ? 0 : Fail(std::string("cannot write ") + argv[3]);
}
