#include "id3/decimal_scan.h"

#include <gtest/gtest.h>

#include <string>

namespace velkor {
namespace {

TEST(DecimalScanTest, ReadsTheLeadingNumber) {
  const struct {
    std::string text;
    std::int32_t value;
  } cases[] = {
      {"0", 0},           {"5", 5},          {"5/12", 5},        {"12abc", 12},   {"007", 7},
      {"+9", 9},          {"-1", -1},        {"-0", 0},          {" \t\n\v\f\r42", 42}, {"1999-2003", 1999},
      {"2147483647", 2147483647},            {"-2147483648", -2147483647 - 1},
  };
  for (const auto& c : cases) {
    std::int32_t value = 12345;
    EXPECT_TRUE(ScanDecimal(c.text, &value)) << "'" << c.text << "'";
    EXPECT_EQ(value, c.value) << "'" << c.text << "'";
  }
}

TEST(DecimalScanTest, TextsWithoutADigitFirstDoNotScan) {
  for (std::string text : {"", " ", "A", "-", "+", "- 5", "+-5", "--5", "x5", "\xD9\xA5", "\xEF\xBC\x95"}) {
    std::int32_t value = 12345;
    EXPECT_FALSE(ScanDecimal(text, &value)) << "'" << text << "'";
    EXPECT_EQ(value, 12345) << "'" << text << "'";
  }
  // A NUL ends nothing by itself; it is just not a digit.
  std::int32_t value = 0;
  EXPECT_TRUE(ScanDecimal(std::string("7\0" "8", 3), &value));
  EXPECT_EQ(value, 7);
}

TEST(DecimalScanTest, NumbersBeyond32BitsWrap) {
  const struct {
    std::string text;
    std::int32_t value;
  } cases[] = {
      {"2147483648", -2147483647 - 1},       // 2^31
      {"-2147483649", 2147483647},            // -(2^31) - 1
      {"4294967295", -1},                     // 2^32 - 1
      {"4294967296", 0},                      // 2^32
      {"4294967301", 5},                      // 2^32 + 5
      {"-4294967297", -1},                    // -(2^32) - 1
      {"99999999999999999999", 1661992959},   // (10^20 - 1) mod 2^32, as two's complement
      {"000000000000000000000000000000000000000017", 17},
  };
  for (const auto& c : cases) {
    std::int32_t value = 0;
    EXPECT_TRUE(ScanDecimal(c.text, &value)) << c.text;
    EXPECT_EQ(value, c.value) << c.text;
  }
}

}  // namespace
}  // namespace velkor
