#include "data/market.h"

#include <cstdio>

#include "app/app_state.h"
#include "data/loaders.h"
#include "platform/random.h"
#include "platform/text.h"

namespace zor {

void DayBar::setDate(int yyyymmdd) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%08d", yyyymmdd);
  setDate(std::string_view(buf));
}

int DayBar::dateInt() const {
  int v = 0;
  for (size_t i = 0; i < sizeof date && date[i] >= '0' && date[i] <= '9'; ++i) {
    if (v > 214748363) break;  // cannot overflow: eight digits is the normal form
    v = v * 10 + (date[i] - '0');
  }
  return v;
}

const char* periodLabel(int period) {
  static const char* const labels[kPeriodCount] = {"日线",   "周线",   "月线",   "60分钟", "30分钟", "15分钟",
                                                   "5分钟",  "1分钟",  "10日线", "45日线", "季线",   "年线"};
  return (period >= 0 && period < kPeriodCount) ? labels[period] : "";
}

const char* periodShortLabel(int period) {
  static const char* const labels[8] = {"日线", "周线", "月线", "60分", "30分", "15分", "5分", "1分"};
  return (period >= 0 && period < 8) ? labels[period] : "";
}

std::string chartTitle(std::string_view name, int period) {
  return std::string(name) + " (" + periodLabel(period) + ".前复权)";
}

bool isValidBar(const DayBar& b) {
  auto ok = [](double p) { return p > 0.01 && p <= 10000.0; };
  return ok(b.open) && ok(b.high) && ok(b.low) && ok(b.close) && b.high >= b.low;
}

bool isValidMinute(const MinuteBar& m) {
  auto ok = [](double p) { return p > 0.01 && p <= 10000.0; };
  return ok(m.open) && ok(m.high) && ok(m.low) && ok(m.close) && m.high >= m.low;
}

std::string stripMarketPrefix(std::string_view code) {
  if (code.size() <= 2) return std::string(code);
  if (startsWithIgnoreCase(code, "sh") || startsWithIgnoreCase(code, "sz") || startsWithIgnoreCase(code, "bj"))
    return std::string(code.substr(2));
  return std::string(code);
}

std::string fullCode(const StockRecord& rec) {
  std::string_view c = rec.code;
  if (c.size() >= 3 && (startsWithIgnoreCase(c, "sh") || startsWithIgnoreCase(c, "sz") || startsWithIgnoreCase(c, "bj")))
    return std::string(c);
  return (rec.market == 1 ? "sh" : "sz") + std::string(c);
}

std::string marketKey(int market, std::string_view code) {
  return std::to_string(market) + ":" + stripMarketPrefix(code);
}

const char* boardFor(int market, std::string_view code) {
  std::string bare = stripMarketPrefix(code);
  if (market == 1) return startsWith(bare, "68") ? "科创板" : "沪市";
  return startsWith(bare, "3") ? "创业板" : "深市";
}

int findStock(const std::vector<StockRecord>& stocks, int market, std::string_view code) {
  std::string want = stripMarketPrefix(code);
  for (size_t i = 0; i < stocks.size(); ++i)
    if (stocks[i].market == market && stripMarketPrefix(stocks[i].code) == want) return int(i);
  return -1;
}

int findBarByDate(const StockRecord& rec, std::string_view date) {
  for (size_t i = rec.k.size(); i-- > 0;)
    if (rec.k[i].dateText() == date) return int(i);
  for (size_t i = rec.k.size(); i-- > 0;)
    if (rec.k[i].dateText() < date) return int(i);
  return -1;
}

double closeBeforeDate(AppState& app, int market, std::string_view code, int date) {
  if (code.empty() || date <= 0) return 0;
  int idx = findStock(app.stocks, market, code);
  if (idx < 0) return 0;
  StockRecord& rec = app.stocks[size_t(idx)];
  if (!rec.dayLoaded) loadDayBars(rec, app);
  char text[16];
  std::snprintf(text, sizeof text, "%08d", date);
  std::string_view want(text);
  int at = -1;
  bool exact = false;
  for (size_t i = rec.k.size(); i-- > 0;) {
    if (rec.k[i].dateText() == want) {
      at = int(i) - 1;  // the bar before the given date's own bar
      exact = true;
      break;
    }
  }
  if (!exact) {
    for (size_t i = rec.k.size(); i-- > 0;) {
      if (rec.k[i].dateText() < want) {
        at = int(i);
        break;
      }
    }
  }
  if (at < 0) return 0;
  double c = rec.k[size_t(at)].close;
  return (c > 0 && c < 1000000.0) ? c : 0;
}

