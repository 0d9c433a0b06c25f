#include "trading/matching.h"

#include "data/market.h"
#include "platform/text.h"

namespace zor {

namespace {

constexpr size_t kErrorMax = 159;

SubmitResult refused(std::string text) {
  SubmitResult r;
  r.error = cutUtf8(text, kErrorMax);
  return r;
}

std::string shownCode(std::string_view code, bool masked) { return masked ? "******" : stripMarketPrefix(code); }

Order newOrder(TradingState& s, const OrderRequest& req, const StockRecord& rec, double price, TradeClock clock) {
  Order o;
  o.orderNo = s.book.nextOrderNo;
  o.code = cutUtf8(req.code, kTradeCodeMax);
  o.name = cutUtf8(req.name.empty() ? rec.name : req.name, kTradeNameMax);
  o.side = req.side == 0 ? 0 : 1;
  o.price = price;
  o.qty = req.qty;
  o.date = clock.date;
  o.time = clock.time;
  o.mode = req.mode;
  o.holderText = holderTextFor(o.orderNo);
  o.channelText = kChannelText;
  return o;
}

// Marks `o` filled by the account's newest deal and records its fill.
Fill recordFill(TradingState& s, Order& o, double refPrice, TradeClock clock) {
  Account& a = s.accounts[size_t(o.mode)];
  const Deal& d = a.deals.back();
  o.status = OrderFilled;
  o.filledQty = o.qty;
  o.filledAmountCents = d.amountCents;
  o.refPrice = refPrice;
  for (Position& p : a.positions)
    if (sameCode(p.code, d.code)) p.lastPrice = d.price;

  Fill f;
  f.date = clock.date;
  f.time = clock.time;
  f.orderNo = o.orderNo;
  f.fillNo = s.book.nextFillNo++;
  f.side = o.side;
  f.contractNo = s.book.nextContractNo++;
  f.code = o.code;
  f.name = o.name;
  f.price = d.price;
  f.qty = d.qty;
  f.amountCents = d.amountCents;
  f.fees = computeFees(d.amountCents, d.side == 1, d.code, a.feeModel);
  f.cashChangeCents = d.side == 1 ? d.amountCents - d.feeCents : -(d.amountCents + d.feeCents);
  f.cashAfterCents = a.cashCents;
  int pos = findPosition(a, d.code);
  f.posAfter = pos >= 0 ? a.positions[size_t(pos)].qty : 0;
  f.orderDate = o.date;
  f.orderTime = o.time;
  f.matchDate = clock.date;
  s.book.fills.push_back(f);
  s.unsavedFills[size_t(o.mode)] = true;
  return f;
}

// The checks every new order passes, resting or not. Returns the refusal, empty when none.
std::string entryCheck(const TradingState& s, const OrderRequest& req, const StockRecord& rec, double price,
                       int64_t amount, TradeClock clock) {
  const Account& a = s.accounts[size_t(req.mode)];
  if (req.side != 0) {
    int idx = findPositionLoose(a, rec.code);
    if (idx < 0) return "没有该代码的持仓";
    const Position& p = a.positions[size_t(idx)];
    int64_t unfrozen = sellableQty(p, s.tPlusOne, clock.date);
    int64_t sellable = unfrozen;
    for (const Order& o : s.book.orders)
      if (o.status == OrderResting && o.mode == req.mode && o.side == 1 && sameCode(o.code, p.code)) sellable -= o.qty;
    if (sellable >= req.qty) return {};
    if (sellable <= 0 && s.tPlusOne && p.qty > 0 && unfrozen < p.qty)
      return strPrintf("T+1规则：当日买入的 %lld 股需下一交易日才能卖出（菜单「设置」里可切换 T+0）", (long long)p.qty);
    return strPrintf("可卖数量不足（可卖 %lld 股）", (long long)std::max<int64_t>(sellable, 0));
  }
  int64_t cost = amount + computeFees(amount, false, rec.code, a.feeModel).totalFee;
  if (cost > availableCash(s, req.mode)) return strPrintf("可用资金不足（需 %.2f 元）", yuanOf(cost));
  return {};
}

}  // namespace

const StockRecord* findInstrument(const std::vector<StockRecord>& stocks, std::string_view code) {
  int market = -1;
  if (code.size() > 2 && startsWithIgnoreCase(code, "sh")) market = 1;
  if (code.size() > 2 && startsWithIgnoreCase(code, "sz")) market = 0;
  std::string bare = stripMarketPrefix(code);
  if (bare.empty()) return nullptr;
  for (const StockRecord& r : stocks)
    if ((market < 0 || r.market == market) && stripMarketPrefix(r.code) == bare) return &r;
  return nullptr;
}

TradeClock localTradeClock(const LocalTime& now) { return {now.yyyymmdd(), now.hour * 60 + now.minute}; }

SubmitResult submitOrder(TradingState& s, const TradingMarket& market, const OrderRequest& req) {
  if (req.mode < 0 || req.mode >= kModeCount) return refused("请输入代码");
  std::string_view code = trim(req.code);
  if (code.empty()) return refused("请输入代码");
  double price = roundToTick(req.price, code);
  if (price <= 0) return refused("请输入委托价格");
  if (req.qty <= 0) return refused("请输入委托数量");
  if (req.qty % 100 != 0) return refused("委托数量必须是 100 股的整数倍");
  const StockRecord* rec = market.find(code);
  if (!rec) return refused("找不到该代码");
  double e = market.price(req.mode, *rec);
  if (!(e > 0)) return refused("该标的暂无有效价格，无法下单");
  if (price > kMaxPrice) return refused("价格无效, 无法成交");
  int64_t amount = 0;
  if (!amountCents(price, req.qty, amount)) return refused("委托金额过大");

  TradeClock clock = market.clock(req.mode);
  if (std::string why = entryCheck(s, req, *rec, price, amount, clock); !why.empty()) return refused(why);
  bool masked = market.masked(req.mode, *rec);
  OrderRequest trimmed = req;
  trimmed.code = std::string(code);
  bool buy = req.side == 0;

  SubmitResult r;
  if ((buy && price < e - 1e-9) || (!buy && price > e + 1e-9)) {
    r.order = newOrder(s, trimmed, *rec, price, clock);
    r.order.refPrice = e;
    s.book.nextOrderNo++;
    s.book.orders.push_back(r.order);
    bool bookSaved = saveOrderBook(s);
    r.ok = true;
    r.status = withSaveNotes(strPrintf("委托已报 %s %s %lld 股 @ %.2f（等待成交）", buy ? "买入" : "卖出",
                                       shownCode(code, masked).c_str(), (long long)req.qty, price),
                             true, bookSaved);
    return r;
  }

  Order o = newOrder(s, trimmed, *rec, price, clock);
  Execution x;
  x.buy = buy;
  x.price = price;
  x.qty = req.qty;
  x.date = clock.date;
  x.time = clock.time;
  x.tPlusOne = s.tPlusOne;
  x.orderNo = o.orderNo;
  x.masked = masked;
  std::string message;
  if (!executeOrder(s.accounts[size_t(req.mode)], *rec, x, message)) return refused(message);
  s.book.nextOrderNo++;
  r.fill = recordFill(s, o, price, clock);
  s.book.orders.push_back(o);
  r.order = o;
  r.filled = true;
  r.ok = true;
  bool accountSaved = saveAccountFile(s, req.mode);
  bool bookSaved = accountSaved && saveOrderBook(s);
  r.status = withSaveNotes(message, accountSaved, bookSaved);
  return r;
}

MatchResult matchOrders(TradingState& s, const TradingMarket& market, int mode) {
  MatchResult r;
  if (mode < 0 || mode >= kModeCount) return r;
  TradeClock clock = market.clock(mode);
  if (clock.date <= 0) return r;
  Account& account = s.accounts[size_t(mode)];
  for (Order& o : s.book.orders) {
    if (o.status != OrderResting || o.mode != mode) continue;
    if (o.date > 0 && o.date != clock.date) {  // a day order whose day has passed
      o.status = OrderCancelled;
      r.changed = true;
      continue;
    }
    const StockRecord* rec = market.find(o.code);
    if (!rec) continue;
    double e = market.price(mode, *rec);
    if (!(e > 0)) continue;
    bool buy = o.side == 0;
    if (buy ? e > o.price + 1e-9 : e < o.price - 1e-9) continue;

    Execution x;
    x.buy = buy;
    x.price = o.price;
    x.qty = o.qty;
    x.date = clock.date;
    x.time = clock.time;
    x.tPlusOne = s.tPlusOne;
    x.orderNo = o.orderNo;
    x.masked = market.masked(mode, *rec);
    std::string message;
    r.changed = true;
    if (!executeOrder(account, *rec, x, message)) {
      o.status = OrderRejected;
      r.status = strPrintf("委托 %lld 撮合失败：%s（已转废单）", (long long)o.orderNo, message.c_str());
      continue;
    }
    Fill f = recordFill(s, o, e, clock);
    ++r.fills;
    r.status = strPrintf("委托 %lld 已成交 %s %lld 股 @ %.2f", (long long)o.orderNo, shownCode(o.code, x.masked).c_str(),
                         (long long)o.qty, f.price);
  }
  if (r.changed) {
    bool accountSaved = r.fills == 0 || saveAccountFile(s, mode);
    bool bookSaved = accountSaved && saveOrderBook(s);
    r.status = withSaveNotes(r.status, accountSaved, bookSaved);
  }
  return r;
}

}  // namespace zor
