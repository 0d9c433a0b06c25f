// The volume panel and the fixed-look sub panels: MACD, KDJ and RSI (their values from the
// formulas of those names with current parameters) and VOL.
#include <algorithm>
#include <cmath>

#include "chart/chart_draw.h"
#include "chart/kline_parts.h"
#include "formula/formula_store.h"
#include "platform/text.h"

namespace zor {

namespace {

constexpr Color kRsiColors[2] = {rgb(255, 220, 90), rgb(200, 160, 255)};

double volumeOf(const DayBar& b) { return b.volume; }

// A panel title: the menu glyph, then texts 5 pixels apart from left + 18 at the plot's top;
// registers the title's hit area and returns its right end.
class PanelTitle {
 public:
  PanelTitle(KLineParts& k, const Rect& plot) : k_(k), plot_(plot), x_(plot.left + 18) {
    panelMenuGlyph(k.out, plot.left + 1, plot.top + 9);
  }
  void add(const std::string& s, Color c) { end_ = x_ + textLeft(k_.out, k_.m, panelFont(), x_, plot_.top, s, c), x_ = end_ + 5; }
  void finish(HitKind kind) {
    k_.hits.push_back(HitArea{plot_.left - 1, plot_.top + 1, std::max(end_, plot_.left) + 3, plot_.top + 17, kind, 0});
  }

