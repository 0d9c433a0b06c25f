// The classic indicators through the formula engine beside the equivalent calls of Tulip
// Indicators, a fast C library, over the same 100,000 bars in one run; prints a table with
// the ratio of the two. Also times all 36 built-ins together at 100,000 and 1.9 million bars.
//
// The library is not part of the program: scripts/bench-formula-vs-tulip.sh fetches it at
// benchmark time and builds this file with ZOR_WITH_TULIP and the library's amalgamation.
// Built without it (as the normal build does), the side-by-side part is skipped with a
// message and the engine's own figures are still printed.
//
// Each figure is the median of many timed repetitions after a warm-up, in milliseconds. The
// engine's figure is one runFormula of the built-in formula, compiled once beforehand, with
// its default parameters; the library's is the call (or calls) computing the same lines.
//
//   ./bench/bench_formula_vs_tulip [repetitions]
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "formula/builtin_formulas.h"
#include "formula/formula.h"
#include "formula/parser.h"

#ifdef ZOR_WITH_TULIP
extern "C" {
#include "indicators.h"
}
#endif

namespace {

using namespace zor;

// The same reproducible random walk as bench_formula.
FormulaInput makeBars(int n) {
  FormulaInput in;
  uint32_t s = 2024;
  auto next = [&s] {
    s = s * 1664525u + 1013904223u;
    return double(s >> 8) / double(1u << 24);
  };
  double price = 10;
  for (int i = 0; i < n; ++i) {
    double open = price * (1 + (next() - 0.5) * 0.04);
    double close = open * (1 + (next() - 0.5) * 0.06);
    in.open.push_back(open);
    in.close.push_back(close);
    in.high.push_back(std::max(open, close) * (1 + next() * 0.02));
    in.low.push_back(std::min(open, close) * (1 - next() * 0.02));
    in.volume.push_back(std::floor(1000 + next() * 100000));
    in.amount.push_back(in.volume.back() * close);
    price = close;
  }
  return in;
}

double medianMs(int repetitions, const std::function<void()>& work) {
  for (int k = 0; k < 3; ++k) work();  // warm-up: caches, the engine's kept buffers
  std::vector<double> ms;
  for (int k = 0; k < repetitions; ++k) {
    auto t0 = std::chrono::steady_clock::now();
    work();
    auto t1 = std::chrono::steady_clock::now();
    ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
  }
  std::sort(ms.begin(), ms.end());
  return ms[ms.size() / 2];
}

double engineMs(const char* name, const FormulaInput& in, int repetitions) {
  const FormulaDef* def = findBuiltinFormula(name);
  CompiledFormula compiled;
  std::string error;
  if (!def || !compileFormula(def->source, def->params, compiled, error)) {
    std::fprintf(stderr, "%s: %s\n", name, error.c_str());
    std::exit(1);
  }
  std::vector<double> defaults;
  for (const FormulaParam& p : def->params) defaults.push_back(p.defaultValue);
  std::vector<OutputLine> lines;
  std::vector<DrawingItem> drawings;
  return medianMs(repetitions, [&] {
    if (!runFormula(compiled, in, defaults, lines, drawings, error)) {
      std::fprintf(stderr, "%s: %s\n", name, error.c_str());
      std::exit(1);
    }
  });
}

#ifdef ZOR_WITH_TULIP
// One library call: the indicator's name, the inputs it takes and its options.
struct TulipCall {
  const char* indicator;
  std::vector<const std::vector<double>*> inputs;
  std::vector<double> options;
};

double tulipMs(const std::vector<TulipCall>& calls, int n, int repetitions) {
  struct Prepared {
    const ti_indicator_info* info;
    std::vector<const double*> in;
    std::vector<std::vector<double>> outStore;
    std::vector<double*> out;
    const double* options;
  };
  std::vector<Prepared> prepared;
  for (const TulipCall& c : calls) {
    Prepared p;
    p.info = ti_find_indicator(c.indicator);
    if (!p.info) {
      std::fprintf(stderr, "no indicator %s\n", c.indicator);
      std::exit(1);
    }
    if (int(c.inputs.size()) != p.info->inputs || int(c.options.size()) != p.info->options) {
      std::fprintf(stderr, "%s takes %d inputs and %d options\n", c.indicator, p.info->inputs, p.info->options);
      std::exit(1);
    }
    for (const std::vector<double>* v : c.inputs) p.in.push_back(v->data());
    p.outStore.assign(size_t(p.info->outputs), std::vector<double>(size_t(n)));
    p.options = c.options.data();
    prepared.push_back(std::move(p));
  }
  for (Prepared& p : prepared) {
    for (std::vector<double>& o : p.outStore) p.out.push_back(o.data());
  }
  return medianMs(repetitions, [&] {
    for (Prepared& p : prepared) {
      if (p.info->indicator(n, p.in.data(), p.options, p.out.data()) != TI_OKAY) {
        std::fprintf(stderr, "%s failed\n", p.info->name);
        std::exit(1);
      }
    }
  });
}
#endif

double allBuiltinsMs(const FormulaInput& in, int repetitions) {
  std::vector<OutputLine> lines;
  std::vector<DrawingItem> drawings;
  std::string error;
  return medianMs(repetitions, [&] {
    for (const FormulaDef& def : builtinFormulas()) {
      if (!compileAndRunFormula(def, in, lines, drawings, error)) {
        std::fprintf(stderr, "%s: %s\n", def.name.c_str(), error.c_str());
        std::exit(1);
      }
    }
  });
}

}  // namespace

