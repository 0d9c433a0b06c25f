#include "app/shell_panels.h"

#include <algorithm>
#include <chrono>

#include "app/app_state.h"
#include "app/main_window.h"
#include "chart/chart_layout.h"
#include "chart/intraday_chart.h"
#include "chart/kline_chart.h"
#include "platform/clock.h"
#include "platform/text.h"
#include "platform/trace_log.h"

namespace zor {

namespace {

constexpr Color kLabel = rgb(192, 192, 192);
constexpr Color kSortedHeader = rgb(240, 248, 136);
constexpr int kHeaderHeight = kQuoteListHeaderHeight;
constexpr int kRowHeight = kQuoteListRowHeight;

enum Align { Left, Right };

struct QuoteColumn {
  const char* header;
  int baseWidth;  // pixels at a 734-pixel-wide display; scaled with the display width
  Align align;
};

// Keep in the order of the list's columns (the sort column numbers count them).
constexpr QuoteColumn kColumns[] = {
    {"", 26, Left},       {"代码", 60, Left},   {"名称", 74, Left},   {"涨幅%", 54, Right}, {"现价", 54, Right},
    {"涨跌", 50, Right},  {"总量", 58, Right},  {"今开", 50, Right},  {"最高", 50, Right},  {"最低", 50, Right},
    {"昨收", 50, Right},  {"总金额", 56, Right}, {"振幅%", 44, Right}, {"均价", 50, Right},
};
constexpr int kColumnCount = int(sizeof kColumns / sizeof kColumns[0]);
constexpr int kBaseWidthSum = 726;

// The game instrument is masked while a blind game runs.
bool blindGame(const AppState& app) { return app.train.active && app.train.hidden && !app.train.revealed; }

std::string price(double v) { return v > 0 ? strPrintf("%.2f", v) : std::string(); }

Color changeColor(const StockRecord& s) {
  if (s.prevClose <= 0) return rgb(255, 255, 255);
  double pct = (s.lastPrice - s.prevClose) / s.prevClose * 100;
  return pct > 0.005 ? rgb(255, 0, 0) : pct < -0.005 ? rgb(0, 255, 0) : rgb(255, 255, 255);
}

struct Cell {
  std::string text;
  Color color;
};

Cell cellOf(const StockRecord& s, int column, int rowNumber) {
  double last = s.lastPrice, pc = s.prevClose;
  Color chg = changeColor(s);
  switch (column) {
    case 0: return {std::to_string(rowNumber), rgb(200, 203, 212)};
    case 1: return {stripMarketPrefix(s.code), kSortedHeader};
    case 2: return {s.name, kSortedHeader};
    case 3: return {pc > 0 && last > 0 ? strPrintf("%.2f", (last - pc) / pc * 100) : "", chg};
    case 4: return {price(last), chg};
    case 5: return {pc > 0 && last > 0 ? strPrintf("%.2f", last - pc) : "", chg};
    case 6: return {largeNumberText(s.volume / 100), rgb(255, 255, 0)};
    case 7: return {price(s.open), s.open >= pc ? rgb(255, 0, 0) : rgb(0, 255, 0)};
    case 8: return {price(s.high), rgb(255, 0, 0)};
    case 9: return {price(s.low), rgb(0, 255, 0)};
    case 10: return {price(pc), rgb(200, 200, 200)};
    case 11: return {largeNumberText(s.amount), rgb(0, 224, 240)};
    case 12: return {pc > 0 && s.low < s.high ? strPrintf("%.2f", (s.high - s.low) / pc * 100) : "", rgb(200, 200, 200)};
    default: {
      double avg = s.volume > 0 ? s.amount / s.volume : 0;
      bool shown = last > 0 && avg > 0.5 * last && avg < 1.5 * last;
      return {shown ? strPrintf("%.2f", avg) : "", chg};
    }
  }
}

std::string dirState(int n, const std::string& dir, bool exists) {
  const char* state = dir.empty() ? "待配置" : exists ? "已生效" : "没生效";
  return strPrintf("数据%d%s", n, state);
}

}  // namespace

int quoteListRows(int height) { return std::max(1, (height - kHeaderHeight) / kRowHeight); }

std::string largeNumberText(double v) {
  if (v >= 1e8) return strPrintf("%.2f亿", v / 1e8);
  if (v >= 1e4) return strPrintf("%.1f万", v / 1e4);
  if (v > 0) return strPrintf("%.0f", v);
  return {};
}

void paintQuoteListArea(const AppState& app, Canvas& c, const Rect& area, LastPainted& out) {
  c.fillRect(area, rgb(0, 0, 0));
  if (area.empty()) return;
  out.quoteList = area;
  out.listRows = quoteListRows(area.height());

  // Columns scale with the display, not the window, and show while they fit (at least three).
  double scale = double(std::max(app.win.screenW, 1280) - 8) / kBaseWidthSum;
  int lefts[kColumnCount + 1];
  int shown = 0;
  int x = area.left + 2;
  for (int i = 0; i < kColumnCount; ++i) {
    int w = int(scale * kColumns[i].baseWidth);
    if (i >= 3 && x + w - area.left > area.width() - 4) break;
    lefts[i] = x;
    x += w;
    lefts[i + 1] = x;
    shown = i + 1;
  }

  c.pushClip(area);
  c.setFont(Font{"Microsoft YaHei", 16, false});
  for (int i = 1; i < shown; ++i) {
    Rect r{lefts[i] + 4, area.top + 3, lefts[i + 1] - 4, area.top + kHeaderHeight};
    Color col = i == app.list.sortColumn ? kSortedHeader : kLabel;
    c.textInRect(r, kColumns[i].header, col, kColumns[i].align == Right ? AlignRight : AlignLeft);
  }

  int count = int(app.market.stocks.size());
  int top = std::clamp(app.list.listTop, 0, count);
  for (int k = 0; k < out.listRows && top + k < count; ++k) {
    int idx = instrumentAtViewPos(app.list, count, top + k);
    if (idx < 0) continue;
    const StockRecord& s = app.market.stocks[size_t(idx)];
    int rowTop = area.top + kHeaderHeight + kRowHeight * k;
    for (int i = 0; i < shown; ++i) {
      Cell cell = cellOf(s, i, k + 1);
      if (cell.text.empty()) continue;
      c.setFont(i == 2 ? Font{"Microsoft YaHei", 16, false} : Font{"Arial", 14, false});
      Rect r{lefts[i] + 4, rowTop + 3, lefts[i + 1] - 4, rowTop + kRowHeight};
      c.textInRect(r, cell.text, cell.color, kColumns[i].align == Right ? AlignRight : AlignLeft);
    }
    out.hitAreas.push_back(HitArea{area.left, rowTop, area.right, rowTop + kRowHeight, HitKind::QuoteRow, idx});
    if (idx == app.view.curIdx)
      c.line(Point{area.left, rowTop + 21}, Point{area.right, rowTop + 21}, Pen{rgb(200, 185, 90)});
  }
  c.line(Point{area.left, area.bottom - 1}, Point{area.right, area.bottom - 1}, Pen{rgb(50, 54, 62)});
  c.popClip();
}

ChartContext chartContextOf(const AppState& app) {
  ChartContext ctx(app.market, app.view, app.train, app.replay);
  ctx.tradeMode = app.mode.tradeMode;
  ctx.tradeTab = app.mode.tradeTab;
  ctx.liveStockIdx = app.live.liveStockIdx;
  ctx.dealAccount = &currentAccount(app.trading, int(app.mode.tradeTab));
  const IntradaySettings& fs = app.config.fsLive;
  ctx.intraday.ma = fs.ma;
  ctx.intraday.avg = fs.avg != 0;
  ctx.intraday.mainInd = fs.mainInd;
  ctx.intraday.sub1 = fs.sub1;
  ctx.intraday.sub2 = fs.sub2;
  ctx.intraday.sub1Param = fs.sub1Param;
  ctx.intraday.sub2Param = fs.sub2Param;
  return ctx;
}

bool intradayShown(const AppState& app) {
  // The K-line training tabs always show K-lines, and a game's instrument never shows the
  // minutes of a day the game has not reached.
  if (!app.view.trend || isKlineTrainingTab(app.mode.tradeTab)) return false;
  return !(app.train.active && chartInstrument(chartContextOf(app)) == app.train.stockIdx);
}

namespace {

// The time a chart paint took, in the trace while message tracing is on.
class PaintTimer {
 public:
  ~PaintTimer() {
    if (!msgTraceOn()) return;
    auto us = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start_).count();
    traceLine("PAINT chart dt=%.2fms", double(us) / 1000);
  }

