#include "trading/trading_state.h"

#include <unordered_map>

#include "platform/file_io.h"
#include "platform/text.h"
#include "platform/ui.h"

namespace zor {

namespace {

// Largest file each reader looks at: well above the biggest valid file (about 106 MB for an
// account with the most records, 15 MB for the book).
constexpr uint64_t kAccountReadMax = 128ull << 20;
constexpr uint64_t kBookReadMax = 16ull << 20;

AccountFileKind kindOf(int file) {
  return file == FileTrainAccount ? AccountFileKind::Training : AccountFileKind::Account;
}

// A free name "<file>.bad-YYYYMMDD-HHMMSS" (with "-2", "-3", ... when taken).
std::string asideName(const std::string& dir, const char* file, const LocalTime& t) {
  std::string base = strPrintf("%s.bad-%04d%02d%02d-%02d%02d%02d", file, t.year, t.month, t.day, t.hour, t.minute,
                               t.second);
  std::string name = base;
  for (int n = 2; fileExists(joinPath(dir, name)) && n < 1000; ++n) name = base + "-" + std::to_string(n);
  return name;
}

// Reads one file; false when it does not exist.
bool readTradingFile(const std::string& path, uint64_t maxBytes, std::string& bytes, FileReport& report) {
  if (!fileExists(path)) return false;
  if (!readFileRange(path, 0, maxBytes, bytes)) {
    report.present = true;
    report.damaged = true;
    report.lost.push_back("文件无法读取");
  }
  return true;
}

void noteDamage(TradingState& s, int file, const FileReport& report, const LocalTime& now, TradingLoad& load) {
  load.trace.insert(load.trace.end(), report.trace.begin(), report.trace.end());
  if (!report.damaged) return;
  const char* name = tradingFileName(file);
  std::string aside = asideName(s.dir, name, now);
  s.keepAside[size_t(file)] = joinPath(s.dir, aside);
  const char* fmt = file == FileOrderBook
                        ? "委托记录文件 %s 已损坏，已载入其中可读的部分；原文件将在首次保存前改名为 %s 保留。"
                        : "账户文件 %s 已损坏，已载入其中可读的部分；原文件将在首次保存前改名为 %s 保留。";
  load.warnings.push_back(strPrintf(fmt, name, aside.c_str()));
  for (const std::string& line : report.lost) load.trace.push_back(strPrintf("TRADEFILE damaged file=%s %s", name, line.c_str()));
}

void loadAccount(TradingState& s, int mode, const LocalTime& now, TradingLoad& load) {
  int file = accountFile(mode);
  Account& a = s.accounts[size_t(mode)];
  clearAccount(a);
  std::string bytes;
  FileReport report;
  if (!readTradingFile(joinPath(s.dir, tradingFileName(file)), kAccountReadMax, bytes, report)) return;
  if (!report.damaged) decodeAccountFile(bytes, kindOf(file), tradingFileName(file), a, report);
  noteDamage(s, file, report, now, load);
}

// Puts the two files back in step after an interrupted save: the account is always written
// before the book, so a resting order whose number has a deal did fill; and no new order may
// take a number a deal already carries.
void reconcile(TradingState& s, TradingLoad& load) {
  int64_t largest = 0;
  std::array<std::unordered_map<int64_t, const Deal*>, kModeCount> byNo;
  for (int m = 0; m < kModeCount; ++m) {
    for (const Deal& d : s.accounts[size_t(m)].deals) {
      if (d.orderNo <= 0) continue;
      byNo[size_t(m)].emplace(d.orderNo, &d);
      largest = std::max(largest, d.orderNo);
    }
  }
  for (Order& o : s.book.orders) {
    if (o.status != OrderResting) continue;
    auto it = byNo[size_t(o.mode)].find(o.orderNo);
    if (it == byNo[size_t(o.mode)].end()) continue;
    o.status = OrderFilled;
    o.filledQty = o.qty;
    o.filledAmountCents = it->second->amountCents;
    o.refPrice = it->second->price;
    load.trace.push_back(strPrintf("ORDERS filled-by-deal orderNo=%lld mode=%d", (long long)o.orderNo, o.mode));
  }
  if (largest + 1 > s.book.nextOrderNo) s.book.nextOrderNo = largest + 1;
}

bool writeTradingFile(TradingState& s, int file, std::string_view bytes) {
  std::string path = joinPath(s.dir, tradingFileName(file));
  std::string& aside = s.keepAside[size_t(file)];
  if (!aside.empty()) {
    // Copy rather than move, so that the target never goes missing if the write then fails.
    if (fileExists(path) && !copyFile(path, aside) && !renameFile(path, aside)) return false;
    aside.clear();
  }
  return writeFileAtomic(path, bytes);
}

}  // namespace

const char* tradingFileName(int file) {
  switch (file) {
    case FileHistAccount: return "account_hist.dat";
    case FileLiveAccount: return "account_live.dat";
    case FileTrainAccount: return "train_account.dat";
    default: return "trade_orders.dat";
  }
}

int accountFile(int mode) {
  if (mode == ModeLive) return FileLiveAccount;
  if (mode == ModeTraining) return FileTrainAccount;
  return FileHistAccount;
}

Account& currentAccount(TradingState& s, int tradeTab) { return s.accounts[size_t(modeOfTab(tradeTab))]; }
const Account& currentAccount(const TradingState& s, int tradeTab) {
  return s.accounts[size_t(modeOfTab(tradeTab))];
}

int64_t availableCash(const TradingState& s, int mode) {
  const Account& a = s.accounts[size_t(mode)];
  int64_t reserved = 0;
  for (const Order& o : s.book.orders) {
    if (o.status != OrderResting || o.mode != mode || o.side != 0) continue;
    int64_t amount = 0;
    if (amountCents(o.price, o.qty, amount)) reserved += amount + computeFees(amount, false, o.code, a.feeModel).totalFee;
  }
  return a.cashCents - reserved;
}

std::string setTradeRule(TradingState& s, bool tPlusOne) {
  s.tPlusOne = tPlusOne;
  return strPrintf("交易规则已切换为 %s", tPlusOne ? "T+1（当日买入不可卖）" : "T+0（当日可回转）");
}

TradingLoad loadTrading(TradingState& s, const std::string& dir, const LocalTime& now) {
  TradingLoad load;
  s.dir = dir;
  s.keepAside = {};
  s.unsavedFills = {};
  loadAccount(s, ModeLive, now, load);
  loadAccount(s, ModeHistory, now, load);
  {
    std::string bytes;
    FileReport report;
    s.book.orders.clear();
    if (readTradingFile(joinPath(dir, tradingFileName(FileOrderBook)), kBookReadMax, bytes, report) &&
        !report.damaged)
      decodeOrderBook(bytes, tradingFileName(FileOrderBook), s.book, report);
    noteDamage(s, FileOrderBook, report, now, load);
  }
  loadAccount(s, ModeTraining, now, load);
  reconcile(s, load);
  return load;
}

bool saveAccountFile(TradingState& s, int mode) {
  int file = accountFile(mode);
  bool ok = writeTradingFile(s, file, encodeAccountFile(s.accounts[size_t(mode)], kindOf(file)));
  if (ok) s.unsavedFills[size_t(mode)] = false;
  return ok;
}

bool saveAccounts(TradingState& s) {
  bool live = saveAccountFile(s, ModeLive);
  bool hist = saveAccountFile(s, ModeHistory);
  return live && hist;
}

bool saveTrainAccount(TradingState& s) { return saveAccountFile(s, ModeTraining); }

bool saveOrderBook(TradingState& s) {
  for (int m = 0; m < kModeCount; ++m)
    if (s.unsavedFills[size_t(m)] && !saveAccountFile(s, m)) return false;
  return writeTradingFile(s, FileOrderBook, encodeOrderBook(s.book));
}

std::string withSaveNotes(std::string message, bool accountSaved, bool bookSaved) {
  if (!accountSaved) message += "（账户文件保存失败）";
  if (!bookSaved) message += "（委托记录保存失败）";
  return message;
}

int cancelResting(TradingState& s, int mode) {
  int n = 0;
  for (Order& o : s.book.orders) {
    if (o.status == OrderResting && o.mode == mode) {
      o.status = OrderCancelled;
      ++n;
    }
  }
  return n;
}

std::string resetModeAccount(TradingState& s, int mode) {
  int cancelled = cancelResting(s, mode);
  clearAccount(s.accounts[size_t(mode)]);
  bool accountSaved = saveAccountFile(s, mode);
  bool bookSaved = cancelled == 0 || saveOrderBook(s);
  return withSaveNotes("", accountSaved, bookSaved);
}

bool resetAccount(TradingState& s, UiServices& ui, int tradeTab, std::string& status) {
  int mode = modeOfTab(tradeTab);
  const char* modeName = mode == ModeLive ? "实时交易" : mode == ModeTraining ? "训练模式" : "历史训练";
  std::string question = strPrintf(
      "确定要重置【%s】账户吗？\n\n此操作将清空该模式账户的全部持仓和交易记录，现金恢复为初始 100 万，且不可恢复！\n"
      "（另外两个模式的账户不受影响）\n\n【是】确认重置    【否】取消",
      modeName);
  if (ui.messageBox(question, "重置账户确认", MsgWarning | MsgYesNo) != ResultYes) return false;
  int cancelled = cancelResting(s, mode);
  clearAccount(s.accounts[size_t(mode)]);
  bool accountsSaved = true;
  for (int m = 0; m < kModeCount; ++m) accountsSaved = saveAccountFile(s, m) && accountsSaved;
  bool bookSaved = cancelled == 0 || saveOrderBook(s);
  status = withSaveNotes("账户已重置（当前模式持仓/记录已清空）", accountsSaved, bookSaved);
  return true;
}

std::string oneKeyReset(TradingState& s) {
  s.book.orders.clear();
  s.book.fills.clear();
  clearAccount(s.accounts[ModeHistory]);
  clearAccount(s.accounts[ModeLive]);
  bool accountsSaved = saveAccounts(s);
  bool bookSaved = saveOrderBook(s);
  return withSaveNotes("已一键重置：交易记录与持仓已清空，资金还原为 100 万", accountsSaved, bookSaved);
}

}  // namespace zor
