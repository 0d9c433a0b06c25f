#include "app/toolbar.h"

#include <string>

#include "app/app_state.h"
#include "app/bar_button.h"
#include "app/replay_ops.h"
#include "app/training_bar.h"

namespace zor {

namespace {

constexpr Color kBarLine = rgb(46, 46, 54);
constexpr Color kDarkText = rgb(40, 40, 40);

int textWidth(Canvas& c, std::string_view s) { return c.textSize(s).cx; }

// A white text field of the replay row with its placeholder and caret.
void replayField(Canvas& c, const AppState& app, LastPainted& out, const Rect& r, HitRef ref, const std::string& text,
                 const char* placeholder, bool focused) {
  c.fillRect(r, rgb(255, 255, 255));
  c.frameRect(r, rgb(166, 166, 166), 1);
  int x = r.left + 4, y = r.top + 5;
  if (!text.empty())
    c.text(x, y, text, rgb(0, 0, 0));
  else if (focused)
    c.text(x, y, "|", rgb(0, 0, 0));
  else if (placeholder)
    c.text(x, y, placeholder, rgb(128, 128, 128));
  if (focused && app.win.blink && !text.empty()) {
    int cx = x + textWidth(c, text) + 1;
    c.fillRect(Rect{cx, r.top + 4, cx + 1, r.bottom - 4}, rgb(0, 0, 0));
  }
  out.hitAreas.push_back(HitArea::of(r, ref.kind, ref.index));
}

void realTimeRow(const AppState& app, Canvas& c, const Rect& area, LastPainted& out) {
  c.text(20, area.top + (area.height() - 16) / 2, "实时行情", rgb(235, 235, 235));
  int tw = textWidth(c, "F12交易");
  int top = area.top + (area.height() - 22) / 2;
  Rect r{area.right - tw - 24, top, area.right - 8, top + 22};
  c.fillRect(r, rgb(30, 89, 180));
  c.textInRect(r, "F12交易", rgb(255, 255, 255), AlignCenter | AlignVCenter);
  out.hitAreas.push_back(HitArea::of(r, HitKind::F12Trading, 0));
}

void replayRow(const AppState& app, Canvas& c, const Rect& area, LastPainted& out) {
  const ReplayState& rp = app.replay;
  const WindowState& win = app.win;
  const int top = area.top + (area.height() - 24) / 2, bottom = top + 24;
  c.text(20, top + 4, "代码", kDarkText);
  replayField(c, app, out, Rect{54, top, 134, bottom}, HitRef{HitKind::ReplayCodeField, 3}, rp.replayCode, "输入代码",
              win.tradeFocus == kToolbarCodeFocus);
  c.text(142, top + 4, "日期", kDarkText);
  std::string date = trnBlind(app.train) && !rp.dateBox.empty() ? std::string(kMaskedDate) : rp.dateBox;
  replayField(c, app, out, Rect{176, top, 266, bottom}, HitRef{HitKind::ReplayDateField, 2}, date, nullptr,
              win.tradeFocus == kToolbarDateFocus);

  auto button = [&](int left, int right, std::string_view text, HitKind kind, int index, bool active, int scheme) {
    barButton(c, win, out.hitAreas, Rect{left, top, right, bottom}, text, HitRef{kind, index}, active, scheme);
    return right;
  };
  if (rp.training)
    button(274, 374, "停止训练 ■", HitKind::ReplayStartStop, 0, true, SchemeGrey);
  else
    button(274, 374, "开始训练 ▶", HitKind::ReplayStartStop, 0, false, SchemeGreen);
  int x = button(390, 404 + textWidth(c, "下一天▶"), "下一天▶", HitKind::ReplayNextDay, 0, false, SchemeBlue);
  if (rp.training) {
    const char* pause = rp.replayPaused ? "继续 ▶" : "暂停 ⏸";
    x = button(x + 8, x + 8 + textWidth(c, pause) + 14, pause, HitKind::ReplayPause, 0, false,
               rp.replayPaused ? SchemeBlue : SchemeAmber);
    static const char* const kSpeeds[6] = {"正常", "3x", "6x", "12x", "24x", "48x"};
    x += 8;
    for (int i = 0; i < 6; ++i) {
      int right = x + textWidth(c, kSpeeds[i]) + 10;
      button(x, right, kSpeeds[i], HitKind::ReplaySpeed, i, false,
             rp.replayIntervalMs == kReplaySpeedMs[i] ? SchemeBlue : SchemeGrey);
      x = right + 4;
    }
    button(x, x + textWidth(c, "全天") + 10, "全天", HitKind::ReplaySpeed, 6, false,
           rp.fullDayShown ? SchemeBlue : SchemeGrey);
  }
  button(area.right - textWidth(c, "F12交易") - 26, area.right - 8, "F12交易", HitKind::F12Trading, 0, false, SchemeBlue);
}

}  // namespace

void paintToolbar(const AppState& app, Canvas& c, const Rect& area, LastPainted& out) {
  if (area.empty()) return;
  c.setFont(Font{"Microsoft YaHei UI", 14, false});
  if (isKlineTrainingTab(app.mode.tradeTab) && app.mode.tradeMode != TradeMode::RealTime) {
    drawTrainingBar(app, c, area, out);
    return;
  }
  c.fillRect(area, rgb(240, 240, 245));
  Pen shadow{c.systemColor(SysColor::ButtonShadow)};
  c.line(Point{area.left, area.top}, Point{area.right, area.top}, shadow);
  c.line(Point{area.left, area.bottom - 1}, Point{area.right, area.bottom - 1}, shadow);
  if (isRealTimeTab(app.mode.tradeTab) && app.mode.tradeMode == TradeMode::RealTime)
    realTimeRow(app, c, area, out);
  else
    replayRow(app, c, area, out);
  c.line(Point{area.left, area.bottom}, Point{area.right, area.bottom}, Pen{kBarLine});
}

void paintTabBar(const AppState& app, Canvas& c, const Rect& area, LastPainted& out) {
  if (area.empty()) return;
  const ChartView& v = app.view;
  const WindowState& win = app.win;
  c.fillRect(area, rgb(18, 18, 22));
  c.setFont(Font{"Microsoft YaHei UI", 14, false});
  const int top = area.top + 4, bottom = area.bottom - 4;
  int x = 10;
  // Each button is as wide as its text plus `pad`; returns its right edge.
  auto button = [&](int left, std::string_view text, int pad, HitKind kind, int index, bool active) {
    int right = left + c.textSize(text).cx + pad;
    barButton(c, win, out.hitAreas, Rect{left, top, right, bottom}, text, HitRef{kind, index}, active, SchemeGrey);
    return right;
  };
  static const char* const kPeriods[8] = {"日线", "周线", "月线", "60分", "30分", "15分", "5分", "1分"};
  for (int i = 0; i < 8; ++i) x = button(x, kPeriods[i], 16, HitKind::PeriodButton, i, v.period == i) + 4;
  x = button(x + 10, "MA", 12, HitKind::MainIndicatorButton, 0, v.mainInd == MainMA) + 4;
  x = button(x, "BOLL", 12, HitKind::MainIndicatorButton, 1, v.mainInd == MainBOLL) + 4;
  static const char* const kSubs[4] = {"MACD", "KDJ", "RSI", "VOL"};
  x += 10;
  for (int i = 0; i < 4; ++i) x = button(x, kSubs[i], 12, HitKind::SubIndicatorButton, i, v.subInd == i) + 4;
  x += 10;
  const int klineLeft = x;
  barButton(c, win, out.hitAreas, Rect{x, top, x + 50, bottom}, "K线", HitRef{HitKind::ChartKindButton, 0}, !v.trend,
            SchemeGrey);
  // The training tabs always show K-lines: no intraday button, and its place stays bare.
  if (!isKlineTrainingTab(app.mode.tradeTab))
    barButton(c, win, out.hitAreas, Rect{x + 52, top, x + 102, bottom}, "分时", HitRef{HitKind::ChartKindButton, 1},
              v.trend, SchemeGrey);
  x = button(klineLeft + 115, "Vol", 12, HitKind::ToggleVolumePanel, 0, v.showVol) + 4;
  button(x, "Sub", 12, HitKind::ToggleSubPanel, 0, v.showSub);
  c.line(Point{area.left, area.bottom}, Point{area.right, area.bottom}, Pen{kBarLine});
}

}  // namespace zor
