#include "trading/account.h"

#include <algorithm>
#include <cmath>

#include "data/market.h"
#include "platform/text.h"

namespace zor {

int modeOfTab(int tradeTab) {
  if (tradeTab == 2 || tradeTab == 3) return ModeTraining;
  if (tradeTab == 4 || tradeTab == 5) return ModeLive;
  return ModeHistory;
}

std::string storableText(std::string_view s, size_t maxBytes) {
  std::string out = cutUtf8(s, maxBytes);
  for (size_t i = 0; i < out.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(out[i]);
    if (c < 32 || c == '/' || c == '\\') out[i] = '_';
    if (i > 0 && out[i] == '.' && out[i - 1] == '.') out[i] = '_';
  }
  return out;
}

bool isStorableText(std::string_view s) {
  for (size_t i = 0; i < s.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 32 || c == '/' || c == '\\') return false;
    if (i > 0 && s[i] == '.' && s[i - 1] == '.') return false;
  }
  return true;
}

// The code without a leading sh, sz or bj, as stripMarketPrefix gives it but without a copy:
// lookups compare it against every deal of an account.
static std::string_view bareCode(std::string_view code) {
  if (code.size() > 2 && (startsWithIgnoreCase(code, "sh") || startsWithIgnoreCase(code, "sz") ||
                          startsWithIgnoreCase(code, "bj")))
    return code.substr(2);
  return code;
}

bool sameCode(std::string_view a, std::string_view b) { return bareCode(a) == bareCode(b); }

int findPosition(const Account& account, std::string_view code) {
  for (size_t i = 0; i < account.positions.size(); ++i)
    if (account.positions[i].code == code) return int(i);
  return -1;
}

int findPositionLoose(const Account& account, std::string_view code) {
  int exact = findPosition(account, code);
  if (exact >= 0) return exact;
  for (size_t i = 0; i < account.positions.size(); ++i)
    if (sameCode(account.positions[i].code, code)) return int(i);
  return -1;
}

int64_t sellableQty(const Position& p, bool tPlusOne, int date) {
  if (tPlusOne && p.buyDate == date) return std::max<int64_t>(p.qty - p.boughtToday, 0);
  return std::max<int64_t>(p.qty, 0);
}

namespace {

// The newest deal in `code`, by date and time; null when the code has none.
const Deal* newestDeal(const Account& account, std::string_view code) {
  const Deal* best = nullptr;
  for (const Deal& d : account.deals) {
    if (!sameCode(d.code, code)) continue;
    if (!best || d.date > best->date || (d.date == best->date && d.time > best->time)) best = &d;
  }
  return best;
}

// True when (date, time) lies before the deal. A missing date or time of day (0) compares
// only what both sides have.
bool before(int date, int time, const Deal& d) {
  if (date <= 0 || d.date <= 0) return false;
  if (date != d.date) return date < d.date;
  return time > 0 && d.time > 0 && time < d.time;
}

bool refuse(std::string& message, std::string text) {
  message = std::move(text);
  return false;
}

}  // namespace

