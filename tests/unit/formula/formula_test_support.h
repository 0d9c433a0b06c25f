// Helpers shared by the formula tests: bar fixtures, a one-call runner and series comparison.
// Reference computations live in the tests themselves, as plain loops over these fixtures.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "formula/formula.h"
#include "formula/parser.h"

namespace zor::test {

using Series = std::vector<double>;
inline const double NA = noValue;

// Bars whose prices are all `close` (open = high = low = close), volume 1000 per bar.
inline FormulaInput inputFromCloses(const Series& close) {
  FormulaInput in;
  in.close = close;
  in.open = close;
  in.high = close;
  in.low = close;
  in.volume.assign(close.size(), 1000);
  in.amount.assign(close.size(), 0);
  for (size_t i = 0; i < close.size(); ++i) in.amount[i] = isNoValue(close[i]) ? 0 : close[i] * 1000;
  return in;
}

// A reproducible random walk of n bars with realistic OHLC, volume and amount. When `holes`
// is set, bars 17, 18 and 120 (if present) have missing prices, as bars failing validation do.
inline FormulaInput randomBars(int n, uint32_t seed = 12345, bool holes = false) {
  FormulaInput in;
  uint32_t s = seed;
  auto next = [&s] {
    s = s * 1664525u + 1013904223u;
    return double(s >> 8) / double(1u << 24);  // 0 .. 1
  };
  double price = 10;
  for (int i = 0; i < n; ++i) {
    double open = price * (1 + (next() - 0.5) * 0.04);
    double close = open * (1 + (next() - 0.5) * 0.06);
    double high = std::max(open, close) * (1 + next() * 0.02);
    double low = std::min(open, close) * (1 - next() * 0.02);
    double volume = std::floor(1000 + next() * 100000);
    in.open.push_back(open);
    in.high.push_back(high);
    in.low.push_back(low);
    in.close.push_back(close);
    in.volume.push_back(volume);
    in.amount.push_back(volume * (open + close) / 2);
    price = close;
  }
  if (holes) {
    for (int h : {17, 18, 120}) {
      if (h >= n) continue;
      in.open[size_t(h)] = in.high[size_t(h)] = in.low[size_t(h)] = in.close[size_t(h)] = noValue;
    }
  }
  return in;
}

struct RunResult {
  bool ok = false;
  std::string error;
  std::vector<OutputLine> lines;
  std::vector<DrawingItem> drawings;
  const Series& line(size_t k) const { return lines.at(k).values; }
};

inline RunResult runText(const std::string& text, const FormulaInput& in, const std::vector<FormulaParam>& params = {},
                         const std::vector<double>& values = {}) {
  RunResult r;
  CompiledFormula compiled;
  if (!compileFormula(text, params, compiled, r.error)) return r;
  r.ok = runFormula(compiled, in, values, r.lines, r.drawings, r.error);
  return r;
}

// The first output line of `text`; fails the test when the formula does not run.
inline Series runLine(const std::string& text, const FormulaInput& in) {
  RunResult r = runText(text, in);
  EXPECT_TRUE(r.ok) << text << ": " << r.error;
  if (!r.ok || r.lines.empty()) return Series(in.close.size(), 12345.678);
  return r.lines[0].values;
}

inline bool sameValue(double got, double want, double tolerance = 1e-9) {
  if (isNoValue(want) || isNoValue(got)) return isNoValue(want) && isNoValue(got);
  return std::fabs(got - want) <= tolerance * std::max(1.0, std::fabs(want));
}

// Compares element by element, to a relative tolerance of 1e-9 (absolute below 1).
inline ::testing::AssertionResult seriesNear(const Series& got, const Series& want, double tolerance = 1e-9) {
  if (got.size() != want.size())
    return ::testing::AssertionFailure() << "length " << got.size() << " != " << want.size();
  for (size_t i = 0; i < got.size(); ++i) {
    if (!sameValue(got[i], want[i], tolerance))
      return ::testing::AssertionFailure() << "bar " << i << ": got " << got[i] << ", want " << want[i];
  }
  return ::testing::AssertionSuccess();
}

inline bool valid(double v) { return !isNoValue(v); }
inline bool truth(double v) { return valid(v) && v != 0; }

}  // namespace zor::test
