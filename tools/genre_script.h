// The genre tables of the page script: `genresList` is kept by hand; `genresSorted` and
// `genresIndex` are derived from it and written back into the script.
#ifndef VELKOR_TOOLS_GENRE_SCRIPT_H_
#define VELKOR_TOOLS_GENRE_SCRIPT_H_

#include <string>
#include <vector>

namespace velkor {

// The names of the script's `genresList` literal. The literal may hold only plain double
// quoted strings of printable ASCII without backslashes, commas and white space.
bool ParseGenresList(const std::string& script, std::vector<std::string>* names, std::string* error);

// The three declarations for `names`, ten entries to a line, CR LF line ends.
bool GenreTableDeclarations(const std::vector<std::string>& names, std::string* declarations, std::string* error);

// The script with its three table declarations, which must stand in this order, replaced
// by those made from its own `genresList`. Everything else is kept as it is.
bool RegenerateGenreTables(const std::string& script, std::string* result, std::string* error);

}  // namespace velkor

#endif  // VELKOR_TOOLS_GENRE_SCRIPT_H_