// The checks run before anything changes, so a refusal leaves the account exactly as it was.
// Beyond the trading rules they keep every recorded value inside what the account file
// accepts on reading: a fill the file could not hold back would be lost at the next start.
bool executeOrder(Account& a, const StockRecord& inst, const Execution& x, std::string& message) {
  std::string code = storableText(inst.code, kTradeCodeMax);
  std::string shownCode = x.masked ? "******" : code;
  if (x.qty <= 0) return refuse(message, "数量必须为正整数");
  double price = roundToTick(x.price, code);
  if (price <= 0 || price > kMaxPrice) return refuse(message, "价格无效, 无法成交");
  if (x.qty > kMaxQty) return refuse(message, "委托数量过大");
  int64_t amount = 0;
  if (!amountCents(price, x.qty, amount)) return refuse(message, "委托金额过大");
  if (x.date != 0 && !isPlausibleDate(x.date)) return refuse(message, "交易日期无效，无法成交");
  if (const Deal* last = newestDeal(a, code); last && before(x.date, x.time, *last)) {
    int hh = last->time / 60, mm = last->time % 60;
    return refuse(message, x.masked ? strPrintf("交易时间不能早于本股最后一笔成交（****-**-** %02d:%02d）", hh, mm)
                                    : strPrintf("交易时间不能早于本股最后一笔成交（%08d %02d:%02d）", last->date, hh, mm));
  }
  if (a.deals.size() >= kMaxDeals) return refuse(message, "成交记录已达上限，无法继续成交");

  int64_t fee = computeFees(amount, !x.buy, code, a.feeModel).totalFee;
  int idx = findPosition(a, code);
  if (x.buy) {
    int64_t cost = amount + fee;
    if (cost > a.cashCents)
      return refuse(message, strPrintf("资金不足(需 %.2f, 可用 %.2f)", yuanOf(cost), yuanOf(a.cashCents)));
    if (idx >= 0 && a.positions[size_t(idx)].qty > kMaxQty - x.qty) return refuse(message, "委托数量过大");
    if (idx < 0 && a.positions.size() >= kMaxPositions) return refuse(message, "持仓只数已达上限，无法买入");
    a.cashCents -= cost;
    if (idx < 0) {
      Position p;
      p.market = inst.market;
      p.code = code;
      p.name = storableText(inst.name, kTradeNameMax);
      p.qty = x.qty;
      p.avgCost = price;
      p.buyDate = x.date;
      p.boughtToday = x.qty;
      a.positions.push_back(std::move(p));
    } else {
      Position& p = a.positions[size_t(idx)];
      if (p.buyDate != x.date) {
        p.buyDate = x.date;
        p.boughtToday = 0;
      }
      p.boughtToday += x.qty;
      p.avgCost = (double(p.qty) * p.avgCost + yuanOf(amount)) / double(p.qty + x.qty);
      p.qty += x.qty;
    }
  } else {
    if (idx < 0 || a.positions[size_t(idx)].qty < x.qty) return refuse(message, "持仓不足, 无法卖出");
    Position& p = a.positions[size_t(idx)];
    if (x.tPlusOne) {
      int64_t available = sellableQty(p, true, x.date);
      if (x.qty > available)
        return refuse(message, strPrintf("T+1规则: 当日买入部分(%lld股)不可卖出", (long long)(p.qty - available)));
    }
    int64_t after = a.cashCents + amount - fee;
    if (after < 0) return refuse(message, "资金不足以支付卖出费用");
    if (after > kMaxCashCents) return refuse(message, "委托金额过大");
    a.cashCents = after;
    p.qty -= x.qty;
    if (p.qty <= 0) a.positions.erase(a.positions.begin() + idx);
  }

  Deal d;
  d.code = code;
  d.name = storableText(inst.name, kTradeNameMax);
  d.side = x.buy ? 0 : 1;
  d.price = price;
  d.qty = x.qty;
  d.amountCents = amount;
  d.feeCents = fee;
  d.date = x.date;
  d.time = x.time;
  d.orderNo = x.orderNo;
  a.deals.push_back(std::move(d));
  message = strPrintf("%s %s %lld 股 @ %.2f 成功", x.buy ? "买入" : "卖出", shownCode.c_str(), (long long)x.qty, price);
  return true;
}

double positionPrice(const Position& p, const std::vector<StockRecord>& stocks) {
  if (p.lastPrice > 0) return p.lastPrice;
  int i = findStock(stocks, p.market, p.code);
  if (i >= 0 && stocks[size_t(i)].lastPrice > 0) return stocks[size_t(i)].lastPrice;
  return p.avgCost;
}

double positionPriceAt(const Position& p, const std::vector<StockRecord>& stocks, int date) {
  int i = findStock(stocks, p.market, p.code);
  if (i < 0) return p.avgCost;
  const std::vector<DayBar>& k = stocks[size_t(i)].k;
  for (size_t j = k.size(); j-- > 0;)
    if (k[j].dateInt() <= date && isValidBar(k[j])) return k[j].close;
  return p.avgCost;
}

int64_t maxBuyQty(int64_t fundsCents, double price, std::string_view code, FeeModel model) {
  price = roundToTick(price, code);
  if (price <= 0 || price > kMaxPrice || fundsCents <= 0) return 0;
  auto fits = [&](int64_t lots) {
    int64_t amount = 0;
    if (!amountCents(price, lots * 100, amount)) return false;
    return amount + computeFees(amount, false, code, model).totalFee <= fundsCents;
  };
  // Cost grows with the quantity, so the largest lot count that fits is found by bisection
  // (a walk down from the cash-only bound can take billions of steps at tiny prices).
  double bound = double(fundsCents) / (price * 100.0) / 100.0;
  int64_t hi = int64_t(std::min(bound + 1.0, double(kMaxQty / 100)));
  int64_t lo = 0;
  while (lo < hi) {
    int64_t mid = lo + (hi - lo + 1) / 2;
    if (fits(mid))
      lo = mid;
    else
      hi = mid - 1;
  }
  return lo * 100;
}

std::string clearT1Freeze(Account& account) {
  for (Position& p : account.positions) p.boughtToday = 0;
  return "已刷新：T+1 冻结已解除（可卖数量已更新）";
}

void clearAccount(Account& account) {
  account.cashCents = kInitialCashCents;
  account.baselineCents = kInitialCashCents;
  account.positions.clear();
  account.deals.clear();
}

void setFunds(Account& account, int64_t cashCents) {
  int64_t base = account.baselineCents + (cashCents - account.cashCents);
  account.baselineCents = std::clamp(base, -kMaxCashCents, kMaxCashCents);
  account.cashCents = cashCents;
}

}  // namespace zor
