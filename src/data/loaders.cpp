// The instrument table: the scan of both directories, the listing rule, names, and the daily
// bars of one instrument.
#include "data/loaders.h"

#include <algorithm>

#include "platform/trace_log.h"
#include "data/formats.h"
#include "data/names.h"
#include "platform/file_io.h"
#include "platform/text.h"

namespace zor {

std::string datFilePath(const Market& m, std::string_view name) { return joinPath(m.dirs.datDir, name); }

std::string vipdocPath(const Market& m, const StockRecord& rec, const char* folder, const char* ext) {
  std::string dir = joinPath(joinPath(m.dirs.lc1Dir, rec.market == 1 ? "sh" : "sz"), folder);
  return joinPath(dir, fullCode(rec) + ext);
}

// ---------------------------------------------------------------------------------------------
// index.dat

void scanDatIndex(const std::string& datDir, UiServices& ui, StockScan& scan) {
  std::string path = joinPath(datDir, "index.dat");
  uint64_t size = 0;
  std::string head;
  if (!fileSize(path, size) || !readFileRange(path, 0, 8, head)) {
    ui.messageBox(strPrintf(kMsgIndexOpen, path.c_str()), kCaptionDataDir, MsgError | MsgTopmost);
    return;
  }
  // Only the entries that can be used are read: at most 200,000 at the stride of the layout.
  int32_t n = head.size() >= 8 ? int32_t(readU32(head.data() + 4)) : 0;
  std::string bytes;
  DatIndex index;
  if (!readFileRange(path, 0, datIndexReadLength(n, size), bytes)) {
    ui.messageBox(strPrintf(kMsgIndexOpen, path.c_str()), kCaptionDataDir, MsgError | MsgTopmost);
    return;
  }
  if (!parseDatIndex(bytes, size, index)) {
    ui.messageBox(kMsgIndexMagic, kCaptionDataDir, MsgError | MsgTopmost);
    return;
  }
  int maxDate = 0, badPrice = 0;
  for (const DatIndexEntry& e : index.entries) {
    if (!(e.lastClose > 0)) ++badPrice;
    maxDate = std::max(maxDate, e.lastDate);
    std::string key = marketKey(e.market, e.code);
    auto it = scan.map.find(key);
    StockRecord* rec = nullptr;
    if (it == scan.map.end()) {
      rec = &scan.map[key];
      rec->code = e.code;
      rec->market = e.market;
    } else {
      rec = &it->second;
    }
    rec->hasDat = true;
    rec->dataFile = cutUtf8(strPrintf("%d.%s.dat", e.market, e.code.c_str()), kDataFileMax);
    rec->name = e.name;
    rec->board = boardFor(e.market, e.code);
    rec->lastPrice = rec->open = rec->high = rec->low = e.lastClose;
    rec->prevClose = e.prevClose;
  }
  if (!index.entries.empty() && index.recSize != 57 && index.recSize != 61)
    traceLine("IDXDAT WARN recSize=%d", index.recSize);
  traceLine("IDXDAT entries=%d recSize=%d hasPrev=%d maxLastDate=%d badPrice=%d", int(index.entries.size()),
            index.recSize, index.hasPrev ? 1 : 0, maxDate, badPrice);
}

// ---------------------------------------------------------------------------------------------
// The table

void scanLc1Dir(Market& m, const std::string& lc1Dir, UiServices& ui, StockScan& scan) {
  if (!isDirectory(lc1Dir)) {
    ui.messageBox(strPrintf(kMsgLc1Missing, lc1Dir.c_str()), kCaptionDataDir, MsgError | MsgTopmost);
    return;
  }
  // A path is never cut: a shortened path would name another directory.
  scan.thsRoot = findThsRoot(lc1Dir);
  if (!scan.thsRoot.empty())
    scanThs(m, scan);
  else
    scanVipdoc(lc1Dir, scan);
}

bool passesListingRule(const StockRecord& rec, std::string& bare) {
  std::string_view c = rec.code;
  if (c.size() > 2 && (startsWith(c, "sh") || startsWith(c, "sz") || startsWith(c, "bj"))) c.remove_prefix(2);
  if (c.size() != 6 || !std::all_of(c.begin(), c.end(), [](char ch) { return ch >= '0' && ch <= '9'; }))
    return false;
  bool pattern = rec.market == 1 ? c[0] == '6' : rec.market == 0 && (startsWith(c, "00") || startsWith(c, "30"));
  auto ok = [](double p) { return p > 0 && p <= 10000000.0; };
  if (!pattern || !ok(rec.lastPrice) || !ok(rec.prevClose)) return false;
  bare = std::string(c);
  return true;
}

bool loadAllStocks(Market& m, const DataDirs& dirs, TradeMode mode, UiServices& ui) {
  bool datOk = !dirs.datDir.empty() && isDirectory(dirs.datDir);
  bool lc1Ok = !dirs.lc1Dir.empty() && isDirectory(dirs.lc1Dir);
  if (!datOk && !lc1Ok) {
    ui.messageBox(kMsgNoDataDir, kCaptionDataDir, MsgError | MsgTopmost);
    return false;
  }
  StockScan scan;
  if (datOk) scanDatIndex(dirs.datDir, ui, scan);
  if (lc1Ok) scanLc1Dir(m, dirs.lc1Dir, ui, scan);

  std::vector<StockRecord> table;
  table.reserve(scan.map.size());
  for (auto& [key, rec] : scan.map) {
    std::string bare;
    if (!passesListingRule(rec, bare)) continue;
    rec.code = bare;
    table.push_back(std::move(rec));
  }
  for (size_t i = 0; i < table.size(); ++i) table[i].index = int(i);

  // Names: index.dat, then the built-in table and stock_names.txt, each overriding.
  if (datOk) loadIndexNames(dirs.datDir, m.names);
  loadExtraNames(dirs.exeDir, m.names);
  for (StockRecord& rec : table) {
    auto it = m.names.find(rec.code);
    if (it != m.names.end()) rec.name = cutUtf8(it->second, kNameMax);
  }
  table.erase(std::remove_if(table.begin(), table.end(),
                             [](const StockRecord& r) { return r.name.find("指数") != std::string::npos; }),
              table.end());

  // An empty table would leave nothing to show or train on: keep the old one.
  if (table.empty()) {
    ui.messageBox(kMsgNothingFound, kCaptionNoData, MsgWarning | MsgTopmost);
    return false;
  }
  m.stocks = std::move(table);
  m.dirs = dirs;
  m.thsRoot = scan.thsRoot;
  size_t first = std::min<size_t>(kDayBarsAtStart, m.stocks.size());
  for (size_t i = 0; i < first; ++i) loadDayBars(m, m.stocks[i], mode);
  return true;
}

// ---------------------------------------------------------------------------------------------
// Daily bars

namespace {

constexpr uint64_t kDayFileMax = 64ull << 20;

void readDatDays(const Market& m, const StockRecord& rec, std::vector<DayBar>& out) {
  std::string path = datFilePath(m, rec.dataFile);
  std::string head;
  DatHeader h;
  if (!readFileRange(path, 0, kDatHeader, head) || !parseDatHeader(head, h)) return;
  if (h.dayCount < 1 || h.dayCount > kMaxEntries) return;
  uint64_t want = uint64_t(h.dayCount) * kDatDayRecord;
  std::string bytes;
  if (!readFileRange(path, kDatHeader, want, bytes) || bytes.size() != want) return;
  decodeDatDays(bytes, out);
}

void readVipdocDays(const Market& m, const StockRecord& rec, std::vector<DayBar>& out) {
  std::string bytes;
  if (!readFileRange(vipdocPath(m, rec, "lday", ".day"), 0, kDayFileMax, bytes)) return;
  decodeDayRecords(bytes, out);
}

struct SourcedBar {
  DayBar bar;
  bool vipdoc;
};

}  // namespace

void loadDayBars(const Market& m, StockRecord& rec, TradeMode mode) {
  if (rec.dayLoaded) return;
  if ((!rec.hasDat && !rec.hasLc1) || (!m.thsRoot.empty() && !rec.hasDat)) {
    rec.dayLoaded = true;  // such an instrument gets its daily bars from its minutes
    return;
  }
  std::vector<DayBar> dat, vip;
  if (rec.hasDat) readDatDays(m, rec, dat);
  // A THS directory has no .day files.
  if (rec.hasLc1 && m.thsRoot.empty()) readVipdocDays(m, rec, vip);

  std::vector<SourcedBar> all;
  all.reserve(dat.size() + vip.size());
  for (const DayBar& b : dat) all.push_back({b, false});
  for (const DayBar& b : vip) all.push_back({b, true});
  // Stable: of two bars with one date the vipdoc bar comes last and is kept, unless it is
  // the only one of them without valid prices.
  std::stable_sort(all.begin(), all.end(),
                   [](const SourcedBar& a, const SourcedBar& b) { return a.bar.dateText() < b.bar.dateText(); });
  std::vector<DayBar> k;
  k.reserve(all.size());
  for (const SourcedBar& s : all) {
    if (!k.empty() && k.back().dateText() == s.bar.dateText()) {
      if (isValidBar(s.bar) || !isValidBar(k.back())) k.back() = s.bar;
    } else {
      k.push_back(s.bar);
    }
  }
  rec.k = std::move(k);
  barsChanged(rec);
  buildQuoteSnapshot(rec, mode);
  rec.dayLoaded = true;
}

}  // namespace zor
