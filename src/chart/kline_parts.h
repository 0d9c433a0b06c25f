// The parts of one K-line paint, shared by the files that build them (price panel, overlay,
// lower panels, foot, deal marks). Internal to the chart folder.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "chart/chart_layout.h"
#include "chart/chart_scale.h"
#include "chart/chart_series.h"
#include "chart/draw_list.h"
#include "chart/formula_cache.h"
#include "chart/chart_style.h"

namespace zor {

struct KLineParts {
  const ChartContext& ctx;
  const StockRecord& rec;
  const ChartSeries& series;
  TextMeasure& m;
  DrawList& out;
  std::vector<HitArea>& hits;

  KLineParts(const ChartContext& c, const StockRecord& r, const ChartSeries& s, TextMeasure& tm, DrawList& o,
             std::vector<HitArea>& h)
      : ctx(c), rec(r), series(s), m(tm), out(o), hits(h) {}

  Rect chartArea;
  KLinePanels panels;
  Rect pr, vr, sr;
  int axisWidth = 0;
  BarWindow w;
  ValueScale price;
  std::array<int, 8> maPeriods{};
  std::array<std::vector<double>, 8> ma;  // value at each visible bar, 0 where undefined
  // What the formula overlay prepared for the title line.
  struct Label {
    std::string text;
    Color color;
  };
  std::vector<Label> overlayLabels;
  std::vector<double> overlayParams;

  std::span<const DayBar> bars() const { return series.bars; }
  // The series bar at window position i.
  const DayBar& bar(int i) const { return series.bars[size_t(w.start + i)]; }
  // Window positions that hold a bar of the series.
  int visible() const { return std::max(0, std::min(w.count, int(series.bars.size()) - w.start)); }
  // The named formula's run over the series; nullptr when there is no such formula.
  FormulaRunPtr run(const FormulaDef* def) const {
    return def ? runSeriesFormula(*def, series, rec, ctx.tradeMode) : nullptr;
  }
};

// The simple average of `field` over `period` bars at each window position: 0 where fewer than
// `period` bars lead up to it and, with `validBarsOnly`, where its bars include an invalid one.
std::vector<double> visibleAverage(std::span<const DayBar> bars, const BarWindow& w, int period,
                                   double (*field)(const DayBar&), bool validBarsOnly);

// x of series index `bar` when it lies in the window and the series, else nothing.
std::optional<int> barX(const KLineParts& k, int bar);
// The formula items a price or sub panel draws at their bars (icons, texts, sticks, vertical
// lines; bar fills and segments only where `panelItems`), on `scale`, clipped by the caller.
void buildBarItems(KLineParts& k, const std::vector<DrawingItem>& items, const ValueScale& scale, const Rect& plot,
                   bool panelItems);
// A filled triangle 14 pixels wide anchored at (x, y): icon numbers 1, 4 and 7 point up with
// the apex 11 pixels above and the base 6 below; every other number points down.
void iconTriangle(DrawList& out, int x, int y, int icon, Color c);

// Value labels on a lower panel's axis strip, right-aligned at the panel's right edge - 4; a
// label that would run into the one below it is left out.
void buildValueLabels(KLineParts& k, const std::vector<ValueLabel>& labels, const Rect& panel);

void buildMainOverlay(KLineParts& k);   // MA, BOLL or the formula overlay, clipped to pr
void buildMainTitle(KLineParts& k);     // the title line with the MA values or formula labels
void buildDealMarks(KLineParts& k);     // B and S of the current account's deals
void buildVolumePanel(KLineParts& k);
void buildSubPanel(KLineParts& k);
void buildFormulaSub(KLineParts& k, const FormulaDef* def);
void buildDateStrip(KLineParts& k);
void buildIndicatorStrip(KLineParts& k);
void buildSeparators(KLineParts& k);

}  // namespace zor
