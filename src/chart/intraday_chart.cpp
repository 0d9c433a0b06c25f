#include "chart/intraday_chart.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "chart/chart_draw.h"
#include "chart/chart_series.h"
#include "chart/formula_cache.h"
#include "formula/formula_store.h"
#include "platform/text.h"
#include "platform/trace_log.h"

namespace zor {

namespace {

constexpr Color kPriceLine = rgb(250, 250, 250);
constexpr Color kAverageLine = rgb(255, 255, 0);
constexpr Color kVolumeColor = rgb(192, 192, 0);
constexpr Color kPriceDown = rgb(0, 230, 0);
constexpr Color kFsMaColors[4] = {rgb(255, 255, 255), rgb(255, 255, 0), rgb(255, 0, 255), rgb(0, 255, 0)};
constexpr Color kFsPalette[6] = {rgb(255, 255, 255), rgb(255, 255, 0), rgb(255, 0, 255),
                                 rgb(0, 255, 0),     rgb(84, 255, 255), rgb(255, 50, 50)};

int roundHalfUp(double v) { return int(std::floor(std::clamp(v, -1e7, 1e7) + 0.5)); }

// The day's geometry and scale.
struct Day {
  std::span<const MinuteBar> bars;
  std::vector<double> own;  // own volume of each minute
  int left = 0, top = 0, right = 0, bottom = 0, width = 0;
  int priceH = 0, volTop = 0, volH = 0;
  bool hasVol = false;
  double U = 1, V = 1;

