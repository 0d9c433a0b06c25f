#include "chart/formula_input.h"

#include <cmath>
#include <cstdlib>

#include "platform/csv.h"
#include "platform/number_text.h"
#include "platform/text.h"

namespace zor {

void fillFormulaPrices(std::span<const DayBar> bars, FormulaInput& in) {
  const size_t n = bars.size();
  for (std::vector<double>* v : {&in.open, &in.high, &in.low, &in.close, &in.volume, &in.amount}) v->resize(n);
  double *open = in.open.data(), *high = in.high.data(), *low = in.low.data(), *close = in.close.data();
  double *vol = in.volume.data(), *amo = in.amount.data();
  auto finite = [](double v) { return std::isfinite(v) ? v : noValue; };
  for (size_t i = 0; i < n; ++i) {
    const DayBar& b = bars[i];
    const bool priced = isValidBar(b);
    open[i] = priced ? b.open : noValue;
    high[i] = priced ? b.high : noValue;
    low[i] = priced ? b.low : noValue;
    close[i] = priced ? b.close : noValue;
    const double volume = finite(b.volume);
    double amount = finite(b.amount);
    if (!(amount > 0) && priced && !isNoValue(volume)) amount = b.close * volume;
    vol[i] = volume;
    amo[i] = amount;
  }
}

FormulaInput makeFormulaInput(std::span<const DayBar> bars, std::span<const int32_t> dates,
                              std::span<const int32_t> times) {
  FormulaInput in;
  fillFormulaPrices(bars, in);
  in.dates.assign(dates.begin(), dates.end());
  in.times.assign(times.begin(), times.end());
  return in;
}

std::vector<int32_t> dayBarDates(std::span<const DayBar> bars) {
  std::vector<int32_t> dates;
  dates.reserve(bars.size());
  for (const DayBar& b : bars) dates.push_back(b.dateInt());
  return dates;
}

std::string formulaLinesCsv(std::span<const DayBar> bars, const std::vector<OutputLine>& lines) {
  std::string out = "date";
  for (const OutputLine& line : lines) {
    out += ',';
    appendCsvField(out, line.name);
  }
  out += '\n';
  for (size_t i = 0; i < bars.size(); ++i) {
    appendCsvField(out, bars[i].dateText());
    for (const OutputLine& line : lines) {
      out += ',';
      if (i < line.values.size()) appendNumber(out, line.values[i]);
    }
    out += '\n';
  }
  return out;
}

}  // namespace zor
