#include "app/training_bar.h"

#include <string>

#include "app/app_state.h"
#include "app/bar_button.h"
#include "app/training_days.h"
#include "app/training_ops.h"
#include "platform/text.h"

namespace zor {

namespace {

constexpr Color kLive = rgb(0x3C, 0x6E, 0xAA);       // a step button while a game runs
constexpr Color kIdle = rgb(0x78, 0x78, 0x82);       // any game button without a game
constexpr Color kIdleLabel = rgb(0xC8, 0xC8, 0xC8);
constexpr Color kOn = rgb(0xBA, 0x75, 0x17);         // autoplay running, answer shown
constexpr Color kChosen = rgb(0x46, 0x82, 0xB4);     // the current speed, the days with a game
constexpr Color kUnchosen = rgb(0x96, 0x96, 0xA0);
constexpr int kHeight = 22;

const Account& trainingAccount(const AppState& app) { return app.trading.accounts[ModeTraining]; }

struct Step {
  const char* label;
  int width;
  HitKind kind;
};

// Keep in the order the bar shows them.
constexpr Step kSteps[] = {
    {"下一根", 50, HitKind::TrainNextBar},     {"下一周", 52, HitKind::TrainNextWeek},
    {"下一个月", 68, HitKind::TrainNextMonth}, {"下60分钟", 68, HitKind(102)},
    {"下30分钟", 68, HitKind(103)},            {"下15分钟", 68, HitKind(104)},
    {"下5分钟", 62, HitKind(105)},             {"下1分钟", 62, HitKind(106)},
};

// Lays buttons out from the left while they end `margin` pixels before `limit`; the first that
// does not fit ends the row, so a narrower window loses buttons from the right.
struct Flow {
  std::vector<FlatButton>& out;
  int top, limit;
  int x = 0;
  int lastRight = 0;
  bool stopped = false;

