#include "app/quote_panel.h"

#include <cmath>
#include <string>

#include "app/app_state.h"
#include "app/quote_list.h"
#include "app/score_card.h"
#include "platform/text.h"

namespace zor {

namespace {

constexpr Color kLabel = rgb(192, 192, 192);
constexpr Color kDivider = rgb(176, 0, 0);
constexpr Color kRed = rgb(255, 50, 50);
constexpr Color kGreen = rgb(0, 230, 0);
constexpr Color kOlive = rgb(192, 192, 0);
constexpr int kRowStep = 19;

// White within half a cent of the previous close, red above, green below.
Color priceColor(double price, double prevClose) {
  double d = price - prevClose;
  return std::fabs(d) < 0.005 ? rgb(255, 255, 255) : d > 0 ? kRed : kGreen;
}

Color signColor(double v) { return v >= 0 ? kRed : kGreen; }

struct Columns {
  int label1, value1, label2, value2;  // x of the labels, right edges of the values
};

}  // namespace

int quotePanelInstrument(const AppState& app) {
  const Market& m = app.market;
  if (app.train.active && isKlineTrainingTab(app.mode.tradeTab) && m.valid(app.train.stockIdx)) return app.train.stockIdx;
  int idx = app.view.curIdx;
  if (!app.replay.training && app.live.liveStockIdx >= 0 && app.mode.tradeMode == TradeMode::RealTime)
    idx = app.live.liveStockIdx;
  return m.valid(idx) ? idx : -1;
}

std::array<uint32_t, 21> decorationSequence(std::string_view code) {
  std::array<uint32_t, 21> s{};
  uint32_t h = 5381;
  for (unsigned char b : code) h = h * 33 + b;
  s[0] = h;
  for (size_t k = 1; k < s.size(); ++k) s[k] = 1103515245u * s[k - 1] + 12345u;
  return s;
}

SimulatedBook simulatedBook(std::string_view code, double ref, double step) {
  const std::array<uint32_t, 21> s = decorationSequence(code);
  SimulatedBook b{};
  // Slot k's volumes use s[4k-3] .. s[4k]; the nearer slots weigh more.
  const long ask[5] = {long((s[1] % 116 * 5 + 25) / 3 + s[2] % 30 + 1), long((s[5] % 116 * 4 + 20) / 3 + s[6] % 30 + 1),
                       long(s[9] % 116 + s[10] % 30 + 6), long((s[13] % 116 * 2 + 10) / 3 + s[14] % 30 + 1),
                       long((s[17] % 116 + 5) / 3 + s[18] % 30 + 1)};
  const long bid[5] = {long((s[3] % 146 * 5 + 25) / 3 + s[4] % 40 + 1), long((s[7] % 146 * 4 + 20) / 3 + s[8] % 40 + 1),
                       long(s[11] % 146 + s[12] % 40 + 6), long((s[15] % 146 * 2 + 10) / 3 + s[16] % 40 + 1),
                       long((s[19] % 146 + 5) / 3 + s[20] % 40 + 1)};
  long sumAsk = 0, sumBid = 0;
  for (int k = 0; k < 5; ++k) {
    b.askPrice[k] = ref + (k + 1) * step;
    b.bidPrice[k] = ref - (k + 1) * step;
    b.askVolume[k] = ask[k];
    b.bidVolume[k] = bid[k];
    sumAsk += ask[k];
    sumBid += bid[k];
  }
  b.ratio = double(sumBid - sumAsk) * 100 / double(sumBid + sumAsk + 1);
  b.difference = sumBid - sumAsk;
  return b;
}

double priceStep(std::string_view code) {
  size_t i = 0;
  while (i < code.size() && !(code[i] >= '0' && code[i] <= '9')) ++i;
  std::string_view two = code.substr(i, 2);
  for (const char* fund : {"51", "56", "58", "15", "16"})
    if (two == fund) return 0.001;
  return 0.01;
}

void paintQuotePanel(const AppState& app, Canvas& c, const Rect& area) {
  if (area.empty()) return;
  const int L = area.left, R = area.right, T = area.top;
  c.fillRect(area, rgb(0, 0, 0));
  auto separator = [&] {
    if (L > 0) c.line(Point{L, T}, Point{L, area.bottom}, Pen{kDivider});
  };
  separator();
  c.pushClip(area);
  c.setFont(Font{"SimSun", 12, false});
  const int idx = quotePanelInstrument(app);
  if (idx < 0) {
    if (app.mode.tradeMode == TradeMode::RealTime) {
      const Color grey = rgb(140, 140, 150);
      c.text(L + 8, T + 8, "实时行情", grey);
      c.text(L + 8, T + 28, "(未加载标的)", grey);
      c.text(L + 8, T + 50, "请在左侧输入代码", grey);
      c.text(L + 8, T + 72, "并点【加载】", grey);
    }
    c.popClip();
    return;
  }
  const StockRecord& s = app.market.stocks[size_t(idx)];
  const int f = R - L - 4;
  const Columns col{L + 2 + 6, L + 2 + int(0.51 * f), L + 2 + int(0.53 * f), R - 2 - 3};
  auto divider = [&](int y) { c.line(Point{L + 2, y}, Point{R - 2, y}, Pen{kDivider}); };
  auto rightText = [&](int right, int y, std::string_view t, Color color) {
    c.text(right - c.textSize(t).cx, y, t, color);
  };
  // One row of two label/value pairs.
  auto pair = [&](int y, const char* l1, const std::string& v1, Color c1, const char* l2, const std::string& v2,
                  Color c2) {
    c.text(col.label1, y, l1, kLabel);
    rightText(col.value1, y, v1, c1);
    c.text(col.label2, y, l2, kLabel);
    rightText(col.value2, y, v2, c2);
  };

  const double step = priceStep(s.code);
  const char* fmt = step < 0.005 ? "%.3f" : "%.2f";
  const double last = s.lastPrice, pc = s.prevClose;
  const double ref = last > 0.001 ? last : pc;

  c.fillRect(Rect{L, T + 2, R, T + 22}, rgb(56, 56, 56));
  c.textInRect(Rect{L, T + 6, R, T + 22}, "模拟数据盘口", rgb(255, 230, 90), AlignCenter);
  divider(T + 22);

  const bool masked = trnBlind(app.train) && idx == app.train.stockIdx;
  c.text(L + 2, T + 26, "R", kRed);
  c.text(L + 16, T + 26, masked ? std::string(kMaskedName) : stripMarketPrefix(s.code), rgb(255, 80, 80));
  c.text(L + 60, T + 26, masked ? std::string(kMaskedName) : s.name, rgb(255, 255, 0));
  divider(T + 42);

  const SimulatedBook book = simulatedBook(s.code, ref, step);
  pair(T + 46, "委比", strPrintf("%.2f%%", book.ratio), signColor(book.ratio), "委差", strPrintf("%ld", book.difference),
       book.difference < 0 ? kGreen : kRed);
  divider(T + 62);
  static const char* const kLevels[5] = {"一", "二", "三", "四", "五"};
  int y = T + 66;
  for (int row = 0; row < 5; ++row, y += kRowStep) {
    int level = 4 - row;  // 五 down to 一; the 五 row carries slot 1's volume
    c.text(L + 11, y, "卖", kLabel);
    c.text(L + 27, y, kLevels[level], kLabel);
    rightText(col.value1, y, strPrintf(fmt, book.askPrice[level]), priceColor(book.askPrice[level], pc));
    rightText(col.value2, y, strPrintf("%.0f", double(book.askVolume[row])), kOlive);
    if (level == 0) c.frameRect(Rect{L + 9, y - 2, col.value1 + 2, y + 15}, rgb(96, 96, 96), 1);
  }
  divider(y - 3);
  y += 1;
  for (int level = 0; level < 5; ++level, y += kRowStep) {
    c.text(L + 11, y, "买", kLabel);
    c.text(L + 27, y, kLevels[level], kLabel);
    rightText(col.value1, y, strPrintf(fmt, book.bidPrice[level]), priceColor(book.bidPrice[level], pc));
    rightText(col.value2, y, strPrintf("%.0f", double(book.bidVolume[level])), kOlive);
  }
  divider(y - 3);
  y += 1;

  const std::array<uint32_t, 21> seq = decorationSequence(s.code);
  const double change = last - pc;
  const Color changeCol = change > 0.0005 ? kRed : change < -0.0005 ? kGreen : rgb(255, 255, 255);
  const double pct = pc > 0.001 ? change / pc * 100 : 0;
  pair(y, "现价", strPrintf(fmt, last), changeCol, "今开", strPrintf(fmt, s.open), priceColor(s.open, pc));
  y += kRowStep;
  pair(y, "涨跌", strPrintf(fmt, change), changeCol, "最高", strPrintf(fmt, s.high), priceColor(s.high, pc));
  y += kRowStep;
  pair(y, "涨幅", strPrintf("%.2f%%", pct), changeCol, "最低", strPrintf(fmt, s.low), priceColor(s.low, pc));
  y += kRowStep;
  const double volumeRatio = double(seq[1] % 171 + 80) / 100;
  pair(y, "总量", largeNumberText(s.volume / 100), kOlive, "量比", strPrintf("%.2f", volumeRatio),
       volumeRatio >= 1 ? kRed : kGreen);
  y += kRowStep;
  pair(y, "外盘", largeNumberText((double(seq[3] % 41) / 100 + 0.3) * s.volume / 100), kRed, "内盘",
       largeNumberText((double(seq[2] % 31) / 100 + 0.3) * s.volume / 100), kGreen);
  y += kRowStep;
  divider(y - 3);
  y += 1;

  const double iopv = (1 + (double(seq[4] % 61) - 30) / 10000) * last;
  pair(y, "IOPV", strPrintf("%.4f", iopv), kOlive, "昨PV", strPrintf("%.4f", pc), kOlive);
  y += kRowStep;
  const double pvChange = pc > 0 ? (iopv - pc) / pc * 100 : 0;
  const std::string turnover = s.turnover > 0.0001 ? strPrintf("%.2f%%", s.turnover)
                                                   : strPrintf("%d.%02d%%", int(seq[5] % 9), int(seq[6] % 100));
  pair(y, "PV涨", strPrintf("%.2f%%", pvChange), signColor(pvChange), "换手", turnover, kOlive);
  y += kRowStep;
  const double premium = last - iopv;
  pair(y, "溢价", strPrintf("%.4f", premium), signColor(premium), "溢率",
       strPrintf("%.2f%%", iopv > 0.001 ? premium / iopv * 100 : 0), kOlive);
  y += kRowStep;
  divider(y - 3);
  y += 1;

  drawScoreCard(app, c, y, L + 2, f, area.bottom);
  c.popClip();
  separator();
}

}  // namespace zor
