// Formula runs of the charts, reused between paints. A run is reused only under a key that
// names everything it depends on: the series (the instrument's bars generation, period, mode,
// cut, length and last bar), whether dates were passed, the formula's source and parameter
// table, and the parameter values. A reused result is the very result a fresh run gives, so
// a crosshair move, a scroll or a zoom never runs a formula again.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "chart/chart_series.h"
#include "formula/formula.h"

namespace zor {

struct FormulaRun {
  bool ok = false;
  std::string error;
  std::vector<OutputLine> lines;
  std::vector<DrawingItem> items;
};
using FormulaRunPtr = std::shared_ptr<const FormulaRun>;

// Runs `def` over the series. `values` are the parameter values by position (the formula's own
// defaults for the rest); `datesHidden` says the input carries no dates. `fillInput` writes the
// input when no reusable result exists; inputs are shared between the formulas of one series,
// and the memory of the input of the series shown before is reused for the next.
FormulaRunPtr runChartFormula(const FormulaDef& def, const std::vector<double>& values, const SeriesKey& series,
                              bool datesHidden, const std::function<void(FormulaInput&)>& fillInput);

// The run of `def` with its own parameter values over a K-line chart series.
FormulaRunPtr runSeriesFormula(const FormulaDef& def, const ChartSeries& s, const StockRecord& rec, TradeMode mode);

// The parameter values a formula runs with: its parameters' current defaults.
std::vector<double> currentParamValues(const FormulaDef& def);

// Forgets every kept result and input (tests compare against fresh runs with it).
void clearChartFormulaCache();
// Number of formula runs actually carried out by this process.
uint64_t chartFormulaRunCount();

}  // namespace zor
