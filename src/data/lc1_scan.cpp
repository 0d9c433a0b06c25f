// The lc1 directory scans: vipdoc (sh|sz\lday\*.day) and THS (shase|sznse|stb\min\*.min), and
// the THS file readers.
#include <algorithm>

#include "platform/trace_log.h"
#include "data/formats.h"
#include "data/loaders.h"
#include "data/names.h"
#include "platform/file_io.h"
#include "platform/text.h"

namespace zor {

namespace {

// The code of a directory entry "<code>.ext": names of 5 to 13 bytes, the last four dropped.
bool entryCode(const DirEntry& e, std::string& code) {
  if (e.isDirectory || e.name.size() < 5 || e.name.size() > 13) return false;
  code = e.name.substr(0, e.name.size() - 4);
  return true;
}

// Quote of a vipdoc-only instrument from the last records of its .day file: the last valid
// bar gives the latest prices, the valid bar of the date before it the previous close.
void quoteFromDayTail(const std::string& path, StockRecord& rec) {
  constexpr uint64_t kTailRecords = 16;
  uint64_t size = 0;
  if (!fileSize(path, size) || size < kVipdocRecord) return;
  uint64_t records = size / kVipdocRecord;
  uint64_t first = records > kTailRecords ? records - kTailRecords : 0;
  std::string bytes;
  if (!readFileRange(path, first * kVipdocRecord, (records - first) * kVipdocRecord, bytes)) return;
  std::vector<DayBar> bars;
  decodeDayRecords(bytes, bars);
  const DayBar* last = nullptr;
  const DayBar* prev = nullptr;
  for (size_t i = bars.size(); i-- > 0;) {
    if (!isValidBar(bars[i])) continue;
    if (!last) {
      last = &bars[i];
    } else if (bars[i].dateText() != last->dateText()) {
      prev = &bars[i];
      break;
    }
  }
  if (!last) return;
  rec.lastPrice = last->close;
  rec.open = last->open;
  rec.high = last->high;
  rec.low = last->low;
  rec.prevClose = prev ? prev->close : last->close;
}

}  // namespace

void scanVipdoc(const std::string& lc1Dir, StockScan& scan) {
  struct Folder {
    const char* name;
    int market;
  };
  for (Folder f : {Folder{"sz", 0}, Folder{"sh", 1}}) {
    std::string dir = joinPath(joinPath(lc1Dir, f.name), "lday");
    for (const DirEntry& e : listDirectory(dir, "*.day")) {
      std::string code;
      if (!entryCode(e, code)) continue;
      std::string key = marketKey(f.market, code);
      auto it = scan.map.find(key);
      if (it != scan.map.end()) {
        it->second.hasLc1 = true;
        continue;
      }
      StockRecord rec;
      rec.code = code;
      rec.name = code;
      rec.market = f.market;
      rec.board = boardFor(f.market, code);
      rec.dataFile = cutUtf8(code, kDataFileMax);
      rec.hasLc1 = true;
      // Without a quote the listing rule would drop every vipdoc-only instrument.
      quoteFromDayTail(joinPath(dir, e.name), rec);
      scan.map.emplace(std::move(key), std::move(rec));
    }
  }
}

std::string findThsRoot(const std::string& dir) {
  static const char* const kFolders[] = {"shase", "sznse", "stb"};
  for (const char* f : kFolders)
    if (isDirectory(joinPath(joinPath(dir, f), "min"))) return dir;
  std::string history = joinPath(dir, "history");
  for (const char* f : kFolders)
    if (isDirectory(joinPath(joinPath(history, f), "min"))) return history;
  return {};
}

bool readThsMin(const std::string& path, std::vector<MinuteBar>& bars) {
  bars.clear();
  uint64_t size = 0;
  if (!fileSize(path, size) || size < kThsMinSize || size > kThsMaxSize) return false;
  std::string bytes;
  if (!readFile(path, bytes, kThsMaxSize) || bytes.size() != size) return false;
  return decodeThsMin(bytes, bars);
}

bool probeThsClose(const std::string& path, double& last, double& prev) {
  last = prev = 0;
  uint64_t size = 0;
  if (!fileSize(path, size) || size < 64) return false;
  std::string head;
  if (!readFileRange(path, 0, std::min<uint64_t>(size, 4096), head)) return false;
  ThsLayout layout;
  if (!parseThsHeader(head, size, true, layout)) return false;
  uint64_t offset = 0, length = 0;
  thsTailRange(layout, offset, length);
  std::string tail;
  if (offset + length <= head.size()) {
    tail = head.substr(size_t(offset), size_t(length));  // a small file: the first read has it all
  } else if (!readFileRange(path, offset, length, tail)) {
    return false;
  }
  return thsCloses(tail, layout, last, prev);
}

void scanThs(Market& data, StockScan& scan) {
  // The names belong to the root they were read from.
  if (!data.thsNamesLoaded || data.thsNamesRoot != scan.thsRoot) {
    data.thsNames.clear();
    loadThsNames(scan.thsRoot, data.thsNames);
    data.thsNamesRoot = scan.thsRoot;
    data.thsNamesLoaded = true;
  }
  struct Folder {
    const char* name;
    int market;
  };
  int scanned = 0, hits = 0, added = 0, notStock = 0, noPrice = 0;
  for (Folder f : {Folder{"shase", 1}, Folder{"sznse", 0}, Folder{"stb", 0}}) {
    std::string dir = joinPath(joinPath(scan.thsRoot, f.name), "min");
    for (const DirEntry& e : listDirectory(dir, "*.min")) {
      std::string code;
      if (!entryCode(e, code)) continue;
      ++scanned;
      bool stock = f.market == 1 ? code[0] == '6'
                                 : code.size() >= 2 && (code[0] == '0' || code[0] == '3') && code[1] == '0';
      if (!stock) {
        ++notStock;
        continue;
      }
      std::string rel = cutUtf8(strPrintf("%s\\min\\%s", f.name, code.c_str()), kMinFileMax);
      std::string key = marketKey(f.market, code);
      auto it = scan.map.find(key);
      if (it != scan.map.end()) {
        it->second.hasLc1 = true;
        it->second.minFile = rel;
        ++hits;
        continue;
      }
      double last = 0, prev = 0;
      if (!probeThsClose(joinPath(dir, e.name), last, prev)) {
        ++noPrice;
        continue;
      }
      StockRecord rec;
      rec.code = code;
      auto name = data.thsNames.find(code);
      rec.name = (name != data.thsNames.end() && name->second.size() < kNameMax) ? name->second : code;
      rec.market = f.market;
      rec.board = boardFor(f.market, code);
      rec.lastPrice = rec.open = rec.high = rec.low = last;
      rec.prevClose = prev;
      rec.hasLc1 = true;
      rec.dataFile = cutUtf8(rel, kDataFileMax);
      rec.minFile = rel;
      scan.map.emplace(std::move(key), std::move(rec));
      ++added;
    }
  }
  if (scanned == 0)
    traceLine("THSSCAN 未扫描到任何 .min（目录=%s）", scan.thsRoot.c_str());
  else
    traceLine("THSSCAN 扫描=%d 命中DAT(可合分钟)=%d 新增=%d 非个股码跳过=%d 取价失败=%d", scanned, hits, added,
              notStock, noPrice);
}

}  // namespace zor
