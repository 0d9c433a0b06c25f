#include "app/toolbar.h"

#include <string>

#include "app/app_state.h"
#include "app/bar_button.h"
#include "app/replay_ops.h"
#include "app/training_bar.h"

namespace zor {

namespace {

constexpr Color kBarLine = rgb(46, 46, 54);

Font barFont() { return Font{"Microsoft YaHei UI", 14, false}; }
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
  const int top = area.top + (area.height() - 24) / 2, bottom = top + 24;
  c.text(20, top + 4, "代码", kDarkText);
  replayField(c, app, out, Rect{54, top, 134, bottom}, HitRef{HitKind::ReplayCodeField, 3}, rp.replayCode, "输入代码",
              app.win.tradeFocus == kToolbarCodeFocus);
  c.text(142, top + 4, "日期", kDarkText);
  std::string date = trnBlind(app.train) && !rp.dateBox.empty() ? std::string(kMaskedDate) : rp.dateBox;
  replayField(c, app, out, Rect{176, top, 266, bottom}, HitRef{HitKind::ReplayDateField, 2}, date, nullptr,
              app.win.tradeFocus == kToolbarDateFocus);
  CanvasMeasure m(c);
  std::vector<BarButton> buttons = replayRowLayout(rp, area, m);
  c.setFont(barFont());
  paintBarButtons(c, app.win, buttons, out.hitAreas);
}

}  // namespace

void paintToolbar(const AppState& app, Canvas& c, const Rect& area, LastPainted& out) {
  if (area.empty()) return;
  c.setFont(barFont());
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

std::vector<BarButton> tabBarLayout(const ChartView& v, bool trainingTab, const Rect& area, TextMeasure& m) {
  std::vector<BarButton> out;
  const Font font = barFont();
  const int top = area.top + 4, bottom = area.bottom - 4;
  // Each button is as wide as its text plus `pad`; returns its right edge.
  auto button = [&](int left, const char* text, int pad, HitKind kind, int index, bool active) {
    int right = left + m.width(font, text) + pad;
    out.push_back(BarButton{Rect{left, top, right, bottom}, text, HitRef{kind, index}, active, SchemeGrey});
    return right;
  };
  static const char* const kPeriods[8] = {"日线", "周线", "月线", "60分", "30分", "15分", "5分", "1分"};
  int x = 10;
  for (int i = 0; i < 8; ++i) x = button(x, kPeriods[i], 16, HitKind::PeriodButton, i, v.period == i) + 4;
  x = button(x + 10, "MA", 12, HitKind::MainIndicatorButton, 0, v.mainInd == MainMA) + 4;
  x = button(x, "BOLL", 12, HitKind::MainIndicatorButton, 1, v.mainInd == MainBOLL) + 4;
  static const char* const kSubs[4] = {"MACD", "KDJ", "RSI", "VOL"};
  x += 10;
  for (int i = 0; i < 4; ++i) x = button(x, kSubs[i], 12, HitKind::SubIndicatorButton, i, v.subInd == i) + 4;
  x += 10;
  out.push_back(BarButton{Rect{x, top, x + 50, bottom}, "K线", HitRef{HitKind::ChartKindButton, 0}, !v.trend, SchemeGrey});
  // The training tabs always show K-lines: no intraday button, and its place stays bare.
  if (!trainingTab)
    out.push_back(
        BarButton{Rect{x + 52, top, x + 102, bottom}, "分时", HitRef{HitKind::ChartKindButton, 1}, v.trend, SchemeGrey});
  x = button(x + 115, "Vol", 12, HitKind::ToggleVolumePanel, 0, v.showVol) + 4;
  button(x, "Sub", 12, HitKind::ToggleSubPanel, 0, v.showSub);
  return out;
}

std::vector<BarButton> replayRowLayout(const ReplayState& rp, const Rect& area, TextMeasure& m) {
  std::vector<BarButton> out;
  const Font font = barFont();
  const int top = area.top + (area.height() - 24) / 2, bottom = top + 24;
  auto add = [&](int left, int right, const char* text, HitKind kind, int index, bool active, int scheme) {
    out.push_back(BarButton{Rect{left, top, right, bottom}, text, HitRef{kind, index}, active, scheme});
    return right;
  };
  auto width = [&](const char* text) { return m.width(font, text); };
  // Only the running replay's stop button is active.
  if (rp.training)
    add(274, 374, "停止训练 ■", HitKind::ReplayStartStop, 0, true, SchemeGrey);
  else
    add(274, 374, "开始训练 ▶", HitKind::ReplayStartStop, 0, false, SchemeGreen);
  int x = add(390, 404 + width("下一天▶"), "下一天▶", HitKind::ReplayNextDay, 0, false, SchemeBlue);
  if (rp.training) {
    const char* pause = rp.replayPaused ? "继续 ▶" : "暂停 ⏸";
    x = add(x + 8, x + 8 + width(pause) + 14, pause, HitKind::ReplayPause, 0, false,
            rp.replayPaused ? SchemeBlue : SchemeAmber);
    static const char* const kSpeeds[6] = {"正常", "3x", "6x", "12x", "24x", "48x"};
    x += 8;
    for (int i = 0; i < 6; ++i)
      x = add(x, x + width(kSpeeds[i]) + 10, kSpeeds[i], HitKind::ReplaySpeed, i, false,
              rp.replayIntervalMs == kReplaySpeedMs[i] ? SchemeBlue : SchemeGrey) + 4;
    add(x, x + width("全天") + 10, "全天", HitKind::ReplaySpeed, 6, false, rp.fullDayShown ? SchemeBlue : SchemeGrey);
  }
  add(area.right - width("F12交易") - 26, area.right - 8, "F12交易", HitKind::F12Trading, 0, false, SchemeBlue);
  return out;
}

void paintTabBar(const AppState& app, Canvas& c, const Rect& area, LastPainted& out) {
  if (area.empty()) return;
  c.fillRect(area, rgb(18, 18, 22));
  CanvasMeasure m(c);
  std::vector<BarButton> buttons = tabBarLayout(app.view, isKlineTrainingTab(app.mode.tradeTab), area, m);
  c.setFont(barFont());
  paintBarButtons(c, app.win, buttons, out.hitAreas);
  c.line(Point{area.left, area.bottom}, Point{area.right, area.bottom}, Pen{kBarLine});
}

}  // namespace zor
