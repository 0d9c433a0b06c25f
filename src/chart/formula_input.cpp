#include "chart/formula_input.h"

#include <cmath>
#include <cstdlib>

#include "platform/csv.h"
#include "platform/number_text.h"
#include "platform/text.h"

namespace zor {

FormulaInput makeFormulaInput(std::span<const DayBar> bars, std::span<const int32_t> dates,
                              std::span<const int32_t> times) {
  FormulaInput in;
  const size_t n = bars.size();
  in.open.reserve(n);
  in.high.reserve(n);
  in.low.reserve(n);
  in.close.reserve(n);
  in.volume.reserve(n);
  in.amount.reserve(n);
  auto finite = [](double v) { return std::isfinite(v) ? v : noValue; };
  for (const DayBar& b : bars) {
    const bool priced = isValidBar(b);
    in.open.push_back(priced ? b.open : noValue);
    in.high.push_back(priced ? b.high : noValue);
    in.low.push_back(priced ? b.low : noValue);
    in.close.push_back(priced ? b.close : noValue);
    const double volume = finite(b.volume);
    double amount = finite(b.amount);
    if (!(amount > 0) && priced && !isNoValue(volume)) amount = b.close * volume;
    in.volume.push_back(volume);
    in.amount.push_back(amount);
  }
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
