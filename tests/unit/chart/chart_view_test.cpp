// The charts in the main window: what the paint registers, the crosshair layer and its
// repaints, double clicks on the panels, the wheel, the strip and the intraday toggles, the
// masking of a blind game over a whole game, reuse of formula results, and paints that leave
// the state alone.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <regex>

#include "app/app_state.h"
#include "app/main_window.h"
#include "app/shell_panels.h"
#include "chart/formula_cache.h"
#include "chart_fixture.h"
#include "test_ui.h"

namespace zor {
namespace {

constexpr int kW = 1200, kH = 740;

struct AppFixture {
  AppState app;
  TestUi ui;
  RecordingCanvas canvas{kW, kH};
  explicit AppFixture(int days = 300) {
    app.ui = &ui;
    StockRecord s;
    s.code = "600001";
    s.name = "平安测试";
    s.k = wanderingDays(20230102, days);
    for (DayBar& b : s.k) b.volume = 1e6, b.amount = 1e6 * b.close;  // round volumes: no date-like digits
    s.dayLoaded = true;
    s.minLoaded = true;
    s.drawingsLoaded = true;
    barsChanged(s);
    app.market.stocks.push_back(std::move(s));
    openStock(app, 0);
  }
  StockRecord& stock() { return app.market.stocks[0]; }
  void paint() {
    canvas.clear();
    onPaint(app, canvas);
  }
  const ChartGeometry& chart() const { return app.win.painted.chart; }
  Point inPrice() const {
    const Rect& pr = chart().pr;
    return Point{(pr.left + pr.right) / 2, (pr.top + pr.bottom) / 2};
  }
};

std::vector<std::string> textsWithin(const RecordingCanvas& c, const Rect& r) {
  std::vector<std::string> out;
  for (const Primitive& p : c.primitives())
    if (p.kind == Primitive::Text && r.contains(p.rect.left, p.rect.top)) out.push_back(p.text);
  return out;
}

TEST(ChartView, PaintRegistersTheChart) {
  AppFixture f;
  f.paint();
  ASSERT_TRUE(f.chart().valid);
  for (HitKind k : {HitKind::MainIndicatorTitle, HitKind::SubPanelTitle, HitKind::VolumePanelTitle})
    EXPECT_NE(findHit(f.app.win.painted.hitAreas, k), nullptr) << hitKindValue(k);
  EXPECT_NE(findHit(f.app.win.painted.hitAreas, HitKind::IndicatorStripItem, 17), nullptr);
  EXPECT_FALSE(f.app.win.painted.intraday.valid);

  // The intraday chart instead when `trend` is on, except on the K-line training tabs.
  f.stock().minc = dayMinutes(f.stock().k.back().dateInt(), 10, 0.001);
  barsChanged(f.stock());
  f.app.view.trend = true;
  f.paint();
  EXPECT_TRUE(f.app.win.painted.intraday.valid);
  EXPECT_FALSE(f.chart().valid);
  f.app.mode.tradeTab = TradeTab::KlineTraining;
  f.paint();
  EXPECT_TRUE(f.chart().valid);

  // The list view is not shown on those tabs either.
  f.app.view.listView = true;
  f.paint();
  EXPECT_TRUE(f.chart().valid);
  EXPECT_TRUE(f.app.win.painted.quoteList.empty());
}

TEST(ChartView, CrosshairLayerRepaintsAlone) {
  AppFixture f;
  f.paint();
  const Point p = f.inPrice();
  EXPECT_EQ(onMouseMove(f.app, 5, 50).repaint, Repaint::None);  // over the tab bar: no crosshair
  EXPECT_EQ(onMouseMove(f.app, p.x, p.y).repaint, Repaint::Crosshair);
  EXPECT_EQ(onMouseMove(f.app, p.x + 1, p.y).repaint, Repaint::Crosshair);
  EXPECT_EQ(onMouseMove(f.app, 5, 50).repaint, Repaint::Crosshair);  // leaving the plot clears it
  onMouseMove(f.app, p.x, p.y);
  EXPECT_EQ(onMouseLeave(f.app), Repaint::Crosshair);

  // The layer over the kept picture runs no formula and adds only the read-out.
  onMouseMove(f.app, p.x, p.y);
  RecordingCanvas base(kW, kH), layer(kW, kH);
  onPaintPicture(f.app, base);
  const uint64_t runs = chartFormulaRunCount();
  paintOverlay(f.app, layer);
  EXPECT_EQ(chartFormulaRunCount(), runs);
  std::vector<std::string> texts = layer.texts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_NE(texts[1].find("至今涨幅"), std::string::npos);
  // A full frame is the picture with the layer on top.
  f.paint();
  EXPECT_EQ(f.canvas.primitives().size(), base.primitives().size() + layer.primitives().size());
}

TEST(ChartView, DoubleClicksGiveAPanelTheOthersHeight) {
  AppFixture f;
  f.paint();
  const Rect sub = f.chart().subRect, vol = f.chart().volRect;
  struct Step {
    Point at;
    int fill;
  } steps[] = {
      {{50, sub.top + sub.height() / 2}, FillSub},
      {{50, sub.top + 5}, FillNone},
      {{50, vol.top + vol.height() / 2}, FillVolume},
      {f.inPrice(), FillNone},
  };
  for (const Step& s : steps) {
    onLeftDoubleClick(f.app, s.at.x, s.at.y, 0);
    EXPECT_EQ(f.app.view.panelFill, s.fill) << s.at.y;
    f.paint();
  }
  f.app.view.panelFill = FillSub;
  f.paint();
  EXPECT_EQ(f.chart().subRect.bottom, f.chart().chartArea.bottom - 34);
  EXPECT_TRUE(f.chart().volRect.empty());
}

TEST(ChartView, WheelStripAndIntradayToggle) {
  AppFixture f;
  f.paint();
  const int shown = f.chart().window.count;
  EXPECT_EQ(onMouseWheel(f.app, 120, 0), Repaint::All);  // away from the user: zoom in
  EXPECT_EQ(f.app.view.barCount, std::max(10, int(int64_t(std::max(20, (f.chart().chartArea.width() - 112) / 7)) * 6 / 10)));
  EXPECT_EQ(onMouseWheel(f.app, -120, KeyControl), Repaint::All);  // Ctrl towards the user: back in time
  EXPECT_EQ(f.app.view.scrollBack, 20);
  EXPECT_EQ(onMouseWheel(f.app, 240, KeyControl), Repaint::All);
  EXPECT_EQ(f.app.view.scrollBack, 0);
  EXPECT_GT(shown, 0);

  const HitArea* kdj = findHit(f.app.win.painted.hitAreas, HitKind::IndicatorStripItem, 17);
  ASSERT_NE(kdj, nullptr);
  onLeftButtonDown(f.app, kdj->left + 2, kdj->top + 2, 0);
  EXPECT_EQ(f.app.view.subInd, SubKDJ);

  f.stock().minc = dayMinutes(f.stock().k.back().dateInt(), 10, 0.001);
  barsChanged(f.stock());
  f.app.view.trend = true;
  f.paint();
  const HitArea* toggle = findHit(f.app.win.painted.hitAreas, HitKind::IntradaySubPanelToggle);
  ASSERT_NE(toggle, nullptr);
  f.app.config.fsLive.sub1.clear();
  onLeftButtonDown(f.app, toggle->left + 1, toggle->top + 1, 0);
  EXPECT_EQ(f.app.config.fsLive.sub1, "MACD");
  f.app.config.fsLive.sub2 = "KDJ";
  f.app.config.fsLive.sub2Param = {5, 0, 0, 0};
  onLeftButtonDown(f.app, toggle->left + 1, toggle->top + 1, 0);
  EXPECT_TRUE(f.app.config.fsLive.sub1.empty() && f.app.config.fsLive.sub2.empty());
  EXPECT_EQ(f.app.config.fsLive.sub2Param, (std::array<int, 4>{}));
}

// Over a blind game of 200 steps no painted text of the chart (titles, scales, strips, the
// crosshair read-out, marks) holds the game's code, name or any of its dates, in any period;
// after the reveal they show.
TEST(ChartView, BlindGameMasksCodeNameAndDates) {
  AppFixture f(600);
  f.app.mode.tradeTab = TradeTab::KlineTraining;
  f.app.train.active = true;
  f.app.train.stockIdx = 0;
  f.app.train.start = 300;
  f.app.train.hidden = true;
  f.app.trading.accounts[ModeTraining].deals.clear();
  // Years of the year labels, whole dates, month-day labels of minute bars; the month numbers
  // of the date strip are checked by their row.
  const std::regex dateLike("(19|20)\\d\\d(年|/|\\d{4})|\\d\\d-\\d\\d");
  const int periods[] = {PeriodDay, PeriodWeek, PeriodMonth, PeriodMin5, PeriodMin60};
  const Rect chartArea = chartAreaRect(kW, kH, false);
  for (int step = 0; step < 200; ++step) {
    f.app.train.cur = 300 + step;
    f.app.view.period = periods[step % 5];
    f.app.train.sub = step % 7 - 1;
    if (step % 20 == 0) {
      Deal d;
      d.code = "600001", d.qty = 100, d.price = 10, d.date = f.stock().k[size_t(f.app.train.cur)].dateInt();
      f.app.trading.accounts[ModeTraining].deals.push_back(d);
    }
    f.paint();
    onMouseMove(f.app, f.inPrice().x, f.inPrice().y);
    f.paint();
    for (const std::string& t : textsWithin(f.canvas, chartArea)) {
      ASSERT_EQ(t.find("600001"), std::string::npos) << "step " << step << ": " << t;
      ASSERT_EQ(t.find("平安测试"), std::string::npos) << "step " << step << ": " << t;
      ASSERT_FALSE(std::regex_search(t, dateLike)) << "step " << step << ": " << t;
    }
    ASSERT_TRUE(f.chart().valid) << step;
    const Rect dateRow{chartArea.left, f.chart().stripTop(), chartArea.right, f.chart().stripTop() + 17};
    for (const std::string& t : textsWithin(f.canvas, dateRow))
      ASSERT_EQ(t.rfind("****-**-** ", 0), 0u) << "step " << step << ": " << t;  // only the read-out
  }
  f.app.train.revealed = true;
  f.app.view.period = PeriodDay;
  f.paint();
  std::vector<std::string> texts = textsWithin(f.canvas, chartArea);
  auto any = [&](auto pred) { return std::any_of(texts.begin(), texts.end(), pred); };
  EXPECT_TRUE(any([](const std::string& t) { return t.find("平安测试") != std::string::npos; }));
  EXPECT_TRUE(any([&](const std::string& t) { return std::regex_search(t, dateLike); }));
}

TEST(ChartView, ReusedFormulaResultsGiveTheFreshPicture) {
  AppFixture f;
  f.app.view.mainInd = MainBOLL;
  auto picture = [&] {
    f.paint();
    std::vector<std::string> out;
    for (const Primitive& p : f.canvas.primitives()) {
      if (p.text.rfind(std::string(kProgramTitle) + "  |", 0) == 0) continue;  // the status line's clock
      std::string s = strPrintf("%d:%s:%u", int(p.kind), p.text.c_str(), unsigned(p.color));
      for (Point q : p.pts) s += strPrintf(",%d/%d", q.x, q.y);
      s += strPrintf(",%d/%d/%d/%d", p.rect.left, p.rect.top, p.rect.right, p.rect.bottom);
      out.push_back(s);
    }
    return out;
  };
  clearChartFormulaCache();
  const std::vector<std::string> fresh = picture();
  const uint64_t runs = chartFormulaRunCount();
  EXPECT_EQ(picture(), fresh);  // reused
  EXPECT_EQ(chartFormulaRunCount(), runs);

  // Scrolling and zooming reuse them too.
  f.app.view.scrollBack = 40;
  const std::vector<std::string> scrolled = picture();
  f.app.view.barCount = 120;
  picture();
  EXPECT_EQ(chartFormulaRunCount(), runs);
  clearChartFormulaCache();
  f.app.view.barCount = 0;
  EXPECT_EQ(picture(), scrolled);  // afresh, the same

  // New bars are never answered with old results.
  f.app.view.scrollBack = 0;
  f.stock().k.back().close += 0.5;
  barsChanged(f.stock());
  const std::vector<std::string> changed = picture();
  EXPECT_GT(chartFormulaRunCount(), runs);
  clearChartFormulaCache();
  EXPECT_EQ(picture(), changed);
  // A changed parameter is a new key as well.
  FormulaDef macd = *findFormula("MACD");
  macd.builtin = false;
  macd.params[2].defaultValue = 4;
  const uint64_t before = chartFormulaRunCount();
  {
    ScopedUserFormula user(macd);
    EXPECT_NE(picture(), changed);
  }
  EXPECT_GT(chartFormulaRunCount(), before);
}

// Painting reads the state only: a replay's running day shows on the chart, yet the day's
// stored bar and the quote stay as they were.
TEST(ChartView, PaintsLeaveTheStateAlone) {
  AppFixture f;
  StockRecord& rec = f.stock();
  const int di = 280;
  rec.minc = dayMinutes(rec.k[di].dateInt(), 10, 0.002);
  rec.minc.resize(20);
  rec.lastPrice = 10.04, rec.open = 10, rec.high = 10.05, rec.low = 9.99;
  barsChanged(rec);
  f.app.replay.training = true;
  f.app.replay.replayStockIdx = 0;
  f.app.replay.trainDi = di;
  const std::vector<DayBar> k = rec.k;
  const uint64_t generation = rec.barsGeneration;
  for (int period : {int(PeriodDay), int(PeriodWeek), int(PeriodMin5)}) {
    f.app.view.period = period;
    f.paint();
    f.paint();
  }
  EXPECT_EQ(std::memcmp(rec.k.data(), k.data(), k.size() * sizeof(DayBar)), 0);
  EXPECT_EQ(rec.lastPrice, 10.04);
  EXPECT_EQ(rec.barsGeneration, generation);
  f.app.view.period = PeriodDay;
  f.paint();
  EXPECT_EQ(f.chart().seriesLength, di + 1);
  EXPECT_EQ(f.chart().lastClose, 10.04);
}

}  // namespace
}  // namespace zor

