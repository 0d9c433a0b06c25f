// The quote panel beside the chart: which instrument it shows, the masked code of a blind
// game, the decoration that depends only on the code, the price step of funds, the panel
// without an instrument, and the score card at its foot.
#include <gtest/gtest.h>

#include <algorithm>

#include "../training/training_fixture.h"
#include "app/quote_panel.h"
#include "app/score_card.h"
#include "app/training_ops.h"
#include "recording_canvas.h"

namespace zor {
namespace {

using test::TrainingFixture;

constexpr Rect kPanel{1045, 96, 1280, 672};

std::vector<double> closes(int n) {
  std::vector<double> c;
  for (int i = 0; i < n; ++i) c.push_back(10 + i * 0.05);
  return c;
}

std::vector<std::string> paintPanel(const AppState& app, Rect area = kPanel) {
  RecordingCanvas c(1280, 720);
  paintQuotePanel(app, c, area);
  return c.texts();
}

bool has(const std::vector<std::string>& texts, std::string_view s) {
  return std::find(texts.begin(), texts.end(), s) != texts.end();
}

TEST(QuotePanel, WhichInstrumentItShows) {
  TrainingFixture f;
  int a = f.add("600000", "浦发银行", closes(50));
  int b = f.add("000001", "平安银行", closes(50));
  int c = f.add("600036", "招商银行", closes(50));
  struct Case {
    const char* what;
    TradeTab tab;
    TradeMode mode;
    bool game, replay;
    int live;
    int want;
  } cases[] = {
      {"the selected one", TradeTab::HistoryTraining, TradeMode::History, false, false, -1, a},
      {"the game's on a training tab", TradeTab::KlineTraining, TradeMode::History, true, false, -1, b},
      {"a game off its tabs: the selected one", TradeTab::HistoryTraining, TradeMode::History, true, false, -1, a},
      {"the live one in real-time mode", TradeTab::RealTime, TradeMode::RealTime, false, false, c, c},
      {"the selected one during a replay", TradeTab::RealTime, TradeMode::RealTime, false, true, c, a},
      {"no live one: the selected one", TradeTab::RealTime, TradeMode::RealTime, false, false, -1, a},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    f.app.view.curIdx = a;
    f.app.mode.tradeTab = k.tab;
    f.app.mode.tradeMode = k.mode;
    f.app.train.active = k.game;
    f.app.train.stockIdx = b;
    f.app.replay.training = k.replay;
    f.app.live.liveStockIdx = k.live;
    EXPECT_EQ(quotePanelInstrument(f.app), k.want);
  }
}

TEST(QuotePanel, BlindGameMasksCodeAndName) {
  TrainingFixture f;
  f.add("600000", "浦发银行", closes(300));
  f.app.mode.tradeTab = TradeTab::KlineTraining;
  trnNewGame(f.app, false, -1);
  ASSERT_TRUE(trnBlind(f.app.train));
  std::vector<std::string> texts = paintPanel(f.app);
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "******"), 2);
  EXPECT_FALSE(has(texts, "600000"));
  EXPECT_FALSE(has(texts, "浦发银行"));
  trnReveal(f.app);
  texts = paintPanel(f.app);
  EXPECT_TRUE(has(texts, "600000"));
  EXPECT_TRUE(has(texts, "浦发银行"));
}

TEST(QuotePanel, DecorationFollowsTheCodeOnly) {
  // Two instruments of one code but different names and table positions show the same book;
  // another code shows another.
  auto book = [](const char* code, const char* name, int position) {
    TrainingFixture f;
    for (int i = 0; i < position; ++i) f.add(strPrintf("60000%d", i + 1), "其他", closes(5));
    int idx = f.add(code, name, closes(5));
    f.app.view.curIdx = idx;
    std::vector<std::string> texts = paintPanel(f.app);
    // From "委比" down to the fund block.
    auto from = std::find(texts.begin(), texts.end(), "委比");
    auto to = std::find(texts.begin(), texts.end(), "IOPV");
    return std::vector<std::string>(from, to);
  };
  std::vector<std::string> first = book("600519", "贵州茅台", 0);
  ASSERT_GT(first.size(), 40u);
  EXPECT_EQ(first, book("600519", "另一个名字", 3));
  EXPECT_NE(first, book("600520", "贵州茅台", 0));
}

