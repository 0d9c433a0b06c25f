// The K-line crosshair read-out: a layer of its own over the painted chart, built from the
// geometry the chart paint left, so that moving the mouse never recomputes the chart.
#include <algorithm>
#include <cmath>

#include "chart/chart_draw.h"
#include "chart/intraday_chart.h"
#include "chart/kline_chart.h"
#include "platform/calendar.h"
#include "platform/text.h"

namespace zor {

std::string crosshairDate(std::string_view text, bool masked) {
  if (masked) return "****-**-**";
  int y = 0, m = 0, d = 0;
  bool digits = text.size() >= 8;
  for (size_t i = 0; digits && i < 8; ++i) digits = text[i] >= '0' && text[i] <= '9';
  if (digits) {
    auto num = [&](size_t from, size_t n) {
      int v = 0;
      for (size_t i = from; i < from + n; ++i) v = v * 10 + (text[i] - '0');
      return v;
    };
    y = num(0, 4), m = num(4, 2), d = num(6, 2);
    if (y >= 1901 && m >= 1 && m <= 12 && d >= 1 && d <= 31) {
      static const char* const kWeekdays[7] = {"日", "一", "二", "三", "四", "五", "六"};
      return strPrintf("%04d/%02d/%02d/%s", y, m, d, kWeekdays[weekdayOf(y * 10000 + m * 100 + d)]);
    }
  }
  return std::string(text);
}

DrawList klineCrosshair(const ChartGeometry& g, int mx, int my, TextMeasure& m) {
  DrawList out;
  const Rect& pr = g.pr;
  const BarWindow& w = g.window;
  if (!g.valid || pr.empty() || !w.usable()) return out;
  if (mx < pr.left || mx > pr.right || my < pr.top || my > pr.bottom) return out;
  const int i = w.xToIndex(mx);
  if (i < 0 || size_t(i) >= g.dates.size() || g.dates[size_t(i)].empty()) return out;
  const Font f = axisFont();

  // The price at the mouse, in a box on the price axis.
  const double price = g.lo + double(pr.bottom - my) / std::max(1, pr.bottom - pr.top) * (g.hi - g.lo);
  const int t = m.size(f, "0.00").cy + 4;
  const Rect box{pr.right + 1, my - t / 2, g.mainRect.right, my - t / 2 + t};
  out.fill(box, kReadoutFill);
  out.hline(box.left, box.right, box.top - 1, kGridRed);
  out.hline(box.left, box.right, box.bottom, kGridRed);
  out.text(pr.right + 3, box.top + 2, fixed(price, 2), kSilver, f);

  // The bar's date, the bars after it and the change from its close to the last close.
  const double close = g.closes[size_t(i)];
  const double change = close > 0 && g.lastClose > 0 ? (g.lastClose - close) / close * 100 : 0;
  const int after = g.seriesLength - w.start - i - 1;
  const std::string text = strPrintf("%s %d 至今涨幅%.2f%%", crosshairDate(g.dates[size_t(i)], g.masked).c_str(), after, change);
  const int tw = m.width(f, text);
  int left = std::max(w.indexToX(i) - (tw + 16) / 2, pr.left + 2);
  if (left + tw + 16 > pr.right - 2) left = pr.right - tw - 18;
  const int top = g.stripTop();
  out.fill(Rect{left, top + 1, left + tw + 16, top + 16}, kReadoutFill);
  out.vline(left - 1, top + 1, top + 16, kGridRed);
  out.vline(left + tw + 16, top + 1, top + 16, kGridRed);
  out.text(left + 8, top + 2, text, kSilver, f);
  return out;
}

}  // namespace zor

namespace zor {

DrawList intradayCrosshair(const IntradayGeometry& g, int mx, int my, TextMeasure& m) {
  DrawList out;
  const int w = g.width();
  if (!g.valid || w <= 0 || g.priceH <= 0) return out;
  if (mx < g.plotLeft || mx > g.plotRight || my < g.plotTop || my > g.plotBottom) return out;
  const Font f = axisFont();
  auto round = [](double v) { return int(std::floor(v + 0.5)); };

  const int p = std::clamp(round((mx - g.plotLeft) * 240.0 / w), 0, 240);
  const int clock = p <= 120 ? 570 + p : 780 + (p - 120);
  const std::string time = strPrintf("%02d:%02d", clock / 60, clock % 60);
  const int tw = m.width(f, time) + 7;
  const int left = std::max(g.plotLeft, std::min(g.plotLeft + round(p * double(w) / 240) - tw / 2, g.plotRight + 1 - tw));
  out.fill(Rect{left, g.plotBottom + 1, left + tw, g.plotBottom + 18}, kReadoutFill);
  out.vline(left - 1, g.plotBottom + 1, g.plotBottom + 18, kGridRed);
  out.vline(left + tw, g.plotBottom + 1, g.plotBottom + 18, kGridRed);
  textCenter(out, m, f, left + tw / 2, g.plotBottom + 2, time, kSilver);

  // Over the price plot (and the panels above the volume's top) the price at the mouse.
  if (my <= g.volTop) {
    const double V = g.range;
    const double price = ((1.1 * V - (my - g.plotTop) * 2.2 * V / g.priceH) / 100 + 1) * g.base;
    const int t = m.size(f, "0.00").cy + 4;
    const Rect box{g.plotRight + 1, my - t / 2, g.chartArea.right, my - t / 2 + t};
    out.fill(box, kReadoutFill);
    out.hline(box.left, box.right, box.top - 1, kGridRed);
    out.hline(box.left, box.right, box.bottom, kGridRed);
    out.text(g.plotRight + 3, box.top + 2, fixed(price, 2), kSilver, f);
  }
  return out;
}

}  // namespace zor
