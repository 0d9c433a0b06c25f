#include "chart/formula_input.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace zor {
namespace {

DayBar bar(int date, double o, double h, double l, double c, double v, double a) {
  DayBar b;
  b.setDate(date);
  b.open = o, b.high = h, b.low = l, b.close = c, b.volume = v, b.amount = a;
  return b;
}

TEST(FormulaInputAdapter, PricesVolumesAndAmounts) {
  std::vector<DayBar> bars = {
      bar(20240102, 10, 11, 9, 10.5, 1000, 10500),
      bar(20240103, NO_PRICE, NO_PRICE, NO_PRICE, NO_PRICE, 500, 5000),  // failed validation
      bar(20240104, 10, 11, 9, 10, 2000, 0),                             // amount from close x volume
      bar(20240105, 10, 9, 11, 10, 300, -1),                              // high below low: invalid
      bar(20240108, 10, 11, 9, 10.2, NAN, INFINITY),
  };
  FormulaInput in = makeFormulaInput(bars);
  ASSERT_EQ(in.close.size(), 5u);
  EXPECT_EQ(in.close[0], 10.5);
  for (size_t i : {size_t(1), size_t(3)}) {
    EXPECT_TRUE(isNoValue(in.open[i]) && isNoValue(in.high[i]) && isNoValue(in.low[i]) && isNoValue(in.close[i])) << i;
  }
  EXPECT_EQ(in.volume[1], 500);
  EXPECT_EQ(in.amount[1], 5000);
  EXPECT_EQ(in.amount[2], 20000);
  EXPECT_EQ(in.amount[3], -1);  // no valid close to fall back on
  EXPECT_TRUE(isNoValue(in.volume[4]));
  EXPECT_TRUE(isNoValue(in.amount[4]));
  EXPECT_TRUE(in.dates.empty());
  EXPECT_TRUE(in.times.empty());

  std::vector<int32_t> dates = dayBarDates(bars);
  EXPECT_EQ(dates, (std::vector<int32_t>{20240102, 20240103, 20240104, 20240105, 20240108}));
  in = makeFormulaInput(bars, dates, std::vector<int32_t>(5, 0));
  EXPECT_EQ(in.dates, dates);
  EXPECT_EQ(in.times.size(), 5u);
}

// A bar that failed validation is a missing value to formulas: the lowest low stays a real
// price and the weekday comes from the dates.
TEST(FormulaInputAdapter, FormulasSeeMissingPrices) {
  std::vector<DayBar> bars = {bar(20240102, 10, 11, 9, 10.5, 1000, 10500),
                              bar(20240103, NO_PRICE, NO_PRICE, NO_PRICE, NO_PRICE, 500, 5000),
                              bar(20240105, 10, 11, 8.5, 10, 2000, 20000)};
  FormulaInput in = makeFormulaInput(bars, dayBarDates(bars));
  FormulaDef def;
  def.source = "LO:LLV(L,0); M:MA(C,2); W:WEEK;";
  std::vector<OutputLine> lines;
  std::vector<DrawingItem> drawings;
  std::string error;
  ASSERT_TRUE(compileAndRunFormula(def, in, lines, drawings, error)) << error;
  EXPECT_EQ(lines[0].values, (std::vector<double>{9, 9, 8.5}));
  EXPECT_EQ(lines[1].values[1], 10.5);
  EXPECT_EQ(lines[1].values[2], 10);
  EXPECT_EQ(lines[2].values, (std::vector<double>{2, 3, 5}));
}

TEST(FormulaInputAdapter, ValuesAsCsv) {
  std::vector<DayBar> bars = {bar(20240102, 10, 11, 9, 10.5, 1000, 10500), bar(20240103, 10, 11, 9, 10.1, 1, 1),
                              bar(20240104, 10, 11, 9, 0.1, 1, 1)};
  std::vector<OutputLine> lines(2);
  lines[0].name = "DIF";
  lines[0].values = {1.0 / 3, noValue, -2};
  lines[1].name = "A,B";
  lines[1].values = {0.1, 1e-7, 123456789012.5};
  EXPECT_EQ(formulaLinesCsv(bars, lines),
            "date,DIF,\"A,B\"\n"
            "20240102,0.3333333333333333,0.1\n"
            "20240103,,1e-07\n"
            "20240104,-2,123456789012.5\n");
}

}  // namespace
}  // namespace zor
