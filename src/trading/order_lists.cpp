#include "trading/order_lists.h"

#include <unordered_map>
#include <unordered_set>

#include "data/market.h"
#include "platform/text.h"
#include "platform/ui.h"

namespace zor {

namespace {

// The fields that identify a fill made without an order number.
std::string dealKey(int32_t date, int32_t time, int32_t side, int64_t qty, std::string_view code) {
  return strPrintf("%d|%d|%d|%lld|", date, time, side, (long long)qty) + stripMarketPrefix(code);
}

}  // namespace

DerivedLists derivedFromDeals(const Account& a, int mode) {
  DerivedLists out;
  out.orders.reserve(a.deals.size());
  out.fills.reserve(a.deals.size());
  int64_t cash = a.baselineCents;
  std::unordered_map<std::string, int64_t> held;
  for (size_t i = 0; i < a.deals.size(); ++i) {
    const Deal& d = a.deals[i];
    int64_t serial = kDerivedNoBase + int64_t(i);
    Order o;
    o.orderNo = d.orderNo > 0 ? d.orderNo : serial;
    o.code = d.code;
    o.name = d.name;
    o.side = d.side;
    o.price = o.refPrice = d.price;
    o.qty = o.filledQty = d.qty;
    o.filledAmountCents = d.amountCents;
    o.status = OrderFilled;
    o.date = d.date;
    o.time = d.time;
    o.mode = mode;
    o.holderText = holderTextFor(o.orderNo);
    o.channelText = kChannelText;

    Fill f;
    f.date = f.orderDate = f.matchDate = d.date;
    f.time = f.orderTime = d.time;
    f.orderNo = o.orderNo;
    f.fillNo = f.contractNo = serial;
    f.side = d.side;
    f.code = d.code;
    f.name = d.name;
    f.price = d.price;
    f.qty = d.qty;
    f.amountCents = d.amountCents;
    f.fees = computeFees(d.amountCents, d.side == 1, d.code, a.feeModel);
    f.fees.totalFee = d.feeCents;  // what was charged, whatever the model gives today
    f.cashChangeCents = d.side == 1 ? d.amountCents - d.feeCents : -(d.amountCents + d.feeCents);
    cash += f.cashChangeCents;
    f.cashAfterCents = cash;
    int64_t& pos = held[stripMarketPrefix(d.code)];
    pos += d.side == 1 ? -d.qty : d.qty;
    f.posAfter = std::max<int64_t>(pos, 0);
    out.orders.push_back(std::move(o));
    out.fills.push_back(std::move(f));
  }
  return out;
}

std::vector<ListedOrder> mergedOrders(const OrderBook& book, const Account& account, int mode) {
  std::vector<ListedOrder> out;
  std::unordered_set<int64_t> numbers;
  std::unordered_set<std::string> keys;
  for (const Order& o : book.orders) {
    if (o.mode != mode) continue;
    out.push_back({o, false});
    numbers.insert(o.orderNo);
    keys.insert(dealKey(o.date, o.time, o.side, o.qty, o.code));
  }
  DerivedLists derived = derivedFromDeals(account, mode);
  for (size_t i = 0; i < derived.orders.size(); ++i) {
    const Deal& d = account.deals[i];
    bool shown = d.orderNo > 0 ? numbers.count(d.orderNo) != 0 : keys.count(dealKey(d.date, d.time, d.side, d.qty, d.code)) != 0;
    if (!shown) out.push_back({std::move(derived.orders[i]), true});
  }
  return out;
}

CancelOutcome cancelOrder(TradingState& s, UiServices& ui, const ListedOrder& row, bool masked) {
  CancelOutcome out;
  const Order& o = row.order;
  if (row.fromDeals) {
    out.status = "该笔委托已成交，无需撤销";
    ui.messageBox("该笔委托已全额成交，没有可撤的挂单。", "无法撤销", MsgInfo | MsgOk);
    return out;
  }
  if (o.status != OrderResting) {
    ui.messageBox(strPrintf("该委托当前状态为「%s」，只有「已报」状态的委托可以撤销。", orderStatusWord(o.status)),
                  "无法撤销", MsgInfo | MsgOk);
    return out;
  }
  std::string code = masked ? "******" : o.code, name = masked ? "******" : o.name;
  std::string question = strPrintf(
      "确定要撤销这笔委托吗？\n\n  委托号：%lld\n  标的：%s %s\n  方向：%s\n  价格：%.2f\n  数量：%lld 股",
      (long long)o.orderNo, code.c_str(), name.c_str(), o.side == 0 ? "买入" : "卖出", o.price, (long long)o.qty);
  if (ui.messageBox(question, "撤单确认", MsgQuestion | MsgYesNo) != ResultYes) {
    out.status = "已取消撤单操作";
    return out;
  }
  // The question is modal but timers run: look the order up again.
  for (Order& live : s.book.orders) {
    if (live.orderNo != o.orderNo) continue;
    if (live.status != OrderResting) break;
    live.status = OrderCancelled;
    out.cancelled = true;
    out.status = withSaveNotes(strPrintf("已撤单：委托 %lld %s %lld股 @ %.2f", (long long)live.orderNo, code.c_str(),
                                         (long long)live.qty, live.price),
                               true, saveOrderBook(s));
    return out;
  }
  out.status = "该委托已成交或已失效，未撤销";
  return out;
}

std::string cancelAllPending(TradingState& s, int mode) {
  int n = cancelResting(s, mode);
  if (n == 0) return "没有可撤的委托（本模拟盘为立即全额成交）";
  return withSaveNotes(strPrintf("已撤单 %d 笔", n), true, saveOrderBook(s));
}

}  // namespace zor
