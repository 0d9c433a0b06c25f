// zorcli orders FILE: the order book trade_orders.dat (or a backup of it) as CSV, read as the
// program reads it at start-up.
#include "platform/text.h"
#include "trading/order_book.h"
#include "zorcli.h"

namespace zor::cli {

int cmdOrders(const Options& opt) {
  if (opt.positional.size() != 1) {
    err("orders 需要一个文件参数");
    return kExitUsage;
  }
  const std::string& path = opt.positional[0];
  std::string bytes;
  if (!readTradingFile(path, 16ull << 20, bytes)) return kExitFailure;
  std::string name = fileBaseName(path);
  OrderBook book;
  FileReport report;
  decodeOrderBook(bytes, name, book, report);

  out("book,file,magic,orders,nextOrderNo");
  out(strPrintf("book,%s,%s,%zu,%lld", csvField(name).c_str(), csvField(report.magic).c_str(), book.orders.size(),
                (long long)book.nextOrderNo));
  out("order,orderNo,code,name,side,price,refPrice,qty,filledQty,filledAmount,status,statusText,date,time,mode,"
      "holderText,channelText");
  for (const Order& o : book.orders) {
    out(strPrintf("order,%lld,%s,%s,%d,%s,%s,%lld,%lld,%s,%d,%s,%d,%d,%d,%s,%s", (long long)o.orderNo,
                  csvField(o.code).c_str(), csvField(o.name).c_str(), o.side, csvNumber(o.price).c_str(),
                  csvNumber(o.refPrice).c_str(), (long long)o.qty, (long long)o.filledQty,
                  centsText(o.filledAmountCents).c_str(), o.status, orderStatusWord(o.status), o.date, o.time, o.mode,
                  csvField(o.holderText).c_str(), csvField(o.channelText).c_str()));
  }
  reportLosses(path, report);
  return kExitOk;
}

}  // namespace zor::cli
