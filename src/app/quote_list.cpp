#include "app/quote_list.h"

#include <algorithm>
#include <numeric>

#include "app/app_state.h"
#include "platform/text.h"

namespace zor {

namespace {

constexpr Color kLabel = rgb(192, 192, 192);
constexpr Color kYellow = rgb(240, 248, 136);  // code, name, the sorted header and its mark
constexpr int kHeaderHeight = kQuoteListHeaderHeight;
constexpr int kRowHeight = kQuoteListRowHeight;
constexpr double kNoKey = -1e30;

struct QuoteColumn {
  const char* header;
  int baseWidth;  // pixels; scaled by (display width - 8) / 726
  bool right;     // right-aligned
};

// Keep in the order of the list's columns: sort column numbers and state queries count them.
constexpr QuoteColumn kColumns[kQuoteListColumns] = {
    {"", 26, false},      {"代码", 60, false},  {"名称", 74, false},   {"涨幅%", 54, true}, {"现价", 54, true},
    {"涨跌", 50, true},   {"总量", 58, true},   {"今开", 50, true},    {"最高", 50, true},  {"最低", 50, true},
    {"昨收", 50, true},   {"总金额", 56, true}, {"振幅%", 44, true},   {"均价", 50, true},
};
constexpr int kBaseWidthSum = 726;

bool hasChange(const StockRecord& s) { return s.prevClose > 0 && s.lastPrice > 0; }

double averagePrice(const StockRecord& s) {
  double avg = s.volume > 0 ? s.amount / s.volume : 0;
  return s.lastPrice > 0 && avg > 0.5 * s.lastPrice && avg < 1.5 * s.lastPrice ? avg : kNoKey;
}

Color changeColor(const StockRecord& s) {
  if (!hasChange(s)) return rgb(255, 255, 255);
  double pct = (s.lastPrice - s.prevClose) / s.prevClose * 100;
  return pct > 0.005 ? rgb(255, 0, 0) : pct < -0.005 ? rgb(0, 255, 0) : rgb(255, 255, 255);
}

Color cellColor(const StockRecord& s, int column) {
  switch (column) {
    case 0: return rgb(200, 203, 212);
    case 1:
    case 2: return kYellow;
    case 6: return rgb(255, 255, 0);
    case 7: return s.open >= s.prevClose ? rgb(255, 0, 0) : rgb(0, 255, 0);
    case 8: return rgb(255, 0, 0);
    case 9: return rgb(0, 255, 0);
    case 10:
    case 12: return rgb(200, 200, 200);
    case 11: return rgb(0, 224, 240);
    default: return changeColor(s);  // 涨幅%, 现价, 涨跌, 均价
  }
}

std::string price(double v) { return v > 0 ? strPrintf("%.2f", v) : std::string(); }

// A triangle of five one-pixel rows (9 pixels wide at its base) with its top row at y.
void sortMark(Canvas& c, int x, int y, bool up, Color col) {
  for (int r = 0; r < 5; ++r) {
    int half = up ? r : 4 - r;
    c.fillRect(Rect{x + 4 - half, y + r, x + 5 + half, y + r + 1}, col);
  }
}

}  // namespace

int quoteListRows(int height) { return std::max(1, (height - kHeaderHeight) / kRowHeight); }

std::string largeNumberText(double v) {
  if (v >= 1e8) return strPrintf("%.2f亿", v / 1e8);
  if (v >= 1e4) return strPrintf("%.1f万", v / 1e4);
  if (v > 0) return strPrintf("%.0f", v);
  return {};
}

std::string quoteCellText(const StockRecord& s, int column, int rowNumber) {
  double last = s.lastPrice, pc = s.prevClose;
  switch (column) {
    case 0: return std::to_string(rowNumber);
    case 1: return stripMarketPrefix(s.code);
    case 2: return s.name;
    case 3: return hasChange(s) ? strPrintf("%.2f", (last - pc) / pc * 100) : "";
    case 4: return price(last);
    case 5: return hasChange(s) ? strPrintf("%.2f", last - pc) : "";
    case 6: return largeNumberText(s.volume / 100);
    case 7: return price(s.open);
    case 8: return price(s.high);
    case 9: return price(s.low);
    case 10: return price(pc);
    case 11: return largeNumberText(s.amount);
    case 12: return pc > 0 && s.low < s.high ? strPrintf("%.2f", (s.high - s.low) / pc * 100) : "";
    case 13: {
      double avg = averagePrice(s);
      return avg != kNoKey ? strPrintf("%.2f", avg) : "";
    }
    default: return {};
  }
}

double quoteSortKey(const StockRecord& s, int column) {
  double last = s.lastPrice, pc = s.prevClose;
  switch (column) {
    case 3: return hasChange(s) ? (last - pc) / pc * 100 : kNoKey;
    case 4: return last;
    case 5: return hasChange(s) ? last - pc : kNoKey;
    case 6: return s.volume / 100;
    case 7: return s.open;
    case 8: return s.high;
    case 9: return s.low;
    case 10: return pc;
    case 11: return s.amount;
    case 12: return pc > 0 && s.low < s.high ? (s.high - s.low) / pc * 100 : kNoKey;
    case 13: return averagePrice(s);
    default: return kNoKey;
  }
}

void sortQuoteList(QuoteListView& list, const std::vector<StockRecord>& stocks, int column, bool ascending) {
  list.listTop = 0;
  if (column <= 0 || column >= kQuoteListColumns) {
    list.listOrder.clear();
    list.sortColumn = 0;
    list.sortAscending = true;
    return;
  }
  list.sortColumn = column;
  list.sortAscending = ascending;
  const int n = int(stocks.size());
  std::vector<int>& order = list.listOrder;
  order.resize(size_t(n));
  std::iota(order.begin(), order.end(), 0);
  // Keys are formed once; the comparisons then touch only the key arrays. Ties fall back on
  // the load-order number so that both directions list equal keys in load order.
  auto loadOrder = [&](int a, int b) { return stocks[size_t(a)].index < stocks[size_t(b)].index; };
  if (column <= 2) {
    auto key = [&](int i) -> const std::string& { return column == 1 ? stocks[size_t(i)].code : stocks[size_t(i)].name; };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
      int cmp = key(a).compare(key(b));
      if (cmp != 0) return ascending ? cmp < 0 : cmp > 0;
      return loadOrder(a, b);
    });
    return;
  }
  std::vector<double> keys(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) keys[size_t(i)] = quoteSortKey(stocks[size_t(i)], column);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    double ka = keys[size_t(a)], kb = keys[size_t(b)];
    if (ka != kb) return ascending ? ka < kb : ka > kb;
    return loadOrder(a, b);
  });
}