void buildQuoteSnapshot(StockRecord& rec, int tradeMode) {
  // Only bars whose prices passed validation take part: a NO_PRICE bar at the end of the
  // history must not turn the quote into -1e30.
  int last = -1, prev = -1;
  for (size_t i = rec.k.size(); i-- > 0;) {
    if (!isValidBar(rec.k[i])) continue;
    if (last < 0) {
      last = int(i);
    } else {
      prev = int(i);
      break;
    }
  }
  if (last < 0) return;
  const DayBar& L = rec.k[size_t(last)];
  const DayBar& P = rec.k[size_t(prev < 0 ? last : prev)];
  rec.prevClose = P.close;
  rec.open = L.open;
  rec.high = L.high;
  rec.low = L.low;
  if (tradeMode != 0) {
    rec.lastPrice = L.close;
    rec.volume = L.volume;
    rec.amount = L.amount;
    rec.amplitude = (L.high - L.low) / (P.close > 0 ? P.close : 1.0) * 100.0;
    rec.turnover = double(nextRandom() % 600 + 50) / 100.0;
  } else {
    rec.lastPrice = rec.volume = rec.amount = rec.turnover = rec.amplitude = 0;
  }
}

int weekdayOf(int yyyymmdd) {
  // Zeller's congruence, shifted to 0 Sunday .. 6 Saturday.
  int y = yyyymmdd / 10000, m = (yyyymmdd / 100) % 100, d = yyyymmdd % 100;
  if (m < 3) {
    m += 12;
    y -= 1;
  }
  int K = y % 100, J = y / 100;
  int h = (d + (13 * (m + 1)) / 5 + K + K / 4 + J / 4 + 5 * J) % 7;  // 0 Saturday
  // Garbage dates (negative years, month 0) must still give a weekday in range.
  return ((h + 7) % 7 + 6) % 7;
}

bool isPlausibleDate(int yyyymmdd) {
  if (yyyymmdd < 19900101 || yyyymmdd > 21001231) return false;
  int y = yyyymmdd / 10000, m = (yyyymmdd / 100) % 100, d = yyyymmdd % 100;
  if (m < 1 || m > 12 || d < 1) return false;
  static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int dim = days[m - 1];
  if (m == 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0)) dim = 29;
  return d <= dim;
}

void loadStockOnDemand(AppState& app, int index) {
  if (index < 0 || size_t(index) >= app.stocks.size()) return;
  StockRecord& rec = app.stocks[size_t(index)];
  if (!rec.dayLoaded) loadDayBars(rec, app);
  if (app.training) return;
  if (app.tradeMode != 0) {
    if (!rec.minLoaded) loadMinuteBars(rec, app);
    rec.minUse = ++app.data.minuteClock;  // shown now: the last to be released
    if (!rec.drawingsLoaded) rec.drawingsLoaded = true;  // drawings arrive with their subsystem
  }
  // In real-time mode minutes come from the quote server; the file minutes stay unloaded so
  // that they load on demand after the mode changes.
}

void applyTradeModeChange(AppState& app) {
  for (size_t i = 0; i < app.stocks.size(); ++i) {
    StockRecord& rec = app.stocks[i];
    int idx = int(i);
    if (app.train.active && idx == app.train.stockIdx) continue;
    if ((app.training || app.dateView) && idx == (app.replayStockIdx >= 0 ? app.replayStockIdx : app.curIdx)) continue;
    if (app.tradeMode != 0 && rec.minFromServer) {
      std::vector<MinuteBar>().swap(rec.minAll);
      std::vector<MinuteBar>().swap(rec.minc);
      rec.minLoaded = false;
      rec.minFromServer = false;
    }
    if (!rec.dayLoaded) continue;
    buildQuoteSnapshot(rec, app.tradeMode);
    if (app.tradeMode != 0 && rec.minLoaded && !rec.minc.empty()) refreshQuoteFromMinutes(rec);
  }
}

}  // namespace zor
