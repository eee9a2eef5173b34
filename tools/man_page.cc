// Fills in the manual page template: the version, and the GENRES list from the genre
// page script's genresList, so that the names exist once in the source tree.
// Usage: man_page velkor.1.in id3genres.js version velkor.1
#include <cstdio>
#include <string>
#include <vector>

#include "file_bytes.h"
#include "genre_script.h"

namespace {

constexpr char kVersionMark[] = "@PROJECT_VERSION@";
constexpr char kGenresLine[] = "@GENRES@\n";

int Fail(const std::string& what) {
  std::fprintf(stderr, "man_page: %s\n", what.c_str());
  return 1;
}

// One line per genre in no-fill mode: the number right-aligned, then the name. A line
// begins with a space, so no name can be read as a request.
std::string GenreLines(const std::vector<std::string>& names) {
  std::string lines;
  for (size_t n = 0; n < names.size(); ++n) {
    std::string number = std::to_string(n);
    lines += std::string(number.size() < 3 ? 3 - number.size() : 0, ' ') + number + "  " + names[n] + "\n";
  }
  return lines;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) return Fail("usage: man_page velkor.1.in id3genres.js version velkor.1");
  std::string page, script, error;
  std::vector<std::string> names;
  if (!velkor::ReadFileBytes(argv[1], &page)) return Fail(std::string("cannot read ") + argv[1]);
  if (!velkor::ReadFileBytes(argv[2], &script)) return Fail(std::string("cannot read ") + argv[2]);
  if (!velkor::ParseGenresList(script, &names, &error)) return Fail(std::string(argv[2]) + ": " + error);

  size_t version = page.find(kVersionMark);
  size_t genres = page.find(kGenresLine);
  if (version == std::string::npos || genres == std::string::npos || genres == 0 || page[genres - 1] != '\n')
    return Fail(std::string(argv[1]) + ": needs " + kVersionMark + " and a line " + "@GENRES@");
  page.replace(genres, sizeof kGenresLine - 1, GenreLines(names));
  page.replace(version, sizeof kVersionMark - 1, argv[3]);

  if (!velkor::WriteFileBytes(argv[4], page)) return Fail(std::string("cannot write ") + argv[4]);
  return 0;
}
