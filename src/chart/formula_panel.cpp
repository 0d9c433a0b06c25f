// A formula in the K-line sub panel, and the formula items (icons, texts, sticks, ...) that the
// price panel and the sub panel draw at their bars.
#include <algorithm>
#include <cmath>

#include "chart/chart_draw.h"
#include "chart/kline_parts.h"
#include "platform/text.h"
#include "platform/trace_log.h"

namespace zor {

namespace {

constexpr Color kStickUp = rgb(230, 40, 40);
constexpr Color kStickDown = rgb(40, 190, 90);
constexpr Color kDivider = rgb(150, 150, 150);

int stickWidth(int param) {
  const int w = param < 1 ? 3 : 2 * param;
  return w > 10 ? 12 : w;
}

Rect spanRect(int x0, int x1, int y0, int y1) {
  Rect r{std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1)};
  if (r.bottom == r.top) r.bottom = r.top + 1;
  if (r.right == r.left) r.right = r.left + 1;
  return r;
}

// Values that keep to one side of zero and span less than a third of their distance from it
// get a scale of their own instead of one reaching to zero.
bool farFromZero(double lo, double hi) {
  const double span = hi - lo;
  return !(lo < 0 && 0 < hi) && span > 1e-9 && 3 * span < (lo < 0 ? std::fabs(lo) : hi);
}

// The scale of a formula panel over lo..hi: zero on grid row z when the values reach below
// zero, 0-based above zero, tight around data far from zero; AXIS 1 centres it on zero.
ValueScale formulaScale(double lo, double hi, int axis, int z, const Rect& plot) {
  const double span = hi - lo;
  ValueScale s{lo, hi, plot.top, plot.bottom};
  if (farFromZero(lo, hi)) {
    const double pad = 0.08 * span;
    s.lo = lo - pad;
    s.hi = hi + pad;
    if (s.lo >= s.hi) s.hi = s.lo + 1;
  } else if (lo < 0) {
    s = zeroAnchoredScale(lo, hi, z, plot);
  } else {
    s.lo = 0;
    s.hi = hi + 0.08 * (span > 1e-9 ? span : 1);
    if (!(s.hi > 0)) s.hi = 1;
  }
  if (axis == 1) {
    double v = std::max(std::fabs(s.lo), std::fabs(s.hi));
    if (v < 1e-9) v = 1;
    s.lo = -1.05 * v;
    s.hi = 1.05 * v;
  }
  return s;
}

}  // namespace

std::optional<int> barX(const KLineParts& k, int bar) {
  if (bar < k.w.start || bar >= k.w.start + k.visible()) return std::nullopt;
  return k.w.indexToX(bar - k.w.start);
}

void iconTriangle(DrawList& out, int x, int y, int icon, Color c) {
  const bool up = icon == 1 || icon == 4 || icon == 7;
  const int apex = up ? y - 11 : y + 11, base = up ? y + 6 : y - 6;
  out.add(PolygonOp{{Point{x, apex}, Point{x - 7, base}, Point{x + 7, base}}, c, true});
}

void buildBarItems(KLineParts& k, const std::vector<DrawingItem>& items, const ValueScale& s, const Rect& plot,
                   bool panelItems) {
  const Font f = panelFont();
  for (const DrawingItem& it : items) {
    const Color c = formulaColor(it.colour, kYellow);
    if (it.bar < 0) {
      if (!panelItems) continue;
      const int x = plot.left + toPixel(plot.width() * it.value1), y = plot.top + toPixel(plot.height() * it.value2);
      if (it.kind == ItemText && !it.text.empty()) {
        // Panel-relative texts are yellow whatever the item's colour.
        if (it.param == 1)
          textRight(k.out, k.m, f, x, y, it.text, kYellow);
        else
          textLeft(k.out, k.m, f, x, y, it.text, kYellow);
      } else if (it.kind == ItemRelRect) {
        const int x1 = plot.left + toPixel(plot.width() * it.value3), y1 = plot.top + toPixel(plot.height() * it.value4);
        k.out.frame(spanRect(x, x1, y, y1), c);
      }
      continue;
    }
    const std::optional<int> x = barX(k, it.bar);
    if (!x) continue;
    switch (it.kind) {
      case ItemIcon: iconTriangle(k.out, *x, s.y(it.value1), it.param, c); break;
      case ItemText:
        if (!it.text.empty()) textCenter(k.out, k.m, f, *x, s.y(it.value1) - 12, it.text, c);
        break;
      case ItemStick: {
        const int w = stickWidth(it.param);
        k.out.fill(spanRect(*x - w / 2, *x - w / 2 + w, s.y(it.value1), s.y(it.value2)), c);
        break;
      }
      case ItemVertLine: k.out.fill(Rect{*x, plot.top, *x + 1, plot.bottom}, c); break;
      case ItemSegment:
        if (panelItems)
          if (std::optional<int> x1 = barX(k, it.param)) k.out.line(Point{*x, s.y(it.value1)}, Point{*x1, s.y(it.value2)}, c);
        break;
      case ItemBandColumn:
        if (panelItems) {
          const int i = it.bar - k.w.start;
          k.out.fill(spanRect(k.w.slotLeft(i), k.w.slotLeft(i + 1), s.y(it.value1), s.y(it.value2)), c);
        }
        break;
      default: break;
    }
  }
}

