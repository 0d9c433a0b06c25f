// The one way display bars become the run input of a formula (charts, indicator panels, the
// formula editor's trial run, zorcli).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "data/market.h"
#include "formula/formula.h"

namespace zor {

// Prices of bars that failed validation (NO_PRICE) become noValue, so that formulas see them
// as missing instead of as -1e30. Volume and amount are copied (non-finite ones become
// noValue); an amount that is not positive falls back to close x volume when the close is
// valid. `dates` (yyyymmdd) and `times` (hhmm, 0 for day-based bars) are copied as given:
// the date and time functions read them only when they hold one entry per bar.
FormulaInput makeFormulaInput(std::span<const DayBar> bars, std::span<const int32_t> dates = {},
                              std::span<const int32_t> times = {});

// The dates of day-based display bars (the leading digits of each bar's date text).
std::vector<int32_t> dayBarDates(std::span<const DayBar> bars);

}  // namespace zor
