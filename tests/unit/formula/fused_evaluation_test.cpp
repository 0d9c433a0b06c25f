// Fused arithmetic at its limits: programs longer than one kernel holds, more distinct inputs
// than it has leaves, and fused trees nested through other calls as deep as the parser allows.
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
