// The classic indicators through the formula engine beside the equivalent calls of Tulip
// Indicators, a fast C library, over the same 100,000 bars in one run; prints a table with
// the ratio of the two. Also times all 36 built-ins together at 100,000 and 1.9 million bars.
//
// The library is not part of the program: scripts/bench-formula-vs-tulip.sh fetches it at
// benchmark time and builds this file with ZOR_WITH_TULIP and the library's amalgamation.
// Built without it (as the normal build does), the side-by-side part is skipped with a
// message and the engine's own figures are still printed.
//
// Each figure is the median of many timed repetitions after a warm-up, in milliseconds; the
// engine and the library are timed in turn, so that the load of a shared machine falls on both
// alike. The engine's figure is one runFormula of the built-in formula, compiled once
// beforehand, with its default parameters; the library's is the call the row names (the one
// the engine was first compared with; for RSI also the three calls that give its three lines).
//
//   ./bench/bench_formula_vs_tulip [repetitions]
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <utility>
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

double median(std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  return ms[ms.size() / 2];
}

double timeMs(const std::function<void()>& work) {
  auto t0 = std::chrono::steady_clock::now();
  work();
  auto t1 = std::chrono::steady_clock::now();
  return std::chrono::duration<double, std::milli>(t1 - t0).count();
}

// Medians of the two workloads timed in turn, so that the load of a shared machine falls on
// both alike. `b` may be empty.
std::pair<double, double> medianMs(int repetitions, const std::function<void()>& a,
                                   const std::function<void()>& b = {}) {
  for (int k = 0; k < 3; ++k) {  // warm-up: caches, the engine's kept buffers
    a();
    if (b) b();
  }
  std::vector<double> ma, mb;
  for (int k = 0; k < repetitions; ++k) {
    ma.push_back(timeMs(a));
    if (b) mb.push_back(timeMs(b));
  }
  return {median(ma), b ? median(mb) : 0.0};
}

// The built-in formula `name`, compiled once; each call of the result is one run.
std::function<void()> engineWork(const char* name, const FormulaInput& in) {
  const FormulaDef* def = findBuiltinFormula(name);
  auto compiled = std::make_shared<CompiledFormula>();
  std::string error;
  if (!def || !compileFormula(def->source, def->params, *compiled, error)) {
    std::fprintf(stderr, "%s: %s\n", name, error.c_str());
    std::exit(1);
  }
  auto defaults = std::make_shared<std::vector<double>>();
  for (const FormulaParam& p : def->params) defaults->push_back(p.defaultValue);
  auto lines = std::make_shared<std::vector<OutputLine>>();
  auto drawings = std::make_shared<std::vector<DrawingItem>>();
  return [=, &in] {
    std::string e;
    if (!runFormula(*compiled, in, *defaults, *lines, *drawings, e)) {
      std::fprintf(stderr, "%s: %s\n", name, e.c_str());
      std::exit(1);
    }
  };
}

#ifdef ZOR_WITH_TULIP
// One library call: the indicator's name, the inputs it takes and its options.
struct TulipCall {
  const char* indicator;
  std::vector<const std::vector<double>*> inputs;
  std::vector<double> options;
};

// The calls, with their outputs allocated once; each call of the result computes them all.
std::function<void()> tulipWork(const std::vector<TulipCall>& calls, int n) {
  struct Prepared {
    const ti_indicator_info* info;
    std::vector<const double*> in;
    std::vector<std::vector<double>> outStore;
    std::vector<double*> out;
    const double* options;
  };
  auto prepared = std::make_shared<std::vector<Prepared>>();
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
    prepared->push_back(std::move(p));
  }
  for (Prepared& p : *prepared) {
    for (std::vector<double>& o : p.outStore) p.out.push_back(o.data());
  }
  return [prepared, n] {
    for (Prepared& p : *prepared) {
      if (p.info->indicator(n, p.in.data(), p.options, p.out.data()) != TI_OKAY) {
        std::fprintf(stderr, "%s failed\n", p.info->name);
        std::exit(1);
      }
    }
  };
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
  }).first;
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
      {"RSI", "rsi(6)" ZOR_CALLS({"rsi", c, {6}})},
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
#ifdef ZOR_WITH_TULIP
    const auto [engine, library] = medianMs(repetitions, engineWork(r.formula, in), tulipWork(r.calls, n));
    std::printf("| %s | %.3f | %s | %.3f | %.2fx |\n", r.formula, engine, r.library, library, engine / library);
#else
    const double engine = medianMs(repetitions, engineWork(r.formula, in)).first;
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
