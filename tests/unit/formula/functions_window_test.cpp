// Window functions with constant periods and with periods given bar by bar, against plain
// loops over each window.
#include <cstdlib>

#include "formula_test_support.h"

namespace zor::test {
namespace {

enum class W { Ma, Sum, Count, Every, Exist, Hhv, Llv, HhvBars, LlvBars, Wma };

// The reference: for each bar, scan its window directly.
Series windowRef(const Series& x, const Series& periods, W kind) {
  Series out;
  const int n = int(x.size());
  for (int i = 0; i < n; ++i) {
    const bool zeroFilled = kind == W::Sum || kind == W::Count || kind == W::Every || kind == W::Exist;
    if (!valid(periods[size_t(i)])) {
      out.push_back(zeroFilled ? 0 : NA);
      continue;
    }
    double pr = std::max(-1e9, std::min(1e9, periods[size_t(i)]));
    long long p = std::llround(pr);
    if ((kind == W::Ma || kind == W::Wma) && p <= 0) p = 1;
    const long long s = p <= 0 ? 0 : std::max(0LL, i - p + 1);
    double sum = 0, wsum = 0, weights = 0;
    int k = 0, trues = 0, best = -1;
    for (long long j = s; j <= i; ++j) {
      const double v = x[size_t(j)];
      trues += truth(v) ? 1 : 0;
      if (!valid(v)) continue;
      sum += v;
      ++k;
      const double w = double(j - s + 1);
      wsum += w * v;
      weights += w;
      if (best < 0 || (kind == W::Hhv || kind == W::HhvBars ? v >= x[size_t(best)] : v <= x[size_t(best)])) best = int(j);
    }
    const long long len = i - s + 1;
    switch (kind) {
      case W::Ma: out.push_back(k ? sum / k : NA); break;
      case W::Sum: out.push_back(k ? sum : 0); break;
      case W::Count: out.push_back(trues); break;
      case W::Every: out.push_back(trues == len ? 1 : 0); break;
      case W::Exist: out.push_back(trues > 0 ? 1 : 0); break;
      case W::Hhv:
      case W::Llv: out.push_back(best < 0 ? NA : x[size_t(best)]); break;
      case W::HhvBars:
      case W::LlvBars: out.push_back(best < 0 ? NA : double(i - best)); break;
      case W::Wma: out.push_back(k ? wsum / weights : NA); break;
    }
  }
  return out;
}

struct Fn {
  const char* name;
  W kind;
};
const Fn kPerBarFunctions[] = {
    {"MA", W::Ma},       {"SUM", W::Sum},   {"COUNT", W::Count},      {"EVERY", W::Every},     {"EXIST", W::Exist},
    {"HHV", W::Hhv},     {"LLV", W::Llv},   {"HHVBARS", W::HhvBars},  {"LLVBARS", W::LlvBars},
};

// Closes with repeats (ties for the extremes), missing bars and zeros (false for the counts).
FormulaInput fixture() {
  FormulaInput in = randomBars(150, 99, true);
  for (int i = 30; i < 36; ++i) in.close[size_t(i)] = 10;  // a flat run: ties
  in.close[50] = 0;
  in.close[51] = 0;
  return in;
}

TEST(WindowFunctions, ConstantPeriods) {
  FormulaInput in = fixture();
  const size_t n = in.close.size();
  // Default periods of a missing argument: 1 for MA, "from bar 0" for the others.
  for (const char* period : {"1", "5", "20", "0", "-3", "2.5", "149", "1000", "1E400", ""}) {
    for (const Fn& f : kPerBarFunctions) {
      std::string text = std::string("X:") + f.name + "(C" + (*period ? std::string(",") + period : "") + ");";
      double p = *period ? std::atof(period) : (f.kind == W::Ma ? 1 : 0);
      EXPECT_TRUE(seriesNear(runLine(text, in), windowRef(in.close, Series(n, p), f.kind))) << text;
    }
  }
  for (const char* period : {"1", "3", "10", "0", "149", "500"}) {
    std::string text = std::string("X:WMA(C,") + period + ");";
    EXPECT_TRUE(seriesNear(runLine(text, in), windowRef(in.close, Series(n, std::atof(period)), W::Wma))) << text;
  }
}

TEST(WindowFunctions, PeriodsReadBarByBar) {
  FormulaInput in = fixture();
  const int n = int(in.close.size());
  // Periods with gaps, zeros, negatives, halves and values past the first bar.
  Series periods;
  for (int i = 0; i < n; ++i) {
    double p = (i * 7) % 11;
    if (i % 13 == 5) p = NA;
    if (i % 17 == 3) p = -2.5;
    if (i % 19 == 4) p = 2.5;
    if (i % 23 == 7) p = 1e12;
    periods.push_back(p);
  }
  in.volume = periods;
  for (const Fn& f : kPerBarFunctions) {
    std::string text = std::string("X:") + f.name + "(C,V);";
    EXPECT_TRUE(seriesNear(runLine(text, in), windowRef(in.close, periods, f.kind))) << text;
  }
  // A constant period written as a series gives the constant result.
  for (const Fn& f : kPerBarFunctions) {
    std::string a = std::string("X:") + f.name + "(C,5);";
    std::string b = std::string("X:") + f.name + "(C,IF(C>-1000,5,5));";
    EXPECT_TRUE(seriesNear(runLine(b, in), runLine(a, in))) << f.name;
  }
  // Missing periods everywhere: noValue, or 0 for the 0-filled counts.
  EXPECT_TRUE(seriesNear(runLine("X:MA(C,DRAWNULL);", in), Series(size_t(n), NA)));
  EXPECT_TRUE(seriesNear(runLine("X:SUM(C,DRAWNULL);", in), Series(size_t(n), 0)));
  EXPECT_TRUE(seriesNear(runLine("X:HHV(C,'5');", in), Series(size_t(n), NA)));
}

TEST(WindowFunctions, EdgeCases) {
  FormulaInput in = inputFromCloses({1, 2, 3, 4, 5, 6});
  EXPECT_TRUE(seriesNear(runLine("X:MA(C,5);", in), {1, 1.5, 2, 2.5, 3, 4}));
  EXPECT_TRUE(seriesNear(runLine("X:MA(C,0);", in), in.close));
  EXPECT_TRUE(seriesNear(runLine("X:HHV(C,0);", inputFromCloses({3, 1, 4, 1, 5})), {3, 3, 4, 4, 5}));
  EXPECT_TRUE(seriesNear(runLine("X:SUM(C,0);", in), {1, 3, 6, 10, 15, 21}));
  EXPECT_TRUE(seriesNear(runLine("X:SUM(C,3);", inputFromCloses({NA, NA, NA, 2})), {0, 0, 0, 2}));
  EXPECT_TRUE(seriesNear(runLine("X:COUNT(C>3,3);", inputFromCloses({NA, 5, NA, 4})), {0, 1, 1, 2}));
  EXPECT_TRUE(seriesNear(runLine("X:EVERY(C,5);", inputFromCloses({1, 1, 0, 1})), {1, 1, 0, 0}));
  EXPECT_TRUE(seriesNear(runLine("X:EXIST(C,2);", inputFromCloses({0, 1, 0, 0})), {0, 1, 1, 0}));
  EXPECT_TRUE(seriesNear(runLine("X:HHVBARS(C,3);", inputFromCloses({5, 5, 1, 1})), {0, 0, 1, 2}));
  EXPECT_TRUE(seriesNear(runLine("X:LLVBARS(C,0);", inputFromCloses({2, 1, 3, 1})), {0, 0, 1, 0}));
  EXPECT_TRUE(seriesNear(runLine("X:WMA(C,3);", inputFromCloses({1, 2, 3})), {1, 5.0 / 3, 14.0 / 6}));
  // The high since the last up bar, the way users write it.
  FormulaInput bars = randomBars(60, 5);
  RunResult r = runText("X:HHV(H,BARSLAST(C>O)+1);", bars);
  ASSERT_TRUE(r.ok) << r.error;
  int last = -1;
  for (int i = 0; i < 60; ++i) {
    if (bars.close[size_t(i)] > bars.open[size_t(i)]) last = i;
    double want = NA;
    if (last >= 0) {
      want = bars.high[size_t(last)];
      for (int j = last; j <= i; ++j) want = std::max(want, bars.high[size_t(j)]);
    }
    EXPECT_TRUE(sameValue(r.line(0)[size_t(i)], want)) << i;
  }
}

}  // namespace
}  // namespace zor::test
