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

enum class K { Ma, Sum, Hhv, Llv, Std, Stdp, Var, Varp, Devsq };

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
    double sq = 0;
    for (double v : w) sq += (v - mean) * (v - mean);
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
               {"STDP", K::Stdp}, {"VAR", K::Var}, {"VARP", K::Varp}, {"DEVSQ", K::Devsq}};
  for (const Case& c : cases) {
    for (int period : {1, 3, 20, 300, 1500}) {
      const std::string text = std::string("X:") + c.name + "(C," + std::to_string(period) + ");";
      EXPECT_TRUE(seriesNear(runLine(text, in), reference(in.close, period, c.kind))) << text;
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