void clickSortColumn(QuoteListView& list, const std::vector<StockRecord>& stocks, int column) {
  if (column <= 0) {
    sortQuoteList(list, stocks, 0, true);
  } else if (column == list.sortColumn) {
    sortQuoteList(list, stocks, column, !list.sortAscending);
  } else {
    sortQuoteList(list, stocks, column, false);
  }
}

int listHeaderColumnAt(const LastPainted& p, int x, int y) {
  if (!p.listHeader.contains(x, y)) return -1;
  for (int i = 0; i < p.listColumns; ++i)
    if (x < p.listColumnRight[size_t(i)]) return i;
  return -1;
}

void paintQuoteList(const AppState& app, Canvas& c, const Rect& area, LastPainted& out) {
  c.fillRect(area, rgb(0, 0, 0));
  if (area.empty()) return;
  out.quoteList = area;
  out.listRows = quoteListRows(area.height());

  // Columns scale with the display, not the window, and show while they fit (at least three).
  double scale = double(std::max(app.win.screenW, 1280) - 8) / kBaseWidthSum;
  int lefts[kQuoteListColumns + 1];
  int shown = 0;
  int x = area.left + 2;
  for (int i = 0; i < kQuoteListColumns; ++i) {
    int w = int(scale * kColumns[i].baseWidth);
    if (i >= 3 && x + w - area.left > area.width() - 4) break;
    lefts[i] = x;
    x += w;
    lefts[i + 1] = x;
    out.listColumnRight[size_t(i)] = x;
    shown = i + 1;
  }
  out.listColumns = shown;
  out.listHeader = Rect{area.left, area.top, area.right, std::min(area.bottom, area.top + kHeaderHeight)};

  c.pushClip(area);
  c.setFont(Font{"Microsoft YaHei", 16, false});
  const int sorted = app.list.sortColumn;
  for (int i = 0; i < shown; ++i) {
    Color col = i == sorted ? kYellow : kLabel;
    int markTop = area.top + 8;
    if (i == 0) {
      // The row-number column has no title: its mark stands for the load order.
      sortMark(c, lefts[0] + (lefts[1] - lefts[0] - 9) / 2, markTop, true, col);
      continue;
    }
    Rect r{lefts[i] + 4, area.top + 3, lefts[i + 1] - 4, area.top + kHeaderHeight};
    c.textInRect(r, kColumns[i].header, col, kColumns[i].right ? AlignRight : AlignLeft);
    if (i != sorted) continue;
    int tw = c.textSize(kColumns[i].header).cx;
    int mx = kColumns[i].right ? r.right - tw - 10 : r.left + tw + 3;
    sortMark(c, mx, markTop, app.list.sortAscending, kYellow);
  }

  const int count = int(app.market.stocks.size());
  const int top = std::clamp(app.list.listTop, 0, count);
  const Font yahei{"Microsoft YaHei", 16, false}, arial{"Arial", 14, false};
  for (int k = 0; k < out.listRows && top + k < count; ++k) {
    int idx = instrumentAtViewPos(app.list, count, top + k);
    if (idx < 0) continue;
    const StockRecord& s = app.market.stocks[size_t(idx)];
    int rowTop = area.top + kHeaderHeight + kRowHeight * k;
    for (int i = 0; i < shown; ++i) {
      std::string text = quoteCellText(s, i, k + 1);
      if (text.empty()) continue;
      c.setFont(i == 2 ? yahei : arial);
      Rect r{lefts[i] + 4, rowTop + 3, lefts[i + 1] - 4, rowTop + kRowHeight};
      c.textInRect(r, text, cellColor(s, i), kColumns[i].right ? AlignRight : AlignLeft);
    }
    out.hitAreas.push_back(HitArea{area.left, rowTop, area.right, rowTop + kRowHeight, HitKind::QuoteRow, idx});
    if (idx == app.view.curIdx)
      c.line(Point{area.left, rowTop + 21}, Point{area.right, rowTop + 21}, Pen{rgb(200, 185, 90)});
  }
  c.line(Point{area.left, area.bottom - 1}, Point{area.right, area.bottom - 1}, Pen{rgb(50, 54, 62)});
  c.popClip();
}

void paintCodeEntryBox(const AppState& app, Canvas& c) {
  if (app.list.codeEntry.empty()) return;
  int w = c.width(), h = c.height();
  Rect box{w - 140, h - 70, w - 20, h - 40};
  c.fillRect(box, rgb(22, 18, 18));
  c.frameRect(box, rgb(54, 46, 46), 1);
  c.setFont(Font{"Microsoft YaHei UI", 14, false});
  c.textInRect(Rect{w - 140, h - 62, w - 20, h - 40}, app.list.codeEntry, rgb(235, 235, 235), AlignCenter);
}

}  // namespace zor