namespace zor {
namespace {

// Results the cache drops give their memory to later runs: a later run writes over it and must
// equal a fresh run, and a result still held by a paint is never written over.
TEST(ChartFormulaCache, DroppedResultsLendTheirMemoryWithoutChangingAnyResult) {
  clearChartFormulaCache();
  const FormulaDef& boll = *findFormula("BOLL");
  auto inputOf = [](int seed) {
    FormulaInput in;
    for (int i = 0; i < 3000; ++i) {
      double c = 10 + seed * 0.1 + std::sin(i * 0.05 + seed) * 2;
      in.open.push_back(c - 0.05), in.high.push_back(c + 0.2), in.low.push_back(c - 0.2), in.close.push_back(c);
      in.volume.push_back(1000 + i), in.amount.push_back(c * (1000 + i));
    }
    return in;
  };
  auto keyOf = [](int seed) {
    SeriesKey k;
    k.generation = 1000 + uint64_t(seed);
    k.count = 3000;
    return k;
  };
  auto run = [&](int seed) {
    return runChartFormula(boll, currentParamValues(boll), keyOf(seed), false,
                           [&](FormulaInput& in) { in = inputOf(seed); });
  };
  FormulaRunPtr held = run(0);
  ASSERT_TRUE(held->ok);
  const std::vector<OutputLine> heldLines = held->lines;
  for (int seed = 1; seed < 60; ++seed) {
    FormulaRunPtr r = run(seed);
    std::vector<OutputLine> fresh;
    std::vector<DrawingItem> items;
    std::string error;
    ASSERT_TRUE(compileAndRunFormula(boll, inputOf(seed), fresh, items, error)) << error;
    ASSERT_EQ(r->lines.size(), fresh.size());
    for (size_t l = 0; l < fresh.size(); ++l) {
      ASSERT_EQ(r->lines[l].values.size(), fresh[l].values.size());
      for (size_t i = 0; i < fresh[l].values.size(); ++i) {
        const double a = r->lines[l].values[i], b = fresh[l].values[i];
        ASSERT_TRUE(a == b || (std::isnan(a) && std::isnan(b))) << "seed " << seed << " line " << l << " bar " << i;
      }
    }
  }
  ASSERT_EQ(held->lines.size(), heldLines.size());
  for (size_t l = 0; l < heldLines.size(); ++l)
    EXPECT_EQ(0, std::memcmp(held->lines[l].values.data(), heldLines[l].values.data(),
                             heldLines[l].values.size() * sizeof(double)))
        << "a held result was written over, line " << l;
}

}  // namespace
}  // namespace zor
