// The rules of the K-line training game that depend only on the bars: where a game starts,
// where a jump by week, month or minutes lands, the sub-bars of one day, and the time of day
// a trade in a sub-bar is booked at. The operations that move the game (app/) use them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "data/market.h"

namespace zor {

// Jump periods of the game: 0 steps by days; 1 week, 2 month; 3..7 the minute periods 60, 30,
// 15, 5 and 1 (the chart period codes of the same number).
constexpr int kJumpDay = 0, kJumpWeek = 1, kJumpMonth = 2;
inline bool isMinuteJump(int p) { return p >= 3 && p <= 7; }

// Where a game on `k` starts. A typed date (`dateInput`, 8 digits) must be a calendar-looking
// date within the first and last bar's dates; the start is then the first bar not earlier
// than it. Without a date: n - days (at least 1, 0 when n is 1) when days >= 1, else 0.
// Returns -1 for a refused date.
int gameStartIndex(const std::vector<DayBar>& k, int days, std::string_view dateInput);

// The sub-bars of the day `date` at minute period `period` (3..7), from the real minute bars
// only; empty when the day has none.
std::vector<DayBar> daySubBars(const std::vector<MinuteBar>& minAll, int date, int period);

// The minute time of day (minutes after midnight) a sub-bar ends at: the end of its session
// slot, so 60-minute sub-bars end at 10:30, 11:30, 14:00 and 15:00 even on a day with gaps.
// 900 (15:00) when the label carries no time.
int subBarEndTime(const DayBar& subBar, int period);

// The bar a jump by week (p 1) or month (p 2) lands on from bar `cur`: the last daily bar of
// the next week or month. -1 when there is no next week or month. `periodClose` receives that
// week's or month's close.
int weekMonthTarget(const std::vector<DayBar>& k, int cur, int p, double& periodClose);

// The close of the last bar at or before index `i` with valid prices; 0 when none.
double lastValidClose(const std::vector<DayBar>& k, int i);

}  // namespace zor
