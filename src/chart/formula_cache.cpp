#include "chart/formula_cache.h"

#include <atomic>
#include <cstring>
#include <list>
#include <mutex>

#include "formula/parser.h"

namespace zor {

namespace {

struct RunKey {
  SeriesKey series;
  bool datesHidden = false;
  std::string source;
  std::vector<std::string> paramNames;
  std::vector<double> paramDefaults;
  std::vector<double> values;

  bool operator==(const RunKey& o) const {
    return series == o.series && datesHidden == o.datesHidden && source == o.source && paramNames == o.paramNames &&
           sameNumbers(paramDefaults, o.paramDefaults) && sameNumbers(values, o.values);
  }
  // Bitwise, so that NaN parameters compare equal to themselves and -0 differs from 0.
  static bool sameNumbers(const std::vector<double>& a, const std::vector<double>& b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0);
  }
};

struct RunEntry {
  RunKey key;
  FormulaRunPtr run;
  size_t bytes = 0;
};

struct InputEntry {
  SeriesKey series;
  bool datesHidden = false;
  std::shared_ptr<const FormulaInput> input;
};

constexpr size_t kMaxRuns = 16;
constexpr size_t kMaxRunBytes = 256ull << 20;
constexpr size_t kMaxInputs = 1;  // the formulas of one paint share the input of its series

std::mutex gLock;
std::list<RunEntry> gRuns;      // most recently used first
std::list<InputEntry> gInputs;  // most recently used first
std::atomic<uint64_t> gRunCount{0};

size_t runBytes(const FormulaRun& r) {
  size_t n = sizeof r;
  for (const OutputLine& l : r.lines) n += l.values.size() * sizeof(double) + l.name.size();
  for (const DrawingItem& d : r.items) n += sizeof d + d.text.size();
  return n;
}

FormulaRunPtr execute(const FormulaDef& def, const std::vector<double>& values, const FormulaInput& input) {
  auto run = std::make_shared<FormulaRun>();
  gRunCount.fetch_add(1);
  CompiledFormula compiled;
  if (!compileFormula(def.source, def.params, compiled, run->error)) return run;
  run->ok = runFormula(compiled, input, values, run->lines, run->items, run->error);
  if (!run->ok) {
    run->lines.clear();
    run->items.clear();
  }
  return run;
}

std::shared_ptr<const FormulaInput> inputFor(const SeriesKey& series, bool datesHidden,
                                             const std::function<void(FormulaInput&)>& fillInput) {
  std::shared_ptr<FormulaInput> input;
  {
    std::lock_guard<std::mutex> lock(gLock);
    for (auto it = gInputs.begin(); it != gInputs.end(); ++it)
      if (it->series == series && it->datesHidden == datesHidden) {
        gInputs.splice(gInputs.begin(), gInputs, it);
        return gInputs.front().input;
      }
    // The oldest input makes room for this one; when nobody holds it any more its memory is
    // written over, which spares a long series the allocation of fresh pages.
    if (gInputs.size() >= kMaxInputs) {
      if (gInputs.back().input.use_count() == 1) input = std::const_pointer_cast<FormulaInput>(gInputs.back().input);
      gInputs.pop_back();
    }
  }
  if (!input) input = std::make_shared<FormulaInput>();
  fillInput(*input);
  std::lock_guard<std::mutex> lock(gLock);
  gInputs.push_front(InputEntry{series, datesHidden, input});
  while (gInputs.size() > kMaxInputs) gInputs.pop_back();
  return input;
}

}  // namespace

std::vector<double> currentParamValues(const FormulaDef& def) {
  std::vector<double> v;
  v.reserve(def.params.size());
  for (const FormulaParam& p : def.params) v.push_back(p.defaultValue);
  return v;
}

FormulaRunPtr runChartFormula(const FormulaDef& def, const std::vector<double>& values, const SeriesKey& series,
                              bool datesHidden, const std::function<void(FormulaInput&)>& fillInput) {
  // Bars never registered through barsChanged have no generation to tell them apart: such a
  // series is run afresh every time.
  if (series.generation == 0) {
    FormulaInput input;
    fillInput(input);
    return execute(def, values, input);
  }

  RunKey key{series, datesHidden, def.source, {}, {}, values};
  for (const FormulaParam& p : def.params) {
    key.paramNames.push_back(p.name);
    key.paramDefaults.push_back(p.defaultValue);
  }
  {
    std::lock_guard<std::mutex> lock(gLock);
    for (auto it = gRuns.begin(); it != gRuns.end(); ++it)
      if (it->key == key) {
        gRuns.splice(gRuns.begin(), gRuns, it);
        return gRuns.front().run;
      }
  }
  std::shared_ptr<const FormulaInput> input = inputFor(series, datesHidden, fillInput);
  FormulaRunPtr run = execute(def, values, *input);
  std::list<RunEntry> evicted;
  {
    std::lock_guard<std::mutex> lock(gLock);
    gRuns.push_front(RunEntry{std::move(key), run, runBytes(*run)});
    size_t total = 0, kept = 0;
    for (auto it = gRuns.begin(); it != gRuns.end();) {
      total += it->bytes;
      if (kept > 0 && (kept >= kMaxRuns || total > kMaxRunBytes)) {
        evicted.splice(evicted.end(), gRuns, it++);
      } else {
        ++kept;
        ++it;
      }
    }
  }
  // Results nobody holds any more give their memory to the next runs: over a long minute
  // history a new series costs more in fresh pages than in arithmetic.
  for (RunEntry& e : evicted)
    if (e.run.use_count() == 1) recycleOutputLines(std::const_pointer_cast<FormulaRun>(e.run)->lines);
  return run;
}

FormulaRunPtr runSeriesFormula(const FormulaDef& def, const ChartSeries& s, const StockRecord& rec, TradeMode mode) {
  return runChartFormula(def, currentParamValues(def), s.key, s.masked,
                         [&](FormulaInput& in) { fillChartFormulaInput(s, rec, mode, in); });
}

void clearChartFormulaCache() {
  std::lock_guard<std::mutex> lock(gLock);
  gRuns.clear();
  gInputs.clear();
}

uint64_t chartFormulaRunCount() { return gRunCount.load(); }

}  // namespace zor
