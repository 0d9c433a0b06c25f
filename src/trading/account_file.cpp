#include "trading/account_file.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "data/market.h"
#include "platform/text.h"
#include "trading/byte_fields.h"

namespace zor {

namespace {

constexpr size_t kCodeField = 10;
constexpr size_t kNameField = 32;
constexpr size_t kDealSize = 90;
constexpr int32_t kMaxPositionRecords = 100000;
constexpr int32_t kMaxDealRecords = 1000000;
constexpr std::string_view kTrailerMagic = "ZXT1";

// Position record size of a magic, 0 when the kind does not accept it.
size_t positionSize(std::string_view magic, AccountFileKind kind) {
  bool account = kind != AccountFileKind::Training, training = kind != AccountFileKind::Account;
  if (account && magic == "1CCA") return 66;
  if (account && magic == "2CCA") return 70;
  if (account && magic == "3CCA") return 74;
  if (account && magic == "4CCA") return 82;
  if (training && magic == "1ART") return 82;
  return 0;
}

bool moneyInRange(double v) { return std::isfinite(v) && v >= 0 && v <= 1e13; }
bool priceInRange(double v) { return std::isfinite(v) && v > 0 && v <= kMaxPrice; }

struct Reading {
  std::string_view fileName;
  FileReport& report;

