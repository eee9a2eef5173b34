#include "report/visible_text.h"

#include <gtest/gtest.h>

namespace velkor {
namespace {

TEST(MaskControlCharacters, OnlyControlCharactersBecomeQuestionMarks) {
  struct Row {
    std::u16string value, shown;
  } rows[] = {
      {u"a\x1b]0;t\x07z", u"a?]0;t?z"},
      {u"\x01\x1f\x20~\x7f", u"?? ~?"},
      {u"\x80\x9b\x9f\xa0\xff", u"???\xa0\xff"},
      {u"\t\r\n", u"\t\r\n"},
      {u"\xd83c\xdfb5\xfffd", u"\xd83c\xdfb5\xfffd"},  // a surrogate pair and U+FFFD stay whole
  };
  for (const Row& row : rows) {
    EXPECT_EQ(MaskControlCharacters(row.value), row.shown) << ::testing::PrintToString(row.value);
  }
}

}  // namespace
}  // namespace velkor
