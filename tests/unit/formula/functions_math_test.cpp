// Element-wise functions, conditions and counters, against plain per-element references.
#include <functional>

#include "formula_test_support.h"

namespace zor::test {
namespace {

const Series kX = {-2.5, -1, -0.5, 0, 0.4, 0.5, 1, 2.5, NA, 100, -1.5, 3};
const Series kY = {1, -1, 2, 0, NA, 0.5, 0, -3, 4, 7, -1.5, 3};

FormulaInput xy() {
  FormulaInput in = inputFromCloses(kX);
  in.open = kY;
  return in;
}

Series mapRef(const std::function<double(double)>& f) {
  Series out;
  for (double x : kX) out.push_back(valid(x) ? f(x) : NA);
  return out;
}

Series map2Ref(const std::function<double(double, double)>& f) {
  Series out;
  for (size_t i = 0; i < kX.size(); ++i) out.push_back(f(kX[i], kY[i]));
  return out;
}

TEST(MathFunctions, OneArgument) {
  auto roundRef = [](double x) { return x < 0 ? -std::floor(0.5 - x) : std::floor(x + 0.5); };
  struct Case {
    const char* text;
    std::function<double(double)> ref;
  } cases[] = {
      {"X:ABS(C);", [](double x) { return std::fabs(x); }},
      {"X:SQRT(C);", [](double x) { return x < 0 ? 0 : std::sqrt(x); }},
      {"X:EXP(C);", [](double x) { return std::exp(x); }},
      {"X:LN(C);", [](double x) { return x > 0 ? std::log(x) : 0; }},
      {"X:LOG(C);", [](double x) { return x > 0 ? std::log10(x) : 0; }},
      {"X:SIN(C);", [](double x) { return std::sin(x); }},
      {"X:COS(C);", [](double x) { return std::cos(x); }},
      {"X:TAN(C);", [](double x) { return std::tan(x); }},
      {"X:ATAN(C);", [](double x) { return std::atan(x); }},
      {"X:ASIN(C);", [](double x) { return std::asin(x < -1 ? -1 : x > 1 ? 1 : x); }},
      {"X:ACOS(C);", [](double x) { return std::acos(x < -1 ? -1 : x > 1 ? 1 : x); }},
      {"X:CEILING(C);", [](double x) { return std::ceil(x); }},
      {"X:FLOOR(C);", [](double x) { return std::floor(x); }},
      {"X:INTPART(C);", [](double x) { return std::trunc(x); }},
      {"X:SIGN(C);", [](double x) { return x > 0 ? 1.0 : x < 0 ? -1.0 : 0.0; }},
      {"X:ROUND(C);", roundRef},
      {"X:ROUND2(C,2);", roundRef},
      {"X:REVERSE(C);", [](double x) { return -x; }},
  };
  FormulaInput in = xy();
  for (const Case& c : cases) EXPECT_TRUE(seriesNear(runLine(c.text, in), mapRef(c.ref))) << c.text;
  // ROUND rounds halves away from zero.
  EXPECT_TRUE(seriesNear(runLine("X:ROUND(C);", in), {-3, -1, -1, 0, 0, 1, 1, 3, NA, 100, -2, 3}));
  // Overflow is a missing value, not an infinity.
  EXPECT_TRUE(seriesNear(runLine("X:EXP(1000);", in), Series(kX.size(), NA)));
  EXPECT_TRUE(seriesNear(runLine("X:ABS(-2);", in), Series(kX.size(), 2)));
}

TEST(MathFunctions, TwoAndThreeArguments) {
  auto both = [](double a, double b) { return valid(a) && valid(b); };
  struct Case {
    const char* text;
    std::function<double(double, double)> ref;
  } cases[] = {
      {"X:MAX(C,O);", [](double a, double b) { return !valid(a) ? b : !valid(b) ? a : std::max(a, b); }},
      {"X:MIN(C,O);", [](double a, double b) { return !valid(a) ? b : !valid(b) ? a : std::min(a, b); }},
      {"X:MOD(C,O);", [&](double a, double b) { return both(a, b) && b != 0 ? std::fmod(a, b) : NA; }},
      {"X:POW(C,O);", [&](double a, double b) {
         if (!both(a, b)) return NA;
         double r = std::pow(a, b);
         return std::isfinite(r) ? r : NA;
       }},
      {"X:IF(C>O,C,O);", [](double a, double b) { return a > b ? a : b; }},
      {"X:IFF(C,C,O);", [](double a, double b) { return truth(a) ? a : b; }},
      {"X:IFN(C,C,O);", [](double a, double b) { return truth(a) ? b : a; }},
      {"X:ISNULL(C);", [](double a, double) { return valid(a) ? 0.0 : 1.0; }},
      {"X:BETWEEN(C,O,3);", [&](double a, double b) { return both(a, b) && b <= a && a <= 3 ? 1.0 : 0.0; }},
      {"X:RANGE(C,O,0);", [&](double a, double b) {
         return both(a, b) && std::min(b, 0.0) <= a && a <= std::max(b, 0.0) ? 1.0 : 0.0;
       }},
  };
  FormulaInput in = xy();
  for (const Case& c : cases) EXPECT_TRUE(seriesNear(runLine(c.text, in), map2Ref(c.ref))) << c.text;
  EXPECT_TRUE(seriesNear(runLine("X:MOD(-7,3);", in), Series(kX.size(), -1)));  // the sign of A
  EXPECT_TRUE(seriesNear(runLine("X:IF(DRAWNULL,1,2);", in), Series(kX.size(), 2)));
  EXPECT_TRUE(seriesNear(runLine("X:IFN(DRAWNULL,1,2);", in), Series(kX.size(), 1)));
  EXPECT_TRUE(seriesNear(runLine("X:ISNULL;", in), Series(kX.size(), 1)));
}

TEST(MathFunctions, CountersAndConstants) {
  FormulaInput in = inputFromCloses({NA, NA, 5, 6, NA, 8});
  struct Case {
    const char* text;
    Series want;
  } cases[] = {
      {"X:BARSCOUNT;", {1, 2, 3, 4, 5, 6}},
      {"X:BARSCOUNT();", {1, 2, 3, 4, 5, 6}},
      {"X:BARSCOUNT(C);", {NA, NA, 1, 2, 3, 4}},  // counted from the first valid value
      {"X:BARSCOUNT(REF(C,1));", {NA, NA, NA, 1, 2, 3}},
      {"X:BARSCOUNT(1);", {1, 2, 3, 4, 5, 6}},
      {"X:BARSCOUNT(DRAWNULL);", {NA, NA, NA, NA, NA, NA}},
      {"X:CURRBARSCOUNT;", {6, 5, 4, 3, 2, 1}},
      {"X:TOTALBARSCOUNT;", {6, 6, 6, 6, 6, 6}},
      {"X:ISLASTBAR;", {0, 0, 0, 0, 0, 1}},
      {"X:CONST(C);", {8, 8, 8, 8, 8, 8}},
      {"X:CONST(REF(C,1));", {6, 6, 6, 6, 6, 6}},
      {"X:DRAWNULL;", {NA, NA, NA, NA, NA, NA}},
      {"X:RGB(255,0,0);", Series(6, 16711680)},
      {"X:RGB(300,-5,0);", Series(6, 16711680)},
      {"X:RGB(1,2,3);", Series(6, 65536 + 2 * 256 + 3)},
      {"X:RGB(0.5,0,64);", Series(6, 65536 + 64)},
      {"X:RGB();", Series(6, 0)},
  };
  for (const Case& c : cases) EXPECT_TRUE(seriesNear(runLine(c.text, in), c.want)) << c.text;
}

}  // namespace
}  // namespace zor::test
