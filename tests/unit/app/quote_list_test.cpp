// The full-window quote list: cell texts and colours, the sort of its view order (which never
// moves the instrument table), the header marks and clicks, the rows' hit areas and the
// column cut of a narrow window.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/app_state.h"
#include "app/main_window.h"
#include "app/quote_list.h"
#include "app/state_query.h"
#include "recording_canvas.h"
#include "test_ui.h"

namespace zor {
namespace {

constexpr int kW = 1400, kH = 720;  // wide enough for all 14 columns

StockRecord quote(const char* code, double last, double prevClose, double volume = 0, double amount = 0) {
  StockRecord s;
  s.code = code;
  s.name = std::string("股") + code;
  s.lastPrice = last;
  s.prevClose = prevClose;
  s.open = last;
  s.high = last * 1.01;
  s.low = last * 0.99;
  s.volume = volume;
  s.amount = amount;
  s.dayLoaded = s.minLoaded = true;
  return s;
}

struct ListFixture {
  AppState app;
  TestUi ui;
  RecordingCanvas canvas{kW, kH};
  explicit ListFixture(std::vector<StockRecord> stocks) {
    app.ui = &ui;
    for (size_t i = 0; i < stocks.size(); ++i) stocks[i].index = int(i);
    app.market.stocks = std::move(stocks);
    app.view.listView = true;
  }
  void paint() {
    canvas.clear();
    onPaint(app, canvas);
  }
  // The instrument indices of the painted rows, top to bottom.
  std::vector<int> rows() const {
    std::vector<int> out;
    for (const HitArea& h : app.win.painted.hitAreas)
      if (h.kind == HitKind::QuoteRow) out.push_back(h.index);
    return out;
  }
  // A click at the middle of header column `col` as last painted.
  void clickHeader(int col) {
    const LastPainted& p = app.win.painted;
    int left = col == 0 ? p.quoteList.left + 2 : p.listColumnRight[size_t(col - 1)];
    int x = (left + p.listColumnRight[size_t(col)]) / 2;
    onLeftButtonDown(app, x, p.listHeader.top + 5, 0);
    onLeftButtonUp(app, x, p.listHeader.top + 5);
    paint();
  }
};

TEST(QuoteListCells, TextsAndColours) {
  const Color red = rgb(255, 0, 0), green = rgb(0, 255, 0), white = rgb(255, 255, 255);
  struct Case {
    const char* what;
    StockRecord s;
    int column;
    const char* text;
    Color color;
  } cases[] = {
      {"change up", quote("600000", 10.50, 10.00), 3, "5.00", red},
      {"price difference up", quote("600000", 10.50, 10.00), 5, "0.50", red},
      {"last in the change colour", quote("600000", 9.50, 10.00), 4, "9.50", green},
      {"change without previous close", quote("600000", 10.50, 0), 3, "", white},
      {"difference without previous close", quote("600000", 10.50, 0), 5, "", white},
      {"last without previous close is white", quote("600000", 10.50, 0), 4, "10.50", white},
      {"unchanged is white", quote("600000", 10.00, 10.00), 3, "0.00", white},
      {"average 9 for a last of 20 is left out", quote("600000", 20, 19, 1000, 9000), 13, "", red},
      {"average 19.5 for a last of 20", quote("600000", 20, 19, 1000, 19500), 13, "19.50", red},
      {"volume in lots, large format", quote("600000", 20, 19, 12345600), 6, "12.3万", rgb(255, 255, 0)},
      {"amount in 亿", quote("600000", 20, 19, 1, 2.5e8), 11, "2.50亿", rgb(0, 224, 240)},
      {"zero volume leaves the cell empty", quote("600000", 20, 19, 0), 6, "", rgb(255, 255, 0)},
      {"market prefix skipped", quote("sh600000", 20, 19), 1, "600000", rgb(240, 248, 136)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(quoteCellText(c.s, c.column, 1), c.text);
    // The colour shows where there is a text: paint one row and look at its cell.
    if (*c.text == 0) continue;
    ListFixture f({c.s});
    f.paint();
    const Primitive* t = nullptr;
    for (const Primitive& p : f.canvas.primitives())
      if (p.kind == Primitive::Text && p.text == c.text && p.rect.top > 60 + 22 && !t) t = &p;
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->color, c.color);
  }
}

TEST(QuoteListSort, KeysDirectionsAndTies) {
  // 0: +5 %, 1: no previous close, 2: +5 %, 3: -2 %, 4: +10 %.
  auto stocks = [] {
    std::vector<StockRecord> v = {quote("600004", 10.5, 10), quote("600002", 8, 0), quote("600001", 21, 20),
                                  quote("600003", 9.8, 10), quote("600000", 11, 10)};
    for (size_t i = 0; i < v.size(); ++i) v[i].index = int(i);
    return v;
  }();
  struct Case {
    const char* what;
    int column;
    bool ascending;
    std::vector<int> order;
  } cases[] = {
      {"change descending: no previous close last, equal changes in load order", 3, false, {4, 0, 2, 3, 1}},
      {"change ascending: no previous close first, equal changes in load order", 3, true, {1, 3, 0, 2, 4}},
      {"code ascending as bytes", 1, true, {4, 2, 1, 3, 0}},
      {"code descending", 1, false, {0, 3, 1, 2, 4}},
      {"price descending", 4, false, {2, 4, 0, 3, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    QuoteListView list;
    list.listTop = 3;
    sortQuoteList(list, stocks, c.column, c.ascending);
    EXPECT_EQ(list.listOrder, c.order);
    EXPECT_EQ(list.listTop, 0);
    EXPECT_EQ(list.sortColumn, c.column);
    EXPECT_EQ(list.sortAscending, c.ascending);
  }
  QuoteListView list;
  sortQuoteList(list, stocks, 3, false);
  sortQuoteList(list, stocks, 0, false);
  EXPECT_TRUE(list.listOrder.empty()) << "column 0 is the load order";
  EXPECT_TRUE(list.sortAscending);
}

TEST(QuoteListSort, SortingNeverMovesTheInstrumentsOthersHold) {
  ListFixture f({quote("600000", 10, 10), quote("600001", 12, 10), quote("600002", 9, 10), quote("600003", 11, 10)});
  f.app.view.curIdx = 2;
  f.app.train.active = true;
  f.app.train.stockIdx = 1;
  f.app.live.liveStockIdx = 3;
  f.app.replay.replayStockIdx = 0;
  f.paint();
  f.clickHeader(3);  // 涨幅%: descending
  ASSERT_EQ(f.app.list.sortColumn, 3);
  EXPECT_EQ(f.rows(), (std::vector<int>{1, 3, 0, 2}));
  EXPECT_EQ(f.app.market.stocks[1].code, "600001") << "the table keeps its order";
  EXPECT_EQ(f.app.market.stocks[size_t(f.app.train.stockIdx)].code, "600001");
  EXPECT_EQ(f.app.market.stocks[size_t(f.app.live.liveStockIdx)].code, "600003");
  EXPECT_EQ(f.app.market.stocks[size_t(f.app.replay.replayStockIdx)].code, "600000");
  EXPECT_EQ(f.app.view.curIdx, 2);
  EXPECT_EQ(queryState(f.app, QueryValue, QTrainStock, 0), 1);
  EXPECT_EQ(queryState(f.app, QueryValue, QGameCode, 0), 600001);
  EXPECT_EQ(queryState(f.app, QueryValue, QListRow, 0), 1);
  // Row numbers count the page from 1; a row's click selects the instrument it shows.
  EXPECT_NE(f.canvas.findText("1"), nullptr);
  const HitArea& first = *std::find_if(f.app.win.painted.hitAreas.begin(), f.app.win.painted.hitAreas.end(),
                                       [](const HitArea& h) { return h.kind == HitKind::QuoteRow; });
  onLeftButtonDown(f.app, first.left + 5, first.top + 5, 0);
  EXPECT_EQ(f.app.view.curIdx, 1);
}

TEST(QuoteListHeader, ClicksSortReverseAndRestore) {
  ListFixture f({quote("600000", 10, 10), quote("600001", 12, 10), quote("600002", 9, 10)});
  f.app.list.listTop = 1;
  f.paint();
  struct Step {
    int column;
    int wantColumn;
    bool wantAscending;
    std::vector<int> rows;
  } steps[] = {
      {4, 4, false, {1, 0, 2}},  // a new column sorts descending
      {4, 4, true, {2, 0, 1}},   // the sorted column reverses
      {5, 5, false, {1, 0, 2}},
      {0, 0, true, {0, 1, 2}},   // column 0 restores the load order
      {0, 0, true, {0, 1, 2}},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.column);
    f.clickHeader(s.column);
    EXPECT_EQ(f.app.list.sortColumn, s.wantColumn);
    EXPECT_EQ(f.app.list.sortAscending, s.wantAscending);
    EXPECT_EQ(f.app.list.listTop, 0);
    EXPECT_EQ(f.rows(), s.rows);
  }
}

TEST(QuoteListHeader, SortedColumnIsMarked) {
  ListFixture f({quote("600000", 10, 10)});
  const Color yellow = rgb(240, 248, 136), grey = rgb(192, 192, 192);
  struct Case {
    int column;
    bool ascending;
  } cases[] = {{3, false}, {3, true}, {1, true}};
  for (const Case& c : cases) {
    sortQuoteList(f.app.list, f.app.market.stocks, c.column, c.ascending);
    f.paint();
    for (int col : {1, 3}) {
      const char* header = col == 1 ? "代码" : "涨幅%";
      const Primitive* t = nullptr;
      for (const Primitive& p : f.canvas.primitives())
        if (p.kind == Primitive::Text && p.text == header && p.rect.top == 60 + 3) t = &p;
      ASSERT_NE(t, nullptr);
      EXPECT_EQ(t->color, col == c.column ? yellow : grey);
    }
    // The mark: five one-pixel rows from 8 pixels below the header's top, widening downwards
    // when ascending.
    std::vector<int> widths;
    for (const Primitive& p : f.canvas.primitives())
      if (p.kind == Primitive::FillRect && p.color == yellow && p.rect.height() == 1 && p.rect.top >= 68 &&
          p.rect.top < 73 && p.rect.left > 40)
        widths.push_back(p.rect.width());
    ASSERT_EQ(widths.size(), 5u) << c.column;
    EXPECT_EQ(widths.front(), c.ascending ? 1 : 9);
    EXPECT_EQ(widths.back(), c.ascending ? 9 : 1);
  }
}

TEST(QuoteListColumns, ShownWhileTheyFitAtLeastThree) {
  struct Case {
    int width;
    int screenW;
    int columns;
  } cases[] = {
      {1280, 1280, 14},  // the base widths fill a 1280-pixel display
      {700, 1280, 7},
      {60, 1280, 3},     // narrower than three columns still shows three
      {1280, 2560, 6},   // wider display, wider columns
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.width);
    ListFixture f({quote("600000", 10, 10)});
    f.app.win.screenW = c.screenW;
    RecordingCanvas canvas(c.width, kH);
    LastPainted p = paintMainWindow(f.app, canvas);
    EXPECT_EQ(p.listColumns, c.columns);
  }
}

TEST(QuoteListCodeEntry, BoxShowsWhileTyping) {
  ListFixture f({quote("600000", 10, 10)});
  f.app.list.codeEntry.clear();
  f.paint();
  EXPECT_EQ(f.canvas.findText("6000"), nullptr);
  f.app.list.codeEntry = "6000";
  f.paint();
  const Primitive* t = f.canvas.findText("6000");
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->rect.top, kH - 62);
  EXPECT_EQ(t->color, rgb(235, 235, 235));
  EXPECT_EQ((t->rect.left + t->rect.right) / 2, kW - 80);
}

}  // namespace
}  // namespace zor
