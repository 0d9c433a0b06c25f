// Numbers and text fields as CSV writes them: shortest text that reads back exactly, fields
// quoted only when they must be.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>

#include "platform/csv.h"
#include "platform/number_text.h"

namespace zor {
namespace {

TEST(NumberText, Forms) {
  struct {
    double v;
    const char* want;
  } cases[] = {
      {0, "0"},
      {-0.0, "-0"},
      {1500, "1500"},
      {1e8, "100000000"},  // whole numbers stay whole
      {-42, "-42"},
      {999999999999999, "999999999999999"},
      {1e15, "1e+15"},
      {0.1, "0.1"},
      {12.5, "12.5"},
      {1e-5, "1e-05"},
      {0.30000000000000004, "0.30000000000000004"},
      {1.0 / 3, "0.3333333333333333"},
      {100000000.5, "100000000.5"},
      {std::numeric_limits<double>::quiet_NaN(), ""},
      {std::numeric_limits<double>::infinity(), ""},
      {-std::numeric_limits<double>::infinity(), ""},
  };
  for (const auto& c : cases) EXPECT_EQ(numberText(c.v), c.want) << c.v;
  EXPECT_EQ(numberText(10.1f), "10.1");  // float precision for floats
  EXPECT_EQ(numberText(double(10.1f)), "10.100000381469727");
}

TEST(NumberText, EveryFiniteValueReadsBack) {
  std::mt19937_64 rng(7);
  std::string s;
  for (int i = 0; i < 20000; ++i) {
    double v = std::bit_cast<double>(rng());
    if (!std::isfinite(v)) continue;
    s.clear();
    appendNumber(s, v);
    ASSERT_EQ(std::strtod(s.c_str(), nullptr), v) << s;
    float f = std::bit_cast<float>(uint32_t(rng()));
    if (!std::isfinite(f)) continue;
    s.clear();
    appendNumber(s, f);
    ASSERT_EQ(std::strtof(s.c_str(), nullptr), f) << s;
  }
}

TEST(CsvField, QuotesOnlyWhatNeedsIt) {
  struct {
    const char* text;
    const char* want;
  } cases[] = {
      {"", ""},
      {"浦发银行", "浦发银行"},
      {"a,b", "\"a,b\""},
      {"say \"hi\"", "\"say \"\"hi\"\"\""},
      {"two\nlines", "\"two\nlines\""},
      {"cr\r", "\"cr\r\""},
      {"\"", "\"\"\"\""},
  };
  for (const auto& c : cases) EXPECT_EQ(csvField(c.text), c.want) << c.text;
  std::string line = "x,";
  appendCsvField(line, "a,b");
  EXPECT_EQ(line, "x,\"a,b\"");
}

}  // namespace
}  // namespace zor
