// Long series against direct per-window loops. The running sums of MA, SUM and the deviation
// statistics are taken afresh every so many bars, and the fused arithmetic works in blocks:
// thousands of bars cross those points, and a stretch of much larger values followed by a flat
// stretch shows that no rounding residue of the large values survives.
#include "formula_test_support.h"

namespace zor::test {
namespace {

FormulaInput longBars() {
  FormulaInput in = randomBars(6000, 99, true);
  for (int i = 1500; i < 2600; ++i) in.close[size_t(i)] *= 1e5;
  for (int i = 2600; i < 2700; ++i) in.close[size_t(i)] = 7.31;  // flat right after the large values
  for (int i = 4000; i < 4040; ++i) in.close[size_t(i)] = NA;
  return in;
}

// Valid values of the window of `period` (0: from bar 0) at bar i.
std::vector<double> window(const Series& x, int i, int period) {
  std::vector<double> w;
  for (int j = period <= 0 ? 0 : std::max(0, i - period + 1); j <= i; ++j) {
    if (valid(x[size_t(j)])) w.push_back(x[size_t(j)]);
  }
  return w;
}

enum class K { Ma, Sum, Hhv, Llv, Std, Stdp, Var, Varp, Devsq, Avedev };

Series reference(const Series& x, int period, K kind) {
  Series out;
  for (int i = 0; i < int(x.size()); ++i) {
    std::vector<double> w = window(x, i, kind == K::Ma && period <= 0 ? 1 : period);
    if (w.empty()) {
      out.push_back(kind == K::Sum ? 0 : NA);
      continue;
    }
    double sum = 0, hi = w[0], lo = w[0];
    for (double v : w) sum += v, hi = std::max(hi, v), lo = std::min(lo, v);
    const double k = double(w.size()), mean = sum / k;
    double sq = 0, absolute = 0;
    for (double v : w) sq += (v - mean) * (v - mean), absolute += std::fabs(v - mean);
    const double sample = k > 1 ? k - 1 : 1;
    switch (kind) {
      case K::Ma: out.push_back(mean); break;
      case K::Sum: out.push_back(sum); break;
      case K::Hhv: out.push_back(hi); break;
      case K::Llv: out.push_back(lo); break;
      case K::Std: out.push_back(std::sqrt(sq / sample)); break;
      case K::Stdp: out.push_back(std::sqrt(sq / k)); break;
      case K::Var: out.push_back(sq / sample); break;
      case K::Varp: out.push_back(sq / k); break;
      case K::Devsq: out.push_back(sq); break;
      case K::Avedev: out.push_back(absolute / k); break;
    }
  }
  return out;
}

TEST(LongSeries, WindowsAgainstReferences) {
  const FormulaInput in = longBars();
  struct Case {
    const char* name;
    K kind;
  } cases[] = {{"MA", K::Ma}, {"SUM", K::Sum}, {"HHV", K::Hhv}, {"LLV", K::Llv}, {"STD", K::Std},
               {"STDP", K::Stdp}, {"VAR", K::Var}, {"VARP", K::Varp}, {"DEVSQ", K::Devsq}, {"AVEDEV", K::Avedev}};
  for (const Case& c : cases) {
    for (int period : {1, 3, 20, 300, 1500}) {
      const std::string text = std::string("X:") + c.name + "(C," + std::to_string(period) + ");";
      EXPECT_TRUE(seriesNear(runLine(text, in), reference(in.close, period, c.kind))) << text;
    }
  }
}

// Single missing bars scattered so that they fall at every place of the sliding sums' stretches
// (between two fresh sums) and of the extremes' tiles, and periods at and around the powers of
// two, the tile length and the longest period the extremes double.
TEST(LongSeries, WindowsAcrossStretchesAndTiles) {
  FormulaInput in = longBars();
  for (int i = 5; i < 6000; i += 397) in.close[size_t(i)] = NA;
  for (int i = 2040; i < 2060; ++i) in.close[size_t(i)] = NA;  // across the end of the first tile
  struct Case {
    const char* name;
    K kind;
  } cases[] = {{"MA", K::Ma}, {"SUM", K::Sum}, {"HHV", K::Hhv}, {"LLV", K::Llv}, {"AVEDEV", K::Avedev}};
  for (const Case& c : cases) {
    for (int period : {2, 4, 5, 7, 8, 9, 15, 16, 17, 33, 64, 255, 256, 257, 511, 512, 513, 1023, 1025, 2047, 2048,
                       2049, 5999, 6000, 7000}) {
      if (c.kind == K::Avedev && period > 1100) continue;  // the sum of its windows passes the run's work limit
      const std::string text = std::string("X:") + c.name + "(C," + std::to_string(period) + ");";
      EXPECT_TRUE(seriesNear(runLine(text, in), reference(in.close, period, c.kind))) << text;
    }
  }
}

// Very large and very small magnitudes through the sliding sums and extremes: a stretch of
// 1e300 times the prices right before one of 1e-300 times them (the running sums must not keep
// a residue of the large values), and sums that overflow: a window whose direct sum overflows
// has no value, and the windows after it agree with the direct sums again.
TEST(LongSeries, WindowsOfExtremeMagnitudes) {
  FormulaInput in = randomBars(5000, 7);
  for (int i = 1000; i < 1300; ++i) in.close[size_t(i)] *= 1e300;
  for (int i = 1300; i < 1600; ++i) in.close[size_t(i)] *= 1e-300;
  struct Case {
    const char* name;
    K kind;
  } cases[] = {{"MA", K::Ma}, {"SUM", K::Sum}, {"HHV", K::Hhv}, {"LLV", K::Llv}, {"AVEDEV", K::Avedev}};
  for (const Case& c : cases) {
    for (int period : {3, 20, 300}) {
      const std::string text = std::string("X:") + c.name + "(C," + std::to_string(period) + ");";
      EXPECT_TRUE(seriesNear(runLine(text, in), reference(in.close, period, c.kind))) << text;
    }
  }
  // Any two bars of 500..1999 overflow, positive, and any two from 2000 on, negative; the
  // windows across bar 2000 that hold only one or two of the large bars sum to finite values.
  FormulaInput huge = randomBars(3000, 8);
  for (int i = 0; i < 3000; ++i) huge.close[size_t(i)] = (i % 2 ? 1.5e308 : 1.2e308) * (i >= 2000 ? -1 : 1);
  for (int i = 0; i < 500; ++i) huge.close[size_t(i)] = 1e306;
  for (int i = 2600; i < 3000; ++i) huge.close[size_t(i)] = 1e306 * (1 + i % 7);
  for (const Case& c : cases) {
    for (int period : {2, 5, 40}) {
      const std::string text = std::string("X:") + c.name + "(C," + std::to_string(period) + ");";
      Series want = reference(huge.close, period, c.kind);
      for (double& w : want) w = std::isfinite(w) ? w : NA;
      EXPECT_TRUE(seriesNear(runLine(text, huge), want)) << text;
    }
  }
}

// Infinite values reach the extremes as arguments (a smoothing that grows without bound is
// cleaned only at the end of its statement): an infinity is a real extreme while it is in the
// window, and the statement then makes it noValue.
TEST(LongSeries, ExtremesOfInfiniteValues) {
  FormulaInput in = randomBars(3000, 9, true);
  // TMA(X,2,2) doubles and more each bar: it passes the largest double after about 1000 bars.
  const Series grow = runLine("X:TMA(C,2,2);", in);
  const Series hhv = runLine("X:HHV(TMA(C,2,2),7);", in);
  const Series llv = runLine("X:LLV(-TMA(C,2,2),7);", in);
  const Series low = runLine("X:LLV(TMA(C,2,2),7);", in);
  size_t firstInfinite = 0;
  while (firstInfinite < grow.size() && valid(grow[firstInfinite])) ++firstInfinite;
  ASSERT_GT(firstInfinite, 100u);
  ASSERT_LT(firstInfinite + 10, grow.size());
  for (size_t i = 0; i < grow.size(); ++i) {
    double hi = NA, lo = NA;
    for (size_t j = i >= 6 ? i - 6 : 0; j <= i; ++j) {
      if (!valid(grow[j])) continue;
      hi = valid(hi) ? std::max(hi, grow[j]) : grow[j];
      lo = valid(lo) ? std::min(lo, grow[j]) : grow[j];
    }
    if (i < firstInfinite) {
      ASSERT_TRUE(sameValue(hhv[i], hi)) << i;
      ASSERT_TRUE(sameValue(llv[i], valid(hi) ? -hi : NA)) << i;
      ASSERT_TRUE(sameValue(low[i], lo)) << i;
    } else {
      ASSERT_TRUE(isNoValue(hhv[i])) << i;  // +inf, made noValue by the statement
      ASSERT_TRUE(isNoValue(llv[i])) << i;
      if (i >= firstInfinite + 7) {
        ASSERT_TRUE(isNoValue(low[i])) << i;
      }
    }
  }
}

TEST(LongSeries, FusedArithmeticAgainstElementLoops) {
  const FormulaInput in = longBars();
  const Series& c = in.close;
  const Series& o = in.open;
  const Series& h = in.high;
  const Series& l = in.low;
  const Series got = runLine("X:IF(C>REF(C,1),MAX(H-L,ABS(H-REF(C,1))),-MIN(O,C)/(H-L))*2;", in);
  ASSERT_EQ(got.size(), c.size());
  for (size_t i = 0; i < c.size(); ++i) {
    const double lc = i > 0 ? c[i - 1] : NA;
    double want;
    if (valid(c[i]) && valid(lc) && c[i] > lc) {
      const double a = valid(h[i]) && valid(l[i]) ? h[i] - l[i] : NA;
      const double b = valid(h[i]) && valid(lc) ? std::fabs(h[i] - lc) : NA;
      want = !valid(a) ? b : !valid(b) ? a : std::max(a, b);
    } else {
      const double m = !valid(o[i]) ? c[i] : !valid(c[i]) ? o[i] : std::min(o[i], c[i]);
      const double range = valid(h[i]) && valid(l[i]) ? h[i] - l[i] : NA;
      want = !valid(m) || !valid(range) ? NA : range == 0 ? 0 : -m / range;
    }
    want = valid(want) ? want * 2 : NA;
    ASSERT_TRUE(sameValue(got[i], want)) << "bar " << i << ": got " << got[i] << ", want " << want;
  }
}

}  // namespace
}  // namespace zor::test
