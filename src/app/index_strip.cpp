#include "app/index_strip.h"

#include "app/app_state.h"
#include "data/formats.h"
#include "platform/file_io.h"
#include "platform/text.h"

namespace zor {

namespace {

// Keep in the strip's order.
constexpr StripIndex kIndices[kStripIndices] = {
    {"上证", 1, "999999"},  {"深成", 0, "399001"},  {"创业", 0, "399006"}, {"沪深300", 1, "000300"},
    {"红利", 1, "000015"},  {"Ｂ股", 1, "000003"}, {"创业50", 0, "399673"},
};

std::string indexPath(const AppState& app, const StripIndex& ix) {
  std::string dir = app.config.datDir.empty() ? app.config.exeDir + "data" : app.config.datDir;
  return joinPath(dir, strPrintf("%d.%s.dat", ix.market, ix.code));
}

// The file's header and daily records; `bytes` keeps the whole file for the minutes.
bool readIndexFile(const std::string& path, std::string& bytes, DatHeader& h) {
  return readFile(path, bytes) && parseDatHeader(bytes, h) && h.dayCount >= 0;
}

std::string_view dayRecords(std::string_view bytes, const DatHeader& h) {
  uint64_t want = uint64_t(h.dayCount) * kDatDayRecord;
  uint64_t have = bytes.size() - kDatHeader;
  return bytes.substr(kDatHeader, size_t(want < have ? want : have));
}

// The reference day: the replay's frame date (with its minute), else the replayed day or the
// last day of the selected instrument, else the first index's last day.
struct Reference {
  int date = 0;
  int minute = -1;  // minutes after midnight; -1 for a daily reference
};

Reference referenceOf(const AppState& app) {
  const ReplayState& r = app.replay;
  if (r.training && r.cursor >= 0 && r.cursor < int(r.trainMin.size()))
    return Reference{r.trainMin[size_t(r.cursor)].date, r.trainMin[size_t(r.cursor)].time};
  const Market& m = app.market;
  if (m.valid(app.view.curIdx)) {
    const std::vector<DayBar>& k = m.stocks[size_t(app.view.curIdx)].k;
    if (r.training && r.trainDi >= 0 && r.trainDi < int(k.size())) return Reference{k[size_t(r.trainDi)].dateInt()};
    if (!k.empty()) return Reference{k.back().dateInt()};
  }
  const IndexSeries& first = app.indexStrip.series[0];
  return Reference{first.days.empty() ? 0 : first.days.back().dateInt()};
}

}  // namespace

const StripIndex& stripIndex(int i) { return kIndices[i]; }

void prepareIndexStrip(AppState& app) {
  IndexStripState& st = app.indexStrip;
  const ReplayState& r = app.replay;
  const bool minutes = r.training && r.cursor >= 0 && r.cursor < int(r.trainMin.size());
  const int date = minutes ? r.trainMin[size_t(r.cursor)].date : 0;
  if (st.loaded && (!minutes || st.series[0].minuteDate == date)) return;
  for (int i = 0; i < kStripIndices; ++i) {
    IndexSeries& s = st.series[size_t(i)];
    if (st.loaded && !s.present) continue;
    std::string bytes;
    DatHeader h;
    if (!readIndexFile(indexPath(app, kIndices[i]), bytes, h)) {
      s = IndexSeries{};
      continue;
    }
    s.present = true;
    std::string_view days = dayRecords(bytes, h);
    if (!st.loaded) {
      s.days.clear();
      decodeDatDays(days, s.days);
    }
    s.minutes.clear();
    s.minuteDate = date;
    if (!minutes) continue;
    std::vector<MinuteBar> all;
    decodeDatMinutes(std::string_view(bytes).substr(kDatHeader + days.size()), all);
    for (const MinuteBar& b : all)
      if (b.date == date) s.minutes.push_back(b);
  }
  // Every entry follows the same date, present or not.
  for (IndexSeries& s : st.series) s.minuteDate = date;
  st.loaded = true;
}

StripQuote stripQuote(const AppState& app, int i) {
  const IndexSeries& s = app.indexStrip.series[size_t(i)];
  StripQuote q;
  if (!s.present || s.days.empty()) return q;
  const Reference ref = referenceOf(app);
  double value = 0, base = 0;
  if (ref.minute >= 0 && s.minuteDate == ref.date) {
    // The last minute at or before the frame, against the last close before that day.
    for (const MinuteBar& b : s.minutes)
      if (b.time <= ref.minute) value = b.close;
    for (const DayBar& d : s.days)
      if (d.dateInt() < ref.date) base = d.close;
    // Before the day's first minute the index still stands at the previous close.
    if (value <= 0) value = base;
  } else {
    int at = -1;
    for (int k = 0; k < int(s.days.size()); ++k)
      if (s.days[size_t(k)].dateInt() <= ref.date) at = k;
    if (at < 0) return q;
    value = s.days[size_t(at)].close;
    base = at > 0 ? s.days[size_t(at - 1)].close : 0;
  }
  if (value <= 0 || base <= 0) return q;
  q.valid = true;
  q.value = value;
  q.changePct = (value - base) / base * 100;
  return q;
}

void paintIndexStrip(const AppState& app, Canvas& c, const Rect& area) {
  if (area.left >= area.right || area.empty()) return;
  c.fillRect(area, rgb(245, 245, 248));
  c.line(Point{area.left, area.top}, Point{area.right, area.top}, Pen{rgb(210, 212, 216)});
  c.line(Point{area.left, area.bottom - 1}, Point{area.right, area.bottom - 1}, Pen{rgb(210, 212, 216)});
  c.setFont(Font{"Microsoft YaHei UI", 14, false});
  const int y = area.top + (area.height() - 14) / 2;
  int x = area.left + 10;
  for (int i = 0; i < kStripIndices && x <= area.right - 90; ++i) {
    const StripIndex& ix = kIndices[i];
    StripQuote q = stripQuote(app, i);
    if (!q.valid) {
      std::string text = strPrintf("%s --", ix.name);
      c.text(x, y, text, rgb(160, 160, 160));
      x += 7 * int(text.size()) + 24;
      continue;
    }
    Color col = q.changePct > 0.0005 ? rgb(216, 48, 47) : q.changePct < -0.0005 ? rgb(22, 145, 60) : rgb(130, 130, 130);
    c.text(x, y, ix.name, rgb(40, 40, 45));
    x += c.textSize(ix.name).cx + 4;
    std::string value = strPrintf("%.0f", q.value);
    c.text(x, y, value, col);
    x += c.textSize(value).cx + 4;
    std::string change = strPrintf("%s%.2f%%", q.changePct >= 0 ? "+" : "", q.changePct);
    c.text(x, y, change, col);
    x += c.textSize(change).cx + 26;
  }
}

}  // namespace zor
