// Dates and times, real-time data and texts as numbers.
#include "formula_test_support.h"

namespace zor::test {
namespace {

TEST(DateTime, FromTheInputLists) {
  FormulaInput in = inputFromCloses({1, 2, 3, 4, 5, 6});
  in.dates = {20240105, 20240106, 20240107, 20000229, 19991231, 20241301};
  in.times = {930, 1000, 1130, 1300, 1330, 1500};
  struct Case {
    const char* text;
    Series want;
  } cases[] = {
      {"X:DATE;", {20240105, 20240106, 20240107, 20000229, 19991231, 20241301}},
      {"X:YEAR;", {2024, 2024, 2024, 2000, 1999, 2024}},
      {"X:MONTH;", {1, 1, 1, 2, 12, 13}},
      {"X:DAY;", {5, 6, 7, 29, 31, 1}},
      {"X:WEEK;", {5, 6, 0, 2, 5, NA}},  // 2024-01-05 is a Friday; month 13 has no weekday
      {"X:TIME;", {93000, 100000, 113000, 130000, 133000, 150000}},
      {"X:HOUR;", {9, 10, 11, 13, 13, 15}},
      {"X:MINUTE;", {30, 0, 30, 0, 30, 0}},
      {"X:FROMOPEN;", {0, 30, 120, 120, 150, 240}},
      {"X:DATE();", {20240105, 20240106, 20240107, 20000229, 19991231, 20241301}},
  };
  for (const Case& c : cases) EXPECT_TRUE(seriesNear(runLine(c.text, in), c.want)) << c.text;
  in.times = {900, 0, 1129, 1200, 1459, 1501};
  EXPECT_TRUE(seriesNear(runLine("X:FROMOPEN;", in), {0, 0, 119, 60, 239, 241}));  // 12:00 lies in the break

  // Lists that are not one per bar give no value.
  in.dates.pop_back();
  in.times.clear();
  for (const char* name : {"DATE", "YEAR", "MONTH", "DAY", "WEEK", "TIME", "HOUR", "MINUTE", "FROMOPEN"}) {
    EXPECT_TRUE(seriesNear(runLine(std::string("X:") + name + ";", in), Series(6, NA))) << name;
  }
}

TEST(RealTimeData, Dynainfo) {
  FormulaInput in = randomBars(8, 3, true);
  in.close[2] = NA;
  in.volume[4] = NA;
  const Series& c = in.close;
  Series prev{NA}, limit{NA}, average;
  for (size_t i = 1; i < 8; ++i) {
    prev.push_back(c[i - 1]);
    limit.push_back(valid(c[i - 1]) ? c[i - 1] * 1.1 : NA);
  }
  double a = 0, v = 0;
  for (size_t i = 0; i < 8; ++i) {
    if (valid(in.amount[i]) && valid(in.volume[i])) a += in.amount[i], v += in.volume[i];
    average.push_back(v > 0 && a / v > 0 ? a / v : NA);
  }
  struct Case {
    const char* text;
    Series want;
  } cases[] = {
      {"X:DYNAINFO(3);", prev},   {"X:DYNAINFO(4);", Series(8, in.open[0])},
      {"X:DYNAINFO(5);", c},      {"X:DYNAINFO(6);", average},
      {"X:DYNAINFO(7);", in.low}, {"X:DYNAINFO(8);", in.high},
      {"X:DYNAINFO(9);", limit},  {"X:DYNAINFO(10);", in.volume},
      {"X:DYNAINFO(11);", in.volume},
  };
  for (const Case& k : cases) EXPECT_TRUE(seriesNear(runLine(k.text, in), k.want)) << k.text;
  EXPECT_EQ(runText("X:DYNAINFO(12);", in).error, "DYNAINFO(12) 本程序暂无对应数据");
  EXPECT_EQ(runText("X:DYNAINFO();", in).error, "DYNAINFO(0) 本程序暂无对应数据");
  EXPECT_EQ(runText("X:DYNAINFO(1E400);", in).error, "DYNAINFO(1000000000) 本程序暂无对应数据");
}

TEST(Texts, AsNumbers) {
  FormulaInput in = inputFromCloses({1, 2});
  struct Case {
    const char* text;
    double want;
  } cases[] = {
      {"X:STR2CON('12.5');", 12.5}, {"X:STR2CON('3元');", 3},     {"X:STR2CON('abc');", 0},
      {"X:STR2CON(' -4');", -4},    {"X:STR2CON(C);", NA},          {"X:CON2STR(C,2);", NA},
      {"X:VAR2STR(C,2);", NA},      {"X:STRCAT('A','B');", NA},     {"X:STR2CON('1E400');", NA},
  };
  for (const Case& c : cases) EXPECT_TRUE(seriesNear(runLine(c.text, in), Series(2, c.want))) << c.text;
}

}  // namespace
}  // namespace zor::test
