// The K-line price panel: candles, moving averages, BOLL, the formula overlay, the title line,
// empty-chart messages, deal marks and the geometry the crosshair reads.
#include <gtest/gtest.h>

#include "chart/chart_scale.h"
#include "chart/formula_cache.h"
#include "chart/kline_parts.h"
#include "chart_fixture.h"

namespace zor {
namespace {

double closeOf(const DayBar& b) { return b.close; }

TEST(KLineCandles, ColourBodyAndWick) {
  ChartFixture f(0);
  StockRecord& s = f.stock();
  s.k = {dayBar(20240102, 10, 11, 9.5, 10.8),    // rising: hollow red
         dayBar(20240103, 10.8, 11, 9.8, 10.0),  // falling: filled cyan
         dayBar(20240104, 10, 10.5, 9.7, 10),    // doji: a one-pixel body
         dayBar(20240105, NO_PRICE, NO_PRICE, NO_PRICE, NO_PRICE),  // not drawn
         dayBar(20240108, 10, 10.2, 9.9, 10.1)};
  barsChanged(s);
  KLineFrame k = f.kline();
  ASSERT_EQ(k.list.candles.size(), 4u);
  const CandleOp& up = k.list.candles[0];
  const CandleOp& down = k.list.candles[1];
  const CandleOp& doji = k.list.candles[2];
  EXPECT_EQ(up.color, kRising);
  EXPECT_TRUE(up.hollow);
  EXPECT_EQ(down.color, kFalling);
  EXPECT_FALSE(down.hollow);
  EXPECT_EQ(doji.bodyBottom - doji.bodyTop, 1);
  EXPECT_EQ(up.right - up.left, 9);  // body width 9 on day periods at 12 pixels a bar
  EXPECT_EQ(up.x, k.geometry.window.indexToX(0));
  EXPECT_EQ(k.list.candles[3].x, k.geometry.window.indexToX(4));
  EXPECT_LT(up.yHigh, up.bodyTop);
  EXPECT_GT(up.yLow, up.bodyBottom - 1);

  // Bodies narrower than 1.5 pixels draw the wick alone.
  ChartFixture many(3000);
  many.view.barCount = 2000;
  KLineFrame z = many.kline();
  ASSERT_FALSE(z.list.candles.empty());
  EXPECT_LT(z.geometry.window.bodyWidth, 1.5);
  for (const CandleOp& c : z.list.candles) EXPECT_TRUE(c.lineOnly);
}

TEST(KLineOverlay, MovingAverages) {
  ChartFixture f(300);
  KLineFrame k = f.kline();
  // Four lines by default (5, 10, 20, 60), in their colours, and their values in the title.
  std::vector<Color> colours;
  for (const PolylineOp& p : k.list.polylines)
    if (std::find(std::begin(kMaColors), std::end(kMaColors), p.pen.color) != std::end(kMaColors) &&
        p.pts.front().y < k.geometry.pr.bottom + 1 && p.pts.front().x >= k.geometry.pr.left)
      if (std::find(colours.begin(), colours.end(), p.pen.color) == colours.end()) colours.push_back(p.pen.color);
  EXPECT_EQ(colours, (std::vector<Color>{kMaColors[0], kMaColors[1], kMaColors[2], kMaColors[3]}));
  const std::vector<double> ma5 = visibleAverage(f.stock().k, k.geometry.window, 5, closeOf, true);
  EXPECT_TRUE(hasText(k.list, strPrintf("MA5: %.2f", ma5.back())));
  EXPECT_TRUE(hasText(k.list, strPrintf("MA60: %.2f", visibleAverage(f.stock().k, k.geometry.window, 60, closeOf, true).back())));

  // A user "MA" with three parameters leaves the defaults; with four its values rule.
  {
    ScopedUserFormula ma(userFormula("MA", "A:C;", {{"A", 0, 250, 3}, {"B", 0, 250, 7}, {"C", 0, 250, 9}}));
    EXPECT_EQ(maPeriods(), (std::array<int, 8>{5, 10, 20, 60, 0, 0, 0, 0}));
  }
  {
    ScopedUserFormula ma(
        userFormula("MA", "A:C;", {{"A", 0, 250, 3}, {"B", 0, 250, 0}, {"C", 0, 250, 7.6}, {"D", 0, 250, 300}}));
    EXPECT_EQ(maPeriods(), (std::array<int, 8>{3, 0, 8, 250, 0, 0, 0, 0}));
    KLineFrame u = f.kline();
    EXPECT_FALSE(findText(u.list, strPrintf("MA10: %.2f", visibleAverage(f.stock().k, u.geometry.window, 10, closeOf, true).back())));
    EXPECT_TRUE(hasText(u.list, strPrintf("MA3: %.2f", visibleAverage(f.stock().k, u.geometry.window, 3, closeOf, true).back())));
  }
}

TEST(KLineOverlay, AverageIsMissingWhereItsWindowLacksBarsOrPrices) {
  std::vector<DayBar> bars;
  for (int i = 0; i < 12; ++i) bars.push_back(dayBar(20240102 + i, 10 + i, 11 + i, 9 + i, 10 + i));
  bars[7] = dayBar(20240109, NO_PRICE, NO_PRICE, NO_PRICE, NO_PRICE);
  BarWindow w = barWindow(BarWindowParams{12, 0, 1000, PeriodDay, 0, 0, false});
  std::vector<double> ma3 = visibleAverage(bars, w, 3, closeOf, true);
  EXPECT_EQ(ma3, (std::vector<double>{0, 0, 11, 12, 13, 14, 15, 0, 0, 0, 19, 20}));
  // Volumes have no such test.
  EXPECT_NE(visibleAverage(bars, w, 3, [](const DayBar& b) { return b.volume; }, false)[8], 0);
}

TEST(KLineOverlay, BollBandsAreTheFormulasValues) {
  ChartFixture f(300);
  f.view.mainInd = MainBOLL;
  KLineFrame k = f.kline();
  const FormulaDef* boll = findFormula("BOLL");
  ASSERT_NE(boll, nullptr);
  ChartSeries s = chartSeries(f.ctx(), 0);
  FormulaRunPtr run = runSeriesFormula(*boll, s, f.stock(), f.mode);
  ValueScale scale{k.geometry.lo, k.geometry.hi, k.geometry.pr.top, k.geometry.pr.bottom};
  const BarWindow& w = k.geometry.window;
  for (size_t band = 0; band < 3; ++band) {
    const PolylineOp* line = nullptr;
    for (const PolylineOp& p : k.list.polylines)
      if (p.pen.color == kBollColors[band]) line = &p;
    ASSERT_NE(line, nullptr) << band;
    ASSERT_EQ(line->pts.size(), size_t(w.count));
    for (int i = 0; i < w.count; ++i) EXPECT_EQ(line->pts[size_t(i)].y, scale.y(run->lines[band].values[size_t(w.start + i)]));
  }
  // The title still lists the moving averages, and the strip lights BOLL.
  EXPECT_TRUE(findText(k.list, "BOLL")->color == kStripHighlight);
  bool maLabel = false;
  for (const TextOp& t : k.list.texts) maLabel = maLabel || t.text.rfind("MA5: ", 0) == 0;
  EXPECT_TRUE(maLabel);

  // The first N - 1 bars of the bands stay hidden, as for the moving averages.
  ChartFixture few(30);
  few.view.mainInd = MainBOLL;
  KLineFrame kf = few.kline();
  for (const PolylineOp& p : kf.list.polylines) {
    if (p.pen.color == kBollColors[0]) {
      EXPECT_EQ(p.pts.size(), 11u);
    }
  }
}

TEST(KLineOverlay, FormulaOverlayAndTitle) {
  ChartFixture f(300);
  f.view.mainInd = MainFormula;
  f.view.mainFormula = "OVL";
  ScopedUserFormula ovl(userFormula("OVL",
                                    "A:C;\nB:MA(C,N),DOTLINE,COLORRED;\nH:C*2,NODRAW;\nS:C,COLORSTICK;\n"
                                    "DRAWTEXT(C>O,H,'X');\nSTICKLINE(C>O,H,L,2,0);\n",
                                    {{"N", 1, 100, 5}}, DrawMainOverlay));
  KLineFrame k = f.kline();
  const double last = f.stock().k.back().close;
  EXPECT_TRUE(hasText(k.list, "OVL(5)"));
  EXPECT_TRUE(hasText(k.list, strPrintf("A: %.2f", last)));
  const TextOp* b = findText(k.list, strPrintf("B: %.2f", visibleAverage(f.stock().k, k.geometry.window, 5, closeOf, false).back()));
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->color, rgb(255, 0, 0));
  EXPECT_TRUE(hasText(k.list, strPrintf("S: %.2f", last)));  // labelled, not drawn on the price panel
  for (const TextOp& t : k.list.texts) EXPECT_NE(t.text.rfind("H: ", 0), 0u);
  int dotted = 0, plain = 0;
  for (const PolylineOp& p : k.list.polylines) {
    if (p.pen.style == PenStyle::Dot && p.pen.color == rgb(255, 0, 0)) ++dotted;
    if (p.pen.color == paletteColor(0)) ++plain;
  }
  EXPECT_GE(dotted, 1);
  EXPECT_GE(plain, 1);
  int xs = 0;
  for (const TextOp& t : k.list.texts) xs += t.text == "X";
  EXPECT_GT(xs, 0);

