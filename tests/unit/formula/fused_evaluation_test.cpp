// Fused arithmetic at its limits: programs longer than one kernel holds, more distinct inputs
// than it has leaves, and fused trees nested through other calls as deep as the parser allows.
#include <cstring>

#include "formula/library.h"
#include "formula_test_support.h"

namespace zor::test {
namespace {

TEST(FusedEvaluation, LongProgramsAndManyLeavesGiveTheElementResult) {
  const FormulaInput in = randomBars(700, 5, true);
  const Series& c = in.close;
  const Series& o = in.open;
  // 300 terms: more steps than one program takes.
  std::string text = "X:C";
  for (int k = 1; k <= 300; ++k) text += (k % 2 ? "+O*" : "-C/") + std::to_string(k);
  const Series got = runLine(text + ";", in);
  for (size_t i = 0; i < c.size(); ++i) {
    double want = c[i];
    for (int k = 1; k <= 300; ++k) want = k % 2 ? want + o[i] * k : want - c[i] / k;
    if (!valid(c[i]) || !valid(o[i])) want = NA;
    ASSERT_TRUE(sameValue(got[i], want)) << "bar " << i;
  }
  // 120 different shifted reads: more leaves than one program takes.
  std::string shifted = "X:0";
  for (int k = 1; k <= 120; ++k) shifted += "+REF(C," + std::to_string(k) + ")";
  const Series sum = runLine(shifted + ";", in);
  for (size_t i = 0; i < c.size(); ++i) {
    double want = 0;
    for (int k = 1; k <= 120; ++k) want = (i >= size_t(k) && valid(want)) ? want + c[i - size_t(k)] : NA;
    if (!valid(want)) want = NA;
    ASSERT_TRUE(sameValue(sum[i], want)) << "bar " << i;
  }
}

// A smoothing with weights above 1 grows past the largest double; whatever passes its values on
// (negation, ABS, MAX, MIN, IF, REF, the extremes, a name, a repeated expression) ends its
// statement with noValue there, never an infinity.
TEST(FusedEvaluation, StatementsNeverEndInfinite) {
  const FormulaInput in = randomBars(1500, 3, true);
  const Series grow = runLine("X:TMA(C,2,2);", in);
  size_t first = 0;
  while (first < grow.size() && valid(grow[first])) ++first;
  ASSERT_GT(first, 100u);
  ASSERT_LT(first + 20, grow.size());
  const char* texts[] = {
      "X:-TMA(C,2,2);",
      "X:ABS(TMA(C,2,2));",
      "X:ABS(-TMA(C,2,2));",
      "X:MAX(TMA(C,2,2),C);",
      "X:MIN(-TMA(C,2,2),C);",
      "X:IF(C>O,TMA(C,2,2),-TMA(C,2,2));",
      "X:REF(-TMA(C,2,2),3);",
      "X:REF(TMA(C,2,2),BARSLAST(C>O));",
      "X:HHV(TMA(C,2,2),5);",
      "X:LLV(-TMA(C,2,2),0);",
      "A:=-TMA(C,2,2); X:A;",
      "X:-TMA(C,2,2); Y:-TMA(C,2,2)*1;",
      "A:=TMA(C,2,2); X:-A; Y:ABS(A);",
  };
  for (const char* text : texts) {
    RunResult r = runText(text, in);
    ASSERT_TRUE(r.ok) << text << ": " << r.error;
    for (const OutputLine& line : r.lines) {
      size_t missing = 0;
      for (size_t i = 0; i < line.values.size(); ++i) {
        const double v = line.values[i];
        ASSERT_TRUE(std::isfinite(v) || isNoValue(v)) << text << " " << line.name << " bar " << i << ": " << v;
        missing += i >= first + 10 && isNoValue(v);
      }
      EXPECT_GT(missing, 0u) << text << " " << line.name;
    }
  }
}

// HHV and LLV over no valid value at all, and over stretches without one: noValue, whatever
// the period (0 reads from bar 0).
TEST(FusedEvaluation, ExtremesOfMissingValues) {
  FormulaInput in = randomBars(300, 4);
  for (int i = 100; i < 200; ++i) in.close[size_t(i)] = NA;
  for (const char* f : {"HHV", "LLV"}) {
    for (int period : {0, 1, 7, 50, 299, 300, 1000}) {
      const std::string p = std::to_string(period);
      const Series none = runLine(std::string("X:") + f + "(DRAWNULL," + p + ");", in);
      EXPECT_TRUE(seriesNear(none, Series(in.close.size(), NA))) << f << " " << period;
      const Series gap = runLine(std::string("X:") + f + "(C," + p + ");", in);
      for (size_t i = 0; i < gap.size(); ++i) {
        const size_t start = period <= 0 ? 0 : i + 1 >= size_t(period) ? i + 1 - size_t(period) : 0;
        double want = NA;
        for (size_t j = start; j <= i; ++j) {
          if (valid(in.close[j])) want = !valid(want) ? in.close[j] : f[0] == 'H' ? std::max(want, in.close[j]) : std::min(want, in.close[j]);
        }
        ASSERT_TRUE(sameValue(gap[i], want)) << f << " " << period << " bar " << i;
      }
    }
  }
}

// The wide vector steps and the baseline ones give the same bits, over every operator and fused
// call, missing values, zeros, overflows, block ends (5000 bars: blocks of 256 and a partial
// one) and the window functions' stretches and tiles.
TEST(FusedEvaluation, WideAndBaselineStepsAgreeToTheBit) {
  FormulaInput in = randomBars(5000, 6, true);
  for (int i = 300; i < 320; ++i) in.open[size_t(i)] = 0;
  for (int i = 500; i < 510; ++i) in.high[size_t(i)] = 1e300, in.low[size_t(i)] = -1e300;
  for (int i = 600; i < 610; ++i) in.close[size_t(i)] = 1e-310;  // subnormal
  const char* texts[] = {
      "X:C+O; Y:C-O; Z:C*O; W:C/O; V:-C; U:H*H*H; T:L/(O-O); S:(O-O)/(O-O);",
      "X:C>O; Y:C<O; Z:C>=O; W:C<=O; V:C=O; U:C<>O; T:C AND O; S:C OR O; R:NOT(O);",
      "X:ABS(L); Y:MAX(C,O); Z:MIN(C,O); W:IF(C>O,H,L); V:IFF(O,C,O); U:IFN(O,C,O);",
      "X:REF(C,1)+REF(O,999)+REF(H,1000); Y:REF(C,-3)*2; Z:EMA(C,5)-SMA(O,7,2)+TMA(H,0.5,0.25);",
      "X:MAX(MAX(H-L,ABS(H-REF(C,1))),ABS(REF(C,1)-L)); Y:H*1E300; Z:1/C;",
      // The window functions' vector loops: the divisions and measures of MA's and SUM's
      // stretches, HHV's and LLV's doubling tiles.
      "X:MA(C,5); Y:MA(H,60); Z:SUM(O,7); W:SUM(L,1); V:MA(C,1);",
      "X:HHV(H,9); Y:LLV(L,9); Z:HHV(C,512); W:LLV(O,2); V:HHV(C,0);",
  };
  const bool wide = useWideSteps(true);
  for (const char* text : texts) {
    useWideSteps(false);
    const RunResult base = runText(text, in);
    useWideSteps(true);
    const RunResult fast = runText(text, in);
    ASSERT_TRUE(base.ok && fast.ok) << text;
    ASSERT_EQ(base.lines.size(), fast.lines.size());
    for (size_t k = 0; k < base.lines.size(); ++k) {
      const Series& a = base.line(k);
      const Series& b = fast.line(k);
      ASSERT_EQ(a.size(), b.size());
      for (size_t i = 0; i < a.size(); ++i) {
        ASSERT_EQ(0, std::memcmp(&a[i], &b[i], 8)) << text << " line " << k << " bar " << i << ": " << a[i] << " " << b[i];
      }
    }
  }
  if (!wide) GTEST_SKIP() << "this processor has no wide steps; only the baseline ran";
}

TEST(FusedEvaluation, DeepNestingThroughCalls) {
  // ABS is fused, MA is not: each level starts a new program below a call.
  std::string text = "X:";
  for (int k = 0; k < 450; ++k) text += "ABS(MA(";
  text += "-C";
  for (int k = 0; k < 450; ++k) text += ",1))";
  RunResult r = runText(text + ";", inputFromCloses({10, 12, NA, 11}));
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_TRUE(seriesNear(r.line(0), {10, 12, NA, 11}));
}

}  // namespace
}  // namespace zor::test
