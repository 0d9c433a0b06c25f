#include "data/market.h"

#include <algorithm>
#include <atomic>
#include <cstdio>

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

int instrumentOfCode(const Market& m, std::string_view input) {
  for (size_t i = 0; i < m.stocks.size(); ++i)
    if (m.stocks[i].code == input) return int(i);
  for (size_t i = 0; i < m.stocks.size(); ++i)
    if (input.size() < m.stocks[i].code.size() && endsWith(m.stocks[i].code, input)) return int(i);
  return -1;
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

void barsChanged(StockRecord& rec) {
  // One counter for all instruments: a generation names one state of one instrument's bars.
  static std::atomic<uint64_t> next{1};
  rec.barsGeneration = next.fetch_add(1);
}

double closeBeforeDate(Market& m, int market, std::string_view code, int date, TradeMode mode) {
  if (code.empty() || date <= 0) return 0;
  int idx = findStock(m.stocks, market, code);
  if (idx < 0) return 0;
  StockRecord& rec = m.stocks[size_t(idx)];
  if (!rec.dayLoaded) loadDayBars(m, rec, mode);
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

void buildQuoteSnapshot(StockRecord& rec, TradeMode mode) {
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
  if (mode != TradeMode::RealTime) {
    rec.lastPrice = L.close;
    rec.volume = L.volume;
    rec.amount = L.amount;
    rec.amplitude = (L.high - L.low) / (P.close > 0 ? P.close : 1.0) * 100.0;
    rec.turnover = double(nextRandom() % 600 + 50) / 100.0;
  } else {
    rec.lastPrice = rec.volume = rec.amount = rec.turnover = rec.amplitude = 0;
  }
}

void applyTradeModeChange(Market& m, TradeMode mode, const std::vector<int>& owned) {
  for (size_t i = 0; i < m.stocks.size(); ++i) {
    StockRecord& rec = m.stocks[i];
    if (std::find(owned.begin(), owned.end(), int(i)) != owned.end()) continue;
    if (mode != TradeMode::RealTime && rec.minFromServer) {
      std::vector<MinuteBar>().swap(rec.minAll);
      std::vector<MinuteBar>().swap(rec.minc);
      rec.minLoaded = false;
      rec.minFromServer = false;
      barsChanged(rec);
    }
    if (!rec.dayLoaded) continue;
    buildQuoteSnapshot(rec, mode);
    if (mode != TradeMode::RealTime && rec.minLoaded && !rec.minc.empty()) refreshQuoteFromMinutes(rec);
  }
}

}  // namespace zor