 private:
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace

void paintChartArea(const AppState& app, Canvas& c, const ShellLayout& layout, LastPainted& out) {
  // The tab bar and the quote panel beside the chart arrive with their own subsystem; the
  // chart takes its area of the window.
  PaintTimer timer;
  const ChartContext ctx = chartContextOf(app);
  const Rect area = chartAreaRect(c.width(), c.height(), false);
  CanvasMeasure measure(c);
  const int idx = chartInstrument(ctx);
  const StockRecord* rec = app.market.valid(idx) ? &app.market.stocks[size_t(idx)] : nullptr;
  if (intradayShown(app)) {
    if (msgTraceOn())
      traceLine("PAINT drawTrend (max) curIdx=%d trend=%d minc=%zu", idx, int(app.view.trend), rec ? rec->minc.size() : 0);
    IntradayFrame f = buildIntraday(ctx, area, measure);
    paintDrawList(c, f.list);
    out.hitAreas.insert(out.hitAreas.end(), f.hitAreas.begin(), f.hitAreas.end());
    out.intraday = f.geometry;
    return;
  }
  if (msgTraceOn())
    traceLine("PAINT drawKLine (max) curIdx=%d period=%d k=%zu", idx, app.view.period, rec ? rec->k.size() : 0);
  KLineFrame f = buildKLine(ctx, area, measure);
  paintDrawList(c, f.list);
  out.hitAreas.insert(out.hitAreas.end(), f.hitAreas.begin(), f.hitAreas.end());
  out.chart = std::move(f.geometry);
}

void paintChartOverlay(const AppState& app, Canvas& c) {
  const LastPainted& p = app.win.painted;
  if (!app.win.mouseInside) return;
  CanvasMeasure measure(c);
  if (p.chart.valid)
    paintDrawList(c, klineCrosshair(p.chart, app.win.mouseX, app.win.mouseY, measure));
  else if (p.intraday.valid)
    paintDrawList(c, intradayCrosshair(p.intraday, app.win.mouseX, app.win.mouseY, measure));
}

bool crosshairShownAt(const LastPainted& p, int x, int y) {
  if (p.chart.valid) {
    const Rect& pr = p.chart.pr;
    return p.chart.window.usable() && !pr.empty() && x >= pr.left && x <= pr.right && y >= pr.top && y <= pr.bottom;
  }
  const IntradayGeometry& g = p.intraday;
  return g.valid && x >= g.plotLeft && x <= g.plotRight && y >= g.plotTop && y <= g.plotBottom;
}

std::string statusLineText(const AppState& app, const std::string& now) {
  int rising = 0, falling = 0;
  for (const StockRecord& s : app.market.stocks) (s.lastPrice >= s.prevClose ? rising : falling)++;
  std::string name = "—", code;
  if (app.market.valid(app.view.curIdx)) {
    const StockRecord& s = app.market.stocks[size_t(app.view.curIdx)];
    bool masked = blindGame(app) && app.view.curIdx == app.train.stockIdx;
    name = masked ? "******" : s.name;
    code = masked ? "******" : s.code;
  }
  return strPrintf("%s  |  %s  %s  |  上涨 %d  下跌 %d  |  当前: %s(%s)  |  %s", kProgramTitle,
                   dirState(1, app.config.datDir, app.config.datDirExists).c_str(),
                   dirState(2, app.config.lc1Dir, app.config.lc1DirExists).c_str(), rising, falling, name.c_str(),
                   code.c_str(), now.c_str());
}

void paintStatusLine(const AppState& app, Canvas& c, const Rect& area) {
  if (area.empty()) return;
  c.fillRect(area, rgb(240, 240, 245));
  c.setFont(Font{"Microsoft YaHei UI", 14, false});
  LocalTime t = localNow();
  std::string now = strPrintf("%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);

  // The command message ends 8 pixels from the right edge; the state line is cut before it.
  int right = area.right - 8;
  int messageLeft = right;
  if (!app.win.statusText.empty()) {
    messageLeft = right - c.textSize(app.win.statusText).cx;
    c.textInRect(Rect{std::max(area.left, messageLeft), area.top, right, area.bottom}, app.win.statusText,
                 rgb(176, 0, 0), AlignRight | AlignVCenter);
  }
  Rect stateRect{area.left + 8, area.bottom - 20, std::max(area.left + 8, messageLeft - 8), area.bottom};
  c.pushClip(stateRect);
  c.text(stateRect.left, stateRect.top, statusLineText(app, now), rgb(40, 40, 40));
  c.popClip();
}

}  // namespace zor
