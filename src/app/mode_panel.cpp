// The mode selection panel: three cards inside the main window, chosen by a click or the keys
// 1, 2 and 3; Esc and the close mark leave it without a choice.
#include <array>

#include "app/app_state.h"
#include "app/setup_dialogs.h"
#include "platform/text.h"

namespace zor {

namespace {

constexpr int kCardTop = 58, kCardBottom = 222, kCardWidth = 172;
constexpr std::array<int, kModeCards> kCardLeft = {22, 216, 410};

constexpr Color kBackground = rgb(250, 250, 250);
constexpr Color kBorder = rgb(148, 154, 168);
constexpr Color kCardFill = rgb(252, 252, 252);
constexpr Color kCardHoverFill = rgb(240, 246, 255);
constexpr Color kCardOutline = rgb(196, 196, 200);
constexpr Color kTitleText = rgb(32, 32, 32);
constexpr Color kGreyText = rgb(112, 112, 112);

constexpr const char* kFace = "Microsoft YaHei";
constexpr const char* kFooter = "点击卡片选择 · 按 1 / 2 / 3 键 · ESC 默认历史交易";

struct Card {
  const char* title;
  const char* accentLine;
  const char* line3;
  const char* line4;
  Color accent;
};

// Keep in the order of the results 1, 2, 3.
constexpr Card kCards[kModeCards] = {
    {"① 历史交易", "分时图逐帧回放", "读取本地历史记录", "与你现在用的一致", rgb(24, 95, 165)},
    {"② K线训练", "双盲逐根K线", "隐藏代码与日期", "独立训练账户", rgb(186, 117, 23)},
    {"③ 实时交易", "需自填行情接口", "本机模拟撮合", "填 IP 与端口", rgb(29, 158, 117)},
};

void paintCard(Canvas& c, int i, bool hovered) {
  const Card& card = kCards[i];
  Rect r = modeCardRect(i);
  int outline = hovered ? 2 : 1;
  c.fillRect(r, hovered ? kCardHoverFill : kCardFill);
  c.frameRect(r, hovered ? card.accent : kCardOutline, outline);
  c.fillRect(Rect{r.left + outline, r.top + outline, r.right - outline, r.top + outline + 5}, card.accent);

  auto line = [&](int top, int bottom, const char* text, Color color, int height, bool bold) {
    c.setFont(Font{kFace, height, bold});
    c.textInRect(Rect{r.left, r.top + top, r.right, r.top + bottom}, text, color, AlignCenter | AlignVCenter);
  };
  line(28, 58, card.title, kTitleText, 17, true);
  line(66, 88, card.accentLine, card.accent, 14, false);
  line(92, 114, card.line3, kGreyText, 14, false);
  line(114, 136, card.line4, kGreyText, 14, false);
  line(140, 160, strPrintf("按 %d 键", i + 1).c_str(), kGreyText, 13, false);
}

DialogReply choose(Dialog& d, int result) {
  d.result = result;
  return DialogReply{true, false, false};
}

// Keys 1..3 of the main keyboard and of the numeric pad.
int cardOfKey(int key) {
  if (key >= '1' && key <= '3') return key - '1';
  if (key >= 0x61 && key <= 0x63) return key - 0x61;
  return -1;
}

}  // namespace

Rect modeCardRect(int card) {
  int left = kCardLeft[size_t(card)];
  return Rect{left, kCardTop, left + kCardWidth, kCardBottom};
}

int modeCardAt(int x, int y) {
  for (int i = 0; i < kModeCards; ++i)
    if (modeCardRect(i).contains(x, y)) return i;
  return -1;
}

Rect modeCloseMarkRect(int width) { return Rect{width - 30, 4, width - 6, 30}; }

bool inModeCloseMark(int width, int x, int y) { return x >= width - 30 && x < width - 6 && y >= 6 && y < 30; }

void paintModePanel(const ModePanelState& s, Canvas& c) {
  int w = c.width(), h = c.height();
  c.fillRect(Rect{0, 0, w, h}, kBackground);
  c.frameRect(Rect{0, 0, w, h}, kBorder, 1);
  c.setFont(Font{kFace, 18, false});
  c.textInRect(modeCloseMarkRect(w), "×", kGreyText, AlignCenter | AlignVCenter);
  c.setFont(Font{kFace, 22, true});
  c.textInRect(Rect{0, 14, w, 46}, kModePanelTitle, kTitleText, AlignCenter | AlignVCenter);
  for (int i = 0; i < kModeCards; ++i) paintCard(c, i, i == s.hover);
  c.setFont(Font{kFace, 13, false});
  c.textInRect(Rect{0, h - 34, w, h - 12}, kFooter, kGreyText, AlignCenter | AlignVCenter);
}

DialogReply modePanelInput(ModePanelState& s, Dialog& d, const DialogInput& in) {
  switch (in.kind) {
    case DialogInput::MouseMove:
    case DialogInput::MouseLeave: {
      int hover = in.kind == DialogInput::MouseMove ? modeCardAt(in.x, in.y) : -1;
      if (hover == s.hover) return {};
      s.hover = hover;
      return DialogReply{false, false, true};
    }
    case DialogInput::LeftDown: {
      int card = modeCardAt(in.x, in.y);
      if (card >= 0) return choose(d, card + 1);
      if (inModeCloseMark(d.size.cx, in.x, in.y)) return choose(d, d.cancelResult);
      return {};
    }
    case DialogInput::Key: {
      int card = cardOfKey(in.key);
      if (card >= 0) return choose(d, card + 1);
      if (in.key == KeyEscape) return choose(d, d.cancelResult);
      return {};
    }
    default: return {};
  }
}

Dialog modePanelSpec(ModePanelState& s) {
  Dialog d;
  d.className = kModePanelClass;
  d.title = kModePanelTitle;
  d.frame = DialogFrame::Panel;
  d.size = kModePanelSize;
  d.systemBackground = false;
  d.background = kBackground;
  d.handCursor = true;
  d.paint = [&s](const Dialog&, Canvas& c) { paintModePanel(s, c); };
  d.onInput = [&s](Dialog& dlg, const DialogInput& in, DialogEnv&) { return modePanelInput(s, dlg, in); };
  d.cancelResult = 0;
  // Without the panel the program still has to start in some mode: history trading.
  d.failResult = 1;
  return d;
}

int modeDialog(AppState& app) {
  ModePanelState s;
  Dialog d = modePanelSpec(s);
  return runDialog(app, d);
}

}  // namespace zor
