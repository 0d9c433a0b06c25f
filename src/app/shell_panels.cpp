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

// The game instrument is masked while a blind game runs.
bool blindGame(const AppState& app) { return app.train.active && app.train.hidden && !app.train.revealed; }

std::string dirState(int n, const std::string& dir, bool exists) {
  const char* state = dir.empty() ? "待配置" : exists ? "已生效" : "没生效";
  return strPrintf("数据%d%s", n, state);
}

}  // namespace

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
