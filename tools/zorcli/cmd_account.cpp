// zorcli account FILE: an account file (account_hist.dat, account_live.dat, train_account.dat
// or a backup of one) as CSV, read as the program reads it at start-up.
#include "platform/file_io.h"
#include "platform/text.h"
#include "trading/account_file.h"
#include "zorcli.h"

namespace zor::cli {

std::string fileBaseName(const std::string& path) {
  size_t cut = path.find_last_of("/\\");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

bool readTradingFile(const std::string& path, uint64_t maxBytes, std::string& bytes) {
  if (fileExists(path) && readFileRange(path, 0, maxBytes, bytes)) return true;
  err("无法读取文件: " + path);
  return false;
}

void reportLosses(const std::string& path, const FileReport& report) {
  if (!report.damaged) return;
  std::string name = fileBaseName(path);
  err(name + ": 文件已损坏，以下内容未能载入");
  for (const std::string& line : report.lost) err(name + ": " + line);
}

int cmdAccount(const Options& opt) {
  if (opt.positional.size() != 1) {
    err("account 需要一个文件参数");
    return kExitUsage;
  }
  const std::string& path = opt.positional[0];
  std::string bytes;
  if (!readTradingFile(path, 128ull << 20, bytes)) return kExitFailure;
  Account a;
  FileReport report;
  decodeAccountFile(bytes, AccountFileKind::Any, fileBaseName(path), a, report);

  out("account,file,magic,cash,baseline,positions,deals");
  out(strPrintf("account,%s,%s,%s,%s,%zu,%zu", csvField(fileBaseName(path)).c_str(), csvField(report.magic).c_str(),
                centsText(a.cashCents).c_str(), centsText(a.baselineCents).c_str(), a.positions.size(), a.deals.size()));
  out("position,index,market,code,name,qty,avgCost,buyDate,replayDate,lastPrice");
  for (size_t i = 0; i < a.positions.size(); ++i) {
    const Position& p = a.positions[i];
    out(strPrintf("position,%zu,%d,%s,%s,%lld,%s,%d,%d,%s", i, p.market, csvField(p.code).c_str(),
                  csvField(p.name).c_str(), (long long)p.qty, csvNumber(p.avgCost).c_str(), p.buyDate, p.replayDate,
                  csvNumber(p.lastPrice).c_str()));
  }
  out("deal,index,orderNo,date,time,code,name,side,price,qty,amount,fee");
  for (size_t i = 0; i < a.deals.size(); ++i) {
    const Deal& d = a.deals[i];
    out(strPrintf("deal,%zu,%lld,%d,%d,%s,%s,%d,%s,%lld,%s,%s", i, (long long)d.orderNo, d.date, d.time,
                  csvField(d.code).c_str(), csvField(d.name).c_str(), d.side, csvNumber(d.price).c_str(),
                  (long long)d.qty, centsText(d.amountCents).c_str(), centsText(d.feeCents).c_str()));
  }
  reportLosses(path, report);
  return kExitOk;
}

}  // namespace zor::cli