  // A missing formula: its name with empty brackets, and nothing else.
  f.view.mainFormula = "NOSUCH";
  KLineFrame none = f.kline();
  EXPECT_TRUE(hasText(none.list, "NOSUCH()"));
}

TEST(KLineTitle, NamePeriodGlyphAndHitArea) {
  ChartFixture f(300);
  for (int period : {int(PeriodDay), int(PeriodWeek), int(PeriodYear)}) {
    f.view.period = period;
    KLineFrame k = f.kline();
    const TextOp* t = findText(k.list, chartTitle("平安测试", period));
    ASSERT_NE(t, nullptr) << period;
    EXPECT_EQ(t->x, k.geometry.pr.left + 2);
    EXPECT_EQ(t->y, k.geometry.mainRect.top + 1);
    const HitArea* h = findHit(k.hitAreas, HitKind::MainIndicatorTitle);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h->top, t->y + 1);
    EXPECT_EQ(h->bottom, t->y + 17);
  }
  // A blind game shows no name.
  f.view.period = PeriodDay;
  f.train.active = true;
  f.train.stockIdx = 0;
  f.train.cur = 200;
  EXPECT_TRUE(hasText(f.kline().list, "****** (日线.前复权)"));
}

TEST(KLineEmpty, Messages) {
  struct Case {
    TradeMode mode;
    int period;
    const char* first;
  } cases[] = {
      {TradeMode::History, PeriodDay, "暂无行情数据"},
      {TradeMode::History, PeriodMin5, "暂无行情数据"},
      {TradeMode::RealTime, PeriodWeek, "暂无行情数据"},
      {TradeMode::RealTime, PeriodDay10, "实时分钟K线等待服务器推送..."},
      {TradeMode::RealTime, PeriodMin1, "实时分钟K线等待服务器推送..."},
  };
  for (const Case& c : cases) {
    ChartFixture f(0);
    f.mode = c.mode;
    f.view.period = c.period;
    KLineFrame k = f.kline();
    ASSERT_FALSE(k.list.texts.empty()) << c.period;
    EXPECT_EQ(k.list.texts[0].text, c.first);
    EXPECT_EQ(k.list.texts[0].color, kEmptyMessage);
    EXPECT_FALSE(k.geometry.valid);
  }
  // A cut that keeps nothing leaves the chart blank.
  ChartFixture f(10);
  f.replay.dateView = true;
  f.replay.dateBox = "19991231";
  KLineFrame k = f.kline();
  EXPECT_TRUE(k.list.texts.empty());
  EXPECT_EQ(k.list.fills.size(), 1u);
  // No instrument: nothing at all; a window narrower than the side panel: nothing in it.
  f.view.curIdx = 3;
  EXPECT_TRUE(f.kline().list.order.empty());
  f.view.curIdx = 0;
  f.width = 230;
  EXPECT_FALSE(f.kline().geometry.valid);
}