TEST(QuotePanel, FundsQuoteInTenthsOfACent) {
  struct Case {
    const char* code;
    double step;
  } cases[] = {{"510300", 0.001}, {"sh510050", 0.001}, {"159915", 0.001}, {"160105", 0.001}, {"588000", 0.001},
               {"563000", 0.001}, {"600000", 0.01},  {"000001", 0.01},  {"sz300750", 0.01}, {"", 0.01}};
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(priceStep(c.code), c.step) << c.code;

  TrainingFixture f;
  int idx = f.add("510300", "沪深300ETF", {3.2, 3.25});
  f.app.view.curIdx = idx;
  std::vector<std::string> texts = paintPanel(f.app);
  EXPECT_TRUE(has(texts, "3.251")) << "ask 一 one step above 3.250";
  EXPECT_TRUE(has(texts, "3.249"));
  SimulatedBook b = simulatedBook("510300", 3.25, 0.001);
  EXPECT_DOUBLE_EQ(b.askPrice[4], 3.255);
  EXPECT_DOUBLE_EQ(b.bidPrice[4], 3.245);
}

TEST(QuotePanel, WithoutAnInstrument) {
  TrainingFixture f;  // no instruments
  f.app.mode.tradeMode = TradeMode::RealTime;
  std::vector<std::string> texts = paintPanel(f.app);
  EXPECT_EQ(texts, (std::vector<std::string>{"实时行情", "(未加载标的)", "请在左侧输入代码", "并点【加载】"}));
  f.app.mode.tradeMode = TradeMode::History;
  EXPECT_TRUE(paintPanel(f.app).empty());
}

TEST(QuotePanel, ColoursOfTheQuoteBlock) {
  TrainingFixture f;
  int idx = f.add("600000", "浦发银行", {10.0, 10.5});
  f.app.view.curIdx = idx;
  RecordingCanvas c(1280, 720);
  paintQuotePanel(f.app, c, kPanel);
  const Primitive* change = c.findText("0.50");
  ASSERT_NE(change, nullptr);
  EXPECT_EQ(change->color, rgb(255, 50, 50));
  const Primitive* pct = c.findText("5.00%");
  ASSERT_NE(pct, nullptr);
  EXPECT_EQ(pct->color, rgb(255, 50, 50));
}

TEST(ScoreCard, WhatItShows) {
  struct Case {
    const char* what;
    int bottomSpace;  // pixels from the card's top to the area's bottom
    bool game;
    int steps;        // bars stepped after buying
    const char* want; // a text the card shows; nullptr: nothing drawn
  } cases[] = {
      {"too little room", 110, false, 0, nullptr},
      {"no game, no history deals", 400, false, 0, "未开始训练"},
      {"a game without deals", 400, true, 0, "暂无交易记录"},
      {"a game under five days", 400, true, 2, "训练不足 5 个交易日，暂不评分"},
      {"a scored game", 400, true, 6, "年化回报"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TrainingFixture f;
    f.add("600000", "浦发银行", closes(300));
    f.app.mode.tradeTab = TradeTab::KlineTraining;
    if (c.game) {
      trnNewGame(f.app, false, -1);
      ASSERT_TRUE(f.app.train.active);
      if (c.steps > 0) {
        f.app.train.qtyText = "100";
        trainTrade(f.app, true);
        for (int i = 0; i < c.steps; ++i) trainNextBar(f.app);
      }
    }
    RecordingCanvas canvas(1280, 720);
    drawScoreCard(f.app, canvas, 300, 1047, 231, 300 + c.bottomSpace);
    if (!c.want) {
      EXPECT_TRUE(canvas.primitives().empty());
      continue;
    }
    EXPECT_NE(canvas.findText("训练评分"), nullptr);
    EXPECT_NE(canvas.findText(c.want), nullptr);
    // The deal dates of a blind game stay masked.
    for (const std::string& t : canvas.texts())
      if (t.rfind("成交日", 0) == 0) {
        EXPECT_NE(t.find("****-**-**"), std::string::npos) << t;
      }
  }
}

TEST(ScoreCard, WrapsBetweenCharacters) {
  RecordingCanvas c(400, 100);
  c.setFont(Font{"SimSun", 12, false});
  // 40 pixels hold three 12-pixel characters; the third line is beyond the limit of two.
  std::vector<std::string> lines = wrapText(c, "一二三四五六七", 40, 2);
  EXPECT_EQ(lines, (std::vector<std::string>{"一二三", "四五六"}));
  EXPECT_EQ(wrapText(c, "ab", 40, 2), (std::vector<std::string>{"ab"}));
  EXPECT_TRUE(wrapText(c, "", 40, 2).empty());
}

}  // namespace
}  // namespace zor
