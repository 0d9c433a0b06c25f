// The intraday chart: minute positions, own volumes, the percent scale, its layout with the
// sub panels, gaps for minutes without a price, the messages of a short day and a replay frame.
#include <gtest/gtest.h>

#include "chart_fixture.h"

namespace zor {
namespace {

constexpr Color kPriceLine = rgb(250, 250, 250);
constexpr Color kAverageLine = rgb(255, 255, 0);

// One instrument whose latest day (minc) is `day`, with the previous close `prevClose`.
ChartFixture intradayFixture(const std::vector<MinuteBar>& day, double prevClose) {
  ChartFixture f(30);
  f.stock().minc = day;
  f.stock().minAll = day;
  f.stock().prevClose = prevClose;
  barsChanged(f.stock());
  f.view.trend = true;
  return f;
}

std::vector<const PolylineOp*> linesOf(const DrawList& l, Color c) {
  std::vector<const PolylineOp*> out;
  for (const PolylineOp& p : l.polylines)
    if (p.pen.color == c) out.push_back(&p);
  return out;
}

TEST(IntradayAxis, MinutePositions) {
  struct Case {
    int time, pos;
  } cases[] = {{560, 0}, {570, 0}, {571, 1}, {690, 120}, {700, 120}, {780, 120}, {781, 121}, {899, 239},
               {900, 240}, {960, 240}};
  for (const Case& c : cases) EXPECT_EQ(minutePosition(c.time), c.pos) << c.time;

  // 11:30 and 13:00 share the middle of the axis.
  std::vector<MinuteBar> day = {minuteBar(20240105, 689, 10, 10, 10, 10), minuteBar(20240105, 690, 10, 10, 10, 10),
                                minuteBar(20240105, 780, 10, 10, 10, 10), minuteBar(20240105, 781, 10, 10, 10, 10)};
  IntradayFrame f = intradayFixture(day, 10).intradayChart();
  std::vector<const PolylineOp*> price = linesOf(f.list, kPriceLine);
  ASSERT_EQ(price.size(), 1u);
  ASSERT_EQ(price[0]->pts.size(), 4u);
  EXPECT_EQ(price[0]->pts[1].x, price[0]->pts[2].x);
  EXPECT_EQ(price[0]->pts[1].x, f.geometry.plotLeft + f.geometry.width() / 2);
}

TEST(IntradayVolumes, RunningTotalsAreDifferenced) {
  auto day = [](std::vector<double> volumes) {
    std::vector<MinuteBar> d;
    for (size_t i = 0; i < volumes.size(); ++i) d.push_back(minuteBar(20240105, 571 + int(i), 10, 10, 10, 10, volumes[i]));
    return d;
  };
  EXPECT_EQ(ownVolumes(day({100, 250, 250, 400})), (std::vector<double>{100, 150, 0, 150}));
  EXPECT_EQ(ownVolumes(day({100, 250, 200, 400})), (std::vector<double>{100, 250, 200, 400}));  // one decrease
  // A new date starts its own running total.
  std::vector<MinuteBar> two = day({100, 300});
  two.push_back(minuteBar(20240108, 571, 10, 10, 10, 10, 50));
  EXPECT_EQ(ownVolumes(two), (std::vector<double>{100, 200, 50}));
}

TEST(IntradayScale, PercentRangeAroundThePreviousClose) {
  struct Case {
    const char* what;
    std::vector<double> closes;
    double prevClose, range;
  } cases[] = {
      {"within 0.3 %", {10.01, 9.98, 10.03}, 10, 0.5},
      {"limit up", {10.5, 11.0}, 10, 10},
      {"beyond the limit", {11.5}, 10, 10},
      {"a fall of 4 %", {9.8, 9.6, 10.1}, 10, 4},
      {"no close within +-100 %: the day's own span", {30, 31}, 10, 1 / 30.5 * 110},
      {"no previous close", {10, 10.2}, 0, 0.2 / 10.1 * 110},
  };
  for (const Case& c : cases) {
    std::vector<MinuteBar> day;
    for (size_t i = 0; i < c.closes.size(); ++i) day.push_back(minuteBar(20240105, 571 + int(i), c.closes[i], c.closes[i], c.closes[i], c.closes[i]));
    EXPECT_NEAR(intradayRange(day, c.prevClose < 0.001 ? 1 : c.prevClose), c.range, 1e-5) << c.what;  // float minutes
  }
  // A close beyond the scale is drawn on the top edge.
  std::vector<MinuteBar> day = {minuteBar(20240105, 571, 10, 10, 10, 10), minuteBar(20240105, 572, 12, 12, 12, 12)};
  IntradayFrame f = intradayFixture(day, 10).intradayChart();
  const PolylineOp* price = linesOf(f.list, kPriceLine).at(0);
  EXPECT_EQ(price->pts[1].y, f.geometry.plotTop);
  EXPECT_EQ(price->pts[0].y, f.geometry.plotTop + (f.geometry.priceH + 1) / 2);
}

TEST(IntradayLayout, SubPanels) {
  struct Case {
    const char* sub1;
    const char* sub2;
    int subCount;
    std::vector<HitKind> titles;
  } cases[] = {
      {"", "", 1, {}},
      {"MACD", "", 2, {HitKind::IntradaySubPanelTitleFirst}},
      {"", "KDJ", 2, {HitKind(507)}},  // the second panel's formula in the first slot below the volume
      {"MACD", "KDJ", 3, {HitKind::IntradaySubPanelTitleFirst, HitKind(507)}},
  };
  for (const Case& c : cases) {
    ChartFixture f = intradayFixture(dayMinutes(20240105, 10, 0.001), 10);
    f.intraday.sub1 = c.sub1;
    f.intraday.sub2 = c.sub2;
    IntradayFrame fr = f.intradayChart();
    const int h = f.area().height();
    EXPECT_EQ(fr.geometry.priceH, (2 * h - 74) / (c.subCount + 2)) << c.sub1 << c.sub2;
    std::vector<HitKind> titles;
    for (const HitArea& a : fr.hitAreas)
      if (hitKindValue(a.kind) == 506 || hitKindValue(a.kind) == 507) titles.push_back(a.kind);
    EXPECT_EQ(titles, c.titles) << c.sub1 << c.sub2;
    EXPECT_NE(findHit(fr.hitAreas, HitKind::IntradayIndicatorCaption), nullptr);
    EXPECT_NE(findHit(fr.hitAreas, HitKind::IntradaySubPanelToggle), nullptr);
  }
  // Both panels: the price plot gets two fifths of the plot height.
  ChartFixture f = intradayFixture(dayMinutes(20240105, 10, 0.001), 10);
  f.intraday.sub1 = "MACD";
  f.intraday.sub2 = "KDJ";
  IntradayFrame fr = f.intradayChart();
  EXPECT_EQ(fr.geometry.priceH, 2 * (f.area().height() - 37) / 5);
  // Only the second panel set, with parameter overrides: its title is the second panel's.
  f.intraday.sub1.clear();
  f.intraday.sub2Param = {5, 0, 0, 0};
  fr = f.intradayChart();
  EXPECT_TRUE(hasText(fr.list, "KDJ(5,3)"));
  EXPECT_EQ(findHit(fr.hitAreas, HitKind::IntradaySubPanelTitleFirst), nullptr);
  EXPECT_NE(findHit(fr.hitAreas, HitKind(507)), nullptr);
}

TEST(IntradaySubPanel, FlatLineAtZero) {
  ChartFixture f = intradayFixture(dayMinutes(20240105, 10, 0.001), 10);
  ScopedUserFormula zero(userFormula("ZERO", "Z:C-C;"));
  f.intraday.sub1 = "ZERO";
  IntradayFrame fr = f.intradayChart();
  // The scale -0.08 .. 0.08 puts the line half way down its panel.
  const int top = fr.geometry.volTop + (fr.geometry.plotBottom - fr.geometry.volTop) / 2;
  const int bottom = fr.geometry.volTop + 2 * ((fr.geometry.plotBottom - fr.geometry.volTop) / 2);
  const PolylineOp* line = nullptr;
  for (const PolylineOp& p : fr.list.polylines)
    if (p.pen.color == paletteColor(0) && p.pts.front().y >= top) line = &p;
  ASSERT_NE(line, nullptr);
  EXPECT_NEAR(line->pts.front().y, top + (bottom - top) / 2, 1);
  EXPECT_TRUE(hasText(fr.list, "Z:0.000"));
}

TEST(IntradayLines, MinutesWithoutAPriceLeaveAGap) {
  std::vector<MinuteBar> day = dayMinutes(20240105, 10, 0.001);
  day[100].open = day[100].high = day[100].low = day[100].close = NO_PRICE_F;
  ChartFixture f = intradayFixture(day, 10);
  f.intraday.ma = {5, 0, 0, 0};
  IntradayFrame fr = f.intradayChart();
  std::vector<const PolylineOp*> price = linesOf(fr.list, kPriceLine);
  ASSERT_EQ(price.size(), 2u);
  EXPECT_EQ(price[0]->pts.size(), 100u);
  EXPECT_EQ(price[1]->pts.size(), 139u);
  std::vector<const PolylineOp*> average = linesOf(fr.list, kAverageLine);
  ASSERT_EQ(average.size(), 2u);
  for (const PolylineOp* p : average)
    for (Point pt : p->pts) EXPECT_TRUE(pt.y >= fr.geometry.plotTop && pt.y <= fr.geometry.plotTop + fr.geometry.priceH);
  // The 5-minute average skips every window that holds the minute.
  size_t ma = 0;
  for (const PolylineOp& p : fr.list.polylines)
    if (p.pen.color == rgb(255, 255, 255)) ma += p.pts.size();
  EXPECT_EQ(ma, 240u - 4 - 5);
}

TEST(IntradayDay, MessagesAndReplayFrames) {
  struct Case {
    std::vector<MinuteBar> day;
    TradeMode mode;
    int frames;
    const char* message;
  } cases[] = {
      {{}, TradeMode::History, 0, "无分时数据(该股1分钟未加载或数据缺失)"},
      {{}, TradeMode::RealTime, 0, "实时数据未连接 — 请到菜单『实时交易(T)』配置 IP/端口后点「加载」"},
      {{minuteBar(20240105, 571, 10, 10, 10, 10)}, TradeMode::History, 0, "分时数据不足 (需要≥2根分钟数据)"},
  };
  for (const Case& c : cases) {
    ChartFixture f = intradayFixture(c.day, 10);
    f.mode = c.mode;
    IntradayFrame fr = f.intradayChart();
    ASSERT_EQ(fr.list.texts.size(), 1u);
    EXPECT_EQ(fr.list.texts[0].text, c.message);
    EXPECT_FALSE(fr.geometry.valid);
  }
  // A replay at frame 29: the line runs through the 30 frames shown so far.
  std::vector<MinuteBar> day = dayMinutes(20240105, 10, 0.001);
  ChartFixture f = intradayFixture(std::vector<MinuteBar>(day.begin(), day.begin() + 30), 10);
  f.stock().minAll = day;
  f.replay.training = true;
  f.replay.frames = 240;
  f.replay.cursor = 29;
  IntradayFrame fr = f.intradayChart();
  ASSERT_EQ(linesOf(fr.list, kPriceLine).size(), 1u);
  EXPECT_EQ(linesOf(fr.list, kPriceLine)[0]->pts.size(), 30u);
  // A replay's first frame alone is too little.
  f.stock().minc.resize(1);
  f.replay.frames = 1;
  EXPECT_EQ(f.intradayChart().list.texts.at(0).text, "分时数据不足 (需要≥2根分钟数据)");
}

}  // namespace
}  // namespace zor
