// The K-line chart's frame: series, panels, the visible window and price scale, grid and
// price axis, candles and the geometry the crosshair reads; the overlay, panels and foot are
// built by the files named in kline_parts.h.
#include "chart/kline_chart.h"

#include <algorithm>
#include <cmath>

#include "chart/chart_draw.h"
#include "chart/kline_parts.h"
#include "formula/formula_store.h"
#include "platform/trace_log.h"

namespace zor {

namespace {

constexpr Color kNoteColor = rgb(255, 180, 0);

double closeOf(const DayBar& b) { return b.close; }

// True when the instrument has no bars at all for the period, before any cut.
bool nothingToShow(const StockRecord& rec, int period, TradeMode mode) {
  if (!isMinutePeriod(period)) return rec.k.empty();
  if (mode == TradeMode::RealTime) return rec.minAll.empty();
  return rec.k.empty() && rec.minAll.empty();
}

void emptyMessage(KLineParts& k) {
  const Rect& a = k.chartArea;
  const Font f = messageFont();
  const int period = k.ctx.view.period;
  if (k.ctx.tradeMode != TradeMode::RealTime || period == PeriodDay || period == PeriodWeek || period == PeriodMonth) {
    textCenter(k.out, k.m, f, (a.left + a.right) / 2, (a.top + a.bottom) / 2, "暂无行情数据", kEmptyMessage);
    return;
  }
  const int lineH = std::max(1, k.m.size(f, "实").cy);
  textLeft(k.out, k.m, f, a.left + 12, a.top + 60, "实时分钟K线等待服务器推送...", kEmptyMessage);
  textLeft(k.out, k.m, f, a.left + 12, a.top + 60 + lineH, "请到菜单『实时交易(T)』配置 IP/端口后点「加载」",
           kEmptyMessage);
}

// The visible window, moving averages and price scale for one axis width; returns the axis
// width the price labels of that scale need.
int layOut(KLineParts& k, int axisWidth, PriceTicks& ticks) {
  const ChartView& v = k.ctx.view;
  k.axisWidth = axisWidth;
  k.pr = pricePlot(k.panels.main, axisWidth);
  k.vr = lowerPlot(k.panels.vol, axisWidth);
  k.sr = lowerPlot(k.panels.sub, axisWidth);
  k.w = barWindow(BarWindowParams{int(k.bars().size()), k.pr.left, k.pr.width(), v.period, v.barCount,
                                  v.scrollBack, k.ctx.replay.training});
  for (size_t i = 0; i < 8; ++i) k.ma[i] = visibleAverage(k.bars(), k.w, k.maPeriods[i], closeOf, true);
  k.price = priceScale(k.bars(), k.w, k.ma, k.pr);
  ticks = niceTicks(k.price.lo, k.price.hi, k.pr.height());
  int widest = 0;
  for (double label : ticks.labels) widest = std::max(widest, k.m.width(axisFont(), fixed(label, 2)));
  return axisWidthFor(widest);
}

void buildGridAndAxis(KLineParts& k, const PriceTicks& ticks) {
  const Rect& pr = k.pr;
  auto inside = [&](int y) { return y >= pr.top && y <= pr.bottom; };
  for (double g : ticks.grid) {
    const int y = k.price.y(g);
    if (inside(y)) dottedHLine(k.out, pr.left, pr.right - 1, y, 1, 3);
  }
  k.out.vline(pr.right, pr.top, pr.bottom, kGridRed);
  for (double label : ticks.labels) {
    const int y = k.price.y(label);
    if (!inside(y)) continue;
    k.out.hline(pr.right, pr.right + 4, y, kGridRed);
    textRight(k.out, k.m, axisFont(), k.panels.main.right - 4, y - 8, fixed(label, 2), kAxisLabel);
  }
}

void buildCandles(KLineParts& k) {
  const ValueScale& s = k.price;
  for (int i = 0; i < k.visible(); ++i) {
    const DayBar& b = k.bar(i);
    if (!isValidBar(b)) continue;
    CandleOp c;
    c.x = k.w.indexToX(i);
    c.color = b.close >= b.open ? kRising : kFalling;
    c.hollow = b.close >= b.open;
    c.yHigh = s.y(b.high);
    c.yLow = s.y(b.low);
    if (k.w.bodyWidth < 1.5) {
      c.lineOnly = true;
    } else {
      const int yo = s.y(b.open), yc = s.y(b.close);
      c.bodyTop = std::min(yo, yc);
      c.bodyBottom = std::max(yo, yc);
      if (c.bodyBottom - c.bodyTop < 1) c.bodyBottom = c.bodyTop + 1;
      c.left = toPixel(c.x - 0.5 * k.w.bodyWidth);
      c.right = toPixel(c.x + 0.5 * k.w.bodyWidth);
    }
    k.out.add(c);
  }
}

ChartGeometry geometryOf(const KLineParts& k) {
  ChartGeometry g;
  g.valid = true;
  g.chartArea = k.chartArea;
  g.mainRect = k.panels.main;
  g.subRect = k.panels.sub;
  g.volRect = k.panels.vol;
  g.pr = k.pr;
  g.window = k.w;
  g.lo = k.price.lo;
  g.hi = k.price.hi;
  g.seriesLength = int(k.bars().size());
  g.lastClose = k.bars().back().close;
  g.masked = k.series.masked;
  for (int i = 0; i < k.visible(); ++i) {
    g.dates.emplace_back(k.bar(i).dateText());
    g.closes.push_back(k.bar(i).close);
  }
  return g;
}

}  // namespace

std::array<int, 8> maPeriods() {
  std::array<int, 8> p = {5, 10, 20, 60, 0, 0, 0, 0};
  const FormulaDef* ma = findFormula("MA");
  if (!ma || ma->params.size() < 4) return p;
  for (size_t i = 0; i < p.size(); ++i) {
    const double v = i < ma->params.size() ? ma->params[i].defaultValue : 0;
    p[i] = std::isfinite(v) ? std::clamp(int(std::clamp(v + 0.5, -1.0, 1000.0)), 0, 250) : 0;
  }
  return p;
}

std::vector<double> visibleAverage(std::span<const DayBar> bars, const BarWindow& w, int period,
                                   double (*field)(const DayBar&), bool validBarsOnly) {
  std::vector<double> out(size_t(std::max(0, w.count)), 0.0);
  if (period < 1) return out;
  for (int i = 0; i < w.count; ++i) {
    const int j = w.start + i;
    if (j >= int(bars.size()) || j - period + 1 < 0) continue;
    // Summed afresh for every bar, so that a value never depends on where the window starts.
    double sum = 0;
    bool ok = true;
    for (int t = j - period + 1; t <= j && ok; ++t) {
      ok = !validBarsOnly || isValidBar(bars[size_t(t)]);
      sum += field(bars[size_t(t)]);
    }
    if (ok) out[size_t(i)] = sum / period;
  }
  return out;
}

KLineFrame buildKLine(const ChartContext& ctx, const Rect& area, TextMeasure& m) {
  KLineFrame f;
  f.geometry.chartArea = area;  // zoom reads the width also when nothing could be laid out
  const ChartView& v = ctx.view;
  const int idx = chartInstrument(ctx);
  if (!ctx.market.valid(idx)) {
    if (msgTraceOn()) traceLine("drawKLine INVALID curIdx=%d stocks=%d", idx, int(ctx.market.stocks.size()));
    return f;
  }
  const StockRecord& rec = ctx.market.stocks[size_t(idx)];
  if (msgTraceOn())
    traceLine("drawKLine IN curIdx=%d period=%d k.size=%zu minc.size=%zu training=%d train.active=%d trainDi=%d "
              "train.cur=%d tradeMode=%d tradeTab=%d",
              idx, v.period, rec.k.size(), rec.minc.size(), int(ctx.replay.training), int(ctx.train.active),
              ctx.replay.trainDi, ctx.train.cur, int(ctx.tradeMode), int(ctx.tradeTab));
  ChartSeries series = chartSeries(ctx, idx);
  KLineParts k{ctx, rec, series, m, f.list, f.hitAreas};
  k.chartArea = area;
  k.panels = klinePanels(KLinePanelParams{area, v.showVol, v.showSub, v.panelFill});
  f.list.fill(area, kChartBackground);
  if (area.empty()) return f;
  if (series.bars.empty()) {
    if (nothingToShow(rec, v.period, ctx.tradeMode)) emptyMessage(k);
    return f;  // a cut that keeps nothing leaves a blank chart
  }

  k.maPeriods = maPeriods();
  PriceTicks ticks;
  for (int pass = 0, aw = kDefaultAxisWidth;; ++pass) {
    // The axis width follows the labels of the scale it makes room for; it settles at once in
    // all but rare cases, and the last pass stands whatever it gives.
    const int need = layOut(k, aw, ticks);
    if (need == aw || pass == 2) break;
    aw = need;
  }
  f.axisWidth = k.axisWidth;
  if (msgTraceOn()) {
    traceLine("DRAW step 1 pr=(%d,%d,%d,%d) vr=(%d,%d,%d,%d) sr=(%d,%d,%d,%d) ks.size=%zu", k.pr.left, k.pr.top,
              k.pr.right, k.pr.bottom, k.vr.left, k.vr.top, k.vr.right, k.vr.bottom, k.sr.left, k.sr.top, k.sr.right,
              k.sr.bottom, series.bars.size());
    traceLine("DRAW step 2 chartW=%d pxPerBar=%d N=%d ks.size=%zu barCount=%d", k.pr.width(), k.w.pxPerBar,
              k.w.count, series.bars.size(), v.barCount);
  }
  // A main panel too small for a plot, or no room for a bar, draws nothing more.
  if (k.pr.empty() || !k.w.usable()) return f;

  buildGridAndAxis(k, ticks);
  buildCandles(k);
  buildMainOverlay(k);
  if (v.dealMarks && ctx.dealAccount) buildDealMarks(k);
  buildMainTitle(k);
  if (ctx.tradeMode == TradeMode::RealTime && !rec.note.empty())
    textRight(f.list, m, messageFont(), k.panels.main.right - 4, k.pr.top + 4, rec.note, kNoteColor);
  f.geometry = geometryOf(k);
  if (v.showVol && !k.panels.vol.empty()) buildVolumePanel(k);
  if (v.showSub && !k.panels.sub.empty()) buildSubPanel(k);
  buildDateStrip(k);
  buildIndicatorStrip(k);
  buildSeparators(k);
  return f;
}

}  // namespace zor
