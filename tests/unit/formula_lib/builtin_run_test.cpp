// Every built-in formula compiles and runs on generated instruments in every chart period, on
// short and flat series and on series with invalid bars, and gives outputs of the input's
// length; plus the behaviours the built-ins are known for.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "chart/formula_input.h"
#include "data/market.h"
#include "data/series.h"
#include "formula/builtin_formulas.h"
#include "formula/parser.h"

namespace zor {
namespace {

FormulaInput inputOf(const std::vector<DayBar>& bars, size_t count = SIZE_MAX) {
  return makeFormulaInput(std::span<const DayBar>(bars.data(), std::min(count, bars.size())));
}

// A deterministic instrument: 320 weekday bars from 2023-01-02 with a wandering price, three
// bars that failed validation, and real minute bars for its last three days.
StockRecord generatedInstrument() {
  StockRecord rec;
  rec.code = "600000";
  rec.market = 1;
  uint64_t state = 12345;
  auto next = [&] {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return double(state >> 11) / double(1ull << 53);
  };
  double price = 12;
  int day = 0;
  for (int date = 20230102; rec.k.size() < 320; ++day) {
    int y = date / 10000, m = date / 100 % 100, d = date % 100;
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool weekday = day % 7 < 5;
    if (weekday) {
      DayBar b;
      b.setDate(date);
      double open = price * (1 + (next() - 0.5) * 0.02);
      double close = open * (1 + (next() - 0.5) * 0.06);
      b.open = open;
      b.close = close;
      b.high = std::max(open, close) * (1 + next() * 0.02);
      b.low = std::min(open, close) * (1 - next() * 0.02);
      b.volume = std::floor(1e6 + next() * 4e6);
      b.amount = b.volume * (b.high + b.low) / 2;
      size_t i = rec.k.size();
      if (i == 0 || i == 150 || i == 151 || i == 319) b.open = b.high = b.low = b.close = NO_PRICE;
      rec.k.push_back(b);
      price = close;
    }
    if (++d > kDays[m - 1]) {
      d = 1;
      if (++m > 12) {
        m = 1;
        ++y;
      }
    }
    date = y * 10000 + m * 100 + d;
  }
  for (size_t i = rec.k.size() - 4; i + 1 < rec.k.size(); ++i) {
    const DayBar& b = rec.k[i];
    for (int j = 0; j < 240; ++j) {
      MinuteBar mb;
      mb.date = b.dateInt();
      mb.time = j < 120 ? 571 + j : 781 + (j - 120);
      double p = b.open + (b.close - b.open) * j / 239.0;
      mb.open = mb.close = float(p);
      mb.high = float(p * 1.001);
      mb.low = float(p * 0.999);
      mb.volume = b.volume / 240;
      mb.amount = mb.volume * p;
      rec.minAll.push_back(mb);
    }
  }
  rec.dayLoaded = rec.minLoaded = true;
  return rec;
}

// Runs every built-in over `in`; each must succeed with lines as long as the input and no
// infinite values.
void runAll(const FormulaInput& in, const std::string& what) {
  for (const FormulaDef& def : builtinFormulas()) {
    std::vector<OutputLine> lines;
    std::vector<DrawingItem> drawings;
    std::string error;
    ASSERT_TRUE(compileAndRunFormula(def, in, lines, drawings, error)) << what << " " << def.name << ": " << error;
    EXPECT_FALSE(lines.empty()) << what << " " << def.name;
    for (const OutputLine& line : lines) {
      ASSERT_EQ(line.values.size(), in.close.size()) << what << " " << def.name << "." << line.name;
      for (double v : line.values) ASSERT_FALSE(std::isinf(v)) << what << " " << def.name << "." << line.name;
    }
  }
}

TEST(BuiltinRun, EveryPeriodOfAGeneratedInstrument) {
  StockRecord rec = generatedInstrument();
  for (int period = 0; period < kPeriodCount; ++period) {
    std::vector<DayBar> bars = buildDisplaySeries(rec, period, TradeMode::History);
    ASSERT_FALSE(bars.empty()) << periodLabel(period);
    std::string what = periodLabel(period);
    runAll(inputOf(bars), what);
    for (size_t count : {1, 2, 10}) runAll(inputOf(bars, count), what + " first " + std::to_string(count));
  }
}

TEST(BuiltinRun, FlatAndPricelessSeries) {
  FormulaInput flat;
  for (int i = 0; i < 40; ++i) {
    flat.open.push_back(10);
    flat.high.push_back(10);
    flat.low.push_back(10);
    flat.close.push_back(10);
    flat.volume.push_back(1000);
    flat.amount.push_back(10000);
  }
  runAll(flat, "flat");
  FormulaInput priceless = flat;
  for (auto* s : {&priceless.open, &priceless.high, &priceless.low, &priceless.close})
    for (double& v : *s) v = noValue;
  runAll(priceless, "no valid price");
  FormulaInput silent = flat;
  for (double& v : silent.volume) v = 0;
  for (double& v : silent.amount) v = 0;
  runAll(silent, "no volume");
}

// ---- behaviours of single built-ins ----

FormulaInput rampInput(int n, double start, double step, double volume) {
  FormulaInput in;
  for (int i = 0; i < n; ++i) {
    double c = start + step * i + (step == 0 ? 0 : 0.3 * std::sin(i * 0.9));
    in.open.push_back(c - step / 2);
    in.close.push_back(c);
    double spread = step == 0 ? 0 : 0.1;  // a flat series has no range at all
    in.high.push_back(std::max(c, c - step / 2) + spread);
    in.low.push_back(std::min(c, c - step / 2) - spread);
    in.volume.push_back(volume);
    in.amount.push_back(volume * c);
  }
  return in;
}

std::vector<OutputLine> run(const std::string& name, const FormulaInput& in, const std::vector<double>* values = nullptr) {
  const FormulaDef* def = findBuiltinFormula(name);
  EXPECT_NE(def, nullptr) << name;
  std::vector<OutputLine> lines;
  std::vector<DrawingItem> drawings;
  std::string error;
  if (!values) {
    EXPECT_TRUE(compileAndRunFormula(*def, in, lines, drawings, error)) << error;
  } else {
    CompiledFormula compiled;
    EXPECT_TRUE(compileFormula(def->source, def->params, compiled, error)) << error;
    EXPECT_TRUE(runFormula(compiled, in, *values, lines, drawings, error)) << error;
  }
  return lines;
}

FormulaDef withDefaults(const std::string& name, std::vector<double> defaults) {
  FormulaDef def = *findBuiltinFormula(name);
  for (size_t i = 0; i < defaults.size(); ++i) def.params[i].defaultValue = defaults[i];
  return def;
}

std::vector<OutputLine> runDef(const FormulaDef& def, const FormulaInput& in) {
  std::vector<OutputLine> lines;
  std::vector<DrawingItem> drawings;
  std::string error;
  EXPECT_TRUE(compileAndRunFormula(def, in, lines, drawings, error)) << error;
  return lines;
}

TEST(BuiltinBehaviour, MacdParametersAndLineStyles) {
  FormulaInput in = rampInput(80, 10, 0.05, 1000);
  std::vector<OutputLine> byDefault = run("MACD", in);
  ASSERT_EQ(byDefault.size(), 3u);
  EXPECT_EQ(byDefault[2].name, "MACD");
  EXPECT_EQ(byDefault[2].style, StyleColorStick);
  std::vector<double> none, two = {5, 10}, all = {12, 26, 9};
  EXPECT_EQ(run("MACD", in, &none)[0].values, byDefault[0].values);
  EXPECT_EQ(run("MACD", in, &all)[2].values, byDefault[2].values);
  // Values 5 and 10 change the first two periods only; N3 keeps its default 9.
  EXPECT_EQ(run("MACD", in, &two)[2].values, runDef(withDefaults("MACD", {5, 10, 9}), in)[2].values);
  EXPECT_NE(run("MACD", in, &two)[2].values, byDefault[2].values);

  std::vector<OutputLine> vol = run("VOL", in);
  ASSERT_EQ(vol.size(), 3u);
  EXPECT_EQ(vol[0].name, "VOL");
  EXPECT_EQ(vol[0].style, StyleVolStick);
  EXPECT_EQ(vol[0].values, in.volume);
  EXPECT_EQ(vol[1].name, "MV5");
  EXPECT_EQ(vol[2].name, "MV10");
}

TEST(BuiltinBehaviour, KdjOnConstantPricesIsZero) {
  // HHV-LLV is 0 and a division by 0 gives 0, so RSV is 0 throughout.
  std::vector<OutputLine> kdj = run("KDJ", rampInput(30, 10, 0, 500));
  ASSERT_EQ(kdj.size(), 3u);
  for (const OutputLine& line : kdj)
    for (double v : line.values) EXPECT_EQ(v, 0) << line.name;
}

TEST(BuiltinBehaviour, RsiOfAStrictRiseIsHundredFromTheSecondBar) {
  FormulaInput in;
  for (int i = 0; i < 30; ++i) {
    double c = 10 + i * 0.1;
    in.open.push_back(c);
    in.high.push_back(c);
    in.low.push_back(c);
    in.close.push_back(c);
    in.volume.push_back(1);
    in.amount.push_back(c);
  }
  std::vector<OutputLine> rsi = run("RSI", in);
  ASSERT_EQ(rsi.size(), 3u);
  for (const OutputLine& line : rsi) {
    EXPECT_TRUE(std::isnan(line.values[0])) << line.name << ": no change before the first bar";
    for (size_t i = 1; i < line.values.size(); ++i) EXPECT_NEAR(line.values[i], 100, 1e-9) << line.name << " " << i;
  }
}

TEST(BuiltinBehaviour, McstIsAnAveragePriceOfSharesTraded) {
  FormulaInput in = rampInput(60, 10, 0.08, 5000000);
  std::vector<OutputLine> mcst = run("MCST", in);
  ASSERT_EQ(mcst.size(), 1u);
  double lo = 1e300, hi = -1e300;
  for (size_t i = 0; i < in.close.size(); ++i) {
    lo = std::min(lo, in.low[i]);
    hi = std::max(hi, in.high[i]);
    double v = mcst[0].values[i];
    EXPECT_GE(v, lo) << i;
    EXPECT_LE(v, hi) << i;
    double average = in.amount[i] / in.volume[i];
    if (i == 0) EXPECT_DOUBLE_EQ(v, average);
    else EXPECT_GT(std::fabs(v - average), 1e-6) << "the cost lags the bar's average price at " << i;
  }
}

TEST(BuiltinBehaviour, ParametersTheSourceDoesNotUse) {
  FormulaInput in = rampInput(70, 10, 0.05, 1000);
  // SAR reads N but does not use it; MA declares N1..N8 while its source uses fixed periods.
  EXPECT_EQ(runDef(withDefaults("SAR", {3, 2, 20}), in)[0].values, run("SAR", in)[0].values);
  EXPECT_EQ(runDef(withDefaults("MA", {7, 8, 9, 11, 1, 2, 3, 4}), in)[3].values, run("MA", in)[3].values);
  EXPECT_NE(runDef(withDefaults("SAR", {10, 4, 20}), in)[0].values, run("SAR", in)[0].values);
}

}  // namespace
}  // namespace zor
