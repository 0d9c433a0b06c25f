// The lower panels of the intraday chart: the volume sticks and the formula sub panels.
#include <algorithm>
#include <cmath>

#include "chart/chart_draw.h"
#include "chart/chart_series.h"
#include "chart/formula_cache.h"
#include "chart/intraday_chart.h"
#include "formula/formula_store.h"
#include "platform/text.h"
#include "platform/trace_log.h"

namespace zor {

namespace {

constexpr Color kVolumeColor = rgb(192, 192, 0);
constexpr Color kStickUp = rgb(255, 50, 50);
constexpr Color kStickDown = rgb(84, 255, 255);

struct Panel {
  Rect plot;
  double lo = 0, hi = 1;
  int x(int pos) const { return int(std::floor(pos * double(plot.width()) / 240 + plot.left)); }
  int y(double v) const { return plot.bottom - toPixel((v - lo) / (hi - lo) * plot.height()); }
};

// The sub panel's glyph: the panel menu disc one pixel right and down, with a solid dark
// triangle pointing down.
void subPanelGlyph(DrawList& out, const Rect& plot) {
  panelMenuGlyph(out, plot.left + 2, plot.top + 10, false);
  static const int kRows[4][2] = {{5, 6}, {5, 6}, {6, 4}, {7, 2}};  // start, width
  for (int r = 0; r < 4; ++r)
    out.fill(Rect{plot.left + kRows[r][0], plot.top + 8 + r, plot.left + kRows[r][0] + kRows[r][1], plot.top + 9 + r},
             kGlyphMarkDark);
}

std::string paramText(double v) {
  return v == std::floor(v) && std::fabs(v) < 1e9 ? strPrintf("%d", int(v)) : strPrintf("%g", v);
}

}  // namespace

void buildFsVolume(DrawList& out, const Rect& plot, std::span<const MinuteBar> day, const std::vector<double>& own) {
  if (plot.height() <= 5) return;
  double most = 0;
  for (double v : own) most = std::max(most, v);
  if (!(most > 0)) return;
  const Panel p{plot};
  for (size_t i = 0; i < day.size() && i < own.size(); ++i) {
    const int x = p.x(minutePosition(day[i].time));
    const int top = std::max(plot.top, int(std::floor(plot.bottom - own[i] / most * plot.height())));
    if (top < plot.bottom) out.vline(x, top, plot.bottom, kVolumeColor);
  }
}

void buildFsSubPanel(DrawList& out, std::vector<HitArea>& hits, TextMeasure& m, const FsPanel& fp, int panel,
                     const std::string& name, const std::array<int, 4>& overrides) {
  if (fp.plot.height() <= 5 || name.empty()) return;
  const FormulaDef* def = findFormula(name);
  if (!def) return;
  // Configured values of at least 1 replace the formula's own first four parameters.
  std::vector<double> values = currentParamValues(*def);
  for (size_t i = 0; i < values.size() && i < overrides.size(); ++i)
    if (overrides[i] >= 1) values[i] = overrides[i];
  FormulaRunPtr run = runChartFormula(*def, values, intradayKey(*fp.rec, fp.day), fp.datesHidden,
                                      [&](FormulaInput& in) { in = intradayFormulaInput(fp.day, fp.datesHidden); });
  if (!run->ok) {
    if (msgTraceOn()) traceLine("drawFsSubPanel runFormula FAIL name=%s err=%s", name.c_str(), run->error.c_str());
    return;
  }
  if (msgTraceOn()) traceLine("drawFsSubPanel ok name=%s lines=%zu", name.c_str(), run->lines.size());

  const size_t c = fp.day.size();
  double lo = 1e300, hi = -1e300;
  for (const OutputLine& line : run->lines)
    for (size_t i = 0; i < c && i < line.values.size(); ++i)
      if (!isNoValue(line.values[i])) lo = std::min(lo, line.values[i]), hi = std::max(hi, line.values[i]);
  if (hi < lo) return;
  double span = hi - lo;
  if (span <= 0) span = std::fabs(hi) * 0.1 > 0 ? std::fabs(hi) * 0.1 : 1;
  Panel p{fp.plot};
  const bool straddles = lo < 0 && 0 < hi;
  if (straddles) {
    p.lo = lo - 0.1 * span, p.hi = hi + 0.1 * span;
  } else if (lo > 0) {
    p.lo = 0, p.hi = 1.08 * hi;
  } else {
    p.lo = lo - 0.08 * span, p.hi = hi + 0.08 * span;
    if (p.lo >= p.hi) p.hi = p.lo + 1;
  }
  const Rect& r = fp.plot;
  out.pushClip(r);
  if (straddles && p.y(0) > r.top && p.y(0) < r.bottom) out.dotted(Point{r.left, p.y(0)}, Point{r.right - 1, p.y(0)}, 1, 1, kGridRed);
  for (const DrawingItem& it : run->items)
    if (it.kind == ItemBackground && it.colour >= 0) out.fill(r, formulaColor(it.colour, kYellow));

  auto xAt = [&](size_t i) { return p.x(minutePosition(fp.day[i].time)); };
  for (size_t li = 0; li < run->lines.size(); ++li) {
    const OutputLine& line = run->lines[li];
    if (line.style == StyleNoDraw) continue;
    const int width = std::clamp(int(line.thickness), 1, 5);
    if (line.style == StyleColorStick || line.style == StyleVolStick || line.style == StyleStick) {
      for (size_t i = 0; i < c && i < line.values.size(); ++i) {
        const double v = line.values[i];
        if (isNoValue(v)) continue;
        const Color col = line.colour >= 0 ? formulaColor(line.colour, kWhite) : v >= 0 ? kStickUp : kStickDown;
        out.line(Point{xAt(i), p.y(v)}, Point{xAt(i), p.y(0)}, col, width);
      }
      continue;
    }
    PolylineRuns runs(out, Pen{formulaColor(line.colour, paletteColor(li)), width,
                               line.style == StyleDotLine ? PenStyle::Dot : PenStyle::Solid});
    for (size_t i = 0; i < c && i < line.values.size(); ++i) {
      if (isNoValue(line.values[i])) {
        runs.lift();
        continue;
      }
      runs.add(xAt(i), p.y(line.values[i]));
    }
  }
  const Font f = intradayFont();
  for (const DrawingItem& it : run->items) {
    const Color col = formulaColor(it.colour, kYellow);
    if (it.bar < 0) {
      const int x = r.left + toPixel(r.width() * it.value1), y = r.top + toPixel(r.height() * it.value2);
      if (it.kind == ItemText && !it.text.empty()) {
        if (it.param == 1)
          textRight(out, m, f, x, y, it.text, col);
        else
          textLeft(out, m, f, x, y, it.text, col);
      } else if (it.kind == ItemRelRect) {
        const int x1 = r.left + toPixel(r.width() * it.value3), y1 = r.top + toPixel(r.height() * it.value4);
        out.frame(Rect{std::min(x, x1), std::min(y, y1), std::max(x, x1) + 1, std::max(y, y1) + 1}, col);
      }
      continue;
    }
    if (size_t(it.bar) >= c) continue;
    const int x = xAt(size_t(it.bar)), y1 = p.y(it.value1), y2 = p.y(it.value2);
    switch (it.kind) {
      case ItemIcon:
        out.add(PolygonOp{{Point{x, y1 - 5}, Point{x - 4, y1 + 3}, Point{x + 4, y1 + 3}}, col, true});
        break;
      case ItemText:
        if (!it.text.empty()) textLeft(out, m, f, x - 4, y1 - 12, it.text, col);
        break;
      case ItemSegment:
        if (it.param >= 0 && size_t(it.param) < c) out.line(Point{x, y1}, Point{xAt(size_t(it.param)), y2}, col);
        break;
      case ItemStick: {
        const int w = std::min(10, it.param < 1 ? 2 : 2 * it.param);
        out.fill(Rect{x - w / 2, std::min(y1, y2), x - w / 2 + w, std::max(y1, y2) + 1}, col);
        break;
      }
      case ItemBandColumn: {
        const int next = size_t(it.bar) + 1 < c ? xAt(size_t(it.bar) + 1) : x + 2;
        out.fill(Rect{x, std::min(y1, y2), std::max(next, x + 1), std::max(y1, y2) + 1}, col);
        break;
      }
      case ItemVertLine: out.vline(x, r.top, r.bottom, col); break;
      default: break;
    }
  }
  out.popClip();

  // Title: the formula with the values it ran with, then each drawn line's last value.
  subPanelGlyph(out, r);
  std::string title = def->name;
  if (!values.empty()) {
    title += "(";
    for (size_t i = 0; i < values.size(); ++i) {
      if (i) title += ',';
      title += paramText(values[i]);
    }
    title += ")";
  }
  int x = r.left + 18;
  int end = x + textLeft(out, m, f, x, r.top + 1, title, kSilver);
  x = end + 5;
  for (size_t li = 0; li < run->lines.size(); ++li) {
    const OutputLine& line = run->lines[li];
    if (line.style == StyleNoDraw || c == 0 || c - 1 >= line.values.size() || isNoValue(line.values[c - 1])) continue;
    end = x + textLeft(out, m, f, x, r.top + 1, strPrintf("%s:%.3f", line.name.c_str(), line.values[c - 1]),
                       paletteColor(li));
    x = end + 5;
  }
  hits.push_back(HitArea{r.left + 1, r.top, end + 3, r.top + 17,
                         HitKind(hitKindValue(HitKind::IntradaySubPanelTitleFirst) + panel), 0});
}

}  // namespace zor
