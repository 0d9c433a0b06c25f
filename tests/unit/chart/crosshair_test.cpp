// The crosshair read-outs of the K-line and intraday charts, built from the painted geometry.
#include <gtest/gtest.h>

#include "chart_fixture.h"

namespace zor {
namespace {

TEST(Crosshair, DateText) {
  struct Case {
    const char* text;
    bool masked;
    const char* want;
  } cases[] = {
      {"20240105", false, "2024/01/05/五"}, {"20240107", false, "2024/01/07/日"}, {"19000105", false, "19000105"},
      {"20241305", false, "20241305"},      {"01-05 09:31", false, "01-05 09:31"}, {"20240105", true, "****-**-**"},
      {"01-05 09:31", true, "****-**-**"},
  };
  for (const Case& c : cases) EXPECT_EQ(crosshairDate(c.text, c.masked), c.want) << c.text;
}

TEST(Crosshair, KLineReadOut) {
  ChartFixture f(300);
  RecordingCanvas canvas(f.width, f.height);
  CanvasMeasure m(canvas);
  KLineFrame k = buildKLine(f.ctx(), f.area(), m);
  const ChartGeometry& g = k.geometry;
  const BarWindow& w = g.window;
  const std::vector<DayBar>& bars = f.stock().k;
  const int y = (g.pr.top + g.pr.bottom) / 2;

  // On the first and the last visible bar.
  for (int i : {0, w.count - 1}) {
    DrawList l = klineCrosshair(g, w.indexToX(i), y, m);
    const DayBar& b = bars[size_t(w.start + i)];
    const double change = (bars.back().close - b.close) / b.close * 100;
    const std::string want =
        strPrintf("%s %d 至今涨幅%.2f%%", crosshairDate(b.dateText(), false).c_str(), 300 - w.start - i - 1, change);
    const TextOp* t = findText(l, want);
    ASSERT_NE(t, nullptr) << i;
    EXPECT_EQ(t->y, g.stripTop() + 2);
    EXPECT_GE(t->x - 8, g.pr.left + 2);
    EXPECT_LE(t->x + m.width(axisFont(), want) + 8, g.pr.right - 2);
    const double price = g.lo + double(g.pr.bottom - y) / (g.pr.bottom - g.pr.top) * (g.hi - g.lo);
    EXPECT_TRUE(hasText(l, strPrintf("%.2f", price)));
    EXPECT_EQ(l.fills.size(), 2u);
    EXPECT_EQ(l.fills[0].rect.left, g.pr.right + 1);
    EXPECT_EQ(l.fills[0].rect.right, g.mainRect.right);
  }
  // Nothing outside the price plot, nor without a usable geometry.
  EXPECT_TRUE(klineCrosshair(g, g.pr.left - 1, y, m).order.empty());
  EXPECT_TRUE(klineCrosshair(g, g.pr.left + 5, g.pr.bottom + 1, m).order.empty());
  ChartGeometry empty = g;
  empty.window.slot = 0;
  EXPECT_TRUE(klineCrosshair(empty, g.pr.left + 5, y, m).order.empty());
  empty = g;
  empty.valid = false;
  EXPECT_TRUE(klineCrosshair(empty, g.pr.left + 5, y, m).order.empty());
}

TEST(Crosshair, IntradayReadOut) {
  ChartFixture f(30);
  f.stock().minc = dayMinutes(20240105, 10, 0.001);
  f.stock().prevClose = 10;
  barsChanged(f.stock());
  RecordingCanvas canvas(f.width, f.height);
  CanvasMeasure m(canvas);
  IntradayGeometry g = buildIntraday(f.ctx(), f.area(), m).geometry;
  ASSERT_TRUE(g.valid);
  const int w = g.width();
  struct Case {
    int pos;
    const char* time;
  } cases[] = {{0, "09:30"}, {120, "11:30"}, {121, "13:01"}, {240, "15:00"}};
  for (const Case& c : cases) {
    const int x = g.plotLeft + int(std::floor(c.pos * double(w) / 240 + 0.5));
    DrawList l = intradayCrosshair(g, x, g.plotTop + 10, m);
    EXPECT_TRUE(hasText(l, c.time)) << c.pos;
    EXPECT_EQ(l.fills.size(), 2u);  // the time box and the price box
  }
  // At the top of the price plot the price is 1.1 V percent above the previous close; over the
  // lower panels there is no price box.
  DrawList top = intradayCrosshair(g, g.plotLeft + 10, g.plotTop, m);
  EXPECT_TRUE(hasText(top, strPrintf("%.2f", (1.1 * g.range / 100 + 1) * g.base)));
  EXPECT_EQ(intradayCrosshair(g, g.plotLeft + 10, g.volTop + 5, m).fills.size(), 1u);
  EXPECT_TRUE(intradayCrosshair(g, g.plotLeft - 1, g.plotTop + 5, m).order.empty());
}

}  // namespace
}  // namespace zor
