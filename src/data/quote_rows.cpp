// The periodic refresh of the quote list's visible rows and the bound on the minute arrays
// that scrolling leaves behind.
#include <algorithm>

#include "data/formats.h"
#include "data/loaders.h"
#include "platform/file_io.h"

namespace zor {

namespace {

bool contains(const std::vector<int>& v, int i) { return std::find(v.begin(), v.end(), i) != v.end(); }

// The newest close of the instrument's .lc1 file becomes its latest price.
void refreshFromLc1Tail(const Market& m, StockRecord& rec) {
  std::string path = vipdocPath(m, rec, "minline", ".lc1");
  uint64_t size = 0;
  if (!fileSize(path, size) || size < kVipdocRecord) return;
  std::string bytes;
  uint64_t at = (size / kVipdocRecord - 1) * kVipdocRecord;  // the last whole record
  if (!readFileRange(path, at, kVipdocRecord, bytes) || bytes.size() != kVipdocRecord) return;
  int date = 0, time = 0;
  double close = 0;
  lc1DateAndClose(bytes.data(), date, time, close);
  if (!isPlausibleDate(date) || !(close > 0.01 && close < 10000.0)) return;
  rec.lastPrice = close;
  if (rec.prevClose > 0) rec.amplitude = (rec.high - rec.low) / rec.prevClose * 100.0;
}

}  // namespace

void refreshVisibleRows(Market& m, const std::vector<int>& rows, TradeMode mode, const std::vector<int>& owned) {
  uint64_t shown = ++m.minuteClock;
  for (int idx : rows) {
    if (!m.valid(idx)) continue;
    StockRecord& rec = m.stocks[size_t(idx)];
    if (!rec.dayLoaded && !contains(owned, idx)) loadDayBars(m, rec, mode);
    if (rec.minLoaded) rec.minUse = shown;
  }
  // Real-time mode takes minutes from the quote server and leaves the files alone.
  if (mode == TradeMode::RealTime) return;
  int budget = kMinuteLoadsPerTick;
  for (int idx : rows) {
    if (!m.valid(idx) || contains(owned, idx)) continue;
    StockRecord& rec = m.stocks[size_t(idx)];
    if (!rec.minLoaded) {
      if (budget <= 0) continue;
      --budget;
      loadMinuteBars(m, rec, mode);
    }
    if (rec.minLoaded && rec.hasLc1 && m.thsRoot.empty()) refreshFromLc1Tail(m, rec);
  }
}

void trimMinuteCache(Market& m, const std::vector<int>& inUse, const std::vector<int>& onScreen) {
  // 0: in use by a mode (never counted), 1: on screen (kept first), 2: the rest.
  std::vector<char> rank(m.stocks.size(), 2);
  auto mark = [&](int i, char r) {
    if (m.valid(i)) rank[size_t(i)] = std::min(rank[size_t(i)], r);
  };
  for (int i : inUse) mark(i, 0);
  for (int i : onScreen) mark(i, 1);
  struct Held {
    StockRecord* rec;
    char rank;
  };
  std::vector<Held> held;
  for (size_t i = 0; i < m.stocks.size(); ++i) {
    StockRecord& r = m.stocks[i];
    if (rank[i] != 0 && r.minLoaded && (!r.minAll.empty() || !r.minc.empty())) held.push_back({&r, rank[i]});
  }
  if (held.size() <= size_t(kMinuteArraysKept)) return;
  std::sort(held.begin(), held.end(), [](const Held& a, const Held& b) {
    return a.rank != b.rank ? a.rank < b.rank : a.rec->minUse > b.rec->minUse;
  });
  // Rows on screen are never released, even when there are more of them than the bound.
  for (size_t i = kMinuteArraysKept; i < held.size(); ++i) {
    if (held[i].rank == 1) continue;
    StockRecord& r = *held[i].rec;
    std::vector<MinuteBar>().swap(r.minAll);  // release the memory, not just the size
    std::vector<MinuteBar>().swap(r.minc);
    r.minLoaded = false;
    barsChanged(r);
  }
}

}  // namespace zor