  void lose(std::string line) {
    report.damaged = true;
    report.lost.push_back(std::move(line));
  }
  void skip(const char* kind, int index, const char* why, const char* label) {
    report.trace.push_back(strPrintf("ACCOUNT skip file=%.*s kind=%s index=%d", int(fileName.size()),
                                     fileName.data(), kind, index));
    lose(strPrintf("第 %d 条%s记录无效（%s），已跳过", index + 1, label, why));
  }
};

// One position record of `size` bytes; the reason it is refused, or null.
const char* readPosition(ByteReader& r, size_t size, Position& p) {
  size_t start = r.pos;
  p.market = r.i32();
  p.code = r.text(kCodeField);
  p.name = r.text(kNameField);
  p.qty = r.i64();
  p.avgCost = r.f64();
  p.buyDate = r.i32();
  if (size >= 70) p.replayDate = r.i32();
  if (size >= 74) r.i32();  // boughtToday: a restart lifts every T+1 freeze
  if (size >= 82) p.lastPrice = r.f64();
  r.pos = start + size;
  if (!std::isfinite(p.lastPrice) || p.lastPrice < 0) p.lastPrice = 0;
  if (p.qty < 1 || p.qty > kMaxQty) return "数量";
  if (!priceInRange(p.avgCost)) return "均价";
  if (!isStorableText(p.code) || !isStorableText(p.name)) return "代码或名称含非法字符";
  return nullptr;
}

const char* readDeal(ByteReader& r, Deal& d) {
  r.i32();  // noTime: follows from the time
  d.code = r.text(kCodeField);
  d.name = r.text(kNameField);
  d.side = r.i32();
  d.price = r.f64();
  d.qty = r.i64();
  double amount = r.f64(), fee = r.f64();
  d.date = r.i32();
  d.time = r.i32();
  if (d.side != 0 && d.side != 1) return "方向";
  if (d.qty < 1 || d.qty > kMaxQty) return "数量";
  if (!priceInRange(d.price)) return "价格";
  if (!moneyInRange(amount)) return "金额";
  if (!moneyInRange(fee)) return "费用";
  if (d.date != 0 && !isPlausibleDate(d.date)) return "日期";
  if (!isStorableText(d.code) || !isStorableText(d.name)) return "代码或名称含非法字符";
  d.amountCents = centsOf(amount);
  d.feeCents = centsOf(fee);
  return nullptr;
}

// The trailer after the deal records. Taken only whole, with one order number per deal record
// and a usable baseline; anything else is ignored without counting as damage, since files of
// older builds have none.
void readTrailer(ByteReader& r, int32_t dealRecords, const std::vector<int32_t>& keptIndex, Account& out) {
  if (!r.has(16) || r.raw(4) != kTrailerMagic) return;
  double baseline = r.f64();
  int32_t k = r.i32();
  if (k != dealRecords || !r.has(uint64_t(k) * 8) || !std::isfinite(baseline) || std::fabs(baseline) > 1e13) return;
  std::vector<int64_t> numbers(static_cast<size_t>(k));
  for (int64_t& n : numbers) {
    n = r.i64();
    if (n < 0 || n > kMaxOrderNo) n = 0;
  }
  out.baselineCents = centsOf(baseline);
  for (size_t i = 0; i < out.deals.size(); ++i) out.deals[i].orderNo = numbers[size_t(keptIndex[i])];
}

}  // namespace

std::string magicText(std::string_view magic) {
  bool printable = true;
  for (char c : magic) printable = printable && c >= 33 && c <= 126;
  if (printable) return std::string(magic);
  std::string hex = "0x";
  for (char c : magic) hex += strPrintf("%02X", unsigned(uint8_t(c)));
  return hex;
}

void decodeAccountFile(std::string_view bytes, AccountFileKind kind, std::string_view fileName, Account& out,
                       FileReport& report) {
  clearAccount(out);
  report.present = true;
  Reading rd{fileName, report};
  ByteReader r{bytes};
  if (!r.has(4)) {
    report.magic = magicText(bytes);
    return rd.lose("文件不足 4 字节，没有可读的内容");
  }
  std::string_view magic = r.raw(4);
  report.magic = magicText(magic);
  size_t posSize = positionSize(magic, kind);
  if (posSize == 0) return rd.lose("文件标识 " + report.magic + " 无法识别，整个文件未载入");

  if (!r.has(8)) return rd.lose("文件在现金处截断");
  double cash = r.f64();
  if (std::isfinite(cash) && std::fabs(cash) <= 1e13) {
    out.cashCents = centsOf(cash);
  } else {
    rd.lose("现金数值无效，按 1000000.00 载入");
  }

  if (!r.has(4)) return rd.lose("文件在持仓记录数处截断");
  int32_t n = r.i32();
  if (n < 0 || n > kMaxPositionRecords)
    return rd.lose(strPrintf("持仓记录数 %d 超出 0~%d，持仓与成交均未载入", n, kMaxPositionRecords));
  for (int32_t i = 0; i < n; ++i) {
    if (!r.has(posSize)) return rd.lose(strPrintf("文件在第 %d 条持仓记录处截断，其后的持仓与成交未载入", i + 1));
    Position p;
    if (const char* why = readPosition(r, posSize, p))
      rd.skip("position", i, why, "持仓");
    else
      out.positions.push_back(std::move(p));
  }

  if (!r.has(4)) return rd.lose("文件在成交记录数处截断，成交未载入");
  int32_t m = r.i32();
  if (m < 0 || m > kMaxDealRecords) return rd.lose(strPrintf("成交记录数 %d 超出 0~%d，成交未载入", m, kMaxDealRecords));
  std::vector<int32_t> keptIndex;
  uint64_t whole = std::min<uint64_t>(uint64_t(m), r.left() / kDealSize);
  out.deals.reserve(size_t(whole));
  keptIndex.reserve(size_t(whole));
  for (int32_t i = 0; i < m; ++i) {
    if (!r.has(kDealSize)) return rd.lose(strPrintf("文件在第 %d 条成交记录处截断，其后的成交未载入", i + 1));
    Deal d;
    if (const char* why = readDeal(r, d)) {
      rd.skip("deal", i, why, "成交");
    } else {
      out.deals.push_back(std::move(d));
      keptIndex.push_back(i);
    }
  }
  readTrailer(r, m, keptIndex, out);
}

std::string encodeAccountFile(const Account& a, AccountFileKind kind) {
  std::string out;
  out.reserve(16 + a.positions.size() * 82 + 4 + a.deals.size() * (kDealSize + 8) + 16);
  ByteWriter w{out};
  w.raw(kind == AccountFileKind::Training ? "1ART" : "4CCA");
  w.f64(yuanOf(a.cashCents));
  w.i32(int32_t(a.positions.size()));
  for (const Position& p : a.positions) {
    w.i32(p.market);
    w.text(p.code, kCodeField);
    w.text(p.name, kNameField);
    w.i64(p.qty);
    w.f64(p.avgCost);
    w.i32(p.buyDate);
    w.i32(p.replayDate);
    w.i32(int32_t(std::clamp<int64_t>(p.boughtToday, 0, INT32_MAX)));
    w.f64(p.lastPrice);
  }
  w.i32(int32_t(a.deals.size()));
  for (const Deal& d : a.deals) {
    w.i32(d.time <= 0 ? 1 : 0);
    w.text(d.code, kCodeField);
    w.text(d.name, kNameField);
    w.i32(d.side);
    w.f64(d.price);
    w.i64(d.qty);
    w.f64(yuanOf(d.amountCents));
    w.f64(yuanOf(d.feeCents));
    w.i32(d.date);
    w.i32(d.time);
  }
  w.raw(kTrailerMagic);
  w.f64(yuanOf(a.baselineCents));
  w.i32(int32_t(a.deals.size()));
  for (const Deal& d : a.deals) w.i64(d.orderNo);
  return out;
}

}  // namespace zor
