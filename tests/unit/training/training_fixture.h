// A program state with hand-made instruments for the game and replay tests: daily bars on
// consecutive weekdays, real minute bars on chosen days, and the trading files in a
// temporary folder.
#pragma once

#include <string>
#include <vector>

#include "app/app_state.h"
#include "platform/calendar.h"
#include "platform/text.h"
#include "temp_dir.h"
#include "test_ui.h"

namespace zor::test {

// The weekdays from 2024-01-02 on, as yyyymmdd.
inline std::vector<int> weekdays(int count, int from = 20240102) {
  std::vector<int> out;
  for (int d = from; int(out.size()) < count; d = addDays(d, 1))
    if (weekdayOf(d) >= 1 && weekdayOf(d) <= 5) out.push_back(d);
  return out;
}

inline DayBar dailyBar(int date, double close) {
  DayBar b;
  b.setDate(date);
  b.open = close * 0.99;
  b.high = close * 1.02;
  b.low = close * 0.97;
  b.close = close;
  b.volume = 100000;
  b.amount = close * 100000;
  return b;
}

// `count` real minute bars of a day from 09:31 on (the morning, then the afternoon), each
// closing at `close` + its index / 1000.
inline std::vector<MinuteBar> dayMinutes(int date, double close, int count = 240, int firstTime = 571) {
  std::vector<MinuteBar> out;
  for (int i = 0, t = firstTime; i < count; ++i, ++t) {
    if (t == 691) t = 781;  // the lunch break
    if (t > 900) break;
    MinuteBar m;
    m.date = date;
    m.time = t;
    m.close = float(close + i / 1000.0);
    m.open = m.close;
    m.high = float(m.close + 0.01);
    m.low = float(m.close - 0.01);
    m.volume = 1000;
    m.amount = m.close * 1000.0;
    out.push_back(m);
  }
  return out;
}

struct TrainingFixture {
  TempDir dir;
  TestUi ui;
  AppState app;

  TrainingFixture() {
    app.ui = &ui;
    app.config.exeDir = dir.path();
    app.trading.dir = dir.path();
  }

  // An instrument with daily closes `closes` on weekdays from 2024-01-02 and the minute bars
  // given; everything counts as loaded, so no file is read.
  int add(const std::string& code, const std::string& name, const std::vector<double>& closes,
          std::vector<MinuteBar> minutes = {}) {
    StockRecord r;
    r.code = code;
    r.name = name;
    r.market = code[0] == '6' ? 1 : 0;
    std::vector<int> dates = weekdays(int(closes.size()));
    for (size_t i = 0; i < closes.size(); ++i) r.k.push_back(dailyBar(dates[i], closes[i]));
    r.minAll = std::move(minutes);
    if (!r.minAll.empty()) {
      int last = r.minAll.back().date;
      for (const MinuteBar& m : r.minAll)
        if (m.date == last) r.minc.push_back(m);
    }
    r.dayLoaded = r.minLoaded = true;
    buildQuoteSnapshot(r, TradeMode::History);
    barsChanged(r);
    app.market.stocks.push_back(std::move(r));
    return int(app.market.stocks.size()) - 1;
  }

  StockRecord& stock(int i) { return app.market.stocks[size_t(i)]; }
  Account& trainingAccount() { return app.trading.accounts[ModeTraining]; }
  Account& historyAccount() { return app.trading.accounts[ModeHistory]; }
  int dateOf(int stockIdx, int bar) { return stock(stockIdx).k[size_t(bar)].dateInt(); }
};

}  // namespace zor::test
