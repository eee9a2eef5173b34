// Derives the name-ordered tables of the genre page script from its genre list.
// Usage: genre_tables script.js output.js   writes the script with its tables rewritten
//        genre_tables --check script.js     fails when the script's tables are not current
#include <cstdio>
#include <cstring>
#include <string>

#include "file_bytes.h"
#include "genre_script.h"

namespace {

int Fail(const std::string& what) {
  std::fprintf(stderr, "genre_tables: %s\n", what.c_str());
  return 1;
}

// The first line, counted from 1, where the two texts differ.
size_t FirstDifferentLine(const std::string& a, const std::string& b) {
  size_t line = 1;
  for (size_t i = 0; i < a.size() && i < b.size() && a[i] == b[i]; ++i) {
    if (a[i] == '\n') ++line;
  }
  return line;
}

}  // namespace

int main(int argc, char** argv) {
  bool check = argc == 3 && std::strcmp(argv[1], "--check") == 0;
  if (argc != 3) return Fail("usage: genre_tables script.js output.js | genre_tables --check script.js");
  const char* input = check ? argv[2] : argv[1];
  std::string script, result, error;
  if (!velkor::ReadFileBytes(input, &script)) return Fail(std::string("cannot read ") + input);
  if (!velkor::RegenerateGenreTables(script, &result, &error)) return Fail(std::string(input) + ": " + error);
  if (check) {
    if (result == script) return 0;
    return Fail(std::string(input) + ":" + std::to_string(FirstDifferentLine(script, result)) +
                ": the genre tables differ from those derived from genresList; "
                "rebuild them with the target update_genre_tables");
  }
  if (!velkor::WriteFileBytes(argv[2], result)) return Fail(std::string("cannot write ") + argv[2]);
  return 0;
}