  int x(int pos) const { return int(std::floor(pos * double(width) / 240 + left)); }
  int xOf(const MinuteBar& m) const { return x(minutePosition(m.time)); }
  double change(double q) const { return (q - U) / U * 100; }
  int y(double q) const {
    return top + roundHalfUp(std::min(1.0, std::max(0.0, (1.1 * V - change(q)) / (2.2 * V))) * priceH);
  }
};

void message(DrawList& out, TextMeasure& m, const Rect& a, const char* text) {
  textLeft(out, m, messageFont(), a.left + 12, a.top + 60, text, kEmptyMessage);
}

void buildGrid(DrawList& out, const Day& d) {
  for (int k = 0; k <= 14; ++k) {
    const int y = d.top + d.priceH * k / 14;
    out.hline(d.left, d.right + 1, y, kGridRed);
    if (k == 7 || k == 14) out.hline(d.left, d.right + 1, y + 1, kGridRed);
  }
  if (d.hasVol)
    for (int k = 1; k <= 7; ++k) out.hline(d.left, d.right + 1, d.volTop + k * d.volH / 7, kGridRed);
  for (int mins : {30, 60, 90, 150, 180, 210}) {
    const int x = roundHalfUp(mins * double(d.width) / 240) + 6 + d.left;
    if (x < d.right) out.dotted(Point{x, d.top}, Point{x, d.bottom}, 1, 2, kGridRed);
  }
  for (int x : {d.left, d.left + d.width / 2, d.right}) out.vline(x, d.top, d.bottom, kGridRed);
}

// The price line and the running average price. Minutes without a valid price lift the pen
// and stay out of the average.
void buildPriceLines(DrawList& out, const Day& d, bool average) {
  {
    PolylineRuns runs(out, Pen{kPriceLine, 1, PenStyle::Solid});
    for (const MinuteBar& b : d.bars) {
      if (!isValidMinute(b)) {
        runs.lift();
        continue;
      }
      runs.add(d.xOf(b), d.y(b.close));
    }
  }
  if (!average) return;
  PolylineRuns runs(out, Pen{kAverageLine, 1, PenStyle::Solid});
  double sumPV = 0, sumV = 0;
  for (size_t i = 0; i < d.bars.size(); ++i) {
    const MinuteBar& b = d.bars[i];
    if (!isValidMinute(b)) {
      runs.lift();
      continue;
    }
    const double v = d.own[i] / 100;
    sumPV += b.close * v;
    sumV += v;
    runs.add(d.xOf(b), d.y(sumV <= 0.001 ? double(b.close) : sumPV / sumV));
  }
}

void buildMaOverlay(DrawList& out, const Day& d, const IntradayView& s) {
  const int n = int(d.bars.size());
  for (size_t k = 0; k < 4; ++k) {
    const int p = s.ma[k];
    if (p <= 0 || p > n) continue;
    PolylineRuns runs(out, Pen{kFsMaColors[k], 1, PenStyle::Solid});
    for (int i = p - 1; i < n; ++i) {
      double sum = 0;
      bool ok = true;
      for (int j = i - p + 1; j <= i && ok; ++j) {
        ok = isValidMinute(d.bars[size_t(j)]);
        sum += d.bars[size_t(j)].close;
      }
      if (!ok) {
        runs.lift();
        continue;
      }
      runs.add(d.xOf(d.bars[size_t(i)]), d.y(sum / p));
    }
  }
}

void buildFormulaOverlay(DrawList& out, const Day& d, const std::string& name, const StockRecord& rec, bool hidden) {
  const FormulaDef* def = findFormula(name);
  if (!def || (def->drawMethod != DrawMainOverlay && def->drawMethod != DrawMainReplace)) return;
  const SeriesKey key = intradayKey(rec, d.bars);
  FormulaRunPtr run =
      runChartFormula(*def, currentParamValues(*def), key, hidden, [&](FormulaInput& in) { in = intradayFormulaInput(d.bars, hidden); });
  if (!run->ok) {
    if (msgTraceOn()) traceLine("drawFsMainInd FAIL %s %s", name.c_str(), run->error.c_str());
    return;
  }
  out.pushClip(Rect{d.left, d.top, d.right + 1, d.top + d.priceH + 1});
  for (size_t li = 0; li < run->lines.size(); ++li) {
    const OutputLine& line = run->lines[li];
    if (line.style == StyleNoDraw) continue;
    PolylineRuns runs(out, Pen{formulaColor(line.colour, kFsPalette[li % 6]), std::clamp(int(line.thickness), 1, 5),
                               line.style == StyleDotLine ? PenStyle::Dot : PenStyle::Solid});
    for (size_t i = 0; i < d.bars.size() && i < line.values.size(); ++i) {
      if (isNoValue(line.values[i])) {
        runs.lift();
        continue;
      }
      runs.add(d.xOf(d.bars[i]), d.y(line.values[i]));
    }
  }
  out.popClip();
}

// Deal marks of the day: a dot at each deal's price, B under buys and S over sells, stacked per
// side in two-minute buckets; no netting.
void buildDealMarks(DrawList& out, TextMeasure& m, const Day& d, const StockRecord& rec, const Account& acct) {
  const int day = d.bars.back().date;
  const std::string code = rec.code.substr(0, 9);
  std::map<int, int> buys, sells;  // bucket -> marks so far
  const Font font = markFont();
  out.pushClip(Rect{d.left, d.top, d.right + 1, d.top + d.priceH + 1});
  for (const Deal& deal : acct.deals) {
    if (deal.qty <= 0 || !(deal.price > 0) || deal.date != day) continue;
    if (!code.empty() && deal.code.substr(0, 9) != code) continue;
    const int p = deal.time <= 0 ? minutePosition(d.bars.back().time)
                  : deal.time < 500 ? std::min(deal.time, 240)
                                    : minutePosition(deal.time);
    const int x = d.left + int(std::floor(p * double(d.width) / 240));
    const double f = std::clamp((1.1 * d.V - d.change(deal.price)) / (2.2 * d.V), 0.02, 0.98);
    const int y = d.top + roundHalfUp(f * d.priceH);
    const bool buy = deal.side == 0;
    const Color c = buy ? rgb(255, 0, 0) : rgb(0, 255, 0);
    out.add(EllipseOp{Rect{x - 3, y - 3, x + 4, y + 4}, c, true});
    const int k = (buy ? buys : sells)[p / 2]++;
    if (buy) {
      const int t = std::max(d.top + 1, std::min(d.top + d.priceH - 28, y + 30 * k + 3));
      textCenter(out, m, font, x, t, "B", c);
      out.add(PolygonOp{{Point{x, t + 18}, Point{x - 6, t + 27}, Point{x + 6, t + 27}}, c, true});
    } else {
      const int t = std::max(d.top + 1, y - 30 * k - 30);
      out.add(PolygonOp{{Point{x - 6, t}, Point{x + 6, t}, Point{x, t + 9}}, c, true});
      textCenter(out, m, font, x, t + 13, "S", c);
    }
  }
  out.popClip();
}

void buildAxisLabels(DrawList& out, TextMeasure& m, const Day& d) {
  const Font f = intradayFont();
  for (int k = 0; k <= 13; ++k) {
    const double chg = 1.1 * d.V - k * 2.2 * d.V / 14;
    const int y = d.top + d.priceH * k / 14 - 7;
    const Color c = chg > 0.0005 ? kAxisLabel : chg < -0.0005 ? kPriceDown : kWhite;
    textRight(out, m, f, d.left - 3, y, fixed((chg / 100 + 1) * d.U, 2), c);
    textRight(out, m, f, d.right + 38, y, fixed(std::fabs(chg), 2) + "%", c);
  }
  if (!d.hasVol) return;
  double most = 0;
  for (double v : d.own) most = std::max(most, v / 100);
  most = std::max(1.0, most);
  for (int k = 7; k >= 1; --k) {
    const double v = k * most / 7;
    const int y = d.volTop + (7 - k) * d.volH / 7 - 7;
    textRight(out, m, f, d.left - 3, y, strPrintf("%.0f", v), kVolumeColor);
    textRight(out, m, f, d.right + 38, y, v >= 100000 ? strPrintf("%.0f万", v / 10000) : strPrintf("%.0f", v),
              kVolumeColor);
  }
}

// The title line: name, "分时", the overlay's caption, "成交量" and the sub-panel picker.
void buildTitle(IntradayFrame& f, TextMeasure& m, const Day& d, const std::string& name, const IntradayView& s,
                bool showVol) {
  const Font font = titleFont();
  const int y = d.top + 5;
  int x = d.left + 2;
  x += textLeft(f.list, m, font, x, y, name, kSilver) + 11;
  x += textLeft(f.list, m, font, x, y, "分时", kPriceLine) + 5;
  std::string caption = s.mainInd;
  if (s.mainInd == "MA") {
    std::vector<double> periods;
    for (int p : s.ma)
      if (p > 0) periods.push_back(p);
    caption = periods.empty() ? "MA" : "MA(" + joinValues(periods) + ")";
  }
  if (!caption.empty()) x += textLeft(f.list, m, font, x, y, caption, kPriceLine) + 8;
  if (showVol) x += textLeft(f.list, m, font, x, y, "成交量", kVolumeColor) + 8;
  const int w = textLeft(f.list, m, font, x, y, "分时指标", kMagenta);
  f.list.add(EllipseOp{Rect{x + w + 5, d.top + 7, x + w + 13, d.top + 15}, kMagenta, false});
  f.hitAreas.push_back(HitArea{x - 2, d.top + 3, x + w + 20, d.top + 23, HitKind::IntradayIndicatorCaption, 0});
}

void buildTimeAxis(IntradayFrame& f, TextMeasure& m, const Day& d, const Rect& a) {
  const Font font = intradayFont();
  const int b = d.bottom;
  for (int y : {b, b + 18, b + 35}) f.list.hline(a.left, a.right, y, kGridRed);
  textRight(f.list, m, font, d.left, b + 1, "09:30", kAxisLabel);
  textCenter(f.list, m, font, d.left + d.width * 60 / 240 - 16, b + 1, "10:30", kAxisLabel);
  textCenter(f.list, m, font, d.left + d.width / 2 - 9, b + 1, "13:00", kAxisLabel);
  textCenter(f.list, m, font, d.left + d.width * 180 / 240 - 9, b + 1, "14:00", kAxisLabel);
  textRight(f.list, m, font, d.right - 1, b + 1, "15:00", kAxisLabel);
  f.list.vline(d.right, b, b + 18, kGridRed);
  f.list.vline(a.left, b + 18, b + 35, kGridRed);
  f.list.vline(a.left + 42, b + 18, b + 35, kGridRed);
  textCenter(f.list, m, font, a.left + 21, b + 19, "成交量", kSilver);
  const int w = textLeft(f.list, m, font, a.left + 50, b + 19, "分时副图指标", kSilver);
  f.list.add(EllipseOp{Rect{a.left + 50 + w + 4, b + 23, a.left + 50 + w + 12, b + 31}, kMagenta, false});
  f.hitAreas.push_back(HitArea{a.left + 48, b + 18, a.left + 50 + w + 18, b + 35, HitKind::IntradaySubPanelToggle, 0});
  f.list.vline(a.right, b + 18, b + 35, kGridRed);
}

}  // namespace

SeriesKey intradayKey(const StockRecord& rec, std::span<const MinuteBar> day) {
  SeriesKey key;
  key.generation = rec.barsGeneration;
  key.period = -1;  // the intraday day, not a chart period
  key.count = day.size();
  if (!day.empty()) {
    const MinuteBar& m = day.back();
    key.cutDate = m.date;
    key.cutSub = m.time;
    key.last.open = m.open, key.last.high = m.high, key.last.low = m.low, key.last.close = m.close;
    key.last.volume = m.volume, key.last.amount = m.amount;
  }
  return key;
}

int minutePosition(int t) {
  if (t <= 570) return 0;
  if (t <= 690) return t - 570;
  if (t < 780) return 120;
  if (t < 900) return t - 660;
  return 240;
}

std::vector<double> ownVolumes(std::span<const MinuteBar> day) {
  bool cumulative = true;
  for (size_t i = 1; i < day.size() && cumulative; ++i)
    if (day[i].date == day[i - 1].date && day[i].volume < day[i - 1].volume) cumulative = false;
  std::vector<double> own(day.size());
  for (size_t i = 0; i < day.size(); ++i) {
    const bool sameDay = i > 0 && day[i].date == day[i - 1].date;
    own[i] = cumulative && sameDay ? std::max(0.0, day[i].volume - day[i - 1].volume) : day[i].volume;
  }
  return own;
}

double intradayRange(std::span<const MinuteBar> day, double U) {
  double lowest = 0, highest = 0;
  bool any = false;
  for (const MinuteBar& b : day) {
    const double c = b.close;
    if (!(c > 0.01 && c <= 10000)) continue;
    const double chg = (c - U) / U * 100;
    if (chg < -100 || chg > 100) continue;
    lowest = any ? std::min(lowest, chg) : chg;
    highest = any ? std::max(highest, chg) : chg;
    any = true;
  }
  if (!any) {
    double H = 0, L = 0;
    bool found = false;
    for (const MinuteBar& b : day)
      if (b.close > 1e-4 && b.close < 1e12) {
        H = found ? std::max(H, double(b.close)) : b.close;
        L = found ? std::min(L, double(b.close)) : b.close;
        found = true;
      }
    if (!found) H = 1, L = 0;
    double mid = (H + L) / 2;
    if (mid <= 1e-9) mid = 1;
    double x = (H - L) / mid * 110;
    if (!(x > 0)) x = 3;
    lowest = -x, highest = x;
  }
  return std::clamp(std::max(std::max(0.0, -lowest), std::max(0.0, highest)), 0.5, 10.0);
}

FormulaInput intradayFormulaInput(std::span<const MinuteBar> day, bool datesHidden) {
  FormulaInput in;
  for (const MinuteBar& b : day) {
    const bool ok = isValidMinute(b);
    in.open.push_back(ok ? b.open : noValue);
    in.high.push_back(ok ? b.high : noValue);
    in.low.push_back(ok ? b.low : noValue);
    in.close.push_back(ok ? b.close : noValue);
    in.volume.push_back(std::isfinite(b.volume) ? b.volume : noValue);
    in.amount.push_back(ok && std::isfinite(b.volume) ? double(b.close) * b.volume : noValue);
    if (!datesHidden) {
      in.dates.push_back(b.date);
      in.times.push_back(b.time / 60 * 100 + b.time % 60);
    }
  }
  return in;
}

IntradayFrame buildIntraday(const ChartContext& ctx, const Rect& a, TextMeasure& m) {
  IntradayFrame f;
  const int idx = chartInstrument(ctx);
  if (!ctx.market.valid(idx)) return f;
  const StockRecord& rec = ctx.market.stocks[size_t(idx)];
  f.list.fill(a, kChartBackground);
  if (a.empty()) return f;
  Day d;
  d.bars = std::span<const MinuteBar>(rec.minc);
  if (d.bars.empty()) {
    message(f.list, m, a,
            ctx.tradeMode == TradeMode::RealTime ? "实时数据未连接 — 请到菜单『实时交易(T)』配置 IP/端口后点「加载」"
                                                 : "无分时数据(该股1分钟未加载或数据缺失)");
    return f;
  }
  if (d.bars.size() == 1 || (ctx.replay.training && ctx.replay.frames == 1)) {
    message(f.list, m, a, "分时数据不足 (需要≥2根分钟数据)");
    return f;
  }
  const int h = a.bottom - a.top;
  if (h <= 119 || h - 37 <= 79) return f;
  d.left = a.left + 54, d.top = a.top + 2, d.right = a.right - 51, d.bottom = a.bottom - 35;
  d.width = d.right - d.left;
  if (d.width <= 59) return f;
  const IntradayView& s = ctx.intraday;
  const int subCount = 1 + int(!s.sub1.empty()) + int(!s.sub2.empty());
  d.priceH = (2 * h - 74) / (subCount + 2);
  d.volTop = a.top + d.priceH + 2;
  d.volH = (d.bottom - d.volTop) / subCount;
  d.hasVol = ctx.view.showVol && d.volH > 8;
  if (!d.hasVol && subCount == 1) d.volH = 0;
  if (msgTraceOn())
    traceLine("FSLAYOUT plot=%d..%d ph=%d subCount=%d priceH=%d volTop=%d volH=%d hasVol=%d", d.top, d.bottom, h - 37,
              subCount, d.priceH, d.volTop, d.volH, int(d.hasVol));
  d.own = ownVolumes(d.bars);
  d.U = rec.prevClose < 0.001 ? 1 : rec.prevClose;
  d.V = intradayRange(d.bars, d.U);
  const bool masked = chartMasked(ctx, idx);

  buildGrid(f.list, d);
  buildPriceLines(f.list, d, s.avg);
  if (s.mainInd == "MA")
    buildMaOverlay(f.list, d, s);
  else if (!s.mainInd.empty())
    buildFormulaOverlay(f.list, d, s.mainInd, rec, masked);
  if (ctx.view.dealMarks && ctx.dealAccount) buildDealMarks(f.list, m, d, rec, *ctx.dealAccount);

  // Lower panel 0 holds the volume, the next ones the configured sub panels in key order.
  const std::string* names[2] = {&s.sub1, &s.sub2};
  const std::array<int, 4>* params[2] = {&s.sub1Param, &s.sub2Param};
  int panel = 0;
  for (int k = 0; k < subCount; ++k) {
    const Rect plot{d.left, d.volTop + k * d.volH, d.right, d.volTop + (k + 1) * d.volH};
    if (plot.width() <= 5) continue;
    if (k == 0) {
      buildFsVolume(f.list, plot, d.bars, d.own);
      continue;
    }
    while (panel < 2 && names[panel]->empty()) ++panel;
    if (panel >= 2) break;
    buildFsSubPanel(f.list, f.hitAreas, m, FsPanel{plot, d.bars, &rec, masked}, panel, *names[panel], *params[panel]);
    ++panel;
  }
  buildAxisLabels(f.list, m, d);
  buildTitle(f, m, d, masked ? std::string("******") : rec.name, s, ctx.view.showVol);
  buildTimeAxis(f, m, d, a);

  IntradayGeometry& g = f.geometry;
  g.valid = true;
  g.chartArea = a;
  g.plotLeft = d.left, g.plotTop = d.top, g.plotRight = d.right, g.plotBottom = d.bottom;
  g.priceH = d.priceH;
  g.volTop = d.volTop;
  g.range = d.V;
  g.base = d.U;
  return f;
}

}  // namespace zor
