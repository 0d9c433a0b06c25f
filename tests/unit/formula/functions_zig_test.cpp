// Zig-zag and stop-and-reverse against straightforward re-statements of their definitions.
#include "formula_test_support.h"

namespace zor::test {
namespace {

struct Point {
  int index;
  double value;
  bool peak;
};

std::vector<Point> pointsRef(const Series& p, double percent) {
  std::vector<Point> out;
  double x = percent / 100 > 0 ? percent / 100 : 0.01;
  int gi = 0;
  while (gi < int(p.size()) && !valid(p[size_t(gi)])) ++gi;
  if (gi == int(p.size())) return out;
  double g = p[size_t(gi)];
  bool peak = true;
  for (int i = gi + 1; i < int(p.size()); ++i) {
    double v = p[size_t(i)];
    if (!valid(v)) continue;
    if (peak ? v > g : v < g) g = v, gi = i;
    if (g > 0 && (peak ? v < (1 - x) * g : v > (1 + x) * g)) {
      out.push_back({gi, p[size_t(gi)], peak});
      peak = !peak;
      g = v, gi = i;
    }
  }
  return out;
}

Series zigRef(const Series& p, double percent) {
  const int n = int(p.size());
  Series out(size_t(n), NA);
  std::vector<Point> pts = pointsRef(p, percent);
  int first = 0, last = n - 1;
  while (!valid(p[size_t(first)])) ++first;
  while (!valid(p[size_t(last)])) --last;
  pts.push_back({last, p[size_t(last)], false});
  int d = first;
  double v = p[size_t(first)];
  for (const Point& t : pts) {
    for (int j = d; j <= t.index; ++j) out[size_t(j)] = v + (j - d) * (t.value - v) / std::max(1, t.index - d);
    d = t.index, v = t.value;
  }
  return out;
}

Series nthRef(const Series& p, double percent, int m, bool peaks, bool distance) {
  std::vector<Point> pts = pointsRef(p, percent);
  Series out;
  for (int i = 0; i < int(p.size()); ++i) {
    std::vector<Point> seen;
    for (const Point& t : pts) {
      if (t.peak == peaks && t.index <= i) seen.push_back(t);
    }
    if (int(seen.size()) < m) {
      out.push_back(NA);
    } else {
      const Point& t = seen[seen.size() - size_t(m)];
      out.push_back(distance ? i - t.index : t.value);
    }
  }
  return out;
}

TEST(ZigZag, AgainstReferences) {
  FormulaInput in = randomBars(250, 55, true);
  struct Case {
    const char* k;
    const Series* price;
  } prices[] = {{"0", &in.open}, {"1", &in.high}, {"2", &in.low}, {"3", &in.close}};
  for (const Case& k : prices) {
    for (const char* n : {"3", "5", "10", "0"}) {
      double pct = std::atof(n);
      std::string args = std::string(k.k) + "," + n;
      EXPECT_TRUE(seriesNear(runLine("X:ZIG(" + args + ");", in), zigRef(*k.price, pct))) << args;
      for (int m : {1, 2}) {
        std::string a3 = args + "," + std::to_string(m);
        EXPECT_TRUE(seriesNear(runLine("X:PEAK(" + a3 + ");", in), nthRef(*k.price, pct, m, true, false))) << a3;
        EXPECT_TRUE(seriesNear(runLine("X:TROUGH(" + a3 + ");", in), nthRef(*k.price, pct, m, false, false))) << a3;
        EXPECT_TRUE(seriesNear(runLine("X:PEAKBARS(" + a3 + ");", in), nthRef(*k.price, pct, m, true, true))) << a3;
        EXPECT_TRUE(seriesNear(runLine("X:TROUGHBARS(" + a3 + ");", in), nthRef(*k.price, pct, m, false, true))) << a3;
      }
    }
  }
  // Defaults: ZIG reads the close and 5 %, PEAK the high.
  EXPECT_TRUE(seriesNear(runLine("X:ZIG();", in), zigRef(in.close, 5)));
  EXPECT_TRUE(seriesNear(runLine("X:PEAK();", in), nthRef(in.high, 5, 1, true, false)));
}

TEST(ZigZag, EdgeCases) {
  // Without a 10 % reversal: the straight line from the first close to the last.
  FormulaInput in = inputFromCloses({10, 10.5, 10.2, 10.8, 11});
  EXPECT_TRUE(seriesNear(runLine("X:ZIG(3,10);", in), {10, 10.25, 10.5, 10.75, 11}));
  // A first or last bar without a price does not blank the line.
  in = inputFromCloses({NA, 10, 12, 14, NA});
  EXPECT_TRUE(seriesNear(runLine("X:ZIG(3,10);", in), {NA, 10, 12, 14, NA}));
  EXPECT_TRUE(seriesNear(runLine("X:ZIG(3,10);", inputFromCloses({NA, NA})), {NA, NA}));
}

// The stop and reverse over bars that all have prices.
Series sarRef(const FormulaInput& in, double s, double m, bool turns) {
  const size_t n = in.close.size();
  Series out(n, turns ? 0 : NA);
  double step = s / 100 > 0 ? s / 100 : 0.02, maximum = m / 100 > 0 ? m / 100 : 0.2;
  if (n == 1) {
    if (!turns) out[0] = in.low[0];
    return out;
  }
  bool up = in.close[1] >= in.close[0];
  double sar = up ? in.low[0] : in.high[0], ep = up ? in.high[0] : in.low[0], af = step;
  if (!turns) out[0] = sar;
  for (size_t i = 1; i < n; ++i) {
    sar += (ep - sar) * af;
    if (up && sar > in.low[i]) {
      up = false, sar = ep, af = step, ep = in.low[i];
      if (turns) out[i] = -1;
    } else if (up && in.high[i] > ep) {
      af = std::min(af + step, maximum), ep = in.high[i];
    } else if (!up && in.high[i] > sar) {
      up = true, sar = ep, af = step, ep = in.high[i];
      if (turns) out[i] = 1;
    } else if (!up && in.low[i] < ep) {
      af = std::min(af + step, maximum), ep = in.low[i];
    }
    if (!turns) out[i] = sar;
  }
  return out;
}

TEST(StopAndReverse, AgainstReference) {
  FormulaInput in = randomBars(300, 17);
  EXPECT_TRUE(seriesNear(runLine("X:SAR(10,2,20);", in), sarRef(in, 2, 20, false)));
  EXPECT_TRUE(seriesNear(runLine("X:SAR(4,2,20);", in), runLine("X:SAR(10,2,20);", in)));
  EXPECT_TRUE(seriesNear(runLine("X:SAR(0,2,20);", in), runLine("X:SAR(10,2,20);", in)));
  EXPECT_TRUE(seriesNear(runLine("X:SAR(10,4,10);", in), sarRef(in, 4, 10, false)));
  EXPECT_TRUE(seriesNear(runLine("X:SAR(10,0,0);", in), sarRef(in, 2, 20, false)));
  EXPECT_TRUE(seriesNear(runLine("X:SAR();", in), sarRef(in, 2, 20, false)));
  EXPECT_TRUE(seriesNear(runLine("X:SARTURN(10,2,20);", in), sarRef(in, 2, 20, true)));
  FormulaInput one = randomBars(1, 2);
  EXPECT_TRUE(seriesNear(runLine("X:SAR(10,2,20);", one), {one.low[0]}));
  EXPECT_TRUE(seriesNear(runLine("X:SARTURN(10,2,20);", one), {0}));
}

// A bar without prices keeps the state and shows no value, instead of blanking the rest.
TEST(StopAndReverse, BarsWithoutPrices) {
  FormulaInput in = randomBars(200, 9, true);
  FormulaInput valid = FormulaInput();
  std::vector<size_t> kept;
  for (size_t i = 0; i < 200; ++i) {
    if (!zor::test::valid(in.close[i])) continue;
    kept.push_back(i);
    valid.open.push_back(in.open[i]);
    valid.high.push_back(in.high[i]);
    valid.low.push_back(in.low[i]);
    valid.close.push_back(in.close[i]);
  }
  Series sub = sarRef(valid, 2, 20, false), want(200, NA);
  for (size_t k = 0; k < kept.size(); ++k) want[kept[k]] = sub[k];
  EXPECT_TRUE(seriesNear(runLine("X:SAR(10,2,20);", in), want));
}

}  // namespace
}  // namespace zor::test
