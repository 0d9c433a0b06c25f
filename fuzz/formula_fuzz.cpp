// libFuzzer target: any text is compiled and run as a formula over a small set of bars.
//
// The whole input is the formula text; a hash of it chooses the bars (1 to 80 of them, with or
// without missing prices, dates and times), so every corpus file is a readable formula.
// Invariants: compiling or running either succeeds or fails with one message; a successful
// run gives output lines of exactly n values, each finite or noValue, and drawing items at
// bars of the input (or -1) with finite values. Hangs are caught by libFuzzer's -timeout;
// the engine's own work limit keeps every input far below it.
//
// tests/unit/formula/corpus_replay_test.cpp includes this file to replay the corpus in
// fuzz/corpus/formula_fuzz/ as a unit test (it defines ZOR_FUZZ_CHECK to report failures).
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "formula/formula.h"
#include "formula/parser.h"

#ifndef ZOR_FUZZ_CHECK
#define ZOR_FUZZ_CHECK(cond)                                      \
  do {                                                            \
    if (!(cond)) {                                                \
      std::fprintf(stderr, "invariant failed: %s\n", #cond);     \
      std::abort();                                               \
    }                                                             \
  } while (0)
#endif

namespace zor::fuzz {

inline uint64_t fnv1a(const uint8_t* data, size_t size) {
  uint64_t h = 0xcbf29ce484222325ull;
  for (size_t i = 0; i < size; ++i) h = (h ^ data[i]) * 0x100000001b3ull;
  return h;
}

inline FormulaInput fuzzBars(uint64_t h) {
  FormulaInput in;
  const int n = 1 + int(h % 80);
  const bool holes = (h >> 8) % 4 == 0;
  const bool withDates = (h >> 10) % 2 == 0;
  uint32_t s = uint32_t(h >> 16) | 1u;
  auto next = [&s] {
    s = s * 1664525u + 1013904223u;
    return double(s >> 8) / double(1u << 24);
  };
  double price = 5 + next() * 20;
  for (int i = 0; i < n; ++i) {
    const double open = price * (1 + (next() - 0.5) * 0.06);
    const double close = open * (1 + (next() - 0.5) * 0.08);
    const bool missing = holes && next() < 0.15;
    in.open.push_back(missing ? noValue : open);
    in.close.push_back(missing ? noValue : close);
    in.high.push_back(missing ? noValue : std::max(open, close) * (1 + next() * 0.02));
    in.low.push_back(missing ? noValue : std::min(open, close) * (1 - next() * 0.02));
    in.volume.push_back(std::floor(next() * 1e6));
    in.amount.push_back(in.volume.back() * (missing ? 0 : close));
    if (withDates) {
      in.dates.push_back(20240101 + (i % 28));
      in.times.push_back(930 + (i % 120));
    }
    price = close;
  }
  return in;
}

inline void checkRun(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const FormulaInput in = fuzzBars(fnv1a(data, size));
  const int n = int(in.close.size());
  // Two declared parameters, so that parameter paths are reached too.
  const std::vector<FormulaParam> params = {{"N", 1, 100, 5}, {"M", 1, 100, 3}};
  CompiledFormula compiled;
  std::string error;
  const bool compiles = compileFormula(text, params, compiled, error);
  // The located form of the error: the same message, a position inside the (normalised, never
  // longer) text or -1.
  CompiledFormula located;
  FormulaError where;
  ZOR_FUZZ_CHECK(compileFormula(text, params, located, where) == compiles);
  ZOR_FUZZ_CHECK(where.message == error);
  ZOR_FUZZ_CHECK(where.position >= -1 && where.position <= int64_t(text.size()));
  if (!compiles) {
    ZOR_FUZZ_CHECK(!error.empty());
    ZOR_FUZZ_CHECK(!compiled.compiled);
    return;
  }
  ZOR_FUZZ_CHECK(error.empty());
  ZOR_FUZZ_CHECK(where.position == -1);
  std::vector<OutputLine> lines;
  std::vector<DrawingItem> drawings;
  const std::vector<double> values = {double(size % 7), 2.5};
  if (!runFormula(compiled, in, values, lines, drawings, error)) {
    ZOR_FUZZ_CHECK(!error.empty());
    return;
  }
  ZOR_FUZZ_CHECK(error.empty());
  for (const OutputLine& line : lines) {
    ZOR_FUZZ_CHECK(int(line.values.size()) == n);
    for (double v : line.values) ZOR_FUZZ_CHECK(std::isfinite(v) || isNoValue(v));
    ZOR_FUZZ_CHECK(line.thickness >= 1 && line.thickness <= 5);
    ZOR_FUZZ_CHECK(line.style >= StyleLine && line.style <= StyleNoDraw);
  }
  for (const DrawingItem& d : drawings) {
    ZOR_FUZZ_CHECK(d.kind >= ItemIcon && d.kind <= ItemVertLine);
    ZOR_FUZZ_CHECK(d.bar >= -1 && d.bar < n);
    ZOR_FUZZ_CHECK(std::isfinite(d.value1) && std::isfinite(d.value2));
    ZOR_FUZZ_CHECK(std::isfinite(d.value3) && std::isfinite(d.value4));
    if (d.kind == ItemSegment) {
      ZOR_FUZZ_CHECK(d.param >= d.bar && d.param < n);
    }
  }
  // A compiled formula runs again with the same result.
  std::vector<OutputLine> again;
  std::vector<DrawingItem> againDrawings;
  ZOR_FUZZ_CHECK(runFormula(compiled, in, values, again, againDrawings, error));
  ZOR_FUZZ_CHECK(again.size() == lines.size() && againDrawings.size() == drawings.size());
}

}  // namespace zor::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zor::fuzz::checkRun(data, size);
  return 0;
}
