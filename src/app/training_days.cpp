#include "app/training_days.h"

#include "app/app_state.h"
#include "platform/text.h"
#include "platform/trace_log.h"

namespace zor {

namespace {

constexpr int kCardWidth = 172, kCardHeight = 126;
constexpr int kCardLeft[3] = {22, 224, 426};
constexpr int kCardTop[2] = {78, 216};

constexpr Color kBackground = rgb(246, 247, 250);
constexpr Color kBackgroundLow = rgb(232, 236, 244);
constexpr Color kBorder = rgb(148, 154, 168);
constexpr Color kCardFill = rgb(252, 252, 252);
constexpr Color kCardHighlight = rgb(236, 244, 255);
constexpr Color kCardHighlightLow = rgb(220, 234, 252);
constexpr Color kCardOutline = rgb(196, 196, 200);
constexpr Color kAccent = rgb(70, 130, 180);
constexpr Color kTitleText = rgb(32, 32, 32);
constexpr Color kGreyText = rgb(112, 112, 112);
constexpr const char* kFace = "Microsoft YaHei";

struct Card {
  int value;
  const char* big;
  const char* sub;
};

// Keep in the order of the keys 1 to 6.
constexpr Card kCards[kTrainingDayCards] = {
    {30, "30", "最近 30 个交易日"},   {60, "60", "最近 60 个交易日"},   {90, "90", "最近 90 个交易日"},
    {150, "150", "最近 150 个交易日"}, {180, "180", "最近 180 个交易日"}, {0, "全部", "从最前面开始 · 全长"},
};

// A vertical gradient in eight bands.
void gradient(Canvas& c, const Rect& r, Color top, Color bottom) {
  auto mix = [](Color a, Color b, int i, int n, int shift) {
    int x = int(a >> shift & 255), y = int(b >> shift & 255);
    return x + (y - x) * i / n;
  };
  constexpr int kBands = 8;
  for (int i = 0; i < kBands; ++i) {
    Rect band{r.left, r.top + r.height() * i / kBands, r.right, r.top + r.height() * (i + 1) / kBands};
    c.fillRect(band, rgb(mix(top, bottom, i, kBands - 1, 16), mix(top, bottom, i, kBands - 1, 8),
                         mix(top, bottom, i, kBands - 1, 0)));
  }
}

void paintCard(Canvas& c, int i, bool hovered, bool current) {
  const Card& card = kCards[i];
  Rect r = trainingDaysCardRect(i);
  if (hovered || current) {
    gradient(c, r, kCardHighlight, kCardHighlightLow);
    c.frameRect(r, kAccent, 2);
  } else {
    c.fillRect(r, kCardFill);
    c.frameRect(r, kCardOutline, 1);
  }
  if (current) c.fillRect(Rect{r.left + 2, r.top + 2, r.right - 2, r.top + 7}, kAccent);
  c.setFont(Font{kFace, 30, true});
  c.textInRect(Rect{r.left, r.top + 26, r.right, r.top + 60}, card.big, kTitleText, AlignCenter);
  c.setFont(Font{kFace, 14, false});
  if (card.value > 0) c.textInRect(Rect{r.left, r.top + 64, r.right - 16, r.top + 84}, "天", kGreyText, AlignRight);
  c.setFont(Font{kFace, 13, false});
  c.textInRect(Rect{r.left, r.top + 90, r.right, r.top + 104}, card.sub, kGreyText, AlignCenter);
  c.textInRect(Rect{r.left, r.top + 104, r.right, r.top + 120}, strPrintf("按 %d 键", i + 1), kGreyText, AlignCenter);
}

DialogReply choose(Dialog& d, int result) {
  d.result = result;
  return DialogReply{true, false, false};
}

Rect closeMark(int width) { return Rect{width - 30, 4, width - 6, 30}; }

int cardOfKey(int key) {
  if (key >= '1' && key <= '6') return key - '1';
  if (key >= 0x61 && key <= 0x66) return key - 0x61;  // the numeric pad
  return -1;
}

}  // namespace

int trainingDaysOfCard(int card) { return card >= 0 && card < kTrainingDayCards ? kCards[card].value : -1; }

Rect trainingDaysCardRect(int card) {
  int left = kCardLeft[card % 3], top = kCardTop[card / 3];
  return Rect{left, top, left + kCardWidth, top + kCardHeight};
}

int trainingDaysCardAt(int x, int y) {
  for (int i = 0; i < kTrainingDayCards; ++i)
    if (trainingDaysCardRect(i).contains(x, y)) return i;
  return -1;
}

void paintTrainingDays(const TrainingDaysState& s, Canvas& c) {
  int w = c.width(), h = c.height();
  gradient(c, Rect{0, 0, w, h}, kBackground, kBackgroundLow);
  c.frameRect(Rect{0, 0, w, h}, kBorder, 1);
  c.setFont(Font{kFace, 18, false});
  c.textInRect(closeMark(w), "×", kGreyText, AlignCenter | AlignVCenter);
  c.setFont(Font{kFace, 21, true});
  c.textInRect(Rect{0, 15, w, 40}, kTrainingDaysTitle, kTitleText, AlignCenter);
  c.setFont(Font{kFace, 13, false});
  c.textInRect(Rect{0, 46, w, 64}, "决定本局从哪一天开始训练", kGreyText, AlignCenter);
  for (int i = 0; i < kTrainingDayCards; ++i)
    paintCard(c, i, i == s.hover, kCards[i].value == s.current || (kCards[i].value == 0 && s.current < 0));
  c.setFont(Font{kFace, 13, false});
  c.textInRect(Rect{0, h - 30, w, h - 12}, "点击卡片选择 · 按 1 ~ 6 键 · ESC 保持当前设置", kGreyText, AlignCenter);
}

DialogReply trainingDaysInput(TrainingDaysState& s, Dialog& d, const DialogInput& in) {
  switch (in.kind) {
    case DialogInput::MouseMove:
    case DialogInput::MouseLeave: {
      int hover = in.kind == DialogInput::MouseMove ? trainingDaysCardAt(in.x, in.y) : -1;
      if (hover == s.hover) return {};
      s.hover = hover;
      return DialogReply{false, false, true};
    }
    case DialogInput::LeftDown: {
      int card = trainingDaysCardAt(in.x, in.y);
      if (card >= 0) return choose(d, trainingDaysOfCard(card));
      if (closeMark(d.size.cx).contains(in.x, in.y)) return choose(d, d.cancelResult);
      return {};
    }
    case DialogInput::Key: {
      int card = cardOfKey(in.key);
      if (card >= 0) return choose(d, trainingDaysOfCard(card));
      if (in.key == KeyEscape) return choose(d, d.cancelResult);
      return {};
    }
    default: return {};
  }
}

Dialog trainingDaysSpec(TrainingDaysState& s) {
  Dialog d;
  d.className = kTrainingDaysClass;
  d.title = kTrainingDaysTitle;
  d.frame = DialogFrame::Panel;
  d.size = kTrainingDaysSize;
  d.systemBackground = false;
  d.background = kBackground;
  d.handCursor = true;
  d.paint = [&s](const Dialog&, Canvas& c) { paintTrainingDays(s, c); };
  d.onInput = [&s](Dialog& dlg, const DialogInput& in, DialogEnv&) { return trainingDaysInput(s, dlg, in); };
  d.cancelResult = -1;
  d.failResult = -1;
  return d;
}

int pickTrainingDays(AppState& app) {
  TrainingDaysState s;
  s.current = app.train.days <= 0 ? 0 : app.train.days;
  Dialog d = trainingDaysSpec(s);
  int days = runDialog(app, d);
  traceLine("TRAINDAYS pick=%d cancel=%d", days, int(days < 0));
  return days;
}

}  // namespace zor
