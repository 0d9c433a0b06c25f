// The price panel's overlay (moving averages, BOLL or a formula) and its title line.
#include <algorithm>
#include <cmath>

#include "chart/chart_draw.h"
#include "chart/kline_parts.h"
#include "formula/formula_store.h"
#include "platform/text.h"

namespace zor {

namespace {

constexpr int kLabelGap = 5;
constexpr size_t kLabelMax = 47;  // bytes of one overlay label

// A polyline over the window positions of `values` (one per position): `lifts` says where the
// pen is lifted.
template <class Lifts>
void windowPolyline(KLineParts& k, const std::vector<double>& values, const ValueScale& s, Pen pen, Lifts lifts) {
  PolylineRuns runs(k.out, pen);
  for (int i = 0; i < int(values.size()); ++i) {
    if (lifts(i, values[size_t(i)])) {
      runs.lift();
      continue;
    }
    runs.add(k.w.indexToX(i), s.y(values[size_t(i)]));
  }
}

// The BOLL bands from the formula of that name with its current parameters. Their first
// N - 1 bars are partial averages and stay hidden, as for the moving averages.
void buildBoll(KLineParts& k) {
  const FormulaDef* def = findFormula("BOLL");
  FormulaRunPtr run = k.run(def);
  if (!run || !run->ok) return;
  int n = 20;
  for (const FormulaParam& p : def->params)
    if (p.name == "N" && std::isfinite(p.defaultValue)) n = int(std::clamp(p.defaultValue + 0.5, 1.0, 1e6));
  for (size_t line = 0; line < 3 && line < run->lines.size(); ++line) {
    const std::vector<double>& all = run->lines[line].values;
    std::vector<double> vis(size_t(k.visible()), noValue);
    for (int i = 0; i < k.visible(); ++i) {
      const int j = k.w.start + i;
      if (j >= n - 1 && size_t(j) < all.size()) vis[size_t(i)] = all[size_t(j)];
    }
    windowPolyline(k, vis, k.price, Pen{kBollColors[line], 1, PenStyle::Solid},
                   [](int, double v) { return isNoValue(v) || v == 0; });
  }
}

std::string lineLabel(const OutputLine& line, double v, int decimals) {
  if (isNoValue(v)) return line.name + ": -";
  if (std::fabs(v) >= 10000) return line.name + ": " + fixed(v, 0);
  return line.name + ": " + fixed(v, std::clamp(decimals, 0, 4));
}

void buildFormulaOverlay(KLineParts& k) {
  const std::string& name = k.ctx.view.mainFormula;
  if (name.empty()) return;
  const FormulaDef* def = findFormula(name);
  if (!def || !(k.price.lo < k.price.hi)) return;
  FormulaRunPtr run = k.run(def);
  if (!run->ok) return;
  k.overlayParams = currentParamValues(*def);
  const int last = k.w.start + k.visible() - 1;
  for (size_t li = 0; li < run->lines.size(); ++li) {
    const OutputLine& line = run->lines[li];
    if (line.style == StyleNoDraw) continue;
    const double v = last >= 0 && size_t(last) < line.values.size() ? line.values[size_t(last)] : noValue;
    k.overlayLabels.push_back({cutUtf8(lineLabel(line, v, def->decimals), kLabelMax),
                               formulaColor(line.colour, paletteColor(li))});
  }
  for (size_t li = 0; li < run->lines.size(); ++li) {
    const OutputLine& line = run->lines[li];
    if (line.style != StyleLine && line.style != StyleDotLine) continue;
    std::vector<double> vis(size_t(k.visible()), noValue);
    for (int i = 0; i < k.visible(); ++i)
      if (size_t(k.w.start + i) < line.values.size()) vis[size_t(i)] = line.values[size_t(k.w.start + i)];
    Pen pen{formulaColor(line.colour, paletteColor(li)), std::clamp(int(line.thickness), 1, 5),
            line.style == StyleDotLine ? PenStyle::Dot : PenStyle::Solid};
    // A POLYLINE output joins its valid values across the gaps between them.
    if (line.polyline) {
      PolylineRuns runs(k.out, pen);
      for (int i = 0; i < int(vis.size()); ++i)
        if (!isNoValue(vis[size_t(i)])) runs.add(k.w.indexToX(i), k.price.y(vis[size_t(i)]));
    } else {
      windowPolyline(k, vis, k.price, pen, [](int, double v) { return isNoValue(v); });
    }
  }
  buildBarItems(k, run->items, k.price, k.pr, false);
}

}  // namespace

void buildMainOverlay(KLineParts& k) {
  k.out.pushClip(k.pr);
  switch (k.ctx.view.mainInd) {
    case MainBOLL: buildBoll(k); break;
    case MainFormula: buildFormulaOverlay(k); break;
    default:
      for (size_t i = 0; i < 8; ++i)
        if (k.maPeriods[i] >= 1)
          windowPolyline(k, k.ma[i], k.price, Pen{kMaColors[i], 1, PenStyle::Solid},
                         [](int, double v) { return v == 0; });
      break;
  }
  k.out.popClip();
}

void buildMainTitle(KLineParts& k) {
  const ChartView& v = k.ctx.view;
  const Font f = titleFont();
  const int top = k.panels.main.top + 1;
  int x = k.pr.left + 2;
  const std::string& name = k.series.masked ? std::string("******") : k.rec.name;
  x += textLeft(k.out, k.m, f, x, top, chartTitle(name, v.period), kSilver);
  const int glyphX = x + 6;
  panelMenuGlyph(k.out, glyphX, top + 9);
  x += 23;
  auto put = [&](const std::string& s, Color c) { x += textLeft(k.out, k.m, f, x, top, s, c) + kLabelGap; };
  if (v.mainInd == MainFormula && !v.mainFormula.empty()) {
    put(v.mainFormula + "(" + joinValues(k.overlayParams) + ")", kSilver);
    for (const KLineParts::Label& l : k.overlayLabels) put(l.text, l.color);
  } else {
    const int last = k.visible() - 1;
    for (size_t i = 0; i < 8; ++i) {
      if (k.maPeriods[i] < 1 || last < 0) continue;
      const double value = k.ma[i][size_t(last)];
      if (value > 0) put(strPrintf("MA%d: %.2f", k.maPeriods[i], value), kMaColors[i]);
    }
  }
  k.hits.push_back(HitArea{glyphX - 2, top + 1, x + 3, top + 17, HitKind::MainIndicatorTitle, 0});
}

}  // namespace zor
