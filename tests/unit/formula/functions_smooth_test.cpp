// Recursive smoothings against a plain reference loop.
#include <functional>

#include "formula_test_support.h"

namespace zor::test {
namespace {

// The first valid value seeds y; missing values carry y forward.
Series smoothRef(const Series& x, const std::function<double(double, double)>& update) {
  Series out;
  double y = NA;
  for (double v : x) {
    if (valid(v)) y = valid(y) ? update(y, v) : v;
    out.push_back(y);
  }
  return out;
}

TEST(Smoothings, AgainstReferenceLoops) {
  FormulaInput in = randomBars(80, 7, true);
  const Series& c = in.close;
  auto ema = [](double n) {
    double a = 2 / (n + 1);
    return [a](double y, double x) { return y * (1 - a) + x * a; };
  };
  auto sma = [](double n, double m) { return [n, m](double y, double x) { return (y * (n - m) + x * m) / n; }; };
  struct Case {
    const char* text;
    Series want;
  } cases[] = {
      {"X:EMA(C,12);", smoothRef(c, ema(12))},
      {"X:EXPMA(C,5);", smoothRef(c, ema(5))},
      {"X:EXPMEMA(C,5);", smoothRef(c, ema(5))},
      {"X:EMA(C,0);", smoothRef(c, ema(1))},
      {"X:EMA(C);", smoothRef(c, ema(1))},
      {"X:EMA(C,2.5);", smoothRef(c, ema(3))},
      {"X:SMA(C,3,1);", smoothRef(c, sma(3, 1))},
      {"X:SMA(C,3);", smoothRef(c, sma(3, 1))},
      {"X:SMA(C,6,2);", smoothRef(c, sma(6, 2))},
      {"X:SMA(C,-4,1);", smoothRef(c, sma(1, 1))},
      {"X:XMA(C,4);", smoothRef(c, [](double y, double x) { return y * (1 - 0.25) + x * 0.25; })},
      {"X:MEMA(C,4);", smoothRef(c, [](double y, double x) { return (y * 3 + x) / 4; })},
      {"X:TMA(C,0.3,0.7);", smoothRef(c, [](double y, double x) { return x * 0.7 + y * 0.3; })},
      {"X:TMA(C);", smoothRef(c, [](double y, double x) { return x * 0.5 + y * 0.5; })},
      {"X:AMA(C,0.2);", smoothRef(c, [](double y, double x) { return y + (x - y) * 0.2; })},
      {"X:AMA(C);", smoothRef(c, [](double y, double x) { return y + (x - y) * 0.5; })},
  };
  for (const Case& k : cases) EXPECT_TRUE(seriesNear(runLine(k.text, in), k.want)) << k.text;
}

TEST(Smoothings, EdgeCases) {
  FormulaInput in = inputFromCloses({3, 6, 9});
  EXPECT_TRUE(seriesNear(runLine("X:SMA(C,3,1);", in), {3, 4, 5 + 2.0 / 3}));
  in = inputFromCloses({NA, 4, NA, 8, NA});
  EXPECT_TRUE(seriesNear(runLine("X:EMA(C,3);", in), {NA, 4, 4, 6, 6}));
  EXPECT_TRUE(seriesNear(runLine("X:EMA(C,3);", inputFromCloses({5, 1})), {5, 3}));
}

// DMA reads its weight bar by bar; a weight above 1 stands for its reciprocal, and a bar
// without a weight is skipped.
TEST(Smoothings, DmaWeightsPerBar) {
  FormulaInput in = randomBars(40, 3, true);
  Series w;
  for (int i = 0; i < 40; ++i) w.push_back(i < 3 ? NA : (i % 4) * 0.4);
  in.volume = w;
  Series want;
  double y = NA;
  for (int i = 0; i < 40; ++i) {
    double x = in.close[size_t(i)], a = w[size_t(i)];
    if (valid(x) && valid(a)) {
      if (!valid(y)) {
        y = x;
      } else {
        double d = a > 1 ? 1 / a : a;
        d = std::min(1.0, d);
        y = y * (1 - d) + x * d;
      }
    }
    want.push_back(y);
  }
  EXPECT_TRUE(seriesNear(runLine("X:DMA(C,V);", in), want));
  // A constant weight of 1 follows the input.
  EXPECT_TRUE(seriesNear(runLine("X:DMA(C,1);", inputFromCloses({1, 2, 3})), {1, 2, 3}));
}

}  // namespace
}  // namespace zor::test
