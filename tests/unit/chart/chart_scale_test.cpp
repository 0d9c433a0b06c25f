// The chart's layout and scales: panel division, the visible window and its x round trip,
// zoom and scroll, the price scale and ticks, lower-panel grids, zero line, value labels and
// the volume scale.
#include <gtest/gtest.h>

#include "chart/chart_layout.h"
#include "chart/chart_navigation.h"
#include "chart/chart_scale.h"
#include "chart_fixture.h"

namespace zor {
namespace {

TEST(ChartLayout, PanelDivision) {
  // h = 600 - 34 = 566 pixels below the tab bar (chart area 96..662).
  const Rect area{0, 96, 900, 96 + 600};
  struct Case {
    bool vol, sub;
    int fill;
    Rect main, sub_, volume;
  } cases[] = {
      {true, true, 0, {0, 96, 900, 527}, {0, 527, 900, 589}, {0, 589, 900, 662}},
      {true, false, 0, {0, 96, 900, 589}, {}, {0, 589, 900, 662}},
      {false, false, 0, {0, 96, 900, 662}, {}, {}},
      {true, true, 1, {0, 96, 900, 527}, {0, 527, 900, 662}, {}},  // the sub panel takes both heights
      {true, true, 2, {0, 96, 900, 527}, {}, {0, 527, 900, 662}},
  };
  for (const Case& c : cases) {
    KLinePanels p = klinePanels(KLinePanelParams{area, c.vol, c.sub, c.fill});
    EXPECT_EQ(p.main, c.main) << c.vol << c.sub << c.fill;
    EXPECT_EQ(p.sub, c.sub_) << c.vol << c.sub << c.fill;
    EXPECT_EQ(p.vol, c.volume) << c.vol << c.sub << c.fill;
  }
  // The main panel keeps 100 pixels however small the area.
  EXPECT_EQ(klinePanels(KLinePanelParams{Rect{0, 96, 900, 200}, true, true, 0}).main.height(), 100);
  EXPECT_EQ(chartAreaRect(1200, 740, false), (Rect{0, 96, 965, 692}));
  EXPECT_EQ(chartAreaRect(1000, 1000, true).bottom, 1000 - 297);
  EXPECT_TRUE(chartAreaRect(230, 700, false).empty());  // narrower than the side panel
}

TEST(ChartScale, VisibleWindow) {
  struct Case {
    const char* what;
    int ks, width, period, barCount, scrollBack;
    bool replay;
    int start, n;
    double slot, bw;
  } cases[] = {
      {"shorter than 10 bars shows them all", 7, 1000, PeriodDay, 0, 0, false, 0, 7, 12, 9},
      {"day period fits 73 bars at 12 px", 5000, 1000, PeriodDay, 0, 0, false, 4927, 73, 12, 9},
      {"minute period fits 323 at 3 px", 50000, 1000, PeriodMin5, 0, 0, false, 49677, 323, 3, 0.73 * 3},
      {"few bars", 40, 1000, PeriodDay, 0, 0, false, 0, 40, 12, 9},
      {"scrolled back", 5000, 1000, PeriodDay, 0, 100, false, 4827, 73, 12, 9},
      {"scrolled past the oldest bar", 500, 1000, PeriodDay, 0, 9999, false, 0, 73, 12, 9},
      {"a replay caps the day window at 60", 5000, 1000, PeriodDay, 0, 0, true, 4940, 60, 12, 9},
      {"but not a minute window", 5000, 1000, PeriodMin1, 0, 0, true, 4677, 323, 3, 0.73 * 3},
      {"zoomed: ten empty slots at the right", 5000, 1000, PeriodDay, 90, 0, false, 4910, 90, 10, 7.3},
      {"zoomed below 10 bars", 5000, 1000, PeriodDay, 4, 0, false, 4990, 10, 50, 36.5},
      {"a narrow plot keeps bars of 1.5 px", 5000, 60, PeriodMin1, 0, 0, false, 4980, 20, 3, 0.73 * 3},
  };
  for (const Case& c : cases) {
    BarWindow w = barWindow(BarWindowParams{c.ks, 100, c.width, c.period, c.barCount, c.scrollBack, c.replay});
    EXPECT_EQ(w.start, c.start) << c.what;
    EXPECT_EQ(w.count, c.n) << c.what;
    EXPECT_DOUBLE_EQ(w.slot, c.slot) << c.what;
    EXPECT_DOUBLE_EQ(w.bodyWidth, c.bw) << c.what;
  }
}

// A click on the centre of bar i selects bar i, at every zoom level, the first and last
// visible bars included; where bars are narrower than a pixel it selects a bar on that pixel.
TEST(ChartScale, BarCentresRoundTripAtEveryZoomLevel) {
  for (int width : {300, 743, 1000}) {
    for (int period : {int(PeriodDay), int(PeriodMin1)}) {
      std::vector<int> counts = {0};
      for (int n = 10; counts.back() != 5000; n = zoomedBarCount(n, width, 5000, false)) counts.push_back(n);
      for (int barCount : counts) {
        BarWindow w = barWindow(BarWindowParams{5000, 37, width, period, barCount, 0, false});
        ASSERT_TRUE(w.usable());
        for (int i = 0; i < w.count; ++i) {
          const int x = w.indexToX(i);
          if (w.slot >= 1) {
            ASSERT_EQ(w.xToIndex(x), i) << "width " << width << " period " << period << " bars " << barCount;
          } else {
            ASSERT_EQ(w.indexToX(w.xToIndex(x)), x) << "width " << width << " bars " << barCount;
          }
        }
        EXPECT_EQ(w.xToIndex(-100000), 0);
        EXPECT_EQ(w.xToIndex(100000), w.count - 1);
      }
    }
  }
}

TEST(ChartNavigation, ZoomScrollAndOldestBars) {
  // From the automatic count of an 812-pixel chart: 100 bars, then 60, 36, 21, 12, 10, 10.
  int n = 0;
  std::vector<int> in;
  for (int i = 0; i < 6; ++i) in.push_back(n = zoomedBarCount(n, 812, 5000, true));
  EXPECT_EQ(in, (std::vector<int>{60, 36, 21, 12, 10, 10}));
  std::vector<int> out;
  for (int i = 0; i < 3; ++i) out.push_back(n = zoomedBarCount(n, 812, 5000, false));
  EXPECT_EQ(out, (std::vector<int>{13, 17, 23}));
  EXPECT_EQ(zoomedBarCount(4000, 812, 4500, false), 4500);  // up to the series length
  EXPECT_EQ(zoomedBarCount(4000, 812, -1, false), 5000);    // no instruments
  EXPECT_EQ(zoomedBarCount(10, 812, 5, false), 13);         // at least 20 bars may show

  ChartView v;
  v.listView = false;
  ChartGeometry g;
  g.valid = true;
  g.chartArea = Rect{0, 96, 812, 600};
  g.seriesLength = 1000;
  g.window.count = 60;
  EXPECT_TRUE(zoomChart(v, g, true, true));
  EXPECT_EQ(v.barCount, 60);
  EXPECT_TRUE(scrollChart(v, 20));
  EXPECT_TRUE(scrollChart(v, -40));  // never past the newest bar
  EXPECT_EQ(v.scrollBack, 0);
  EXPECT_FALSE(scrollChart(v, -20));
  EXPECT_TRUE(scrollToOldest(v, g));  // the oldest bars of this series, whatever its period
  EXPECT_EQ(v.scrollBack, 940);
  v.listView = true;
  EXPECT_FALSE(zoomChart(v, g, true, true));
}

TEST(ChartScale, PriceScale) {
  const Rect plot{0, 100, 500, 400};
  BarWindow w = barWindow(BarWindowParams{3, 0, 500, PeriodDay, 0, 0, false});
  std::vector<DayBar> bars = {dayBar(20240102, 10, 11, 9, 10.5), dayBar(20240103, 10, 12000, 9.5, 10),
                              dayBar(20240104, 10.5, 10.8, 9.8, 10)};
  ValueScale s = priceScale(bars, w, {}, plot);
  // The 12000 high stays out; the range 9 .. 11 gets 5 % on each side.
  EXPECT_DOUBLE_EQ(s.lo, 9 - 0.1);
  EXPECT_DOUBLE_EQ(s.hi, 11 + 0.1);
  EXPECT_EQ(s.y(s.lo), 400);
  EXPECT_EQ(s.y(s.hi), 100);
  EXPECT_NEAR(s.value(250), 10, 1e-9);

  std::vector<std::vector<double>> ma = {{0, 8.5, 10}, {20000, 0, 0}};  // 8.5 widens, 20000 does not
  s = priceScale(bars, w, ma, plot);
  EXPECT_DOUBLE_EQ(s.lo, 8.5 - 0.125);

  std::vector<DayBar> none = {dayBar(20240102, NO_PRICE, NO_PRICE, NO_PRICE, NO_PRICE)};
  s = priceScale(none, barWindow(BarWindowParams{1, 0, 500, PeriodDay, 0, 0, false}), {}, plot);
  EXPECT_DOUBLE_EQ(s.lo, 1 - 0.45);
  EXPECT_DOUBLE_EQ(s.hi, 10 + 0.45);
}

TEST(ChartScale, PriceTicks) {
  struct Case {
    double lo, hi;
    int px;
    double step, labelStep, first, last;
    size_t labels;
  } cases[] = {
      {9.9, 11.1, 300, 0.2, 0.2, 10.0, 11.0, 6},      // 10^0 / 5
      {10, 60, 300, 5, 5, 10, 60, 11},                // 2.5 (50 / 20) raised to a 1-2-5 step
      {10.0, 10.3, 600, 0.02, 0.02, 10.0, 10.3, 16},  // lines 40 px apart
      {10.0, 10.04, 600, 0.01, 0.01, 10.0, 10.04, 5}, // never below 0.01
      {10.0, 11.0, 2000, 0.2, 0.1, 10.0, 11.0, 11},   // lines 400 px apart: labels at half steps
  };
  for (const Case& c : cases) {
    PriceTicks t = niceTicks(c.lo, c.hi, c.px);
    EXPECT_NEAR(t.step, c.step, 1e-12) << c.lo << ".." << c.hi;
    EXPECT_NEAR(t.labelStep, c.labelStep, 1e-12) << c.lo << ".." << c.hi;
    ASSERT_EQ(t.labels.size(), c.labels) << c.lo << ".." << c.hi;
    EXPECT_NEAR(t.labels.front(), c.first, 1e-9);
    EXPECT_NEAR(t.labels.back(), c.last, 1e-9);
  }
  EXPECT_TRUE(niceTicks(5, 5, 300).grid.empty());
  EXPECT_LE(niceTicks(0, 1e9, 300).grid.size(), 400u);
  EXPECT_EQ(axisWidthFor(30), 50);
  EXPECT_EQ(axisWidthFor(60), 72);
}

TEST(ChartScale, LowerPanels) {
  // Grid rows: (h + 14) / 28 parts, 2 .. 6.
  EXPECT_EQ(panelGridRows(Rect{0, 0, 10, 8}), std::vector<int>{});
  EXPECT_EQ(panelGridRows(Rect{0, 0, 10, 20}), (std::vector<int>{10}));
  EXPECT_EQ(panelGridRows(Rect{0, 100, 10, 184}), (std::vector<int>{128, 156}));
  EXPECT_EQ(panelGridRows(Rect{0, 0, 10, 600}).size(), 5u);

  // Zero on the row nearest two thirds down (half way with the sub panel maximised).
  const Rect p{0, 100, 10, 184};
  const std::vector<int> rows = panelGridRows(p);
  EXPECT_EQ(zeroLineRow(rows, p, 0), 156);
  EXPECT_EQ(zeroLineRow(rows, p, 1), 128);
  EXPECT_EQ(zeroLineRow({}, p, 0), -1);

  // All positive values still put zero on that row; 0 is exactly there.
  ValueScale s = zeroAnchoredScale(0, 3, 156, p);
  EXPECT_EQ(s.y(0), 156);
  EXPECT_NEAR(s.hi, 3, 1e-9);
  s = zeroAnchoredScale(-1, 1, -1, p);  // no row: half way
  EXPECT_EQ(s.y(0), 142);

  // Value labels above zero only when positiveOnly; none for a low plot.
  ValueScale m = zeroAnchoredScale(-2, 3, 156, p);
  std::vector<ValueLabel> labels = panelValueLabels(m, p, true);
  ASSERT_FALSE(labels.empty());
  for (const ValueLabel& l : labels) EXPECT_GE(l.value, 0);
  EXPECT_LT(panelValueLabels(m, p, false).front().value, 0);
  EXPECT_TRUE(panelValueLabels(m, Rect{0, 0, 10, 19}, false).empty());

  // The volume scale in lots, with a unit from ten-fold lots up.
  struct Case {
    double shares, top, unit;
  } vols[] = {{5e6, 60000, 1}, {1e8, 2e6, 100}, {1000, 20, 1}, {0, 20, 1}, {1e20, 80000, 1}};
  for (const Case& c : vols) {
    VolumeScale v = volumeScale(c.shares);
    EXPECT_NEAR(v.topLots, c.top, c.top * 1e-9) << c.shares;
    EXPECT_EQ(v.unit, c.unit) << c.shares;
  }
}

}  // namespace
}  // namespace zor
