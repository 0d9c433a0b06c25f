// Minute bars of one instrument: the DAT minute block merged per trading day with the .lc1 or
// THS .min file, the daily bars extended (or, for THS-only data, built) from them, and the
// quote snapshot of the latest day.
#include <algorithm>
#include <cmath>

#include "platform/trace_log.h"
#include "data/formats.h"
#include "data/loaders.h"
#include "platform/file_io.h"
#include "platform/text.h"

namespace zor {

namespace {

constexpr int kFullDay = 200;  // DAT bars from which a day is taken from the DAT file alone
constexpr uint64_t kLc1Max = 64ull << 20;

int64_t minuteKey(const MinuteBar& m) { return int64_t(m.date) * 1440 + m.time; }
bool keyLess(const MinuteBar& a, const MinuteBar& b) { return minuteKey(a) < minuteKey(b); }

// Reads `count` records of `recSize` bytes from `offset` piece by piece and hands each piece
// to `decode`: a minute block is decoded without a buffer of its own size. Returns the
// number of whole records obtained.
template <class Decode>
uint64_t readInPieces(const std::string& path, uint64_t offset, uint64_t count, size_t recSize, Decode decode) {
  const uint64_t perPiece = (1u << 20) / recSize;
  uint64_t done = 0;
  std::string buf;
  while (done < count) {
    uint64_t want = std::min(perPiece, count - done);
    if (!readFileRange(path, offset + done * recSize, want * recSize, buf)) break;
    uint64_t got = buf.size() / recSize;
    decode(std::string_view(buf.data(), size_t(got * recSize)));
    done += got;
    if (got < want) break;
  }
  return done;
}

// Records in the .lc1 file, read from its end when it is larger than the cap.
void lc1Range(uint64_t size, uint64_t& first, uint64_t& count) {
  uint64_t records = size / kVipdocRecord, maxRecords = kLc1Max / kVipdocRecord;
  first = records > maxRecords ? records - maxRecords : 0;
  count = records - first;
}

// `extra`: room to keep in `out` for the minutes of the other file, merged into it later.
void readDatMinutes(const Market& m, const StockRecord& rec, std::vector<MinuteBar>& out, size_t extra) {
  std::string path = datFilePath(m, rec.dataFile);
  std::string head;
  DatHeader h;
  uint64_t size = 0;
  if (!readFileRange(path, 0, kDatHeader, head) || !parseDatHeader(head, h) || !fileSize(path, size)) return;
  // A daily count that is negative, too large or beyond the file's end leaves no place where
  // the minute block could start.
  int64_t days = h.dayCount;
  bool daysOk = days >= 0 && days <= kMaxEntries && kDatHeader + uint64_t(days) * kDatDayRecord <= size;
  uint64_t start = daysOk ? kDatHeader + uint64_t(days) * kDatDayRecord : 0;
  int64_t stored = uint32_t(h.minuteCount) > uint32_t(kMaxEntries) ? 0 : h.minuteCount;
  int64_t capacity = daysOk ? std::min<int64_t>(int64_t((size - start) / kDatMinuteRecord), kMaxEntries) : 0;
  // The stored count may be unset: read what the file can hold when that is more.
  int64_t toRead = daysOk ? std::max(stored, capacity) : 0;
  traceLine("DATMIN %s hdr_nmin=%d 物理容量=%ld 实读=%d", rec.code.c_str(), int(h.minuteCount), long(capacity),
            int(toRead));
  if (toRead <= 0) return;
  out.reserve(size_t(capacity) + extra);
  size_t read = size_t(readInPieces(path, start, uint64_t(toRead), kDatMinuteRecord,
                                    [&](std::string_view piece) { decodeDatMinutes(piece, out); }));
  // Records with impossible dates or times were dropped; the block ends where its dates
  // first go backwards.
  for (size_t i = 1; i < out.size(); ++i) {
    if (out[i].date < out[i - 1].date) {
      out.resize(i);
      break;
    }
  }
  if (out.size() != read)
    traceLine("DATMIN %s 尾部截断 %d → %d 条", rec.code.c_str(), int(read), int(out.size()));
}

void readSideMinutes(const Market& m, const StockRecord& rec, std::vector<MinuteBar>& out) {
  if (!m.thsRoot.empty()) {
    const std::string& rel = rec.minFile.empty() ? rec.dataFile : rec.minFile;
    readThsMin(joinPath(m.thsRoot, rel + ".min"), out);
    return;
  }
  std::string path = vipdocPath(m, rec, "minline", ".lc1");
  uint64_t size = 0, first = 0, count = 0;
  if (!fileSize(path, size)) return;
  // A file beyond the cap contributes its newest records.
  lc1Range(size, first, count);
  out.reserve(size_t(count));
  readInPieces(path, first * kVipdocRecord, count, kVipdocRecord,
               [&](std::string_view piece) { decodeLc1Records(piece, out); });
}

// The number of minute records the .lc1 file can add (0 for THS files).
size_t sideHint(const Market& m, const StockRecord& rec) {
  if (!rec.hasLc1 || !m.thsRoot.empty()) return 0;
  uint64_t size = 0, first = 0, count = 0;
  if (!fileSize(vipdocPath(m, rec, "minline", ".lc1"), size)) return 0;
  lc1Range(size, first, count);
  return size_t(count);
}

// Sorted by key; of equal keys the last (keepLast) or the first stays.
void sortUnique(std::vector<MinuteBar>& v, bool keepLast) {
  if (!std::is_sorted(v.begin(), v.end(), keyLess)) std::stable_sort(v.begin(), v.end(), keyLess);
  size_t out = 0;
  for (size_t i = 0; i < v.size(); ++i) {
    if (out > 0 && minuteKey(v[out - 1]) == minuteKey(v[i])) {
      if (keepLast) v[out - 1] = v[i];
    } else {
      v[out++] = v[i];
    }
  }
  v.resize(out);
}

// One daily bar from the minutes of a day: prices from its valid minutes, volume and amount
// from all of them. False when no minute of the day is valid.
bool dayFromMinutes(const MinuteBar* m, size_t n, DayBar& day) {
  day = DayBar();
  day.setDate(m[0].date);
  bool any = false;
  for (size_t i = 0; i < n; ++i) {
    day.volume += m[i].volume;
    day.amount += m[i].amount;
    if (!isValidMinute(m[i])) continue;
    if (!any) {
      day.open = m[i].open, day.high = m[i].high, day.low = m[i].low;
      any = true;
    } else {
      day.high = std::max<double>(day.high, m[i].high);
      day.low = std::min<double>(day.low, m[i].low);
    }
    day.close = m[i].close;
  }
  return any;
}

// Daily bars for the dates of `minutes` after `after`, appended to k; returns the count.
int appendDaysFromMinutes(const std::vector<MinuteBar>& minutes, int after, bool wholeVolume,
                          std::vector<DayBar>& k) {
  int added = 0;
  for (size_t i = 0; i < minutes.size();) {
    size_t end = i;
    while (end < minutes.size() && minutes[end].date == minutes[i].date) ++end;
    DayBar day;
    if (minutes[i].date > after && dayFromMinutes(&minutes[i], end - i, day) && day.open > 0 && day.close > 0 &&
        day.high > 0 && day.low > 0 && day.high >= day.low) {
      if (wholeVolume) day.volume = std::trunc(day.volume);
      k.push_back(day);
      ++added;
    }
    i = end;
  }
  return added;
}

}  // namespace

void refreshQuoteFromMinutes(StockRecord& rec) {
  const std::vector<MinuteBar>& c = rec.minc;
  const MinuteBar* first = nullptr;
  const MinuteBar* last = nullptr;
  double high = 0, low = 0, volume = 0, amount = 0;
  for (const MinuteBar& m : c) {
    volume += m.volume;
    amount += m.amount;
    if (!isValidMinute(m)) continue;
    if (!first) {
      first = &m;
      high = m.high, low = m.low;
    }
    last = &m;
    high = std::max<double>(high, m.high);
    low = std::min<double>(low, m.low);
  }
  if (!first) return;
  int today = c.front().date;
  double prev = 0;
  for (size_t i = rec.minAll.size(); i-- > 0 && prev <= 0;)
    if (rec.minAll[i].date < today && isValidMinute(rec.minAll[i])) prev = rec.minAll[i].close;
  for (size_t i = rec.k.size(); i-- > 0 && prev <= 0;)
    if (rec.k[i].dateInt() < today && isValidBar(rec.k[i])) prev = rec.k[i].close;
  if (prev <= 0) prev = first->open;
  rec.lastPrice = last->close;
  rec.open = first->open;
  rec.high = high;
  rec.low = low;
  rec.volume = volume;
  rec.amount = amount;
  rec.prevClose = prev;
  rec.amplitude = (high - low) / (prev > 0 ? prev : 1.0) * 100.0;
}

void loadMinuteBars(Market& market, StockRecord& rec, TradeMode mode) {
  if (rec.minLoaded) return;
  if (!rec.hasDat && !rec.hasLc1) {
    rec.minLoaded = true;
    return;
  }
  // The minutes extend the daily bars of the files, so those must be in place first.
  if (!rec.dayLoaded) loadDayBars(market, rec, mode);

  std::vector<MinuteBar> dat, side;
  if (rec.hasDat) readDatMinutes(market, rec, dat, sideHint(market, rec));
  if (rec.hasLc1) readSideMinutes(market, rec, side);

  // Per trading day one source: the DAT file when it has at least 200 bars of the day, else
  // the lc1/THS file when it has the day, else whatever DAT bars exist.
  std::vector<std::pair<int, int>> datDays;  // (date, bars); dat is ascending by date
  for (const MinuteBar& m : dat) {
    if (datDays.empty() || datDays.back().first != m.date)
      datDays.push_back({m.date, 1});
    else
      ++datDays.back().second;
  }
  auto datCount = [&](int date) {
    auto it = std::lower_bound(datDays.begin(), datDays.end(), std::make_pair(date, 0));
    return (it != datDays.end() && it->first == date) ? it->second : 0;
  };
  std::vector<int> sideDates;
  sideDates.reserve(side.size() / 200 + 1);
  for (const MinuteBar& m : side)
    if (sideDates.empty() || sideDates.back() != m.date) sideDates.push_back(m.date);
  std::sort(sideDates.begin(), sideDates.end());
  sideDates.erase(std::unique(sideDates.begin(), sideDates.end()), sideDates.end());
  auto inSide = [&](int date) { return std::binary_search(sideDates.begin(), sideDates.end(), date); };

  // Filtered in place: the arrays are large and fresh memory is not free.
  size_t datRead = dat.size(), sideRead = side.size();
  dat.erase(std::remove_if(dat.begin(), dat.end(),
                           [&](const MinuteBar& m) { return datCount(m.date) < kFullDay && inSide(m.date); }),
            dat.end());
  side.erase(std::remove_if(side.begin(), side.end(), [&](const MinuteBar& m) { return datCount(m.date) >= kFullDay; }),
             side.end());
  sortUnique(dat, true);
  sortUnique(side, false);
  size_t datUsed = dat.size(), sideUsed = side.size();
  // The two sets share no date, so their keys never meet.
  // Merged from the back into the DAT array, which kept room for it.
  std::vector<MinuteBar> merged;
  if (dat.empty()) {
    merged.swap(side);
  } else {
    merged.swap(dat);
  }
  if (!side.empty()) {
    size_t i = merged.size(), j = side.size();
    merged.resize(i + j);
    for (size_t k = merged.size(); j > 0;) {
      if (i > 0 && keyLess(side[j - 1], merged[i - 1]))
        merged[--k] = merged[--i];
      else
        merged[--k] = side[--j];
    }
  }
  if (sideRead > 0)
    traceLine("MINMERGE %s dat=%d根(用%zu) ths=%d根(用%zu) 合并=%d根", rec.code.c_str(), int(datRead), datUsed,
              int(sideRead), sideUsed, int(merged.size()));
  rec.minAll = std::move(merged);

  if (!market.thsRoot.empty() && rec.k.empty()) appendDaysFromMinutes(rec.minAll, INT32_MIN, false, rec.k);
  if (rec.hasLc1 && !rec.minAll.empty() && !rec.k.empty()) {
    int lastDay = rec.k.back().dateInt();
    int added = appendDaysFromMinutes(rec.minAll, lastDay, true, rec.k);
    if (added > 0)
      traceLine("KMERGE %s 用分钟补日K %d 根（%d → %s）", rec.code.c_str(), added, lastDay,
                std::string(rec.k.back().dateText()).c_str());
  }

  rec.minc.clear();
  if (!rec.minAll.empty()) {
    int today = rec.minAll.back().date;
    auto from = std::lower_bound(rec.minAll.begin(), rec.minAll.end(), today,
                                 [](const MinuteBar& m, int d) { return m.date < d; });
    rec.minc.assign(from, rec.minAll.end());
    refreshQuoteFromMinutes(rec);
  }
  barsChanged(rec);
  rec.minLoaded = true;
  rec.minUse = ++market.minuteClock;
}

}  // namespace zor