 private:
  KLineParts& k_;
  Rect plot_;
  int x_;
  int end_ = 0;
};

void commonGrid(KLineParts& k, int skipNear = -1000) {
  for (int y : panelGridRows(k.sr))
    if (std::abs(y - skipNear) > 2) dottedHLine(k.out, k.sr.left, k.sr.right - 1, y, 1, 3);
}

// Values of one formula line at the window positions (noValue where it has none).
std::vector<double> visibleLine(const KLineParts& k, const FormulaRun& run, size_t line) {
  std::vector<double> vis(size_t(k.visible()), noValue);
  if (line >= run.lines.size()) return vis;
  const std::vector<double>& all = run.lines[line].values;
  for (int i = 0; i < k.visible(); ++i)
    if (size_t(k.w.start + i) < all.size()) vis[size_t(i)] = all[size_t(k.w.start + i)];
  return vis;
}

void linePolyline(KLineParts& k, const std::vector<double>& vis, const ValueScale& s, Color c) {
  PolylineRuns runs(k.out, Pen{c, 1, PenStyle::Solid});
  for (int i = 0; i < int(vis.size()); ++i) {
    if (isNoValue(vis[size_t(i)])) {
      runs.lift();
      continue;
    }
    runs.add(k.w.indexToX(i), s.y(vis[size_t(i)]));
  }
}

std::string lastText(const std::vector<double>& vis, int decimals) {
  return vis.empty() || isNoValue(vis.back()) ? std::string("-") : fixed(vis.back(), decimals);
}

// Volume bars and their 5- and 10-bar averages on a scale whose top is `top` shares.
void volumeBars(KLineParts& k, const Rect& plot, double top, std::vector<double>& ma5, std::vector<double>& ma10) {
  const int h = plot.height();
  const double half = std::floor(k.w.bodyWidth) < 1 ? 0 : std::floor(k.w.bodyWidth) / 2;
  for (int i = 0; i < k.visible(); ++i) {
    const DayBar& b = k.bar(i);
    const double x = k.pr.left + (i + 0.5) * k.w.slot;
    Rect r{int(std::floor(x - half)), int(std::floor(plot.bottom - b.volume / top * h)), int(std::floor(x + half)),
           plot.bottom};
    if (r.right == r.left) r.right = r.left + 1;
    if (b.close >= b.open)
      k.out.frame(r, kRising);
    else
      k.out.fill(r, kFalling);
  }
  ma5 = visibleAverage(k.bars(), k.w, 5, volumeOf, false);
  ma10 = visibleAverage(k.bars(), k.w, 10, volumeOf, false);
  ValueScale s{0, top, plot.top, plot.bottom};
  for (auto [ma, c] : {std::pair{&ma5, kWhite}, {&ma10, kYellow}}) {
    PolylineRuns runs(k.out, Pen{c, 1, PenStyle::Solid});
    for (int i = 0; i < int(ma->size()); ++i) {
      if ((*ma)[size_t(i)] == 0) {
        runs.lift();
        continue;
      }
      runs.add(k.w.indexToX(i), s.y((*ma)[size_t(i)]));
    }
  }
}

double lastVolume(const KLineParts& k) { return k.visible() > 0 ? k.bar(k.visible() - 1).volume : 0; }
double lastOf(const std::vector<double>& v) { return v.empty() ? 0 : v.back(); }

void buildMacd(KLineParts& k) {
  const FormulaDef* def = findFormula("MACD");
  FormulaRunPtr run = k.run(def);
  const Rect& sr = k.sr;
  const std::vector<int> rows = panelGridRows(sr);
  int z = zeroLineRow(rows, sr, k.ctx.view.panelFill);
  commonGrid(k, z < 0 ? -1000 : z);
  if (!run || !run->ok) return;
  std::vector<double> dif = visibleLine(k, *run, 0), dea = visibleLine(k, *run, 1), macd = visibleLine(k, *run, 2);
  double lo = 0, hi = 0;
  for (const std::vector<double>* line : {&dif, &dea, &macd})
    for (double v : *line)
      if (!isNoValue(v)) lo = std::min(lo, v), hi = std::max(hi, v);
  const ValueScale s = zeroAnchoredScale(lo, hi, z, sr);
  if (z < 0) z = s.y(0);
  k.out.pushClip(sr);
  const int x0 = int(std::floor(k.pr.left + 0.5 * k.w.slot));
  for (int i = 0; i < int(macd.size()); ++i) {
    if (isNoValue(macd[size_t(i)])) continue;
    const int x = x0 + int(std::floor(i * k.w.slot)), y = s.y(macd[size_t(i)]);
    if (y != z) k.out.line(Point{x, z}, Point{x, y}, macd[size_t(i)] >= 0 ? kRising : kFalling);
  }
  dottedHLine(k.out, sr.left, sr.right - 1, z, 1, 1);
  linePolyline(k, dif, s, kWhite);
  linePolyline(k, dea, s, kYellow);
  k.out.popClip();
  PanelTitle t(k, sr);
  t.add("MACD(" + joinValues(currentParamValues(*def)) + ")", kSilver);
  t.add("DIF: " + lastText(dif, 2), kWhite);
  t.add("DEA: " + lastText(dea, 2), kYellow);
  t.add("MACD: " + lastText(macd, 2), kMagenta);
  t.finish(HitKind::SubPanelTitle);
  buildValueLabels(k, panelValueLabels(s, sr, k.ctx.view.panelFill != FillSub), k.panels.sub);
}

// KDJ and RSI: lines on a fixed 0 .. 100 scale.
void buildOscillator(KLineParts& k, bool kdj) {
  const FormulaDef* def = findFormula(kdj ? "KDJ" : "RSI");
  FormulaRunPtr run = k.run(def);
  const Rect& sr = k.sr;
  commonGrid(k);
  const int h = sr.height();
  if (kdj)
    for (double p : {0.0, 0.2, 0.5, 0.8, 1.0}) dottedHLine(k.out, sr.left, sr.right - 1, sr.bottom - int(h * p), 1, 3);
  if (!run || !run->ok) return;
  const ValueScale s{0, 100, sr.top, sr.bottom};
  const std::vector<double> params = currentParamValues(*def);
  PanelTitle t(k, sr);
  k.out.pushClip(sr);
  if (kdj) {
    static const char* const kNames[3] = {"K", "D", "J"};
    static const Color kColors[3] = {kWhite, kYellow, kMagenta};
    std::vector<std::string> labels;
    for (size_t line = 0; line < 3; ++line) {
      std::vector<double> vis = visibleLine(k, *run, line);
      linePolyline(k, vis, s, kColors[line]);
      labels.push_back(std::string(kNames[line]) + ": " + lastText(vis, 1));
    }
    k.out.popClip();
    t.add("KDJ(" + joinValues(params) + ")", kSilver);
    for (size_t line = 0; line < 3; ++line) t.add(labels[line], kColors[line]);
  } else {
    // The panel shows the first two lines; their labels name the periods they use.
    std::vector<double> shown(params.begin(), params.begin() + std::ptrdiff_t(std::min<size_t>(2, params.size())));
    std::vector<std::string> labels;
    for (size_t line = 0; line < 2; ++line) {
      std::vector<double> vis = visibleLine(k, *run, line);
      linePolyline(k, vis, s, kRsiColors[line]);
      const std::string name = line < shown.size() ? "RSI" + joinValues({shown[line]})
                               : line < run->lines.size() ? run->lines[line].name
                                                          : std::string("RSI");
      labels.push_back(name + ": " + lastText(vis, 1));
    }
    k.out.popClip();
    t.add("RSI(" + joinValues(shown) + ")", kSilver);
    for (size_t line = 0; line < 2; ++line) t.add(labels[line], kRsiColors[line]);
  }
  t.finish(HitKind::SubPanelTitle);
}

void buildVolSub(KLineParts& k) {
  commonGrid(k);
  double top = 0;
  for (const DayBar& b : k.bars()) top = std::max(top, b.volume);
  top = std::max(1.0, 1.05 * top);
  std::vector<double> ma5, ma10;
  k.out.pushClip(k.sr);
  volumeBars(k, k.sr, top, ma5, ma10);
  k.out.popClip();
  PanelTitle t(k, k.sr);
  t.add("VOL-ZOR(5,10)", kSilver);
  t.add(strPrintf("VOLUME: %.0f", lastVolume(k) / 100), kRsiColors[0]);
  t.add(strPrintf("MA5: %.0f", lastOf(ma5) / 100), kRsiColors[0]);
  t.add(strPrintf("MA10: %.0f", lastOf(ma10) / 100), kRsiColors[1]);
  t.finish(HitKind::SubPanelTitle);
}

}  // namespace

void buildValueLabels(KLineParts& k, const std::vector<ValueLabel>& labels, const Rect& panel) {
  const Font f = axisFont();
  const int height = std::max(1, k.m.size(f, "0.00").cy);
  int below = 1 << 30;  // top of the label drawn last (labels come from the lowest value up)
  for (const ValueLabel& l : labels) {
    if (l.y + height > below) continue;
    textRight(k.out, k.m, f, panel.right - 4, l.y, fixed(l.value, 2), kAxisLabel);
    below = l.y;
  }
}

void buildVolumePanel(KLineParts& k) {
  const Rect& vr = k.vr;
  const int h = vr.height();
  if (h >= 9)
    for (int q = 1; q <= 3; ++q) dottedHLine(k.out, vr.left, vr.right - 1, vr.top + q * h / 4, 1, 3);
  double maxVol = 0;
  for (int i = 0; i < k.visible(); ++i) maxVol = std::max(maxVol, k.bar(i).volume);
  if (maxVol < 1e-9) maxVol = 1;
  const VolumeScale scale = volumeScale(maxVol);
  std::vector<double> ma5, ma10;
  k.out.pushClip(Rect{vr.left, vr.top, vr.right, vr.bottom + 1});
  volumeBars(k, vr, 100 * scale.topLots, ma5, ma10);
  k.out.popClip();

  PanelTitle t(k, vr);
  t.add("VOL-ZOR(5,10)", kSilver);
  t.add(strPrintf("VOLUME: %.0f", lastVolume(k) / 100), kWhite);
  t.add(strPrintf("MA5: %.0f", lastOf(ma5) / 100), kWhite);
  t.add(strPrintf("MA10: %.0f", lastOf(ma10) / 100), kYellow);
  t.finish(HitKind::VolumePanelTitle);

  if (h < 20) return;
  const int right = k.panels.vol.right - 4;
  for (int n = 3; n >= 1; --n) {
    const double value = n * scale.topLots * 0.25 / scale.unit;
    if (value < 0.5) continue;
    const int y = std::min(vr.bottom - 12, std::max(vr.top, vr.top + (4 - n) * h / 4 - 8));
    textRight(k.out, k.m, axisFont(), right, y, strPrintf("%.0f", value), kAxisLabel);
  }
  if (scale.unit >= 10) {
    const std::string unit = strPrintf("X%.0f", scale.unit);
    const int boxRight = std::min(vr.right + k.axisWidth - 2, vr.right + k.m.width(panelFont(), unit) + 4);
    if (boxRight - vr.right >= 14) {
      k.out.fill(Rect{vr.right, vr.bottom - 12, boxRight, vr.bottom + 2}, kChartBackground);
      k.out.frame(Rect{vr.right, vr.bottom - 12, boxRight + 1, vr.bottom + 3}, kAxisLabel);
      k.out.text(vr.right + 3, vr.bottom - 13, unit, kAxisLabel, panelFont());
    }
  }
}

void buildSubPanel(KLineParts& k) {
  const ChartView& v = k.ctx.view;
  switch (v.subInd) {
    case SubMACD: buildMacd(k); break;
    case SubKDJ: buildOscillator(k, true); break;
    case SubRSI: buildOscillator(k, false); break;
    case SubFormula:
      if (!v.subFormula.empty()) {
        const FormulaDef* def = findFormula(v.subFormula);
        if (!def) commonGrid(k);
        buildFormulaSub(k, def);
        break;
      }
      [[fallthrough]];
    default: buildVolSub(k); break;
  }
}

}  // namespace zor
