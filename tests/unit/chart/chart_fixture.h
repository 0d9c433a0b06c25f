// A small market for chart tests: instruments with deterministic daily and minute bars, the
// view, game and replay state, and helpers that build a chart into draw data.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "chart/chart_context.h"
#include "chart/chart_layout.h"
#include "chart/intraday_chart.h"
#include "chart/kline_chart.h"
#include "data/series.h"
#include "formula/formula_store.h"
#include "platform/calendar.h"
#include "platform/text.h"
#include "recording_canvas.h"

namespace zor {

inline DayBar dayBar(int date, double o, double h, double l, double c, double v = 1e6) {
  DayBar b;
  b.setDate(date);
  b.open = o, b.high = h, b.low = l, b.close = c, b.volume = v, b.amount = v * c;
  return b;
}

inline MinuteBar minuteBar(int date, int time, double o, double h, double l, double c, double v = 1e4) {
  MinuteBar m;
  m.date = date, m.time = time;
  m.open = float(o), m.high = float(h), m.low = float(l), m.close = float(c), m.volume = v, m.amount = v * c;
  return m;
}

// n weekdays from `first` on.
inline std::vector<int> weekdays(int first, int n) {
  std::vector<int> out;
  for (int d = first; int(out.size()) < n; d = addDays(d, 1))
    if (weekdayOf(d) >= 1 && weekdayOf(d) <= 5) out.push_back(d);
  return out;
}

// Daily bars around 10 yuan that wander up and down, rising and falling in turn.
inline std::vector<DayBar> wanderingDays(int first, int n) {
  std::vector<DayBar> out;
  const std::vector<int> dates = weekdays(first, n);
  for (int i = 0; i < n; ++i) {
    const double mid = 10 + 2 * std::sin(i * 0.05) + 0.3 * std::sin(i * 0.7);
    const double o = mid - 0.1 * std::sin(i * 1.3), c = mid + 0.1 * std::sin(i * 1.3);
    out.push_back(dayBar(dates[size_t(i)], o, std::max(o, c) + 0.15, std::min(o, c) - 0.15, c, 1e6 + 3e5 * std::sin(i * 0.4)));
  }
  return out;
}

// 240 minutes of one day (09:31..11:30, 13:01..15:00) moving from `open` by `step` a minute.
inline std::vector<MinuteBar> dayMinutes(int date, double open, double step, double volume = 1e4) {
  std::vector<MinuteBar> out;
  for (int j = 0; j < 240; ++j) {
    const int t = j < 120 ? 571 + j : 661 + j;
    const double o = open + j * step, c = o + step;
    out.push_back(minuteBar(date, t, o, std::max(o, c) + 0.01, std::min(o, c) - 0.01, c, volume));
  }
  return out;
}

struct ChartFixture {
  Market market;
  ChartView view;
  TrainState train;
  ReplayState replay;
  TradeMode mode = TradeMode::History;
  TradeTab tab = TradeTab::HistoryTraining;
  Account account;
  IntradayView intraday;
  bool withDeals = false;
  int width = 1200, height = 740;

  // One instrument "600001" 平安测试 with `days` daily bars from 2023-01-02.
  explicit ChartFixture(int days = 300) {
    StockRecord s;
    s.code = "600001";
    s.name = "平安测试";
    s.k = wanderingDays(20230102, days);
    s.prevClose = s.k.empty() ? 0 : s.k.back().close;
    barsChanged(s);
    market.stocks.push_back(std::move(s));
    view.listView = false;
    view.period = PeriodDay;
    view.curIdx = 0;
  }
  StockRecord& stock(int i = 0) { return market.stocks[size_t(i)]; }

  ChartContext ctx() const {
    ChartContext c(market, view, train, replay);
    c.tradeMode = mode;
    c.tradeTab = tab;
    c.dealAccount = withDeals ? &account : nullptr;
    c.intraday = intraday;
    return c;
  }
  Rect area() const { return chartAreaRect(width, height, false); }
  KLineFrame kline() const {
    RecordingCanvas canvas(width, height);
    CanvasMeasure m(canvas);
    return buildKLine(ctx(), area(), m);
  }
  IntradayFrame intradayChart() const {
    RecordingCanvas canvas(width, height);
    CanvasMeasure m(canvas);
    return buildIntraday(ctx(), area(), m);
  }
};

inline std::vector<std::string> textsOf(const DrawList& l) { return drawListTexts(l); }

inline bool hasText(const DrawList& l, std::string_view s) {
  for (const TextOp& t : l.texts)
    if (t.text == s) return true;
  return false;
}

inline const TextOp* findText(const DrawList& l, std::string_view s) {
  for (const TextOp& t : l.texts)
    if (t.text == s) return &t;
  return nullptr;
}

inline const HitArea* findHit(const std::vector<HitArea>& hits, HitKind kind, int index = 0) {
  for (const HitArea& h : hits)
    if (h.kind == kind && h.index == index) return &h;
  return nullptr;
}

// Puts a user formula for the length of a test (it hides a built-in of the same name).
class ScopedUserFormula {
 public:
  explicit ScopedUserFormula(FormulaDef def) : name_(def.name) {
    loadUserFormulas(userFormulaStore());
    putUserFormula(userFormulaStore(), def);
  }
  ~ScopedUserFormula() {
    auto& list = userFormulaStore().formulas;
    for (auto it = list.begin(); it != list.end(); ++it)
      if (it->name == name_) {
        list.erase(it);
        break;
      }
  }

 private:
  std::string name_;
};

inline FormulaDef userFormula(std::string name, std::string source, std::vector<FormulaParam> params = {},
                              int drawMethod = DrawSubPanel) {
  FormulaDef d;
  d.name = std::move(name);
  d.source = std::move(source);
  d.params = std::move(params);
  d.drawMethod = drawMethod;
  return d;
}

}  // namespace zor
