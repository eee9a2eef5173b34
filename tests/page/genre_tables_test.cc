// The generator of the page script's name-ordered genre tables.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "genre_order.h"
#include "genre_script.h"

namespace {

using velkor::GenreNameLess;
using velkor::GenreNameOrder;
using velkor::ParseGenresList;
using velkor::RegenerateGenreTables;

TEST(GenreOrder, IgnoresCaseAndHyphensAndComparesTheRestByCode) {
  // Each pair is in name order; several differ from a plain case-insensitive or
  // case-sensitive order.
  const std::vector<std::pair<std::string, std::string>> ordered = {
      {"Eurodance", "Euro-House"}, {"Eurodance", "Euro-Techno"}, {"Euro-House", "Euro-Techno"},
      {"Pop/Funk", "Pop-Folk"},    {"Alternative", "AlternRock"}, {"Jazz", "Jazz+Funk"},
      {"Jazz+Funk", "JPop"},       {"Folk/Rock", "Folklore"},     {"Drum & Bass", "Drum Solo"},
      {"Top 40", "Trailer"},       {"Rock", "Rock & Roll"},       {"Acapella", "Acid"},
      {"Hip-Hop", "HipHopper"},    {"R&B", "Rap"},                {"Punk", "Punk Rock"},
  };
  for (const auto& [first, second] : ordered) {
    EXPECT_TRUE(GenreNameLess(first, second)) << first << " before " << second;
    EXPECT_FALSE(GenreNameLess(second, first)) << second << " not before " << first;
  }
  EXPECT_FALSE(GenreNameLess("Hip-Hop", "hiphop"));
  EXPECT_FALSE(GenreNameLess("hiphop", "Hip-Hop"));
}

TEST(GenreOrder, OrderListsPositionsAndRefusesEqualNames) {
  std::vector<size_t> order;
  std::string error;
  ASSERT_TRUE(GenreNameOrder({"Vocal", "Acapella", "Euro-House", "Eurodance", "JPop", "Jazz"}, &order, &error));
  EXPECT_EQ(order, (std::vector<size_t>{1, 3, 2, 5, 4, 0}));

  EXPECT_FALSE(GenreNameOrder({"Lo-Fi", "Rock", "LOFI"}, &order, &error));
  EXPECT_NE(error.find("\"Lo-Fi\" (0)"), std::string::npos) << error;
  EXPECT_NE(error.find("\"LOFI\" (2)"), std::string::npos) << error;
}

TEST(GenreScript, RegeneratesTheTablesAndKeepsTheRest) {
  const std::string script =
      "// head\r\nvar genresList = [\r\n\t\"Rock\", \"Acid\",\r\n \"Pop-Folk\",\"Pop/Funk\"\r\n];\r\n"
      "var genresSorted = [\r\n];\r\nvar genresIndex = [ 7 ];\r\nvar Number;\r\n";
  std::string result, error;
  ASSERT_TRUE(RegenerateGenreTables(script, &result, &error)) << error;
  EXPECT_EQ(result,
            "// head\r\n"
            "var genresList = [\r\n\t\"Rock\", \"Acid\", \"Pop-Folk\", \"Pop/Funk\"\r\n];\r\n"
            "var genresSorted = [\r\n\t\"Acid\", \"Pop/Funk\", \"Pop-Folk\", \"Rock\"\r\n];\r\n"
            "var genresIndex = [\r\n\t1, 3, 2, 0\r\n];\r\n"
            "var Number;\r\n");
  std::string again;
  ASSERT_TRUE(RegenerateGenreTables(result, &again, &error)) << error;
  EXPECT_EQ(again, result);
}

TEST(GenreScript, TenEntriesToALine) {
  std::string script = "var genresList = [";
  for (char c = 'a'; c <= 'l'; ++c) script += std::string(c == 'a' ? "" : ",") + "\"" + c + "\"";
  script += "];\r\nvar genresSorted = [];\r\nvar genresIndex = [];\r\n";
  std::string result, error;
  ASSERT_TRUE(RegenerateGenreTables(script, &result, &error)) << error;
  EXPECT_NE(result.find("var genresIndex = [\r\n\t0, 1, 2, 3, 4, 5, 6, 7, 8, 9,\r\n\t10, 11\r\n];\r\n"),
            std::string::npos)
      << result;
}

TEST(GenreScript, RejectsWhatItCannotReadOrWriteBack) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"var genresSorted = [];\r\n", "no line starts with"},
      {"x = 1; var genresList = [\"A\"];\r\n", "no line starts with"},
      {"var genresList = [];\r\n", "empty"},
      {"var genresList = [\"A\", \"B\",];\r\n", "ends in a comma"},
      {"var genresList = [\"A\" \"B\"];\r\n", "unexpected '\"'"},
      {"var genresList = [\"A\", // rock\r\n\"B\"];\r\n", "unexpected '/'"},
      {"var genresList = [\"A\\\"B\"];\r\n", "printable ASCII"},
      {"var genresList = [\"Caf\xC3\xA9\"];\r\n", "printable ASCII"},
      {"var genresList = [\"A\"", "not closed"},
      {"var genresList = [\"A\"];\r\nvar genresIndex = [];\r\nvar genresSorted = [];\r\n", "must follow"},
      {"var genresList = [\"A-B\", \"ab\"];\r\nvar genresSorted = [];\r\nvar genresIndex = [];\r\n", "are equal"},
  };
  for (const auto& [script, complaint] : cases) {
    std::string result, error;
    EXPECT_FALSE(RegenerateGenreTables(script, &result, &error)) << script;
    EXPECT_NE(error.find(complaint), std::string::npos) << script << " gave: " << error;
  }
  std::vector<std::string> names;
  std::string error;
  ASSERT_TRUE(ParseGenresList("var genresList = [ \"Rock & Roll\" ,\t\"R&B\" ];", &names, &error)) << error;
  EXPECT_EQ(names, (std::vector<std::string>{"Rock & Roll", "R&B"}));
}

}  // namespace
