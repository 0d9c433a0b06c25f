// Window statistics and linear regression against direct per-window computations.
#include "formula_test_support.h"

namespace zor::test {
namespace {

enum class S { Std, Stdp, Var, Varp, Avedev, Devsq };

Series statRef(const Series& x, int period, S kind) {
  Series out;
  period = std::max(1, period);
  for (int i = 0; i < int(x.size()); ++i) {
    std::vector<double> w;
    for (int j = std::max(0, i - period + 1); j <= i; ++j) {
      if (valid(x[size_t(j)])) w.push_back(x[size_t(j)]);
    }
    if (w.empty()) {
      out.push_back(NA);
      continue;
    }
    double mean = 0;
    for (double v : w) mean += v;
    mean /= double(w.size());
    double sq = 0, ab = 0;
    for (double v : w) {
      sq += (v - mean) * (v - mean);
      ab += std::fabs(v - mean);
    }
    const double k = double(w.size()), sample = k > 1 ? k - 1 : 1;
    switch (kind) {
      case S::Std: out.push_back(std::sqrt(sq / sample)); break;
      case S::Stdp: out.push_back(std::sqrt(sq / k)); break;
      case S::Var: out.push_back(sq / sample); break;
      case S::Varp: out.push_back(sq / k); break;
      case S::Avedev: out.push_back(ab / k); break;
      case S::Devsq: out.push_back(sq); break;
    }
  }
  return out;
}

Series pairRef(const Series& a, const Series& b, int period, bool correlation) {
  Series out;
  period = std::max(1, period);
  for (int i = 0; i < int(a.size()); ++i) {
    std::vector<std::pair<double, double>> w;
    for (int j = std::max(0, i - period + 1); j <= i; ++j) {
      if (valid(a[size_t(j)]) && valid(b[size_t(j)])) w.push_back({a[size_t(j)], b[size_t(j)]});
    }
    if (w.size() < 2) {
      out.push_back(NA);
      continue;
    }
    double ma = 0, mb = 0;
    for (auto& p : w) ma += p.first, mb += p.second;
    ma /= double(w.size());
    mb /= double(w.size());
    double c = 0, aa = 0, bb = 0;
    for (auto& p : w) {
      c += (p.first - ma) * (p.second - mb);
      aa += (p.first - ma) * (p.first - ma);
      bb += (p.second - mb) * (p.second - mb);
    }
    out.push_back(correlation ? (aa == 0 || bb == 0 ? 0 : c / std::sqrt(aa * bb)) : c / double(w.size()));
  }
  return out;
}

Series regressionRef(const Series& x, int period, bool forecast) {
  Series out;
  period = std::max(2, period);
  for (int i = 0; i < int(x.size()); ++i) {
    const int m = std::min(period, i + 1);
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    bool missing = false;
    for (int t = 0; t < m; ++t) {
      const double y = x[size_t(i - m + 1 + t)];
      missing |= !valid(y);
      sx += t, sy += y, sxx += double(t) * t, sxy += t * y;
    }
    if (missing) {
      out.push_back(NA);
      continue;
    }
    const double d = m * sxx - sx * sx;
    const double b = std::fabs(d) < 1e-12 ? 0 : (m * sxy - sx * sy) / d;
    out.push_back(!forecast ? b : m == 1 ? x[size_t(i)] : (sy - b * sx) / m + (m - 1) * b);
  }
  return out;
}

TEST(Statistics, AgainstReferences) {
  FormulaInput in = randomBars(120, 31, true);
  for (int i = 60; i < 70; ++i) in.close[size_t(i)] = 10.01;  // flat windows give exactly 0
  const Series& c = in.close;
  struct Case {
    const char* name;
    S kind;
  } kinds[] = {{"STD", S::Std}, {"STDP", S::Stdp}, {"VAR", S::Var}, {"VARP", S::Varp}, {"AVEDEV", S::Avedev},
               {"DEVSQ", S::Devsq}};
  for (const Case& k : kinds) {
    for (int period : {1, 2, 5, 20, 0, 500}) {
      std::string text = std::string("X:") + k.name + "(C," + std::to_string(period) + ");";
      EXPECT_TRUE(seriesNear(runLine(text, in), statRef(c, period, k.kind))) << text;
    }
  }
  for (int period : {1, 2, 7, 30}) {
    std::string p = std::to_string(period);
    EXPECT_TRUE(seriesNear(runLine("X:COVAR(C,V," + p + ");", in), pairRef(c, in.volume, period, false))) << p;
    EXPECT_TRUE(seriesNear(runLine("X:RELATE(C,O," + p + ");", in), pairRef(c, in.open, period, true))) << p;
  }
  for (int period : {1, 2, 5, 14, 200}) {
    std::string p = std::to_string(period);
    EXPECT_TRUE(seriesNear(runLine("X:SLOPE(C," + p + ");", in), regressionRef(c, period, false))) << p;
    EXPECT_TRUE(seriesNear(runLine("X:FORCAST(C," + p + ");", in), regressionRef(c, period, true))) << p;
  }
}

TEST(Statistics, EdgeCases) {
  FormulaInput in = inputFromCloses({1, 2, 3});
  EXPECT_TRUE(seriesNear(runLine("X:STD(C,3);", in), {0, std::sqrt(0.5), 1}));
  EXPECT_TRUE(seriesNear(runLine("X:STDP(C,3);", in), {0, 0.5, std::sqrt(2.0 / 3)}));
  EXPECT_NEAR(runLine("X:STDP(C,3);", in)[2], 0.8165, 1e-4);
  EXPECT_TRUE(seriesNear(runLine("X:VAR(C,3);", in), {0, 0.5, 1}));
  EXPECT_TRUE(seriesNear(runLine("X:STD(C,1);", inputFromCloses({4, NA, 5})), {0, NA, 0}));
  EXPECT_TRUE(seriesNear(runLine("X:RELATE(C,1,3);", in), {NA, 0, 0}));  // no spread in B

  Series line;
  for (int i = 0; i < 10; ++i) line.push_back(2 * i + 1);
  FormulaInput straight = inputFromCloses(line);
  Series slopes(10, 2);
  slopes[0] = 0;
  EXPECT_TRUE(seriesNear(runLine("X:SLOPE(C,5);", straight), slopes));
  EXPECT_TRUE(seriesNear(runLine("X:FORCAST(C,5);", straight), line));
  EXPECT_TRUE(seriesNear(runLine("X:SLOPE(C,3);", inputFromCloses({1, NA, 3, 4, 5, 6})), {0, NA, NA, NA, 1, 1}));
}

}  // namespace
}  // namespace zor::test
