// The foot of the K-line chart: the date strip with its year and month ticks, the indicator
// strip, and the separators between the panels.
#include <algorithm>
#include <set>

#include "chart/chart_draw.h"
#include "chart/indicator_strip.h"
#include "chart/kline_parts.h"
#include "platform/text.h"

namespace zor {

namespace {

struct CalendarDate {
  int year = 0, month = 0;
};

// The year and month of an 8-digit date text (year 1900 on, month 1..12).
bool calendarDate(std::string_view text, CalendarDate& out) {
  if (text.size() < 8) return false;
  int v = 0;
  for (size_t i = 0; i < 8; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    v = v * 10 + (text[i] - '0');
  }
  out.year = v / 10000;
  out.month = v / 100 % 100;
  return out.year >= 1900 && out.month >= 1 && out.month <= 12;
}

// Places the ticks and labels of one date row from left to right.
class DateRow {
 public:
  DateRow(KLineParts& k, const Rect& row, int minGap, int yearEnd)
      : k_(k), row_(row), minGap_(minGap), yearEnd_(yearEnd), prevEnd_(yearEnd) {}

  void tick(int x, const std::string& label) {
    if (x < row_.left || x >= row_.right || x - prevTick_ < minGap_ || x <= yearEnd_ + 2) return;
    k_.out.vline(x, row_.top, row_.bottom, kGridRed);
    prevTick_ = x;
    if (label.empty()) return;
    int tx = x + 2;
    // The first label yields to the year label; a later one that would crowd the label
    // before it is left out.
    const int earliest = first_ ? std::max(prevEnd_ + 4, yearEnd_ + 6) : prevEnd_ + 4;
    if (tx < earliest) {
      if (!first_) return;
      tx = earliest;
    }
    const int w = k_.m.width(axisFont(), label);
    if (tx + w > row_.right + 8) return;
    k_.out.text(tx, row_.top + 1, label, kAxisLabel, axisFont());
    prevEnd_ = tx + w;
    first_ = false;
  }

 private:
  KLineParts& k_;
  Rect row_;
  int minGap_;
  int yearEnd_;
  int prevEnd_;
  int prevTick_ = -1000000;
  bool first_ = true;
};

}  // namespace

void buildDateStrip(KLineParts& k) {
  const Rect& a = k.chartArea;
  const int bottom = a.bottom;
  k.out.fill(Rect{a.left, bottom - 34, a.right, bottom}, kChartBackground);
  const Rect row{a.left, bottom - 33, a.right, bottom - 18};
  k.out.hline(a.left, a.right, bottom - 18, kGridRed);
  k.out.hline(a.left, a.right, bottom - 1, kGridRed);
  const int n = k.visible();
  if (n <= 0) return;
  // A blind game shows where months and years turn, never which they are.
  const bool labels = !k.series.masked;
  auto x = [&](int i) { return k.w.slotLeft(i); };

  CalendarDate first;
  if (!calendarDate(k.bar(0).dateText(), first)) {
    // Minute bars: "MM-DD" wherever the day changes, the first visible bar included.
    DateRow r(k, row, 5, row.left - 1000);
    std::string_view prev;
    for (int i = 0; i < n; ++i) {
      std::string_view day = k.bar(i).dateText().substr(0, 5);
      if (i > 0 && day == prev) continue;
      prev = day;
      r.tick(x(i), labels ? std::string(day) : std::string());
    }
    return;
  }

  int yearEnd = row.left - 1000;
  std::string yearLabel = strPrintf("%d年", first.year);
  const int yearW = k.m.width(axisFont(), yearLabel);
  if (labels) {
    k.out.text(a.left + 3, row.top + 1, yearLabel, kAxisLabel, axisFont());
    yearEnd = a.left + 3 + yearW;
  }
  std::vector<CalendarDate> dates(static_cast<size_t>(n));
  std::vector<bool> valid(static_cast<size_t>(n));
  std::set<int> months;
  for (int i = 0; i < n; ++i) {
    valid[size_t(i)] = calendarDate(k.bar(i).dateText(), dates[size_t(i)]);
    if (valid[size_t(i)]) months.insert(dates[size_t(i)].year * 12 + dates[size_t(i)].month);
  }
  const double perMonth = n * k.w.slot / double(std::max<size_t>(1, months.size()));
  const bool yearMode = perMonth < 14;
  int step = 1;  // label every step-th year
  if (yearMode && 12 * perMonth > 1)
    while (step < 20 && step * 12 * perMonth < yearW + 10) ++step;

  DateRow r(k, row, yearMode ? 10 : 5, yearEnd);
  for (int i = 0; i < n; ++i) {
    if (!valid[size_t(i)]) continue;
    const CalendarDate d = dates[size_t(i)];
    bool newMonth;
    if (i > 0) {
      newMonth = !valid[size_t(i - 1)] || dates[size_t(i - 1)].month != d.month || dates[size_t(i - 1)].year != d.year;
    } else {
      const int j = k.w.start - 1;
      CalendarDate before;
      newMonth = j < 0 || !calendarDate(k.bars()[size_t(j)].dateText(), before) || before.month != d.month ||
                 before.year != d.year;
    }
    if (!newMonth) continue;
    if (yearMode) {
      if (i == 0 || d.month != 1) continue;
      const bool labelled = labels && (step < 2 || d.year % step == 0);
      r.tick(x(i), labelled ? strPrintf("%d年", d.year) : std::string());
    } else {
      r.tick(x(i), labels ? strPrintf("%d", d.month) : std::string());
    }
  }
}

void buildIndicatorStrip(KLineParts& k) {
  const Rect& a = k.chartArea;
  const int top = a.bottom - 17, bottom = a.bottom - 1;
  const ChartView& v = k.ctx.view;
  const int current = highlightedStripItem(v);
  int x = a.left;
  for (int i = 0; i < kIndicatorStripItems; ++i) {
    const char* text = indicatorStripText(i);
    const int w = k.m.width(axisFont(), text) + 10;
    if (x + w > a.right) break;
    const bool lit = i == current || (i == kStripBoll && v.mainInd == MainBOLL);
    k.out.text(x + 5, top + 1, text, lit ? kStripHighlight : kSilver, axisFont());
    k.out.vline(x + w, top, bottom, kGridRed);
    k.hits.push_back(HitArea{x, top, x + w, bottom, HitKind::IndicatorStripItem, i});
    x += w;
  }
  for (int fx : {1551, 1593, 1635, 1660, 1686})
    if (fx >= a.left && fx < a.right) k.out.vline(fx, top, bottom, kGridRed);
}

void buildSeparators(KLineParts& k) {
  const ChartView& v = k.ctx.view;
  const KLinePanels& p = k.panels;
  const int right = p.main.right;
  int lowest = p.main.bottom;
  k.out.hline(k.pr.left, right, p.main.top, kGridRed);
  if (v.showSub && !p.sub.empty()) {
    k.out.hline(k.pr.left, right, p.sub.top, kGridRed);
    lowest = std::max(lowest, p.sub.bottom);
  }
  if (v.showVol && !p.vol.empty()) {
    k.out.hline(k.pr.left, right, p.vol.top, kGridRed);
    lowest = std::max(lowest, p.vol.bottom);
  }
  k.out.hline(k.pr.left, right, lowest, kGridRed);
  k.out.vline(k.pr.right, p.main.top, lowest, kGridRed);
}

}  // namespace zor
