// zorcli list: the instrument table as loadAllStocks builds it.
#include "zorcli.h"

#include "platform/text.h"

namespace zor::cli {

int cmdList(const Options& opt) {
  if (!opt.positional.empty()) {
    err("list 不接受参数: " + opt.positional[0]);
    return kExitUsage;
  }
  Session s;
  if (!openSession(s, opt)) return kExitFailure;
  out("index,code,market,name,board,lastPrice,prevClose");
  for (const StockRecord& r : s.market.stocks) {
    out(strPrintf("%d,%s,%d,%s,%s,%s,%s", r.index, csvField(r.code).c_str(), r.market, csvField(r.name).c_str(),
                  csvField(r.board).c_str(), csvNumber(r.lastPrice).c_str(), csvNumber(r.prevClose).c_str()));
  }
  return kExitOk;
}

}  // namespace zor::cli
