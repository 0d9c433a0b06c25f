// References, counters and signals against backward scans written out per bar.
#include "formula_test_support.h"

namespace zor::test {
namespace {

long long roundPeriod(double p) { return std::llround(std::max(-1e9, std::min(1e9, p))); }

Series refRef(const Series& x, const Series& periods, bool forward) {
  Series out;
  const long long n = (long long)x.size();
  for (long long i = 0; i < n; ++i) {
    if (!valid(periods[size_t(i)])) {
      out.push_back(NA);
      continue;
    }
    long long p = roundPeriod(periods[size_t(i)]);
    long long k = forward ? i + std::max(0LL, p) : i - p;
    out.push_back(k >= 0 && k < n ? x[size_t(k)] : NA);
  }
  return out;
}

// Closes with missing bars and a clear up/down pattern; O is the previous close.
FormulaInput fixture() {
  FormulaInput in = randomBars(120, 77, true);
  return in;
}

TEST(References, RefAndRefxWithConstantAndPerBarPeriods) {
  FormulaInput in = fixture();
  const size_t n = in.close.size();
  for (const char* p : {"1", "0", "3", "-2", "2.5", "-2.5", "119", "120", "1E400", "-1E400"}) {
    double v = std::atof(p);
    for (const char* name : {"REF", "REFV"}) {
      std::string text = std::string("X:") + name + "(C," + p + ");";
      EXPECT_TRUE(seriesNear(runLine(text, in), refRef(in.close, Series(n, v), false))) << text;
    }
    for (const char* name : {"REFX", "REFXV"}) {
      std::string text = std::string("X:") + name + "(C," + p + ");";
      EXPECT_TRUE(seriesNear(runLine(text, in), refRef(in.close, Series(n, v), true))) << text;
    }
  }
  EXPECT_TRUE(seriesNear(runLine("X:REF(C);", in), refRef(in.close, Series(n, 1), false)));
  Series periods;
  for (size_t i = 0; i < n; ++i) periods.push_back(i % 9 == 4 ? NA : double(int(i * 5) % 13) - 3);
  in.volume = periods;
  EXPECT_TRUE(seriesNear(runLine("X:REF(C,V);", in), refRef(in.close, periods, false)));
  EXPECT_TRUE(seriesNear(runLine("X:REFX(C,V);", in), refRef(in.close, periods, true)));

  // The close of the latest up bar; REF(C,BARSCOUNT) reaches before the first bar everywhere.
  FormulaInput bars = randomBars(50, 4);
  Series want;
  double last = NA;
  for (size_t i = 0; i < 50; ++i) {
    if (bars.close[i] > bars.open[i]) last = bars.close[i];
    want.push_back(last);
  }
  EXPECT_TRUE(seriesNear(runLine("X:REF(C,BARSLAST(C>O));", bars), want));
  EXPECT_TRUE(seriesNear(runLine("X:REF(C,BARSCOUNT(C));", bars), Series(50, NA)));
  EXPECT_TRUE(seriesNear(runLine("X:REF(C,1);", inputFromCloses({1, 2})), {NA, 1}));
  EXPECT_TRUE(seriesNear(runLine("X:REF(C,-1);", inputFromCloses({1, 2})), {2, NA}));
}

TEST(References, CountersAndSignals) {
  //                          0  1  2  3   4  5  6  7  8  9
  FormulaInput in = inputFromCloses({0, 1, 1, NA, 0, 1, 0, 0, 1, 1});
  struct Case {
    const char* text;
    Series want;
  } cases[] = {
      {"X:BARSLAST(C);", {NA, 0, 0, 1, 2, 0, 1, 2, 0, 0}},
      {"X:BARSSINCE(C);", {NA, 0, 1, 2, 3, 4, 5, 6, 7, 8}},
      {"X:BARSLASTCOUNT(C);", {0, 1, 2, 0, 0, 1, 0, 0, 1, 2}},
      {"X:VALUEWHEN(C,BARSCOUNT);", {NA, 2, 3, 3, 3, 6, 6, 6, 9, 10}},
      {"X:BACKSET(C,2);", {1, 1, 1, 0, 1, 1, 0, 1, 1, 1}},
      {"X:BACKSET(C,0);", Series(10, 0)},
      {"X:FILTER(C,2);", {0, 1, 0, 0, 0, 1, 0, 0, 1, 0}},
      {"X:FILTER(C,0);", {0, 1, 1, 0, 0, 1, 0, 0, 1, 1}},
      {"X:EXISTR(C,3,1);", {0, 0, 1, 1, 1, 1, 1, 1, 1, 1}},
      {"X:EXISTR(C,1,1);", {0, 0, 1, 1, 0, 0, 1, 0, 0, 1}},
      {"X:EXISTR(C,0,2);", {0, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
      {"X:EXISTR(C,-4,0);", {0, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
  };
  for (const Case& c : cases) EXPECT_TRUE(seriesNear(runLine(c.text, in), c.want)) << c.text;
  EXPECT_TRUE(seriesNear(runLine("X:FILTER(C,2);", inputFromCloses(Series(6, 1))), {1, 0, 0, 1, 0, 0}));
}

TEST(References, CrossAndLongCross) {
  FormulaInput in = inputFromCloses({1, 3, 2, 4, NA, 6, 1, 2, 2, 3, 0});
  in.open = {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2};
  EXPECT_TRUE(seriesNear(runLine("X:CROSS(C,O);", in), {0, 1, 0, 1, 0, 0, 0, 0, 0, 1, 0}));
  EXPECT_TRUE(seriesNear(runLine("X:CROSS(O,C);", in), {0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1}));
  // Below (or equal) for N bars, all valid, then above.
  EXPECT_TRUE(seriesNear(runLine("X:LONGCROSS(C,O,3);", in), {0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0}));
  EXPECT_TRUE(seriesNear(runLine("X:LONGCROSS(C,O,1);", in), runLine("X:CROSS(C,O);", in)));
  FormulaInput five = inputFromCloses({1, 1, 1, 1, 1, 3, 1, 3});
  five.open = Series(8, 2);
  EXPECT_TRUE(seriesNear(runLine("X:LONGCROSS(C,O,5);", five), {0, 0, 0, 0, 0, 1, 0, 0}));
  // The signal the way users write it: a golden cross of two averages.
  FormulaInput bars = randomBars(200, 8);
  Series fast = runLine("X:MA(C,5);", bars), slow = runLine("X:MA(C,20);", bars), want(200, 0);
  for (int i = 1; i < 200; ++i) want[size_t(i)] = fast[size_t(i)] > slow[size_t(i)] && fast[size_t(i) - 1] <= slow[size_t(i) - 1];
  EXPECT_TRUE(seriesNear(runLine("X:CROSS(MA(C,5),MA(C,20));", bars), want));
}

TEST(References, BackwardScans) {
  FormulaInput in = randomBars(300, 21, true);
  for (int i = 200; i < 230; ++i) in.close[size_t(i)] = 5 + i * 0.1;  // a strict rise
  for (int i = 240; i < 250; ++i) in.close[size_t(i)] = 7;           // ties
  const Series& c = in.close;
  const int n = 300;
  Series top, low, sumbars, up3, down2, nday3;
  for (int i = 0; i < n; ++i) {
    int k = i - 1;
    while (k >= 0 && valid(c[size_t(k)]) && c[size_t(k)] <= c[size_t(i)]) --k;
    top.push_back(i - k);
    k = i - 1;
    while (k >= 0 && valid(c[size_t(k)]) && c[size_t(k)] >= c[size_t(i)]) --k;
    low.push_back(i - k);
    double s = 0, result = NA;
    for (int j = i; j >= 0; --j) {
      if (!valid(c[size_t(j)])) break;
      s += c[size_t(j)];
      if (s >= 35) {
        result = i - j;
        break;
      }
    }
    sumbars.push_back(result);
    auto run = [&](int len, auto ok) {
      if (i < len) return 0.0;
      for (int j = i - len + 1; j <= i; ++j) {
        if (!ok(j)) return 0.0;
      }
      return 1.0;
    };
    up3.push_back(run(3, [&](int j) { return j > 0 && c[size_t(j)] > c[size_t(j) - 1]; }));
    down2.push_back(run(2, [&](int j) { return j > 0 && c[size_t(j)] < c[size_t(j) - 1]; }));
    nday3.push_back(run(3, [&](int j) { return c[size_t(j)] > in.open[size_t(j)]; }));
  }
  EXPECT_TRUE(seriesNear(runLine("X:TOPRANGE(C);", in), top));
  EXPECT_TRUE(seriesNear(runLine("X:LOWRANGE(C);", in), low));
  EXPECT_TRUE(seriesNear(runLine("X:SUMBARS(C,35);", in), sumbars));
  EXPECT_TRUE(seriesNear(runLine("X:UPNDAY(C,3);", in), up3));
  EXPECT_TRUE(seriesNear(runLine("X:DOWNNDAY(C,2);", in), down2));
  EXPECT_TRUE(seriesNear(runLine("X:NDAY(C,O,3);", in), nday3));
  // SUMBARS with negative values and a threshold met by the bar alone.
  FormulaInput mixed = inputFromCloses({4, -3, 2, -1, 5, NA, 1, 1});
  EXPECT_TRUE(seriesNear(runLine("X:SUMBARS(C,3);", mixed), {0, NA, 2, NA, 0, NA, NA, NA}));
  EXPECT_TRUE(seriesNear(runLine("X:SUMBARS(C,-1);", mixed), {0, 1, 0, 0, 0, NA, 0, 0}));
  EXPECT_TRUE(seriesNear(runLine("X:TOPRANGE(C);", inputFromCloses({3})), {1}));
}

}  // namespace
}  // namespace zor::test
