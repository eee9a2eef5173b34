// The genre page files as bytes: encodings, line ends, the exact texts of both pages,
// the stylesheet's rules and the order of the script's declarations.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/temp_dir.h"

namespace {

using velkor::testing::ReadFile;

std::string PageFile(const std::string& name) { return ReadFile(std::string(VELKOR_SOURCE_DIR) + "/res/" + name); }

const char* const kPageFiles[] = {"id3genres.html", "id3genres.ru.html", "id3genres.css", "id3genres.js"};

// The Russian texts in windows-1251; the genre label's second letter is a Latin 'a'.
const std::string kRussianTitle = "\xC6\xE0\xED\xF0\xFB ID3";
const std::string kRussianNumber = "\xCD\xEE\xEC\xE5\xF0";
const std::string kRussianGenre = "\xC6" "a\xED\xF0";
const std::string kRussianNoScriptLine1 =
    "\xC4\xEB\xFF \xEF\xF0\xEE\xF1\xEC\xEE\xF2\xF0\xE0 \xFD\xF2\xEE\xE9 \xF1\xF2\xF0\xE0\xED\xE8\xF6\xFB "
    "\xF2\xF0\xE5\xE1\xF3\xE5\xF2\xF1\xFF \xEF\xEE\xE4\xE4\xE5\xF0\xE6\xEA\xE0 "
    "\xE2\xFB\xEF\xEE\xEB\xED\xE5\xED\xE8\xFF \xF1\xF6\xE5\xED\xE0\xF0\xE8\xE5\xE2.";
const std::string kRussianNoScriptLine2 =
    "\xC2\xEA\xEB\xFE\xF7\xE8\xF2\xE5 \xE5\xE5 \xE8 \xEF\xEE\xEF\xF0\xEE\xE1\xF3\xE9\xF2\xE5 \xF1\xED\xEE\xE2\xE0.";

// Whether each of `pieces` occurs after the previous one; names the first that does not.
bool InOrder(const std::string& text, const std::vector<std::string>& pieces, std::string* missing) {
  size_t at = 0;
  for (const std::string& piece : pieces) {
    at = text.find(piece, at);
    if (at == std::string::npos) {
      *missing = piece;
      return false;
    }
    at += piece.size();
  }
  return true;
}

std::string ReplaceOnce(std::string text, const std::string& from, const std::string& to) {
  size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  EXPECT_EQ(text.find(from, at + 1), std::string::npos) << from << " occurs more than once";
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

TEST(PageFiles, PlainTextWithCrLfLineEndsAndNoMarks) {
  for (const char* name : kPageFiles) {
    SCOPED_TRACE(name);
    std::string bytes = PageFile(name);
    ASSERT_GT(bytes.size(), 2u);
    EXPECT_NE(bytes.substr(0, 3), "\xEF\xBB\xBF") << "UTF-8 byte-order mark";
    EXPECT_NE(bytes.substr(0, 2), "\xFF\xFE") << "UTF-16 byte-order mark";
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n") << "the last line must end in CR LF, with nothing after it";
    bool russian = std::string(name) == "id3genres.ru.html";
    for (size_t i = 0; i < bytes.size(); ++i) {
      unsigned char c = static_cast<unsigned char>(bytes[i]);
      if (c == '\r') {
        ASSERT_TRUE(i + 1 < bytes.size() && bytes[i + 1] == '\n') << "lone CR at byte " << i;
      } else if (c == '\n') {
        ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << "LF without CR at byte " << i;
      } else if (c >= 0x80) {
        // Only the Russian page leaves ASCII, and only with windows-1251 letters А to я.
        ASSERT_TRUE(russian && c >= 0xC0) << "byte " << i << " is 0x" << std::hex << int{c};
      } else {
        ASSERT_TRUE(c == '\t' || (c >= ' ' && c < 0x7F)) << "control byte at " << i;
      }
    }
  }
}

TEST(PageFiles, EnglishPageStructureAndTexts) {
  std::string missing;
  EXPECT_TRUE(InOrder(PageFile("id3genres.html"),
                        {"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0//EN\"\r\n",
                         "\"http://www.w3.org/TR/REC-html40/strict.dtd\">\r\n",
                         "<html lang=\"en\">",
                         "<head>",
                         "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">",
                         "<meta name=\"author\" content=\"",
                         "<meta name=\"copyright\" content=\"",
                         "<link rel=\"stylesheet\" type=\"text/css\" href=\"id3genres.css\">",
                         "<title>ID3 Genres</title>",
                         "<script type=\"text/javascript\" src=\"id3genres.js\"></script>",
                         "<script type=\"text/javascript\">",
                         "Number = \"No.\";",
                         "Genre = \"Genre\";",
                         "</script>",
                         "</head>",
                         "<body>",
                         "<div id=\"content\"></div>",
                         "<script type=\"text/javascript\">",
                         "CreateSortedTable();",
                         "</script>",
                         "<noscript>",
                         "<p>This page requires script execution support. Enable it and try again.</p>",
                         "</noscript>",
                         "</body>",
                         "</html>\r\n"},
                        &missing))
      << "missing or out of order: " << missing;
}

TEST(PageFiles, RussianPageDiffersOnlyInItsTextsInWindows1251) {
  std::string russian = PageFile("id3genres.ru.html");
  // The no-script paragraph's two sentences stand on two lines.
  std::string english = ReplaceOnce(russian, kRussianNoScriptLine1 + "\r\n\t\t" + kRussianNoScriptLine2,
                                    "This page requires script execution support. Enable it and try again.");
  english = ReplaceOnce(english, "<title>" + kRussianTitle + "</title>", "<title>ID3 Genres</title>");
  english = ReplaceOnce(english, "Number = \"" + kRussianNumber + "\";", "Number = \"No.\";");
  english = ReplaceOnce(english, "Genre = \"" + kRussianGenre + "\";", "Genre = \"Genre\";");
  english = ReplaceOnce(english, "<html lang=\"ru\">", "<html lang=\"en\">");
  english = ReplaceOnce(english, "charset=windows-1251\"", "charset=windows-1252\"");
  EXPECT_EQ(english, PageFile("id3genres.html"));
}

TEST(PageFiles, StylesheetRulesInOrder) {
  const std::vector<std::pair<std::string, std::string>> rules = {
      {"body, table, td", "font: message-box"},
      {"table", "border-collapse: collapse"},
      {".number", "border-right: solid thin WindowText"},
      {"td.number", "text-align: right"},
      {"thead, th a", "background-color: ActiveCaption; color: CaptionText; font: caption"},
      {"th, td", "padding: 2px 5px"},
      {"th", "border-bottom: solid thick WindowText"},
      {"tr.faded", "background-color: ButtonFace; color: ButtonText"},
  };
  std::string expected;
  for (const auto& [selector, declarations] : rules) expected += selector + "\r\n\t{ " + declarations + " }\r\n";
  EXPECT_EQ(PageFile("id3genres.css"), expected);
}

TEST(PageFiles, ScriptDeclarationsInOrder) {
  std::string missing;
  EXPECT_TRUE(InOrder(PageFile("id3genres.js"),
                        {"\nvar genresList = [", "\nvar genresSorted = [", "\nvar genresIndex = [", "\nvar Number;\r",
                         "\nvar Genre;\r", "\nfunction CreateSortedTable()\r", "\nfunction CreateTable()\r"},
                        &missing))
      << "missing or out of order: " << missing;
}

}  // namespace
