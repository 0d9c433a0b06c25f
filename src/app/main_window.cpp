#include "app/main_window.h"

#include <algorithm>
#include <array>

#include "app/app_state.h"
#include "app/shell_panels.h"
#include "app/trace_log.h"
#include "data/loaders.h"
#include "platform/random.h"
#include "platform/text.h"

namespace zor {

namespace {

// Keep in the order of MenuBarItem.
constexpr const char* kMenuBarTexts[kMenuBarItemCount] = {"设置(S)", "资金(Z)", "画图(H)", "复盘(G)",
                                                          "训练模式(M)", "数据接口", "关于(A)"};

constexpr Color kMenuOpenFill = rgb(169, 205, 245);
constexpr Color kMenuHoverFill = rgb(214, 232, 251);
constexpr Color kMenuOutline = rgb(58, 141, 229);

constexpr unsigned kBlinkTimerMs = 700;
constexpr int kHitQuoteRow = 6;

// Buttons that act when the press is released over them; their owners paint them later.
bool isPressReleaseKind(int kind) {
  static constexpr int kinds[] = {1, 2, 3, 5, 26, 40, 50, 60, 70, 71, 95};
  return std::find(std::begin(kinds), std::end(kinds), kind) != std::end(kinds);
}

const HitArea* firstHitAt(const AppState& app, int x, int y) {
  for (const HitArea& h : app.hitAreas)
    if (h.contains(x, y)) return &h;
  return nullptr;
}

// The menu-bar item rectangles for the current font metrics.
std::array<Rect, kMenuBarItemCount> menuBarLayout(Canvas& c) {
  std::array<Rect, kMenuBarItemCount> rects{};
  c.setFont(Font{"Microsoft YaHei", 14, false});
  int x = kMenuBarLeft;
  for (int i = 0; i < kMenuBarItemCount; ++i) {
    int w = std::max(kMenuItemMinWidth, c.textSize(kMenuBarTexts[i]).cx + kMenuItemPad);
    rects[size_t(i)] = Rect{x, 0, x + w, kTitleStripHeight};
    x += w + kMenuItemGap;
  }
  return rects;
}

// The title is centred in the strip; in a window too narrow for that it starts after the menu
// bar instead of running under the items, and it never runs under the caption buttons.
void paintTitleStrip(AppState& app, Canvas& c, int menuRight, int buttonsLeft) {
  int w = c.width();
  c.fillRect(Rect{0, 0, w, kTitleStripHeight}, c.systemColor(SysColor::Menu));
  c.line(Point{0, kTitleStripHeight - 1}, Point{w, kTitleStripHeight - 1}, Pen{c.systemColor(SysColor::ButtonShadow)});
  c.icon(5, 4, 16);
  c.setFont(Font{"Microsoft YaHei", 15, true});
  int tw = c.textSize(kProgramTitle).cx;
  Color text = c.systemColor(SysColor::MenuText);
  if ((w - tw) / 2 >= menuRight + kMenuItemGap) {
    c.textInRect(Rect{0, 0, w, kTitleStripHeight}, kProgramTitle, text, AlignCenter | AlignVCenter);
    return;
  }
  Rect r{menuRight + kMenuItemGap, 0, std::max(menuRight + kMenuItemGap, buttonsLeft), kTitleStripHeight};
  c.pushClip(r);
  c.textInRect(r, kProgramTitle, text, AlignLeft | AlignVCenter);
  c.popClip();
}

void paintMenuBar(AppState& app, Canvas& c, const std::array<Rect, kMenuBarItemCount>& rects) {
  c.setFont(Font{"Microsoft YaHei", 14, false});
  Color text = c.systemColor(SysColor::MenuText);
  for (int i = 0; i < kMenuBarItemCount; ++i) {
    const Rect& r = rects[size_t(i)];
    if (i == app.openMenu || i == app.hoverMenu) {
      c.fillRect(r, i == app.openMenu ? kMenuOpenFill : kMenuHoverFill);
      c.frameRect(r, kMenuOutline, 1);
    }
    c.textInRect(r, kMenuBarTexts[i], text, AlignCenter | AlignVCenter);
    HitArea h{r.left, r.top, r.right, r.bottom, kHitMenuBarItem, i};
    app.menuRects[size_t(i)] = h;
    app.hitAreas.push_back(h);
  }
}

void paintCaptionButtons(AppState& app, Canvas& c) {
  Size s = c.captionButtonSize();
  int bw = std::max(1, s.cx);
  // Large system metrics (high DPI) still have to fit the fixed 24-pixel strip.
  int bh = std::clamp(s.cy, 1, kTitleStripHeight);
  int x0 = c.width() - 3 * bw - kCaptionRightMargin;
  int top = (kTitleStripHeight - bh) / 2;
  for (int i = 0; i < kCaptionSlotCount; ++i) {
    Rect r{x0 + i * bw, top, x0 + (i + 1) * bw, top + bh};
    CaptionButton kind = i == CaptionMinimize   ? CaptionButton::Minimize
                         : i == CaptionMaximize ? (app.maximized ? CaptionButton::Restore : CaptionButton::Maximize)
                                                : CaptionButton::Close;
    size_t k = size_t(i);
    ButtonState state = app.captionPressed[k] ? ButtonState::Pressed
                        : app.captionHover[k] ? ButtonState::Hot
                                              : ButtonState::Normal;
    c.captionButton(r, kind, state);
    HitArea h{r.left, r.top, r.right, r.bottom, kHitCaptionButton, i};
    app.captionRects[k] = h;
    app.hitAreas.push_back(h);
  }
}

WindowAction captionAction(int slot) {
  switch (slot) {
    case CaptionMinimize: return WindowAction::Minimize;
    case CaptionMaximize: return WindowAction::MaximizeOrRestore;
    default: return WindowAction::Close;
  }
}

}  // namespace

const char* menuBarText(int item) { return item >= 0 && item < kMenuBarItemCount ? kMenuBarTexts[item] : ""; }

std::vector<MenuEntry> settingsMenu(const AppState& app) {
  return {
      {"数据配置(D)...", CmdDataDirs},
      {},
      {"T+1 交易规则（当日买入不可卖）", CmdTPlusOne, app.tPlusOne},
      {"T+0 交易规则（当日可回转）", CmdTPlusZero, !app.tPlusOne},
      {},
      // Trade markers arrive with the chart; until then they are off.
      {"显示成交标记(B/S)", CmdTradeMarkers, false},
      {"客户信息（姓名/账号）...", CmdCustomerInfo},
      {},
      {"一键重置（清空交易记录并还原）...", CmdOneKeyReset},
      {},
      {"在线更新（检查新版本）(U)...", CmdUpdateCheck},
  };
}

std::vector<MenuEntry> drawingMenu() {
  return {
      {"画线工具栏(Alt+F12 / F9)…", 9130},
      {},
      {"直线/趋势线", 9100},
      {"水平线(价位)", 9101},
      {"竖线(时间)", 9102},
      {"黄金分割", 9103},
      {"百分比线", 9104},
      {"平行通道", 9105},
      {"矩形框", 9106},
      {"圆/椭圆", 9107},
      {"圆弧", 9108},
      {"文字标注", 9109},
      {"向上箭头", 9110},
      {"向下箭头", 9111},
      {},
      {"单根画线属性设置(Ctrl+D)…", 9131},
      {"默认新画线属性…", 9132},
      {},
      {"撤销上一步(Ctrl+Z)", 9122},
      {"清空画线", 9120},
      {"隐藏/显示画线(Alt+F11)", 9121},
  };
}

ShellLayout shellLayout(int w, int h) {
  auto band = [w](int top, int bottom) { return Rect{0, top, w, std::max(top, bottom)}; };
  ShellLayout l;
  l.titleStrip = band(0, kTitleStripHeight);
  l.toolbar = band(kTitleStripHeight, 60);
  l.indexStrip = band(std::max(60, h - 46), h - kStatusLineHeight);
  l.statusLine = band(std::max(60, h - kStatusLineHeight), h);
  l.quoteList = band(60, l.indexStrip.top);
  return l;
}

void onPaint(AppState& app, Canvas& c) {
  int w = c.width(), h = c.height();
  app.clientW = w;
  app.clientH = h;
  app.hitAreas.clear();
  c.fillRect(Rect{0, 0, w, h}, rgb(0, 0, 0));
  std::array<Rect, kMenuBarItemCount> menu = menuBarLayout(c);
  int buttonsLeft = w - 3 * std::max(1, c.captionButtonSize().cx) - kCaptionRightMargin;
  paintTitleStrip(app, c, menu.back().right, buttonsLeft);
  paintMenuBar(app, c, menu);
  paintCaptionButtons(app, c);
  c.setFont(Font{"Microsoft YaHei UI", 14, false});
  ShellLayout layout = shellLayout(w, h);

  // The trading view arrives with the trading panel; until then it shows the view above it.
  if (!app.listView && app.stocks.empty()) {
    // A chart needs an instrument: fall back to the list at once rather than a black frame.
    app.listView = true;
    app.barCount = 0;
  }
  if (app.listView) {
    paintQuoteListArea(app, c, layout.quoteList);
  } else {
    if (app.curIdx < 0 || size_t(app.curIdx) >= app.stocks.size()) app.curIdx = 0;
    loadStockOnDemand(app, app.curIdx);
    paintChartArea(app, c, layout);
  }
  paintStatusLine(app, c, layout.statusLine);
}

void onCreate(AppState& app, uint32_t seed) {
  app.ui->setTimer(1, kBlinkTimerMs);
  seedRandom(seed);
  app.ui->setTimer(3, nextLiveTimerInterval());
}

bool isCaptionPoint(const AppState& app, int x, int y) {
  if (y < 0 || y >= kTitleStripHeight) return false;
  for (const HitArea& r : app.menuRects)
    if (r.contains(x, y)) return false;
  for (const HitArea& r : app.captionRects)
    if (r.contains(x, y)) return false;
  return true;
}

MouseResult onMouseMove(AppState& app, int x, int y) {
  MouseResult res;
  app.mouseX = x;
  app.mouseY = y;
  app.mouseInside = true;

  std::array<bool, 3> hover{};
  for (size_t i = 0; i < hover.size(); ++i) hover[i] = app.captionRects[i].contains(x, y);
  int menu = -1;
  for (int i = 0; i < kMenuBarItemCount; ++i)
    if (app.menuRects[size_t(i)].contains(x, y)) menu = i;
  if (hover != app.captionHover && msgTraceOn())
    traceLine("HOVER btn x=%d y=%d -> %d%d%d", x, y, int(hover[0]), int(hover[1]), int(hover[2]));
  bool stripChanged = hover != app.captionHover || menu != app.hoverMenu;
  app.captionHover = hover;
  app.hoverMenu = menu;

  int hit = -1;
  for (const HitArea& h : app.hitAreas)
    if (isPressReleaseKind(h.kind) && h.contains(x, y)) {
      hit = h.kind * 16 + h.index;
      break;
    }
  if (hit != app.hoverHit) {
    app.hoverHit = hit;
    res.repaint = Repaint::All;
  } else if (stripChanged) {
    res.repaint = Repaint::TitleStrip;
  }
  return res;
}

Repaint onMouseLeave(AppState& app) {
  bool strip = app.hoverMenu != -1 || app.captionHover != std::array<bool, 3>{};
  bool all = app.hoverHit != -1;
  app.mouseInside = false;
  app.hoverMenu = -1;
  app.captionHover = {};
  app.hoverHit = -1;
  return all ? Repaint::All : strip ? Repaint::TitleStrip : Repaint::None;
}

MouseResult onLeftButtonDown(AppState& app, int x, int y, unsigned keys) {
  MouseResult res;
  app.mouseX = x;
  app.mouseY = y;
  if (y >= 0 && y < kTitleStripHeight) {
    for (int i = 0; i < kCaptionSlotCount; ++i) {
      if (!app.captionRects[size_t(i)].contains(x, y)) continue;
      app.captionPressed[size_t(i)] = true;
      res.action = captionAction(i);
      res.capture = true;
      res.repaint = Repaint::TitleStrip;
      return res;
    }
    for (int i = 0; i < kMenuBarItemCount; ++i) {
      if (!app.menuRects[size_t(i)].contains(x, y)) continue;
      openMenuBarItem(app, i, x);
      res.repaint = Repaint::All;
      return res;
    }
    return res;
  }
  // Header sorting, the record lists' scroll bars and the drawing tools join here with the
  // quote list, the trading panel and the drawing subsystem.
  const HitArea* h = firstHitAt(app, x, y);
  if (!h) return res;
  if (isPressReleaseKind(h->kind)) {
    app.pressedHit = h->kind * 16 + h->index;
    res.capture = true;
    res.repaint = Repaint::All;
    return res;
  }
  if (h->kind == kHitQuoteRow) {
    selectStock(app, h->index);
    res.repaint = Repaint::All;
  }
  return res;
}

MouseResult onLeftButtonUp(AppState& app, int x, int y) {
  MouseResult res;
  if (app.captionPressed != std::array<bool, 3>{}) {
    app.captionPressed = {};
    res.repaint = Repaint::TitleStrip;
  }
  if (app.pressedHit >= 0) {
    // The buttons' actions run here ("released over the same area") once their owners exist.
    app.pressedHit = -1;
    res.repaint = Repaint::All;
  }
  return res;
}

Repaint onCaptureLost(AppState& app) {
  // Unlike a release, a lost capture never runs the pressed button's action.
  bool strip = app.captionPressed != std::array<bool, 3>{};
  bool all = app.pressedHit >= 0;
  app.captionPressed = {};
  app.pressedHit = -1;
  return all ? Repaint::All : strip ? Repaint::TitleStrip : Repaint::None;
}

MouseResult onLeftDoubleClick(AppState& app, int x, int y, unsigned keys) {
  if (app.listView && y >= kTitleStripHeight) {
    const HitArea* h = firstHitAt(app, x, y);
    if (h && h->kind == kHitQuoteRow) {
      openStock(app, h->index);
      MouseResult res;
      res.repaint = Repaint::All;
      return res;
    }
  }
  // The second press of a fast double click counts as a press of its own.
  return onLeftButtonDown(app, x, y, keys);
}

void openMenuBarItem(AppState& app, int item, int x) {
  switch (item) {
    case MenuSettings:
    case MenuDrawing: {
      app.openMenu = item;
      app.ui->requestRepaint();
      int id = app.ui->popupMenu(item == MenuSettings ? settingsMenu(app) : drawingMenu(), x, kTitleStripHeight);
      app.openMenu = -1;
      app.ui->requestRepaint();
      if (id != 0) onCommand(app, id);
      break;
    }
    case MenuFunds:
      onCommand(app, CmdFunds);
      break;
    default:
      // 复盘 (trading view), 训练模式 (mode dialog), 数据接口 (connection dialog) and 关于
      // (about window) arrive with the trading, training, quote and setup windows.
      break;
  }
}

void onCommand(AppState& app, int id) {
  switch (id) {
    case CmdTPlusOne:
    case CmdTPlusZero:
      app.tPlusOne = id == CmdTPlusOne;
      setStatus(app, strPrintf("交易规则已切换为 %s", app.tPlusOne ? "T+1（当日买入不可卖）" : "T+0（当日可回转）"));
      break;
    default:
      // The dialogs and the chart, drawing and trading commands join with their subsystems.
      break;
  }
  app.ui->requestRepaint();
}

unsigned nextLiveTimerInterval() { return nextRandom() % 3001 + 3000; }

unsigned onTimer(AppState& app, int id) {
  switch (id) {
    case 1:
      if (app.panelFieldFocused || app.tradeFocus != 0 || app.trainFieldFocused) app.blink = !app.blink;
      refreshVisibleRows(app);
      // The order book's matching tick joins here with the trading subsystem.
      app.ui->requestRepaint();
      return 0;
    case 3: {
      bool tradingTime = isTradingTime(localNow());
      if (msgTraceOn())
        traceLine("WM_TIMER_FENSHI trend=%d liveStockIdx=%d liveOK=%d stocks=%zu tradingTime=%d", int(app.trend),
                  app.liveStockIdx, int(app.liveOK), app.stocks.size(), int(tradingTime));
      // The real-time fetch of the live instrument joins here with the quote client; it runs
      // only in real-time mode (tradeMode 0) during trading hours.
      return nextLiveTimerInterval();
    }
    default:
      return 0;
  }
}

void openStock(AppState& app, int index) {
  if (index < 0 || size_t(index) >= app.stocks.size()) return;
  selectStock(app, index);
  app.trend = false;
  app.listView = false;
  app.period = PeriodDay;
  app.barCount = 0;
  app.scrollBack = 0;
  app.codeEntry.clear();
}

bool isTradingTime(const LocalTime& t) {
  if (t.weekday < 1 || t.weekday > 5) return false;
  int hm = t.hour * 100 + t.minute;
  return (hm >= 930 && hm <= 1130) || (hm >= 1300 && hm <= 1500);
}

}  // namespace zor