void buildFormulaSub(KLineParts& k, const FormulaDef* def) {
  const Rect& sr = k.sr;
  const std::string& name = k.ctx.view.subFormula;
  if (msgTraceOn()) traceLine("drawFormulaSub ENTER name='%s' found=%d subInd=%d", name.c_str(), int(def != nullptr), k.ctx.view.subInd);
  if (!def) return;
  FormulaRunPtr run = k.run(def);
  if (!run->ok) return;
  const Font f = panelFont();
  const int start = k.w.start, end = k.w.start + k.visible();

  double lo = 1e300, hi = -1e300;
  for (const OutputLine& line : run->lines)
    for (int j = start; j < end && size_t(j) < line.values.size(); ++j) {
      const double v = line.values[size_t(j)];
      if (isNoValue(v)) continue;
      lo = std::min(lo, v);
      hi = std::max(hi, v);
    }
  const bool hasRange = hi >= lo;
  ValueScale s{0, 1, sr.top, sr.bottom};
  if (hasRange) {
    const std::vector<int> rows = panelGridRows(sr);
    // Zero sits on a grid row only where the scale is built around it.
    const int z = lo < 0 && !farFromZero(lo, hi) ? zeroLineRow(rows, sr, k.ctx.view.panelFill) : -1;
    s = formulaScale(lo, hi, def->axis, z, sr);
    const int zeroY = z >= 0 && def->axis != 1 ? z : s.y(0);
    for (int y : rows)
      if (lo >= 0 || std::abs(y - zeroY) > 2) dottedHLine(k.out, sr.left, sr.right - 1, y, 1, 3);
    k.out.pushClip(sr);
    if (lo < 0) dottedHLine(k.out, sr.left, sr.right - 1, zeroY, 1, 1);
    for (double d : def->yDividers) {
      const int y = s.y(d);
      if (d > s.lo && d < s.hi && y > sr.top && y < sr.bottom)
        k.out.add(LineOp{Point{sr.left, y}, Point{sr.right, y}, Pen{kDivider, 1, PenStyle::Dot}});
    }
    for (const DrawingItem& it : run->items)
      if (it.kind == ItemBackground && it.colour >= 0) k.out.fill(sr, formulaColor(it.colour, kYellow));

    const int stickW = std::clamp(int(std::floor(0.62 * k.w.slot)), 1, 12);
    for (size_t li = 0; li < run->lines.size(); ++li) {
      const OutputLine& line = run->lines[li];
      if (line.style == StyleNoDraw) continue;
      const Color c = formulaColor(line.colour, paletteColor(li));
      const int thick = std::clamp(int(line.thickness), 1, 5);
      auto value = [&](int j) { return size_t(j) < line.values.size() ? line.values[size_t(j)] : noValue; };
      switch (line.style) {
        case StyleColorStick:
        case StyleVolStick:
        case StyleStick:
          for (int j = start; j < end; ++j) {
            const double v = value(j);
            if (isNoValue(v)) continue;
            Color sc = c;
            if (line.style == StyleColorStick) sc = v >= 0 ? kStickUp : kStickDown;
            if (line.style == StyleVolStick) sc = (j == 0 || isNoValue(value(j - 1)) || v >= value(j - 1)) ? kStickUp : kStickDown;
            const int x = k.w.indexToX(j - start);
            k.out.fill(spanRect(x - stickW / 2, x - stickW / 2 + stickW, s.y(0), s.y(v)), sc);
          }
          break;
        case StylePointDot:
        case StyleCrossDot:
        case StyleCircleDot:
          for (int j = start; j < end; ++j) {
            const double v = value(j);
            if (isNoValue(v)) continue;
            const int x = k.w.indexToX(j - start), y = s.y(v);
            if (line.style == StylePointDot) {
              k.out.fill(Rect{x, y, x + 1, y + 1}, c);
            } else if (line.style == StyleCrossDot) {
              k.out.line(Point{x - 2, y}, Point{x + 3, y}, c);
              k.out.line(Point{x, y - 2}, Point{x, y + 3}, c);
            } else {
              k.out.add(EllipseOp{Rect{x - 2, y - 2, x + 2, y + 2}, c, false});
            }
          }
          break;
        default: {
          PolylineRuns runs(k.out, Pen{c, thick, line.style == StyleDotLine ? PenStyle::Dot : PenStyle::Solid});
          for (int j = start; j < end; ++j) {
            const double v = value(j);
            if (isNoValue(v)) {
              if (!line.polyline) runs.lift();
              continue;
            }
            runs.add(k.w.indexToX(j - start), s.y(v));
          }
        }
      }
    }
    buildBarItems(k, run->items, s, sr, true);
    k.out.popClip();
  }

  // Title: name and parameters, then each drawn line's value at the last visible bar.
  int x = sr.left + 18;
  panelMenuGlyph(k.out, sr.left + 1, sr.top + 9);
  x += textLeft(k.out, k.m, f, x, sr.top, def->name + "(" + joinValues(currentParamValues(*def)) + ")", kSilver) + 5;
  for (size_t li = 0; li < run->lines.size(); ++li) {
    const OutputLine& line = run->lines[li];
    if (line.style == StyleNoDraw || end <= 0 || size_t(end - 1) >= line.values.size()) continue;
    const double v = line.values[size_t(end - 1)];
    if (isNoValue(v)) continue;
    const std::string text =
        line.name + ": " + (std::fabs(v) >= 10000 ? fixed(v, 0) : fixed(v, std::clamp(int(def->decimals), 0, 4)));
    x += textLeft(k.out, k.m, f, x, sr.top, text, paletteColor(li)) + 5;
  }
  k.hits.push_back(HitArea{sr.left - 1, sr.top + 1, x - 5 + 3, sr.top + 17, HitKind::SubPanelTitle, 0});
  if (!hasRange) return;
  buildValueLabels(k, panelValueLabels(s, sr, false), k.panels.sub);
}

}  // namespace zor