TEST(KLineDealMarks, NettedPerBar) {
  ChartFixture f(60);
  f.withDeals = true;
  const std::vector<DayBar>& k = f.stock().k;
  auto deal = [&](int bar, int side, int64_t qty, double price, std::string code = "600001") {
    Deal d;
    d.code = code, d.side = side, d.qty = qty, d.price = price, d.date = k[size_t(bar)].dateInt();
    return d;
  };
  f.account.deals = {
      deal(50, 0, 300, 10.0), deal(50, 1, 300, 10.5),  // equal: the later deal (a sell) shows
      deal(55, 0, 500, 10.0), deal(55, 1, 200, 11.0),  // more bought: a buy at the average buy price
      deal(57, 0, 100, 10.0, "000001"),                  // another instrument
      deal(40, 0, 0, 10.0),                              // no quantity
  };
  KLineFrame kf = f.kline();
  std::vector<std::string> letters;
  for (const TextOp& t : kf.list.texts)
    if (t.text == "B" || t.text == "S") letters.push_back(t.text);
  EXPECT_EQ(letters, (std::vector<std::string>{"S", "B"}));
  ASSERT_EQ(kf.list.ellipses.size(), 2u);
  const int x50 = kf.geometry.window.indexToX(50 - kf.geometry.window.start);
  EXPECT_EQ(kf.list.ellipses[0].rect.left, x50 - 3);
  EXPECT_EQ(kf.list.ellipses[0].color, rgb(0, 255, 0));
  EXPECT_EQ(kf.list.ellipses[1].color, rgb(255, 0, 0));

  f.view.dealMarks = false;
  EXPECT_TRUE(f.kline().list.ellipses.empty());
}

TEST(KLineGeometry, WhatTheCrosshairReads) {
  ChartFixture f(300);
  f.view.scrollBack = 30;
  KLineFrame k = f.kline();
  const ChartGeometry& g = k.geometry;
  ASSERT_TRUE(g.valid);
  EXPECT_EQ(g.seriesLength, 300);
  EXPECT_EQ(g.window.start, 300 - 30 - g.window.count);
  ASSERT_EQ(g.dates.size(), size_t(g.window.count));
  EXPECT_EQ(g.dates.front(), f.stock().k[size_t(g.window.start)].dateText());
  EXPECT_EQ(g.closes.back(), f.stock().k[size_t(g.window.start + g.window.count - 1)].close);
  EXPECT_EQ(g.lastClose, f.stock().k.back().close);
  EXPECT_EQ(g.pr.right, g.mainRect.right - k.axisWidth);
  EXPECT_GE(k.axisWidth, 50);
}

}  // namespace
}  // namespace zor
