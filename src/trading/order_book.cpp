#include "trading/order_book.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "platform/text.h"
#include "trading/byte_fields.h"

namespace zor {

namespace {

constexpr std::string_view kBookMagic = "1DRO";
constexpr size_t kOrderSize = 150;
constexpr int32_t kMaxOrderRecords = 100000;

// The reason a record is refused, or null.
const char* checkOrder(const Order& o) {
  if (o.orderNo < 1 || o.orderNo > kMaxOrderNo) return "委托号";
  if (o.side != 0 && o.side != 1) return "方向";
  if (o.mode < ModeHistory || o.mode > ModeTraining) return "模式";
  if (o.qty < 1 || o.qty > kMaxQty) return "数量";
  if (!std::isfinite(o.price) || o.price <= 0 || o.price > kMaxPrice) return "价格";
  if (o.status < 0) return "状态";
  return nullptr;
}

void readOrder(ByteReader& r, Order& o) {
  o.orderNo = r.i64();
  o.code = r.text(10);
  o.name = r.text(32);
  o.side = r.i32();
  o.price = r.f64();
  o.refPrice = r.f64();
  o.qty = r.i64();
  o.filledQty = r.i64();
  double filledAmount = r.f64();
  o.status = r.i32();
  o.date = r.i32();
  o.time = r.i32();
  o.mode = r.i32();
  o.holderText = r.text(16);
  o.channelText = r.text(24);
  if (!std::isfinite(o.refPrice) || o.refPrice < 0 || o.refPrice > kMaxPrice) o.refPrice = 0;
  o.filledQty = std::clamp<int64_t>(o.filledQty, 0, std::max<int64_t>(o.qty, 0));
  bool amountOk = std::isfinite(filledAmount) && filledAmount >= 0 && filledAmount <= 1e13;
  o.filledAmountCents = amountOk ? centsOf(filledAmount) : 0;
}

}  // namespace

const char* const kChannelText = "澄川训练软件";

const char* orderStatusWord(int32_t status) {
  switch (status) {
    case OrderResting: return "已报";
    case OrderFilled: return "已成";
    case OrderPartial: return "部成";
    case OrderCancelled: return "已撤";
    default: return "废单";
  }
}

std::string holderTextFor(int64_t orderNo) {
  int64_t n = orderNo % 6000 * 37 % 6000 + 5000;  // (orderNo × 37) mod 6000, without overflow
  if (n < 5000) n += 6000;                         // a negative number still gives four digits
  return strPrintf("A3806%04lld", (long long)n);
}

void decodeOrderBook(std::string_view bytes, std::string_view fileName, OrderBook& out, FileReport& report) {
  out.orders.clear();
  report.present = true;
  auto lose = [&](std::string line) {
    report.damaged = true;
    report.lost.push_back(std::move(line));
  };
  ByteReader r{bytes};
  if (!r.has(4)) {
    report.magic = magicText(bytes);
    return lose("文件不足 4 字节，没有可读的内容");
  }
  std::string_view magic = r.raw(4);
  report.magic = magicText(magic);
  if (magic != kBookMagic) return lose("文件标识 " + report.magic + " 无法识别，整个文件未载入");
  if (!r.has(4)) return lose("文件在委托记录数处截断");
  int32_t n = r.i32();
  if (n < 0 || n > kMaxOrderRecords) return lose(strPrintf("委托记录数 %d 超出 0~%d，委托未载入", n, kMaxOrderRecords));
  out.orders.reserve(size_t(std::min<uint64_t>(uint64_t(n), r.left() / kOrderSize)));
  std::unordered_set<int64_t> seen;
  for (int32_t i = 0; i < n; ++i) {
    if (!r.has(kOrderSize)) return lose(strPrintf("文件在第 %d 条委托记录处截断，其后的委托未载入", i + 1));
    Order o;
    readOrder(r, o);
    const char* why = checkOrder(o);
    if (!why && !seen.insert(o.orderNo).second) why = "委托号重复";
    if (why) {
      report.trace.push_back(strPrintf("ORDERS skip file=%.*s index=%d", int(fileName.size()), fileName.data(), i));
      lose(strPrintf("第 %d 条委托记录无效（%s），已跳过", i + 1, why));
      continue;
    }
    // Raised as each order is taken, so that a file cut short still never hands out a
    // number that is in use.
    out.nextOrderNo = std::max(out.nextOrderNo, o.orderNo + 1);
    out.orders.push_back(std::move(o));
  }
}

std::string encodeOrderBook(const OrderBook& book) {
  std::string out;
  out.reserve(8 + book.orders.size() * kOrderSize);
  ByteWriter w{out};
  w.raw(kBookMagic);
  w.i32(int32_t(book.orders.size()));
  for (const Order& o : book.orders) {
    w.i64(o.orderNo);
    w.text(o.code, 10);
    w.text(o.name, 32);
    w.i32(o.side);
    w.f64(o.price);
    w.f64(o.refPrice);
    w.i64(o.qty);
    w.i64(o.filledQty);
    w.f64(yuanOf(o.filledAmountCents));
    w.i32(o.status);
    w.i32(o.date);
    w.i32(o.time);
    w.i32(o.mode);
    w.text(o.holderText, 16);
    w.text(o.channelText, 24);
  }
  return out;
}

}  // namespace zor
