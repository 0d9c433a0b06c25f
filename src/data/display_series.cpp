// The display series and the synthetic intraday shape of days without minute bars.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <list>
#include <mutex>

#include "platform/trace_log.h"
#include "data/series.h"

namespace zor {

namespace {

std::atomic<uint64_t> gSynthesized{0};

// The memory of one dropped series that nobody held any more, lent to the next minute series
// built: over a long history a series is over 100 MB, and writing into fresh pages costs more
// than building the bars. It holds capacity only, never bars another series could show.
constexpr size_t kSpareBytes = 192ull << 20;
std::mutex gSpareLock;
std::vector<DayBar> gSpare;

// An empty vector with room for `bars`: the spare when it fits without wasting more than
// half of itself, else a new one.
std::vector<DayBar> takeSpare(size_t bars) {
  std::vector<DayBar> v;
  {
    std::lock_guard<std::mutex> lock(gSpareLock);
    if (gSpare.capacity() >= bars && gSpare.capacity() / 2 <= bars) v.swap(gSpare);
  }
  v.clear();
  v.reserve(bars);
  return v;
}

// Keeps the memory of a series the memo drops, when nothing else holds it.
void keepSpare(std::shared_ptr<const std::vector<DayBar>>&& dropped) {
  if (!dropped || dropped.use_count() != 1) return;
  auto& v = const_cast<std::vector<DayBar>&>(*dropped);
  if (v.capacity() * sizeof(DayBar) > kSpareBytes) return;
  std::lock_guard<std::mutex> lock(gSpareLock);
  if (v.capacity() > gSpare.capacity()) gSpare.swap(v);
}

// Integer hashing on unsigned 32-bit values with wrap-around: the shape of a day depends on
// nothing but its own figures and date.
uint32_t hash32(uint32_t x) { return (x ^ (x >> 13)) * 1274126177u; }
double unit(uint32_t x) {
  uint32_t h = hash32(x);
  return double((h ^ (h >> 16)) & 0xFFFFu) / 65535.0;
}

// Minute time of synthetic bar j: 09:31..11:30, then 13:01..15:00.
int synthTime(int j) { return j <= 119 ? j + 571 : j + 661; }

}  // namespace

int synthesizeMinutes(const DayBar& day, MinuteBar (&out)[240]) {
  const double O = day.open, H = day.high, L = day.low, C = day.close, V = day.volume, A = day.amount;
  if (!(O > 0) || !(H > 0) || !(L > 0) || !(C > 0) || H < L) return 0;
  const int D = day.dateInt();
  const uint32_t E = uint32_t(D) * 1640531535u;
  for (int j = 0; j < 240; ++j) {
    out[j].date = D;
    out[j].time = synthTime(j);
  }
  if (H - L <= 1e-9) {
    for (MinuteBar& m : out) {
      m.open = m.high = m.low = m.close = float(O);
      m.volume = V / 240.0;
      m.amount = A / 240.0;
    }
    return 240;
  }

  // A random walk from the open towards the close, reflected at the day's high and low.
  double P[241];
  P[0] = O;
  const double S = (H - L) * 0.038;
  double momentum = 0;
  for (int s = 1; s <= 240; ++s) {
    uint32_t x = uint32_t(s) * 40503u - E;
    double noise = (2.0 * unit(x) - 1.0) * S * (0.9 * std::fabs(2.0 * s / 240.0 - 1.0) + 0.55);
    if (unit(x + 314991831u) > 0.98) noise *= 2.5;  // a spike
    momentum = 0.45 * momentum + noise;
    double drift = 240 - s > 0 ? (C - P[s - 1]) / double(240 - s) * 0.35 : 0.0;
    double y = P[s - 1] + drift + momentum;
    if (y > H) y = H - (y - H) * 0.45;
    if (y < L) y = L + (L - y) * 0.45;
    P[s] = y;
  }
  P[0] = O;
  P[240] = C;

  // U-shaped volume: heavier near the open and the close.
  double W[240];
  double T = 0;
  for (int i = 0; i < 240; ++i) {
    W[i] = (1.3 * std::fabs(2.0 * i / 239.0 - 1.0) + 0.35) * (1.3 * unit(uint32_t(i + 4000) * 40503u - E) + 0.35);
    T += W[i];
  }

  for (int j = 0; j < 240; ++j) {
    double open = P[j], close = P[j + 1], r = std::fabs(close - open);
    double u1 = unit(uint32_t(2 * j + 1) * 40503u - E);
    double high = std::min(H, std::max(open, close) + (1.25 * u1 * u1 + 0.05) * r);
    double u2 = unit(uint32_t(2 * j + 2) * 40503u - E);
    double low = std::max(L, std::min(open, close) - (1.25 * u2 * u2 + 0.05) * r);
    MinuteBar& m = out[j];
    m.open = float(open), m.high = float(high), m.low = float(low), m.close = float(close);
    m.volume = T > 0 ? V * W[j] / T : 0.0;
    m.amount = T > 0 ? A * W[j] / T : 0.0;
  }
  return 240;
}

void synthesizeDay(const DayBar& day, int period, std::vector<DayBar>& out) {
  MinuteBar minutes[240];
  int n = synthesizeMinutes(day, minutes);
  if (n == 0) return;
  int used = isMinutePeriod(period) ? period : PeriodMin1;
  size_t first = out.size();
  appendMinuteBars(minutes, size_t(n), used, out);

  uint64_t before = gSynthesized.fetch_add(1);
  if (before % 512 == 0 && out.size() > first) {
    double sum = 0;
    int count = 0;
    for (size_t i = first; i < out.size(); ++i) {
      double range = out[i].high - out[i].low;
      if (range > 1e-9) {
        sum += std::fabs(out[i].close - out[i].open) / range;
        ++count;
      }
    }
    traceLine("SYNTH shape day=%s period=%d bars=%d meanShape=%.3f (target 0.35~0.75)",
              std::string(day.dateText()).c_str(), used, count, count > 0 ? sum / count : 0.0);
  }
}

uint64_t synthesizedDayCount() { return gSynthesized.load(); }

std::vector<DayBar> daySeries(const DayBar& day, const std::vector<MinuteBar>& minAll, int date, int period) {
  // minAll is ascending by (date, time): the day's bars are one run.
  auto lo = std::lower_bound(minAll.begin(), minAll.end(), date,
                             [](const MinuteBar& m, int d) { return m.date < d; });
  auto hi = std::upper_bound(lo, minAll.end(), date, [](int d, const MinuteBar& m) { return d < m.date; });
  std::vector<DayBar> out;
  if (hi - lo < 30) {
    synthesizeDay(day, period, out);
  } else {
    appendMinuteBars(&*lo, size_t(hi - lo), period, out);
  }
  return out;
}

namespace {

// Days of `k` and of `minAll` in ascending order; a date with minute bars shows them, any
// other date its synthetic shape.
std::vector<DayBar> mergedSeries(const StockRecord& rec, int period) {
  const std::vector<DayBar>& k = rec.k;
  const std::vector<MinuteBar>& mins = rec.minAll;
  size_t perDay = 240 / size_t(minutePeriodSize(period));
  std::vector<DayBar> out =
      takeSpare(k.size() * (perDay ? perDay : 1) + mins.size() / size_t(minutePeriodSize(period)) + 16);
  size_t i = 0, j = 0;
  while (i < k.size() || j < mins.size()) {
    int dayDate = i < k.size() ? k[i].dateInt() : 0;
    if (j < mins.size() && (i >= k.size() || mins[j].date <= dayDate)) {
      int date = mins[j].date;
      size_t end = j;
      while (end < mins.size() && mins[end].date == date) ++end;
      appendMinuteBars(&mins[j], end - j, period, out);
      j = end;
      while (i < k.size() && k[i].dateInt() == date) ++i;  // the real minutes stand for the day
    } else {
      synthesizeDay(k[i], period, out);
      ++i;
    }
  }
  return out;
}

}  // namespace

std::vector<DayBar> buildDisplaySeries(const StockRecord& rec, int period, TradeMode mode) {
  if (!isMinutePeriod(period)) return aggregateDayBars(rec.k, period);
  if (mode != TradeMode::RealTime) {
    std::vector<DayBar> out = mergedSeries(rec, period);
    if (msgTraceOn())
      traceLine("displaySeries MERGED period=%d k.size=%zu minAll.size=%zu -> out.size=%zu", period, rec.k.size(),
                rec.minAll.size(), out.size());
    return out;
  }
  std::vector<DayBar> out = takeSpare(rec.minAll.size() / size_t(minutePeriodSize(period)) + 16);
  appendMinuteBars(rec.minAll.data(), rec.minAll.size(), period, out);
  if (msgTraceOn())
    traceLine("displaySeries REAL-ONLY period=%d minAll=%zu -> out=%zu (skip synth)", period, rec.minAll.size(),
              out.size());
  return out;
}

// ---------------------------------------------------------------------------------------------
// Memo. A series depends on the period, the mode and the instrument's bars; the bars are named
// by their generation (barsChanged), which never repeats, so an entry can never be stale. An
// entry holds only the result.

namespace {

struct MemoEntry {
  uint64_t generation = 0;
  int period = 0;
  bool merged = false;
  DisplaySeriesPtr series;
};

constexpr size_t kMemoEntries = 6;
constexpr size_t kMemoBytes = 384ull << 20;  // results kept, beyond the newest entry

std::mutex gMemoLock;
std::list<MemoEntry> gMemo;  // most recently used first

size_t entryBytes(const MemoEntry& e) { return e.series->size() * sizeof(DayBar); }

void traceHit(const StockRecord& rec, int period, bool merged, size_t size) {
  if (!msgTraceOn()) return;
  if (merged)
    traceLine("displaySeries MERGED period=%d k.size=%zu minAll.size=%zu -> out.size=%zu", period, rec.k.size(),
              rec.minAll.size(), size);
  else
    traceLine("displaySeries REAL-ONLY period=%d minAll=%zu -> out=%zu (skip synth)", period, rec.minAll.size(), size);
}

}  // namespace

DisplaySeriesPtr displaySeries(const StockRecord& rec, int period, TradeMode mode) {
  bool merged = isMinutePeriod(period) && mode != TradeMode::RealTime;
  // Day periods do not depend on the mode: one entry serves both.
  if (!isMinutePeriod(period)) mode = TradeMode::History;
  // Bars that were never loaded or changed through barsChanged have generation 0: they are
  // not memoised (a fresh build is exact, and cheap for so few bars).
  if (rec.barsGeneration == 0)
    return std::make_shared<const std::vector<DayBar>>(buildDisplaySeries(rec, period, mode));
  {
    std::lock_guard<std::mutex> lock(gMemoLock);
    for (auto it = gMemo.begin(); it != gMemo.end(); ++it) {
      if (it->generation != rec.barsGeneration || it->period != period || it->merged != merged) continue;
      gMemo.splice(gMemo.begin(), gMemo, it);
      DisplaySeriesPtr hit = gMemo.front().series;
      traceHit(rec, period, merged, hit->size());
      return hit;
    }
  }
  auto series = std::make_shared<const std::vector<DayBar>>(buildDisplaySeries(rec, period, mode));
  std::lock_guard<std::mutex> lock(gMemoLock);
  gMemo.push_front(MemoEntry{rec.barsGeneration, period, merged, series});
  size_t total = 0, kept = 0;
  for (auto it = gMemo.begin(); it != gMemo.end();) {
    total += entryBytes(*it);
    if (kept > 0 && (kept >= kMemoEntries || total > kMemoBytes)) {
      keepSpare(std::move(it->series));
      it = gMemo.erase(it);
    } else {
      ++kept;
      ++it;
    }
  }
  return series;
}

void clearDisplaySeriesCache() {
  std::lock_guard<std::mutex> lock(gMemoLock);
  for (MemoEntry& e : gMemo) keepSpare(std::move(e.series));
  gMemo.clear();
}

}  // namespace zor
