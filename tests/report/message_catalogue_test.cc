#include "report/message_catalogue.h"

#include <gtest/gtest.h>

#include <string>

#include "message_table.h"

namespace velkor {
namespace {

// The placeholders of a text, in order, as one string: "%s%d", "%1!s!%2!08X!", ...
std::u16string Placeholders(std::u16string_view text) {
  std::u16string found;
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != u'%') continue;
    size_t end = i + 2;
    if (text[i + 1] >= u'1' && text[i + 1] <= u'9' && end < text.size() && text[end] == u'!') {
      end = text.find(u'!', end + 1);
      end = end == std::u16string_view::npos ? text.size() : end + 1;
    }
    found += text.substr(i, end - i);
    i = end - 1;
  }
  return found;
}

TEST(MessageCatalogue, EveryTextInBothLanguagesHasTheExpectedPlaceholdersAndEnding) {
  struct Row {
    int id;
    std::u16string placeholders;
    bool ends_with_line_end;
  };
  const Row rows[] = {
      {IDS_CONSOLE_TITLE, u"", false},
      {IDS_MFC_INIT_FAILED, u"", true},
      {IDS_COM_INIT_FAILED, u"", true},
      {IDS_XMLDOM_CREATE_FAILED, u"", true},
      {IDS_PROCESSING_FILE, u"%s", true},
      {IDS_XML_PARSE_ERROR, u"%1!s!%2!08X!%3!d!%4!d!%5!s!", true},
      {IDS_NO_SOURCE_NAME, u"%d", true},
      {IDS_NOTHING_TO_DO, u"%d", true},
      {IDS_RENAMED, u"%s%s", true},
      {IDS_RENAME_FAILED, u"%s%s", true},
      {IDS_OPEN_FAILED, u"%s", true},
      {IDS_HAS_TAG, u"%s", true},
      {IDS_TAG_ADDED, u"%s", true},
      {IDS_USAGE, u"", false},
      {IDS_FILE_NOT_FOUND, u"%s%s", true},
      {IDS_TAG_WRITE_FAILED, u"%s", true},
      {IDS_JOB_FILE_CHANGED, u"", false},
      {IDS_OUT_OF_MEMORY, u"", false},
  };
  ASSERT_EQ(std::size(rows), static_cast<size_t>(kLastMessageId));
  for (const auto* table : {kEnglishMessages, kRussianMessages}) {
    for (const Row& row : rows) {
      std::u16string text = table[row.id];
      EXPECT_EQ(Placeholders(text), row.placeholders) << "message " << row.id;
      bool ends = text.size() >= 2 && text.substr(text.size() - 2) == u"\r\n";
      EXPECT_EQ(ends, row.ends_with_line_end) << "message " << row.id;
      EXPECT_EQ(text.find(u"\r\n\r\n"), row.id == IDS_USAGE ? text.find(u"\r\n\r\n") : std::u16string::npos);
    }
  }
  EXPECT_LT(std::u16string(kEnglishMessages[IDS_MFC_INIT_FAILED]).size(), 512u);
  EXPECT_LT(std::u16string(kRussianMessages[IDS_MFC_INIT_FAILED]).size(), 512u);
}

TEST(MessageCatalogue, LanguageFollowsTheLocaleName) {
  EXPECT_EQ(LanguageForLocale("ru_RU.UTF-8"), Language::Russian);
  EXPECT_EQ(LanguageForLocale("ru"), Language::Russian);
  EXPECT_EQ(LanguageForLocale("en_US.UTF-8"), Language::English);
  EXPECT_EQ(LanguageForLocale("C"), Language::English);
  EXPECT_EQ(LanguageForLocale(""), Language::English);
  EXPECT_EQ(LanguageForLocale("r"), Language::English);

  SelectLanguage(Language::Russian);
  EXPECT_EQ(FormatText(IDS_NO_SOURCE_NAME, {12}).substr(0, 13), u"Для файла №12");
  SelectLanguage(Language::English);
  EXPECT_EQ(FormatText(IDS_NO_SOURCE_NAME, {12}).substr(0, 47), u"Source file name isn't specified for file #12. ");
  EXPECT_EQ(LoadText(0), u"");
  EXPECT_EQ(LoadText(kLastMessageId + 1), u"");
}

TEST(MessageCatalogue, ParseErrorShowsTheCodeAsEightUppercaseHexDigits) {
  SelectLanguage(Language::English);
  EXPECT_EQ(FormatNumbered(IDS_XML_PARSE_ERROR, {u"a!b%1.xml", 0x4Cu, 7, 12, u"Premature end of data"}),
            u"While parsing XML document 'a!b%1.xml' an error 0x0000004C occurred on line 7 position 12: "
            u"Premature end of data\r\n");
}

}  // namespace
}  // namespace velkor