  bool fits(bool ok) {
    stopped = stopped || !ok;
    return !stopped;
  }
  void place(int width, const char* label, HitRef ref, Color fill, Color text, int gap = 5, int margin = 5) {
    if (!fits(x + width <= limit - margin)) return;
    out.push_back(FlatButton{Rect{x, top, x + width, top + kHeight}, label, ref, fill, text});
    lastRight = x + width;
    x = lastRight + gap;
  }
};

void field(const AppState& app, Canvas& c, LastPainted& out, const Rect& r, HitRef ref, const std::string& text,
           const char* placeholder, bool focused) {
  c.fillRect(r, focused ? rgb(0xFF, 0xFF, 0xEB) : kWhite);
  c.frameRect(r, rgb(166, 166, 166), 1);
  int x = r.left + 4, y = r.top + 5;
  if (!text.empty())
    c.text(x, y, text, rgb(0, 0, 0));
  else if (!focused)
    c.text(x, y, placeholder, rgb(0x96, 0x96, 0x96));
  if (focused && app.win.blink) {
    int cx = x + c.textSize(text).cx + 1;
    c.fillRect(Rect{cx, r.top + 4, cx + 1, r.bottom - 4}, rgb(0, 0, 0));
  }
  out.hitAreas.push_back(HitArea::of(r, ref.kind, ref.index));
}

}  // namespace

TrainingBarLayout trainingBarLayout(const TrainState& t, const Rect& area, TextMeasure& m) {
  TrainingBarLayout l;
  const bool game = t.active;
  const int left = area.left, top = area.top + (area.height() - kHeight) / 2, bottom = top + kHeight;
  l.codeField = Rect{left + 44, top, left + 118, bottom};
  l.dateField = Rect{left + 158, top, left + 232, bottom};
  auto fixed = [&](int from, int to, std::string text, HitKind kind, Color fill) {
    l.buttons.push_back(FlatButton{Rect{left + from, top, left + to, bottom}, std::move(text), HitRef{kind, 0}, fill, kWhite});
  };
  fixed(240, 306, "开始训练", HitKind::TrainStart, rgb(0x3C, 0x82, 0x5A));
  fixed(316, 384, "随机换股", HitKind::TrainRandomStock, rgb(0xA8, 0x58, 0x24));
  fixed(394, 456, t.days <= 0 ? std::string("全部") : strPrintf("%d天", t.days), HitKind::TrainDays,
        game ? kChosen : kUnchosen);

  Flow flow{l.buttons, top, left + area.width() - 70};
  flow.x = left + 456 + 10;
  flow.lastRight = left + 456;
  const Color stepFill = game ? kLive : kIdle, stepText = game ? kWhite : kIdleLabel;
  for (const Step& s : kSteps) flow.place(s.width, s.label, HitRef{s.kind, 0}, stepFill, stepText);
  flow.x += 6;
  flow.place(64, "后退一根", HitRef{HitKind::TrainBack, 0}, stepFill, stepText);
  flow.place(64, "自动播放", HitRef{HitKind::TrainAutoplay, 0}, t.autoplay ? kOn : stepFill, t.autoplay ? kWhite : stepText);
  flow.place(64, "显示答案", HitRef{HitKind::TrainReveal, 0}, t.revealed ? kOn : stepFill, t.revealed ? kWhite : stepText);
  flow.x += 6;
  static const char* const kSpeeds[4] = {"0.5x", "1x", "2x", "4x"};
  for (int i = 0; i < 4; ++i) {
    bool chosen = game && t.autoplayMs == kAutoplayMs[i];
    Color fill = !game ? kIdle : chosen ? kChosen : kUnchosen;
    Color text = !game ? kIdleLabel : chosen ? kWhite : rgb(0x3C, 0x3C, 0x46);
    // Speed buttons sit every 46 pixels and need only end before the limit itself.
    flow.place(42, kSpeeds[i], HitRef{HitKind::TrainAutoplaySpeed, i}, fill, text, 4, 0);
  }
  // "结束训练" and "重置账户" each need 69 pixels (64 and the margin) before the limit, so they go
  // before the speed buttons in a narrowing window.
  flow.place(64, "结束训练", HitRef{HitKind::TrainEnd, 0}, stepFill, stepText);
  flow.place(64, "重置账户", HitRef{HitKind::TrainResetAccount, 0}, stepFill, stepText);
  l.lastRight = flow.lastRight;

  const int fw = m.width(Font{"Microsoft YaHei UI", 14, false}, "F12交易");
  l.buttons.push_back(FlatButton{Rect{area.right - fw - 24, top, area.right - 8, bottom}, "F12交易",
                                 HitRef{HitKind::F12Trading, 0}, rgb(0x1E, 0x5A, 0xB4), kWhite});
  return l;
}

void drawTrainingBar(const AppState& app, Canvas& c, const Rect& area, LastPainted& out) {
  const TrainState& t = app.train;
  const Font font{"Microsoft YaHei UI", 14, false};
  CanvasMeasure m(c);
  const TrainingBarLayout l = trainingBarLayout(t, area, m);
  c.fillRect(area, rgb(240, 240, 245));
  c.setFont(font);
  const Color label = rgb(0x28, 0x28, 0x28);
  const int top = l.codeField.top;
  c.text(area.left + 12, top + 5, "代码", label);
  field(app, c, out, l.codeField, HitRef{HitKind::TrainCodeField, 6}, t.codeInput, "留空=随机", t.inputFocus == 6);
  c.text(area.left + 126, top + 5, "日期", label);
  field(app, c, out, l.dateField, HitRef{HitKind::TrainDateField, 7}, t.dateInput, "留空=中段", t.inputFocus == 7);
  paintFlatButtons(c, l.buttons, out.hitAreas);

  const StockRecord* rec = app.market.valid(t.stockIdx) ? &app.market.stocks[size_t(t.stockIdx)] : nullptr;
  if (t.active && rec && t.cur >= 0 && t.cur < int(rec->k.size())) {
    const DayBar& bar = rec->k[size_t(t.cur)];
    std::string date = trnBlind(t) ? std::string(kMaskedDate) : std::string(bar.dateText());
    std::string progress = strPrintf("第 %d/%d 根  %s  收 %.2f", t.cur - t.start + 1, int(rec->k.size()) - t.start,
                                     date.c_str(), bar.close);
    // Right-aligned 80 pixels before the bar's end; left out where it would overlap a button.
    int x = area.right - 80 - c.textSize(progress).cx;
    if (x >= l.lastRight) c.text(x, top + 5, progress, rgb(0xB0, 0, 0));
  }
  c.line(Point{area.left, area.bottom - 1}, Point{area.right, area.bottom - 1}, Pen{rgb(0x2E, 0x2E, 0x36)});
}

bool confirmNewGame(AppState& app) {
  if (!app.train.active || trainingAccount(app).positions.empty()) return true;
  int answer = app.ui->messageBox(
      "开始新的一局会结束当前这一局并重置训练账户\n（现金恢复 100 万，持仓与交易记录清空）。\n\n【是】开始新局    【否】取消",
      "开始训练确认", MsgQuestion | MsgYesNo);
  return answer == ResultYes;
}

void startGameFromFields(AppState& app) {
  if (!confirmNewGame(app)) return;
  trnNewGame(app, app.train.codeInput.empty(), -1);
}

bool runTrainingBarAction(AppState& app, const HitArea& h) {
  TrainState& t = app.train;
  const int kind = hitKindValue(h.kind);
  if (kind >= 102 && kind <= 106) {
    trainJump(app, kind - 102 + 3);
    return true;
  }
  switch (h.kind) {
    case HitKind::TrainCodeField:
    case HitKind::TrainDateField:
      t.inputFocus = h.kind == HitKind::TrainCodeField ? 6 : 7;
      app.win.tradeFocus = 0;
      app.win.panelFieldFocused = false;
      return true;
    case HitKind::TrainStart:
      startGameFromFields(app);
      return true;
    case HitKind::TrainRandomStock:
      if (t.active && !trainingAccount(app).positions.empty()) {
        int answer = app.ui->messageBox(
            "随机换股会结束当前这一局并重置训练账户\n（现金恢复 100 万，持仓与交易记录清空）。\n\n【是】换一只    【否】取消",
            "随机换股确认", MsgQuestion | MsgYesNo);
        if (answer != ResultYes) return true;
      }
      t.codeInput.clear();
      t.dateInput.clear();
      t.inputFocus = 0;
      trnNewGame(app, true, -1);
      return true;
    case HitKind::TrainDays: {
      int days = pickTrainingDays(app);
      if (days < 0) {
        setTrainStatus(app, "天数未改，沿用当前设置");
        return true;
      }
      if (confirmNewGame(app)) trnNewGame(app, true, days);
      return true;
    }
    case HitKind::TrainNextBar: trainNextBar(app); return true;
    case HitKind::TrainNextWeek: trainJump(app, 1); return true;
    case HitKind::TrainNextMonth: trainJump(app, 2); return true;
    case HitKind::TrainBack: trainBackBar(app); return true;
    case HitKind::TrainAutoplay: trnAutoplay(app); return true;
    case HitKind::TrainReveal: trnReveal(app); return true;
    case HitKind::TrainAutoplaySpeed: trnAutoplaySpeed(app, h.index); return true;
    case HitKind::TrainEnd: trnEnd(app); return true;
    case HitKind::TrainResetAccount: {
      int answer = app.ui->messageBox(
          "确定要重置训练账户吗？\n\n此操作将清空当前训练账户的全部持仓和交易记录，\n现金恢复为初始 100 万，且不可恢复！\n\n"
          "【是】确认重置    【否】取消",
          "重置训练账户确认", MsgWarning | MsgYesNo);
      if (answer == ResultYes) trnResetAccount(app);
      return true;
    }
    default: return false;
  }
}

}  // namespace zor