int main(int argc, char** argv) {
  const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 101;
  const int n = 100000;
  const FormulaInput in = makeBars(n);

  struct Row {
    const char* formula;
    const char* library;  // what the library computes for the comparison
#ifdef ZOR_WITH_TULIP
    std::vector<TulipCall> calls;
#endif
  };
  const std::vector<const std::vector<double>*> hl{&in.high, &in.low}, hlc{&in.high, &in.low, &in.close};
  const std::vector<const std::vector<double>*> c{&in.close}, cv{&in.close, &in.volume};
  (void)hl, (void)hlc, (void)c, (void)cv;
#ifdef ZOR_WITH_TULIP
#define ZOR_CALLS(...) , {__VA_ARGS__}
#else
#define ZOR_CALLS(...)
#endif
  const Row rows[] = {
      {"MACD", "macd(12,26,9)" ZOR_CALLS({"macd", c, {12, 26, 9}})},
      {"KDJ", "stoch(9,3,3)" ZOR_CALLS({"stoch", hlc, {9, 3, 3}})},
      {"RSI", "rsi(6) + rsi(12) + rsi(24)" ZOR_CALLS({"rsi", c, {6}}, {"rsi", c, {12}}, {"rsi", c, {24}})},
      {"BOLL", "bbands(20,2)" ZOR_CALLS({"bbands", c, {20, 2}})},
      {"DMI", "dx(14)" ZOR_CALLS({"dx", hlc, {14}})},
      {"OBV", "obv" ZOR_CALLS({"obv", cv, {}})},
      {"SAR", "psar(0.02,0.2)" ZOR_CALLS({"psar", hl, {0.02, 0.2}})},
  };
#undef ZOR_CALLS

  std::printf("Formula engine beside Tulip Indicators, %d bars, median of %d runs (ms)\n\n", n, repetitions);
#ifdef ZOR_WITH_TULIP
  std::printf("| Indicator | engine | library call | library | ratio |\n|---|---|---|---|---|\n");
#else
  std::printf("(Tulip Indicators not built in: the side-by-side part is skipped. Run\n"
              " scripts/bench-formula-vs-tulip.sh to fetch the library and compare.)\n\n");
  std::printf("| Indicator | engine |\n|---|---|\n");
#endif
  for (const Row& r : rows) {
    const double engine = engineMs(r.formula, in, repetitions);
#ifdef ZOR_WITH_TULIP
    const double library = tulipMs(r.calls, n, repetitions);
    std::printf("| %s | %.3f | %s | %.3f | %.2fx |\n", r.formula, engine, r.library, library, engine / library);
#else
    std::printf("| %s | %.3f |\n", r.formula, engine);
#endif
    std::fflush(stdout);
  }

  std::printf("\nAll %d built-ins, compiled and run (median of runs, ms):\n", kBuiltinFormulaCount);
  std::printf("  %d bars: %.1f\n", n, allBuiltinsMs(in, std::max(5, repetitions / 5)));
  const FormulaInput minutes = makeBars(1900000);
  std::printf("  %d bars: %.1f\n", 1900000, allBuiltinsMs(minutes, std::max(3, repetitions / 20)));
  return 0;
}
