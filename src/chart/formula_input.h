// The one way display bars become the run input of a formula (charts, indicator panels, the
// formula editor's trial run, zorcli).
#pragma once

#include <cstdint>
#include <span>
#include <string>
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

// The six series of makeFormulaInput written into `out`, whose memory is reused (a long
// series costs its allocation more than its copying); dates and times are left alone.
void fillFormulaPrices(std::span<const DayBar> bars, FormulaInput& out);

// The dates of day-based display bars (the leading digits of each bar's date text).
std::vector<int32_t> dayBarDates(std::span<const DayBar> bars);

// A run's output lines as CSV, for checking values outside the program: the header "date"
// and each line's name, then one row per bar with the bar's date text and each line's value.
// Missing values are empty fields; numbers are the shortest text that reads back to the same
// double (at most 17 significant digits). Ends every row with a line feed.
std::string formulaLinesCsv(std::span<const DayBar> bars, const std::vector<OutputLine>& lines);

}  // namespace zor
