#include "training/game_rules.h"

#include <algorithm>
#include <cstdlib>

#include "data/series.h"

namespace zor {

int gameStartIndex(const std::vector<DayBar>& k, int days, std::string_view dateInput) {
  int n = int(k.size());
  if (n == 0) return -1;
  int start = 0;
  if (!dateInput.empty()) {
    if (dateInput.size() != 8 || !std::all_of(dateInput.begin(), dateInput.end(), [](char c) { return c >= '0' && c <= '9'; }))
      return -1;
    int d = std::atoi(std::string(dateInput).c_str());
    int month = d / 100 % 100, day = d % 100;
    if (d < 19900000 || d > 21009999 || month < 1 || month > 12 || day < 1 || day > 31) return -1;
    if (d < k.front().dateInt() || d > k.back().dateInt()) return -1;
    while (start < n && k[size_t(start)].dateInt() < d) ++start;
  } else if (days >= 1) {
    start = n - days;
    if (start < 1) start = n == 1 ? 0 : 1;
  }
  return std::clamp(start, 0, n - 1);
}

std::vector<DayBar> daySubBars(const std::vector<MinuteBar>& minAll, int date, int period) {
  auto lo = std::lower_bound(minAll.begin(), minAll.end(), date, [](const MinuteBar& m, int d) { return m.date < d; });
  auto hi = std::upper_bound(lo, minAll.end(), date, [](int d, const MinuteBar& m) { return d < m.date; });
  std::vector<DayBar> out;
  if (lo != hi) appendMinuteBars(&*lo, size_t(hi - lo), period, out);
  return out;
}

int subBarEndTime(const DayBar& b, int period) {
  std::string_view d = b.dateText();
  // "MM-DD HH:MM" of the sub-bar's first minute.
  if (d.size() < 11 || d[5] != ' ' || d[8] != ':') return 900;
  int hour = (d[6] - '0') * 10 + (d[7] - '0'), minute = (d[9] - '0') * 10 + (d[10] - '0');
  int size = minutePeriodSize(period);
  int slot = sessionSlot(hour * 60 + minute, size);
  int end = std::min(240, slot * size);  // session position of the slot's last minute
  return end <= 120 ? 570 + end : 660 + end;
}

int weekMonthTarget(const std::vector<DayBar>& k, int cur, int p, double& periodClose) {
  periodClose = 0;
  if (cur < 0 || cur >= int(k.size())) return -1;
  auto key = [p](const DayBar& b) { return p == kJumpWeek ? weekKey(b.dateInt()) : monthKey(b.dateInt()); };
  int64_t now = key(k[size_t(cur)]);
  int next = cur + 1;
  while (next < int(k.size()) && key(k[size_t(next)]) == now) ++next;
  if (next >= int(k.size())) return -1;  // no next period
  int64_t target = key(k[size_t(next)]);
  int end = next;
  while (end + 1 < int(k.size()) && key(k[size_t(end + 1)]) == target) ++end;
  // The period bar's close is that of its last valid day (a period without one has none).
  for (int i = end; i >= next && periodClose == 0; --i)
    if (isValidBar(k[size_t(i)])) periodClose = k[size_t(i)].close;
  return end;
}

double lastValidClose(const std::vector<DayBar>& k, int i) {
  for (i = std::min(i, int(k.size()) - 1); i >= 0; --i)
    if (isValidBar(k[size_t(i)])) return k[size_t(i)].close;
  return 0;
}

}  // namespace zor
