// The periodic refresh of the quote list's visible rows and the bound on the minute arrays
// that scrolling leaves behind.
#include <algorithm>

#include "app/app_state.h"
#include "data/formats.h"
#include "data/loaders.h"
#include "platform/file_io.h"

namespace zor {

namespace {

constexpr int kListHeader = 22, kListRow = 22;

bool validIndex(const AppState& app, int i) { return i >= 0 && size_t(i) < app.stocks.size(); }

// Instruments whose quote belongs to a running mode rather than to the files: the live
// instrument in real-time mode, the replayed one during a replay or a date view, the game
// instrument during a game.
bool quoteOwnedElsewhere(const AppState& app, int idx) {
  if (app.tradeMode == 0 && idx == app.liveStockIdx) return true;
  if ((app.training || app.dateView) && idx == (app.replayStockIdx >= 0 ? app.replayStockIdx : app.curIdx))
    return true;
  return app.train.active && idx == app.train.stockIdx;
}

// The newest close of the instrument's .lc1 file becomes its latest price.
void refreshFromLc1Tail(AppState& app, StockRecord& rec) {
  std::string path = vipdocPath(app, rec, "minline", ".lc1");
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

int visibleListRows(const AppState& app) { return std::max(1, (app.listHeight - kListHeader) / kListRow); }

std::vector<int> visibleInstruments(const AppState& app) {
  std::vector<int> out;
  int count = int(app.stocks.size());
  int top = std::clamp(app.listTop, 0, count);
  int end = std::min(count, top + visibleListRows(app));
  // Instruments appended after the last sort sit at the end of the view order, beyond the
  // sorted positions.
  for (int pos = top; pos < end; ++pos) {
    int idx = size_t(pos) < app.listOrder.size() ? app.listOrder[size_t(pos)] : pos;
    if (validIndex(app, idx)) out.push_back(idx);
  }
  return out;
}

void refreshVisibleRows(AppState& app) {
  if (!app.listView || app.stocks.empty() || app.listWidth <= 0) return;
  std::vector<int> rows = visibleInstruments(app);
  uint64_t shown = ++app.data.minuteClock;
  for (int idx : rows) {
    StockRecord& rec = app.stocks[size_t(idx)];
    if (!rec.dayLoaded && !quoteOwnedElsewhere(app, idx)) loadDayBars(rec, app);
    if (rec.minLoaded) rec.minUse = shown;
  }
  // Real-time mode takes minutes from the quote server and leaves the files alone.
  if (app.tradeMode == 0) return;
  int budget = kMinuteLoadsPerTick;
  for (int idx : rows) {
    StockRecord& rec = app.stocks[size_t(idx)];
    if (quoteOwnedElsewhere(app, idx)) continue;
    if (!rec.minLoaded) {
      if (budget <= 0) continue;
      --budget;
      loadMinuteBars(rec, app);
    }
    if (rec.minLoaded && rec.hasLc1 && app.data.thsRoot.empty()) refreshFromLc1Tail(app, rec);
  }
}

void trimMinuteCache(AppState& app) {
  // 0: in use by a mode (never counted), 1: on screen (kept first), 2: the rest.
  std::vector<char> rank(app.stocks.size(), 2);
  auto mark = [&](int i, char r) {
    if (validIndex(app, i)) rank[size_t(i)] = std::min(rank[size_t(i)], r);
  };
  mark(app.curIdx, 0);
  mark(app.liveStockIdx, 0);
  if (app.train.active) mark(app.train.stockIdx, 0);
  mark(app.replayStockIdx, 0);
  if (app.listView)
    for (int i : visibleInstruments(app)) mark(i, 1);
  struct Held {
    StockRecord* rec;
    char rank;
  };
  std::vector<Held> held;
  for (size_t i = 0; i < app.stocks.size(); ++i) {
    StockRecord& r = app.stocks[i];
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
  }
}

}  // namespace zor
