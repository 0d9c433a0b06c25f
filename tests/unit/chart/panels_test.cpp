// The volume panel, the fixed-look sub panels fed by their formulas, the formula sub panel,
// and the foot of the chart: date strip, indicator strip and separators.
#include <gtest/gtest.h>

#include "chart/chart_draw.h"
#include "chart/formula_cache.h"
#include "chart/indicator_strip.h"
#include "formula/builtin_formulas.h"
#include "chart_fixture.h"

namespace zor {
namespace {

// Texts drawn inside a rectangle (the value labels right of a plot lie in its panel).
std::vector<std::string> textsIn(const DrawList& l, const Rect& r) {
  std::vector<std::string> out;
  for (const TextOp& t : l.texts)
    if (t.x >= r.left && t.x < r.right && t.y >= r.top - 8 && t.y < r.bottom) out.push_back(t.text);
  return out;
}

void setVolumes(StockRecord& s, double v) {
  for (DayBar& b : s.k) b.volume = v, b.amount = v * b.close;
  barsChanged(s);
}

TEST(VolumePanel, ScaleLabelsAndUnitBox) {
  struct Case {
    double shares;
    std::vector<std::string> labels;
    bool unitBox;
  } cases[] = {
      {5e6, {"45000", "30000", "15000"}, false},
      {1e8, {"15000", "10000", "5000"}, true},
  };
  for (const Case& c : cases) {
    ChartFixture f(120);
    setVolumes(f.stock(), c.shares);
    KLineFrame k = f.kline();
    const Rect& vol = k.geometry.volRect;
    const Rect axis{k.geometry.pr.right, vol.top, vol.right, vol.bottom + 4};
    std::vector<std::string> got = textsIn(k.list, axis);
    EXPECT_EQ(std::vector<std::string>(got.begin(), got.begin() + std::min<size_t>(3, got.size())), c.labels);
    EXPECT_EQ(hasText(k.list, "X100"), c.unitBox) << c.shares;
    EXPECT_TRUE(hasText(k.list, strPrintf("VOLUME: %.0f", c.shares / 100)));
    const HitArea* title = findHit(k.hitAreas, HitKind::VolumePanelTitle);
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->left, vol.left + 2 - 1);
  }
}

TEST(SubPanels, FixedLookFromTheFormulas) {
  ChartFixture f(300);
  // MACD: title with the formula's parameters; a user MACD with other parameters changes both.
  KLineFrame k = f.kline();
  EXPECT_TRUE(hasText(k.list, "MACD(12,26,9)"));
  ASSERT_NE(findHit(k.hitAreas, HitKind::SubPanelTitle), nullptr);
  std::string difDefault;
  for (const TextOp& t : k.list.texts)
    if (t.text.rfind("DIF: ", 0) == 0) difDefault = t.text;
  {
    FormulaDef macd = *findBuiltinFormula("MACD");
    macd.builtin = false;
    macd.params[0].defaultValue = 5;
    macd.params[1].defaultValue = 10;
    ScopedUserFormula user(macd);
    KLineFrame u = f.kline();
    EXPECT_TRUE(hasText(u.list, "MACD(5,10,9)"));
    EXPECT_FALSE(hasText(u.list, difDefault));
  }

  // KDJ and RSI on 0..100 with their labels; RSI over a strict rise is 100.
  for (DayBar& b : f.stock().k) b.close = b.open + 0.01;
  for (size_t i = 0; i < f.stock().k.size(); ++i) {
    DayBar& b = f.stock().k[i];
    b.open = 5 + 0.02 * double(i), b.close = b.open + 0.01, b.high = b.close + 0.01, b.low = b.open - 0.01;
  }
  barsChanged(f.stock());
  f.view.subInd = SubRSI;
  k = f.kline();
  EXPECT_TRUE(hasText(k.list, "RSI(6,12)"));
  EXPECT_TRUE(hasText(k.list, "RSI6: 100.0"));
  EXPECT_TRUE(hasText(k.list, "RSI12: 100.0"));
  f.view.subInd = SubKDJ;
  k = f.kline();
  EXPECT_TRUE(hasText(k.list, "KDJ(9,3)"));
  int kLabels = 0;
  for (const TextOp& t : k.list.texts) kLabels += t.text.rfind("K: ", 0) == 0 || t.text.rfind("J: ", 0) == 0;
  EXPECT_EQ(kLabels, 2);

  // VOL, and a formula panel without a name, show the volume sub panel.
  for (int ind : {int(SubVOL), int(SubFormula)}) {
    f.view.subInd = ind;
    f.view.subFormula.clear();
    k = f.kline();
    int titles = 0;
    for (const TextOp& t : k.list.texts) titles += t.text == "VOL-ZOR(5,10)";
    EXPECT_EQ(titles, 2) << ind;  // the volume panel's and the sub panel's
  }
}

TEST(SubPanels, MacdZeroLineSitsOnAGridRow) {
  ChartFixture f(300);
  // A steady rise keeps every MACD value positive.
  for (size_t i = 0; i < f.stock().k.size(); ++i) {
    DayBar& b = f.stock().k[i];
    b.open = 5 + 0.03 * double(i) * double(i) / 100, b.close = b.open + 0.01, b.high = b.close + 0.01, b.low = b.open - 0.01;
  }
  barsChanged(f.stock());
  KLineFrame k = f.kline();
  const Rect sr = lowerPlot(k.geometry.subRect, k.axisWidth);
  const std::vector<int> rows = panelGridRows(sr);
  const int z = zeroLineRow(rows, sr, 0);
  ASSERT_GE(z, 0);
  EXPECT_NEAR(z - sr.top, 2 * sr.height() / 3, sr.height() / 4);
  bool zeroLine = false;
  for (const DottedOp& d : k.list.dots) zeroLine = zeroLine || (d.from.y == z && d.off == 1);
  EXPECT_TRUE(zeroLine);
  for (const std::string& t : textsIn(k.list, Rect{sr.right, sr.top, k.geometry.subRect.right, sr.bottom}))
    EXPECT_NE(t[0], '-') << t;  // no negative labels
}

TEST(SubPanels, FormulaPanelScales) {
  struct Case {
    const char* source;
    int axis;
    double value, lo, hi;  // where `value` is drawn on the scale lo .. hi
  } cases[] = {
      {"X:100+C-C;Y:110+C-C;", 0, 100, 99.2, 110.8},  // far from zero: tight
      {"X:C-C;Y:10+C-C;", 1, 0, -11.34, 11.34},                                 // AXIS 1: around zero
      {"X:C-C+5;Y:C-C+10;", 0, 5, 0, 10.4},                                     // positive: from zero
  };
  for (const Case& c : cases) {
    ChartFixture f(300);
    FormulaDef def = userFormula("FSUB", c.source);
    def.axis = c.axis;
    ScopedUserFormula user(def);
    f.view.subInd = SubFormula;
    f.view.subFormula = "FSUB";
    KLineFrame k = f.kline();
    const Rect sr = lowerPlot(k.geometry.subRect, k.axisWidth);
    const PolylineOp* first = nullptr;
    for (const PolylineOp& p : k.list.polylines)
      if (p.pen.color == paletteColor(0) && p.pts.front().y >= sr.top && p.pts.front().y <= sr.bottom) first = first ? first : &p;
    ASSERT_NE(first, nullptr) << c.source;
    const ValueScale want{c.lo, c.hi, sr.top, sr.bottom};
    EXPECT_NEAR(first->pts.front().y, want.y(c.value), 1) << c.source;
    EXPECT_TRUE(hasText(k.list, "FSUB()"));
  }
}

TEST(SubPanels, FormulaStylesAndItems) {
  ChartFixture f(300);
  ScopedUserFormula user(userFormula("FSTY",
                                     "M:C-MA(C,5),COLORSTICK;\nP:C,POINTDOT;\nN:C*0,NODRAW;\n"
                                     "DRAWICON(C>O,L,1);\nDRAWTEXT(C>O,H,'T');\nVERTLINE(BARSCOUNT(C)=299);\n"));
  f.view.subInd = SubFormula;
  f.view.subFormula = "FSTY";
  KLineFrame k = f.kline();
  const Rect sr = lowerPlot(k.geometry.subRect, k.axisWidth);
  int up = 0, down = 0, dots = 0, verticals = 0;
  for (const FillOp& r : k.list.fills) {
    if (r.rect.top < sr.top || r.rect.bottom > sr.bottom + 1) continue;
    up += r.color == rgb(230, 40, 40);
    down += r.color == rgb(40, 190, 90);
    dots += r.color == paletteColor(1) && r.rect.width() == 1 && r.rect.height() == 1;
    verticals += r.rect.width() == 1 && r.rect.top == sr.top && r.rect.bottom == sr.bottom;
  }
  EXPECT_GT(up, 0);
  EXPECT_GT(down, 0);
  EXPECT_EQ(dots, k.geometry.window.count);
  EXPECT_EQ(verticals, 1);
  EXPECT_FALSE(k.list.polygons.empty());  // icons
  EXPECT_TRUE(hasText(k.list, "T"));
  EXPECT_TRUE(hasText(k.list, "FSTY()"));
  for (const TextOp& t : k.list.texts) EXPECT_NE(t.text.rfind("N: ", 0), 0u);  // no label for NODRAW
}

TEST(ChartFoot, IndicatorStrip) {
  ChartFixture f(100);
  KLineFrame k = f.kline();
  std::vector<int> items;
  for (const HitArea& h : k.hitAreas)
    if (h.kind == HitKind::IndicatorStripItem) items.push_back(h.index);
  ASSERT_GE(items.size(), 20u);
  for (size_t i = 0; i < items.size(); ++i) EXPECT_EQ(items[i], int(i));
  const HitArea* last = findHit(k.hitAreas, HitKind::IndicatorStripItem, items.back());
  EXPECT_LE(last->right, k.geometry.chartArea.right);
  EXPECT_EQ(findText(k.list, "MACD")->color, kStripHighlight);
  EXPECT_EQ(findText(k.list, "KDJ")->color, kSilver);

  struct Case {
    int item;
    bool changes;
    int subInd;
    const char* formula;
  } clicks[] = {{17, true, SubKDJ, ""}, {13, true, SubVOL, ""}, {5, true, SubFormula, "FSL"},
                {21, true, SubFormula, "BOLL"}, {0, false, SubMACD, ""}, {25, false, SubMACD, ""}};
  for (const Case& c : clicks) {
    ChartView v;
    v.showSub = false;
    EXPECT_EQ(applyIndicatorStripItem(v, c.item), c.changes) << c.item;
    EXPECT_EQ(v.subInd, c.subInd) << c.item;
    EXPECT_EQ(v.subFormula, c.formula) << c.item;
    EXPECT_EQ(v.showSub, std::string(c.formula).size() > 0) << c.item;
  }
  ChartView v;
  v.subInd = SubFormula;
  v.subFormula = "cci";
  EXPECT_EQ(highlightedStripItem(v), 18);
}

TEST(ChartFoot, DateStrip) {
  struct Case {
    const char* what;
    int period, barCount;
    bool masked;
    std::vector<std::string> labels;  // the first labels of the row
  } cases[] = {
      {"months", PeriodDay, 0, false, {"2023年", "10", "11", "12"}},
      {"years", PeriodDay, 3000, false, {"2023年", "2024年", "2025年"}},
      // A day is 24 pixels here, less than its label: every other day keeps its label.
      {"minute days", PeriodMin30, 0, false, {"10-26", "10-30"}},
      {"blind game", PeriodDay, 0, true, {}},
  };
  for (const Case& c : cases) {
    ChartFixture f(c.barCount ? c.barCount : 250);
    f.view.period = c.period;
    f.view.barCount = c.barCount;
    if (c.masked) {
      f.train.active = true;
      f.train.stockIdx = 0;
      f.train.cur = 249;
    }
    KLineFrame k = f.kline();
    const Rect row{k.geometry.chartArea.left, k.geometry.stripTop() + 1, k.geometry.chartArea.right,
                   k.geometry.stripTop() + 16};
    std::vector<std::string> got;
    int ticks = 0;
    for (const TextOp& t : k.list.texts)
      if (t.y >= row.top - 1 && t.y < row.bottom && got.size() < c.labels.size()) got.push_back(t.text);
    for (const LineOp& l : k.list.lines)
      if (l.a.x == l.b.x && l.a.y == row.top && l.b.y == row.bottom) ++ticks;
    EXPECT_EQ(got, c.labels) << c.what;
    EXPECT_GT(ticks, 0) << c.what;
  }
}

}  // namespace
}  // namespace zor
